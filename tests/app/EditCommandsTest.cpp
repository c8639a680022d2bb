// The Edit and Image menus of the document: each edit against the engine's
// own operation, one step of undo, the clipboard both ways (Qt's clipboard of
// the offscreen platform), placing a paste, and failures that leave the
// document as it was.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QSignalSpy>
#include <cstring>

#include "DesktopFixtures.h"
#include "FakePrompts.h"
#include "app/CLeafDoc.h"
#include "app/ClipboardImage.h"
#include "formats/DjvuReader.h"
#include "image/DepthConversions.h"
#include "image/Messages.h"
#include "image/Resampling.h"
#include "image/Transforms.h"

namespace leaf {
namespace {

using Answer = CUserPrompts::Answer;

QString Q(const std::string& text) { return QString::fromStdString(text); }
FitArea NoFit() { return FitArea{800, 600, 3}; }
QClipboard& Clipboard() { return *QGuiApplication::clipboard(); }

// Width, height, depth and every pixel byte are the same.
bool SamePicture(const DibRaster& a, const DibRaster& b) {
  return a.width == b.width && a.height == b.height && a.bitsPerPixel == b.bitsPerPixel &&
         a.rowOrder == b.rowOrder && a.pixelSize == b.pixelSize && a.paletteSize == b.paletteSize &&
         std::memcmp(a.pixels(), b.pixels(), a.pixelSize) == 0 &&
         std::memcmp(a.palette(), b.palette(), a.paletteSize) == 0;
}

test::BmpRecipe NoisyRecipe(int bits, int width = 37, int height = 23) {
  test::BmpRecipe recipe;
  recipe.width = width;
  recipe.height = height;
  recipe.bits = bits;
  if (bits == 8) recipe.palette = test::GrayPalette(8);
  recipe.pixel = [bits](int x, int y) {
    const uint32_t v = static_cast<uint32_t>(x * 7919 + y * 104729 + x * y);
    return bits == 24 ? (v * 2654435761u) & 0xFFFFFF : v % (1u << bits);
  };
  return recipe;
}

class EditCommandsTest : public ::testing::Test {
 protected:
  EditCommandsTest() : settings(AppSettings::Defaults(dir.path())), doc(settings, prompts) {
    Clipboard().clear();
  }
  ~EditCommandsTest() override { Clipboard().clear(); }

  void open(const test::BmpRecipe& recipe, const std::string& name = "page.bmp") {
    ASSERT_TRUE(doc.openDocument(Q(test::WriteBmpPage(dir, name, recipe)), NoFit()));
  }

  test::TempDir dir;
  AppSettings settings;
  test::FakePrompts prompts;
  CLeafDoc doc;
};

// ----- simple edits and undo -----

TEST_F(EditCommandsTest, SimpleEditsDoWhatTheEngineDoesAndUndoSwaps) {
  struct Command {
    const char* name;
    bool (CLeafDoc::*run)();
    bool (*engine)(DibImage&);
  } commands[] = {
      {"flip", &CLeafDoc::flip, [](DibImage& i) { return Flip(i, true); }},
      {"mirror", &CLeafDoc::mirror, Mirror},
      {"rotate left", &CLeafDoc::rotateLeft, RotateLeft},
      {"rotate right", &CLeafDoc::rotateRight, RotateRight},
      {"half turn", &CLeafDoc::rotateHalfTurn, RotateHalfTurn},
      {"negative", &CLeafDoc::negative, Negative},
      {"gray", &CLeafDoc::convertToGray, ToGray},
  };
  for (int bits : {1, 8, 24}) {
    for (const Command& c : commands) {
      SCOPED_TRACE(std::string(c.name) + " at " + std::to_string(bits) + " bits");
      open(NoisyRecipe(bits));
      DibImage original, expected;
      ASSERT_TRUE(original.Clone(doc.image()));
      ASSERT_TRUE(expected.Clone(doc.image()));
      ASSERT_TRUE(c.engine(expected));
      QSignalSpy edited(&doc, &CLeafDoc::pageEdited);

      ASSERT_TRUE((doc.*c.run)());
      EXPECT_TRUE(SamePicture(doc.image().raster, expected.raster));
      EXPECT_EQ(doc.documentType(), kFileBmp);
      EXPECT_TRUE(doc.isModified());
      EXPECT_TRUE(doc.hasUndo());
      EXPECT_EQ(edited.count(), 1);

      doc.undo();  // back to the page as it was
      EXPECT_TRUE(SamePicture(doc.image().raster, original.raster));
      doc.undo();  // a swap, not a stack: the edit comes back
      EXPECT_TRUE(SamePicture(doc.image().raster, expected.raster));
      EXPECT_TRUE(prompts.errors.isEmpty());
    }
  }
}

TEST_F(EditCommandsTest, AFailedEditLeavesTheDocumentAsItWas) {
  test::BmpRecipe recipe = NoisyRecipe(2);  // read as stored; the edits refuse it
  open(recipe);
  DibImage before;
  ASSERT_TRUE(before.Clone(doc.image()));
  struct Case {
    bool (CLeafDoc::*run)();
    const char* message;
  } cases[] = {
      {&CLeafDoc::rotateLeft, "Failed to rotate!"},
      {&CLeafDoc::mirror, "Failed to mirror the image!"},
      {&CLeafDoc::convertToGray, "Failed to convert the image to gray!"},
  };
  for (const Case& c : cases) {
    prompts.errors.clear();
    EXPECT_FALSE((doc.*c.run)());
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_EQ(prompts.errors.front(), c.message);
    EXPECT_FALSE(prompts.errorDetails.back().isEmpty());  // the engine's reason
    EXPECT_TRUE(SamePicture(doc.image().raster, before.raster));
    EXPECT_FALSE(doc.isModified());
    EXPECT_FALSE(doc.hasUndo());
  }
  prompts.errors.clear();
  EXPECT_FALSE(doc.copy(QRect()));
  ASSERT_EQ(prompts.errors.size(), 1);
  EXPECT_EQ(prompts.errors.front(), "Selections of 2 bit images is not supported");
}

TEST_F(EditCommandsTest, EmptyUndoBufferAsksFirst) {
  open(NoisyRecipe(8));
  ASSERT_TRUE(doc.flip());
  prompts.answers = {Answer::No};
  doc.emptyUndoBuffer();
  EXPECT_EQ(prompts.questions.back(), "Are you sure you want to empty the undo buffer?");
  EXPECT_TRUE(doc.hasUndo());
  prompts.answers = {Answer::Yes};
  doc.emptyUndoBuffer();
  EXPECT_FALSE(doc.hasUndo());
  // Opening another page forgets the edits of the last one.
  ASSERT_TRUE(doc.flip());
  open(NoisyRecipe(24), "other.bmp");
  EXPECT_FALSE(doc.hasUndo());
}

// ----- DjVu pages: re-renderable until pixels change -----

TEST_F(EditCommandsTest, TurnedDjvuPageStaysRenderableACropMakesItARaster) {
  const std::string path = test::WriteCompoundDjvu(dir);  // 300 x 200
  ASSERT_TRUE(doc.openDocument(Q(path), NoFit()));
  ASSERT_TRUE(doc.setZoomAndLayer(-1, 0));  // rendered at half size
  ASSERT_EQ(doc.image().raster.width, 150);

  ASSERT_TRUE(doc.rotateLeft());
  EXPECT_EQ(doc.documentType(), kFileDjvu);
  EXPECT_EQ(doc.image().raster.width, 100);  // the half-size pixels turned, not rendered again
  EXPECT_EQ(doc.fullSize(), QSize(200, 300));

  ASSERT_TRUE(doc.setZoomAndLayer(0, 0));  // rendered at full size, the turn replayed
  DibImage expected;
  ASSERT_TRUE(LoadHalfCoded(expected, path));
  ASSERT_TRUE(RenderDjvu(expected, kDjvuLayerColor, 24, 0, settings.displayGamma));
  ASSERT_TRUE(RotateLeft(expected));
  EXPECT_TRUE(SamePicture(doc.image().raster, expected.raster));

  ASSERT_TRUE(doc.setZoomAndLayer(-1, 0));
  ASSERT_TRUE(doc.crop(QRect(10, 20, 50, 40)));  // on the true pixels, not the half-size ones
  EXPECT_EQ(doc.documentType(), kFileBmp);
  EXPECT_EQ(doc.image().raster.width, 50);
  EXPECT_EQ(doc.image().raster.height, 40);
  EXPECT_FALSE(doc.image().raster.pageLink);
  EXPECT_FALSE(doc.isRenderedAtZoom());
  ASSERT_TRUE(doc.setZoomAndLayer(-2, 0));  // zooming now scales the raster
  EXPECT_EQ(doc.image().raster.width, 50);

  doc.undo();  // the DjVu page comes back, rendered for the zoom shown
  EXPECT_EQ(doc.documentType(), kFileDjvu);
  EXPECT_TRUE(doc.image().raster.pageLink);
  EXPECT_EQ(doc.image().raster.width, 66);  // 200 / 3
  EXPECT_TRUE(prompts.errors.isEmpty());
}

// ----- the clipboard -----

TEST_F(EditCommandsTest, CopyPutsTheSelectionOrTheWholePageOnTheClipboard) {
  for (int height : {23, -23}) {  // stored bottom-up and top-down
    test::BmpRecipe recipe = NoisyRecipe(24, 37, height);
    open(recipe);
    ASSERT_TRUE(doc.copy(QRect()));
    QImage whole = Clipboard().image();
    ASSERT_EQ(whole.size(), QSize(37, 23));
    EXPECT_EQ(whole.dotsPerMeterX(), 11811);  // 300 dpi
    EXPECT_EQ(whole.pixel(5, 2) & 0xFFFFFF, recipe.pixel(5, 2));
    EXPECT_EQ(whole.pixel(36, 22) & 0xFFFFFF, recipe.pixel(36, 22));

    ASSERT_TRUE(doc.copy(QRect(3, 4, 10, 6)));  // left 3, top 4, 10 x 6
    QImage part = Clipboard().image();
    ASSERT_EQ(part.size(), QSize(10, 6));
    for (auto [x, y] : {std::pair{0, 0}, {9, 5}, {4, 1}}) {
      EXPECT_EQ(part.pixel(x, y) & 0xFFFFFF, recipe.pixel(3 + x, 4 + y)) << x << "," << y;
    }
    EXPECT_FALSE(doc.isModified());
    EXPECT_FALSE(doc.hasUndo());
  }
}

TEST_F(EditCommandsTest, CopyOfBilevelAndGrayPagesKeepsTheirColours) {
  test::BmpRecipe bilevel = NoisyRecipe(1);
  bilevel.palette = {0xFFFFFF, 0x000000};
  open(bilevel);
  ASSERT_TRUE(doc.copy(QRect(1, 1, 9, 9)));
  const QImage mono = Clipboard().image();
  ASSERT_EQ(mono.depth(), 1);
  EXPECT_EQ(mono.pixel(2, 3) & 0xFFFFFF, bilevel.pixel(3, 4) ? 0u : 0xFFFFFFu);

  test::BmpRecipe gray = NoisyRecipe(8);
  open(gray, "gray.bmp");
  ASSERT_TRUE(doc.copy(QRect()));
  const QImage picture = Clipboard().image();
  EXPECT_EQ(qGray(picture.pixel(7, 8)), static_cast<int>(gray.pixel(7, 8)));
}

TEST_F(EditCommandsTest, CutTakesTheSelectionAndLeavesPaletteColourZero) {
  test::BmpRecipe recipe = NoisyRecipe(8);
  open(recipe);
  ASSERT_TRUE(doc.cut(QRect(2, 3, 4, 5)));
  const QImage cut = Clipboard().image();
  ASSERT_EQ(cut.size(), QSize(4, 5));
  EXPECT_EQ(qGray(cut.pixel(1, 1)), static_cast<int>(recipe.pixel(3, 4)));
  const DibRaster& r = doc.image().raster;
  for (auto [x, y] : {std::pair{2, 3}, {5, 7}, {3, 5}}) EXPECT_EQ(test::PixelAt(r, x, y), 0u);
  EXPECT_EQ(test::PixelAt(r, 6, 3), recipe.pixel(6, 3));
  EXPECT_EQ(doc.documentType(), kFileBmp);
  EXPECT_TRUE(doc.isModified());
  doc.undo();
  EXPECT_EQ(test::PixelAt(doc.image().raster, 2, 3), recipe.pixel(2, 3));
}

TEST_F(EditCommandsTest, PasteFloatsThenGoesWhereTheUserClicks) {
  test::BmpRecipe recipe = NoisyRecipe(24, 40, 30);
  open(recipe);
  QImage red(5, 4, QImage::Format_RGB32);
  red.fill(qRgb(250, 10, 20));
  Clipboard().setImage(red);
  ASSERT_TRUE(doc.clipboardHasImage());
  QSignalSpy floating(&doc, &CLeafDoc::floatingImageChanged);
  ASSERT_TRUE(doc.paste());
  ASSERT_NE(doc.floatingImage(), nullptr);
  EXPECT_EQ(floating.count(), 1);
  EXPECT_FALSE(doc.isModified());  // nothing changed until it is placed

  ASSERT_TRUE(doc.insertFloatingImage(QPoint(10, 7)));
  EXPECT_EQ(doc.floatingImage(), nullptr);
  const DibRaster& r = doc.image().raster;
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 40; ++x) {
      const bool inside = x >= 10 && x < 15 && y >= 7 && y < 11;
      ASSERT_EQ(test::PixelAt(r, x, y), inside ? 0xFA0A14u : recipe.pixel(x, y)) << x << "," << y;
    }
  }
  EXPECT_EQ(doc.documentType(), kFileBmp);
  EXPECT_TRUE(doc.isModified());
  doc.undo();
  EXPECT_EQ(test::PixelAt(doc.image().raster, 10, 7), recipe.pixel(10, 7));

  // Placed near the edge: what reaches past it is cut off.
  ASSERT_TRUE(doc.paste());
  ASSERT_TRUE(doc.insertFloatingImage(QPoint(37, 28)));
  EXPECT_EQ(test::PixelAt(doc.image().raster, 39, 29), 0xFA0A14u);
  EXPECT_EQ(test::PixelAt(doc.image().raster, 36, 29), recipe.pixel(36, 29));
  EXPECT_EQ(doc.fullSize(), QSize(40, 30));
  EXPECT_TRUE(prompts.errors.isEmpty());
}

TEST_F(EditCommandsTest, PasteIntoAPageOfFewerColoursIsRefusedQuietly) {
  test::BmpRecipe bilevel = NoisyRecipe(1);
  bilevel.palette = {0xFFFFFF, 0x000000};
  open(bilevel);
  QImage colour(4, 4, QImage::Format_RGB32);
  colour.fill(qRgb(0, 0, 0));
  Clipboard().setImage(colour);
  ASSERT_TRUE(doc.paste());
  QSignalSpy status(&doc, &CLeafDoc::statusMessage);
  EXPECT_FALSE(doc.insertFloatingImage(QPoint(1, 1)));
  EXPECT_TRUE(prompts.errors.isEmpty());
  EXPECT_EQ(status.count(), 1);
  EXPECT_FALSE(doc.isModified());
  EXPECT_EQ(doc.floatingImage(), nullptr);

  // A bilevel picture goes into a colour page in its own colours, and into a
  // gray page as the nearest grays.
  QImage mono(6, 2, QImage::Format_Mono);
  mono.setColorTable({qRgb(255, 255, 255), qRgb(200, 0, 0)});
  mono.fill(1);
  Clipboard().setImage(mono);
  open(NoisyRecipe(24), "colour.bmp");
  ASSERT_TRUE(doc.paste());
  ASSERT_TRUE(doc.insertFloatingImage(QPoint(0, 0)));
  EXPECT_EQ(test::PixelAt(doc.image().raster, 5, 1), 0xC80000u);
  open(NoisyRecipe(8), "gray.bmp");
  ASSERT_TRUE(doc.paste());
  ASSERT_TRUE(doc.insertFloatingImage(QPoint(2, 3)));
  EXPECT_EQ(test::PixelAt(doc.image().raster, 7, 4), 67u);  // nearest gray of (200, 0, 0)
}

TEST_F(EditCommandsTest, PasteAsNewAsksToSaveAModifiedPageFirst) {
  open(NoisyRecipe(8));
  ASSERT_TRUE(doc.flip());
  QImage picture(12, 9, QImage::Format_RGB32);
  picture.fill(qRgb(1, 2, 3));
  Clipboard().setImage(picture);

  prompts.answers = {Answer::Cancel};
  EXPECT_FALSE(doc.pasteAsNew());
  EXPECT_EQ(prompts.questions.back(), "Save page.bmp first?");
  EXPECT_EQ(doc.title(), "page.bmp");
  EXPECT_EQ(doc.image().raster.width, 37);
  EXPECT_TRUE(doc.isModified());

  prompts.answers = {Answer::No};
  QSignalSpy contents(&doc, &CLeafDoc::contentsChanged);
  ASSERT_TRUE(doc.pasteAsNew());
  EXPECT_EQ(doc.title(), "Untitled clipboard image");
  EXPECT_EQ(doc.image().raster.width, 12);
  EXPECT_EQ(doc.image().raster.bitsPerPixel, 24);
  EXPECT_EQ(doc.documentType(), kFileBmp);
  EXPECT_TRUE(doc.path().isEmpty());
  EXPECT_TRUE(doc.isModified());
  EXPECT_EQ(contents.count(), 1);

  // With no page, Paste is Paste As New.
  doc.newDocument();
  ASSERT_TRUE(doc.paste());
  EXPECT_EQ(doc.image().raster.width, 12);
  EXPECT_EQ(doc.floatingImage(), nullptr);
}

TEST_F(EditCommandsTest, AnEmptyClipboardGetsAMessage) {
  open(NoisyRecipe(8));
  EXPECT_FALSE(doc.paste());
  ASSERT_EQ(prompts.errors.size(), 1);
  EXPECT_EQ(prompts.errors.front(), "Failed to paste the image!");
  EXPECT_EQ(prompts.errorDetails.front(), "The clipboard holds no picture.");
  EXPECT_EQ(doc.image().raster.width, 37);
}

// ----- the rest of the Image menu -----

TEST_F(EditCommandsTest, ResizeAndCropWorkOnTruePixelsAndCanBeUndone) {
  test::BmpRecipe recipe = NoisyRecipe(24, 40, 30);
  open(recipe);
  DibImage expected;
  ASSERT_TRUE(expected.Clone(doc.image()));
  ASSERT_TRUE(Resize(expected, 20, 15, kGridAverage));
  ASSERT_TRUE(doc.resize(20, 15, kGridAverage));
  EXPECT_TRUE(SamePicture(doc.image().raster, expected.raster));
  EXPECT_EQ(doc.documentType(), kFileBmp);
  doc.undo();
  EXPECT_EQ(doc.image().raster.width, 40);

  EXPECT_FALSE(doc.crop(QRect()));  // needs a selection
  ASSERT_TRUE(doc.crop(QRect(5, 6, 7, 8)));
  EXPECT_EQ(doc.fullSize(), QSize(7, 8));
  EXPECT_EQ(test::PixelAt(doc.image().raster, 0, 0), recipe.pixel(5, 6));

  prompts.errors.clear();
  EXPECT_FALSE(doc.resize(40000, 40000, kGridAverage));  // 4.8 GB
  ASSERT_EQ(prompts.errors.size(), 1);
  EXPECT_EQ(prompts.errors.front(), "Failed to resize the image!");
  EXPECT_EQ(doc.fullSize(), QSize(7, 8));
}

TEST_F(EditCommandsTest, ClearAsksToSaveAModifiedPage) {
  open(NoisyRecipe(8));
  ASSERT_TRUE(doc.negative());
  prompts.answers = {Answer::Cancel};
  doc.clear();
  EXPECT_TRUE(doc.hasImage());
  prompts.answers = {Answer::No};
  doc.clear();
  EXPECT_FALSE(doc.hasImage());
  EXPECT_FALSE(doc.hasUndo());
  EXPECT_FALSE(doc.isModified());
}

}  // namespace
}  // namespace leaf
