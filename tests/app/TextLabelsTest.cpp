// Text labels in the desktop program: the label drawn with Qt's fonts, the
// Add Text and Text position details dialogs, and the Add Text command.
#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSpinBox>

#include "DesktopFixtures.h"
#include "FakePrompts.h"
#include "app/CAddTextDlg.h"
#include "app/CLeafDoc.h"
#include "app/CTextPositionDlg.h"
#include "app/ConversionParameters.h"
#include "app/LabelRaster.h"
#include "app/TextLabelDrawing.h"
#include "image/Messages.h"

namespace leaf {
namespace {

TextSettings Look(const std::string& content) {
  TextSettings text;
  text.content = content;
  text.fontSize = -20;
  text.foregroundColor = 0x0000FF;  // red
  text.backgroundColor = 0xFFFFFF;
  return text;
}

// The columns of a label's rows that hold text, per row band.
int FirstInkColumn(const DibRaster& r, int top, int bottom) {
  for (int x = 0; x < r.width; ++x) {
    for (int y = top; y < bottom; ++y) {
      if (test::PixelAt(r, x, y) == 1) return x;
    }
  }
  return -1;
}

TEST(TextLabelDrawingTest, DrawsTheTextInItsFontColoursAndAlignment) {
  DibImage label;
  std::string font;
  ASSERT_TRUE(MakeTextLabel(Look("Wide first line\nshort"), "", label, &font));
  const DibRaster& r = label.raster;
  EXPECT_FALSE(font.empty());
  EXPECT_EQ(r.bitsPerPixel, 1);
  EXPECT_GT(r.width, 100);
  EXPECT_GE(r.height, 40);  // two lines of 20-pixel letters
  EXPECT_EQ(test::PaletteColor(r, 0), 0xFFFFFFu);
  EXPECT_EQ(test::PaletteColor(r, 1), 0xFF0000u);
  const int half = r.height / 2;
  EXPECT_LE(FirstInkColumn(r, half, r.height), 3);  // left aligned: both lines start at the left

  TextSettings centred = Look("Wide first line\nshort");
  centred.align = 1;
  DibImage middle;
  ASSERT_TRUE(MakeTextLabel(centred, "", middle));
  EXPECT_EQ(middle.raster.width, r.width);
  EXPECT_GT(FirstInkColumn(middle.raster, half, r.height), r.width / 5);

  TextSettings turned = Look("Turned");
  turned.orientation = kLabelBottomToTop;
  DibImage up, along;
  ASSERT_TRUE(MakeTextLabel(turned, "", up));
  ASSERT_TRUE(MakeTextLabel(Look("Turned"), "", along));
  EXPECT_EQ(up.raster.width, along.raster.height);
  EXPECT_EQ(up.raster.height, along.raster.width);
}

TEST(TextLabelDrawingTest, PlaceholdersBoldAndTransparency) {
  TextSettings text = Look("$filename");
  DibImage withName, bare;
  ASSERT_TRUE(MakeTextLabel(text, "scan0042.tif", withName));
  text.content = "scan0042.tif";
  ASSERT_TRUE(MakeTextLabel(text, "", bare));
  EXPECT_EQ(withName.raster.width, bare.raster.width);
  text.fontWeight = 700;
  text.transparentBackground = 1;
  DibImage bold;
  ASSERT_TRUE(MakeTextLabel(text, "", bold));
  EXPECT_GE(bold.raster.width, bare.raster.width);
  EXPECT_EQ(bold.raster.transparentFlag, 1);
  EXPECT_EQ(bold.raster.transparentColor, 0xFFFFFFu);
}

TEST(TextLabelDrawingTest, EmptyOrHugeLabelsAndFontHeights) {
  DibImage label;
  EXPECT_FALSE(MakeTextLabel(Look(" \n"), "", label));
  EXPECT_STREQ(LastMessage(), "The text label has no text.");
  TextSettings huge = Look(std::string(3000, 'W'));
  huge.fontSize = -4000;
  EXPECT_FALSE(MakeTextLabel(huge, "", label));
  EXPECT_TRUE(std::string(LastMessage()).starts_with("The text label would be too large"))
      << LastMessage();

  TextSettings text;
  text.fontSize = -16;
  EXPECT_EQ(LabelFont(text).pixelSize(), 16);  // the letters' height
  text.fontSize = 30;
  EXPECT_LT(LabelFont(text).pixelSize(), 30);  // the line's height: less for the letters
  text.fontSize = 0;
  EXPECT_GT(LabelFont(text).pixelSize(), 0);
}

// ----- the dialogs -----

// The batch and sweeper "Add text" switches stamp the settings' label on
// every page they convert, with the file's name filled in.
TEST(TextLabelDrawingTest, BatchAndSweeperStampTheSettingsLabelWhenAsked) {
  AppSettings settings;
  settings.lcSaveType = kFileBmp;
  settings.sweepSaveType = kFileBmp;
  settings.text = Look("$filename");
  settings.text.position = kTextPositionBelow;
  EXPECT_FALSE(BatchConversionSettings(settings).prepare);
  EXPECT_FALSE(SweepConversionSettings(settings).prepare);
  settings.run.batchAddText = 1;
  settings.run.sweepAddText = 1;
  for (const ConversionSettings& conversion :
       {BatchConversionSettings(settings), SweepConversionSettings(settings)}) {
    ASSERT_TRUE(conversion.prepare);
    test::BmpRecipe recipe;
    recipe.width = 200;
    recipe.height = 100;
    recipe.bits = 24;
    DibImage page;
    test::MakeImage(page, recipe);
    ASSERT_TRUE(conversion.prepare(page, "/scans/page-7.tif")) << LastMessage();
    EXPECT_EQ(page.raster.width, 200);
    EXPECT_GT(page.raster.height, 110);  // the label below the page
  }
}

TEST(AddTextDialogTest, FontBoxDescribesTheFont) {
  TextSettings text;
  text.fontName = "Arial";
  text.fontSize = -16;
  EXPECT_EQ(CAddTextDlg::describeFont(text, 96),
            "Name: Arial\nSize: 12\nStyle: Regular\nUnderline: No\nStrikeout: No");
  text.fontWeight = 700;
  text.fontItalic = 1;
  text.fontUnderline = 1;
  EXPECT_EQ(CAddTextDlg::describeFont(text, 96),
            "Name: Arial\nSize: 12\nStyle: Bold Italic\nUnderline: Yes\nStrikeout: No");
  text.fontSize = 0;
  EXPECT_TRUE(CAddTextDlg::describeFont(text, 96).contains("Size: N/A"));
}

TEST(AddTextDialogTest, PositionsColoursAndThePositionDetails) {
  // An 8-bit gray page: the colours become its nearest grays.
  DibImage page;
  test::BmpRecipe recipe;
  recipe.palette = test::GrayPalette(8);
  test::MakeImage(page, recipe);
  TextSettings start = Look("old");
  CAddTextDlg dialog(start, false, &page.raster);
  dialog.setTextColor(QColor(255, 0, 0));
  EXPECT_EQ(dialog.settings().foregroundColor, 0x555555);  // gray 85
  dialog.choosePosition(kTextPositionLeft);
  EXPECT_EQ(dialog.settings().orientation, kLabelBottomToTop);
  dialog.choosePosition(kTextPositionRight);
  EXPECT_EQ(dialog.settings().orientation, kLabelTopToBottom);
  QFont font(QStringLiteral("DejaVu Serif"));
  font.setPixelSize(22);
  font.setBold(true);
  dialog.setChosenFont(font);
  EXPECT_EQ(dialog.settings().fontSize, -22);
  EXPECT_EQ(dialog.settings().fontWeight, 700);
  EXPECT_TRUE(dialog.fontBox()->text().startsWith("Name: DejaVu Serif"));

  // Inside, from Text Settings: the position details are asked first, and
  // their Cancel keeps the dialog open.
  dialog.choosePosition(kTextPositionInside);
  dialog.textBox()->setPlainText(QStringLiteral("$filename\n$date"));
  int asked = 0;
  dialog.setPositionStep([&](TextSettings& text) {
    ++asked;
    if (asked == 1) return false;
    text.insideAnchor = 9;
    text.paddingX = 12;
    return true;
  });
  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(dialog.settings().insideAnchor, 9);
  EXPECT_EQ(dialog.settings().paddingX, 12);
  EXPECT_EQ(dialog.settings().content, "$filename\n$date");

  // From Add Text an inside label is placed by hand: nothing is asked.
  CAddTextDlg placing(dialog.settings(), true, nullptr);
  placing.setPositionStep([](TextSettings&) -> bool {
    ADD_FAILURE();
    return false;
  });
  placing.accept();
  EXPECT_EQ(placing.result(), QDialog::Accepted);
}

TEST(TextPositionDialogTest, AnchorsEnableThePaddingsTheyUse) {
  CTextPositionDlg dialog(1, 10, 5);
  struct Case {
    int anchor;
    bool horizontal, vertical;
  } cases[] = {{1, true, true},  {2, false, true},  {3, true, true},
               {4, true, false}, {5, false, false}, {6, true, false},
               {7, true, true},  {8, false, true},  {9, true, true}};
  for (const Case& c : cases) {
    dialog.chooseAnchor(c.anchor);
    EXPECT_EQ(dialog.anchor(), c.anchor);
    EXPECT_EQ(dialog.horizontalBox()->isEnabled(), c.horizontal) << c.anchor;
    EXPECT_EQ(dialog.verticalBox()->isEnabled(), c.vertical) << c.anchor;
  }
  EXPECT_EQ(dialog.paddingX(), 10);
  EXPECT_EQ(dialog.paddingY(), 5);
  EXPECT_EQ(dialog.horizontalBox()->maximum(), 32767);
}

// ----- the Add Text command -----

class AddTextTest : public ::testing::Test {
 protected:
  AddTextTest() : settings(AppSettings::Defaults(dir.path())), doc(settings, prompts) {}

  void openWhitePage() {
    test::BmpRecipe recipe;
    recipe.width = 200;
    recipe.height = 100;
    recipe.bits = 24;
    recipe.pixel = [](int, int) { return 0xFFFFFFu; };
    ASSERT_TRUE(doc.openDocument(
        QString::fromStdString(test::WriteBmpPage(dir, "page.bmp", recipe)), FitArea{800, 600, 3}));
  }

  test::TempDir dir;
  AppSettings settings;
  test::FakePrompts prompts;
  CLeafDoc doc;
};

TEST_F(AddTextTest, ALabelBelowGrowsThePageAndCanBeUndone) {
  openWhitePage();
  TextSettings text = Look("Below");
  text.position = kTextPositionBelow;
  ASSERT_TRUE(doc.addText(text));
  const DibRaster& r = doc.image().raster;
  EXPECT_EQ(r.width, 200);
  EXPECT_GT(r.height, 115);
  bool red = false;
  for (int x = 0; x < 200 && !red; ++x) {
    for (int y = 100; y < r.height && !red; ++y) red = test::PixelAt(r, x, y) == 0xFF0000u;
  }
  EXPECT_TRUE(red);
  EXPECT_EQ(doc.documentType(), kFileBmp);
  EXPECT_TRUE(doc.isModified());
  doc.undo();
  EXPECT_EQ(doc.image().raster.height, 100);
}

TEST_F(AddTextTest, AnInsideLabelIsPlacedWithTheMouse) {
  openWhitePage();
  TextSettings text = Look("In");
  text.position = kTextPositionInside;
  text.transparentBackground = 1;
  ASSERT_TRUE(doc.addText(text));
  ASSERT_NE(doc.floatingImage(), nullptr);
  EXPECT_FALSE(doc.isModified());
  ASSERT_TRUE(doc.insertFloatingImage(QPoint(50, 40)));
  const DibRaster& r = doc.image().raster;
  int inkLeft = 1000;
  for (int y = 0; y < 100; ++y) {
    for (int x = 0; x < 200; ++x) {
      if (test::PixelAt(r, x, y) == 0xFF0000u) inkLeft = std::min(inkLeft, x);
      if (x < 50 || y < 40) {
        ASSERT_EQ(test::PixelAt(r, x, y), 0xFFFFFFu) << x << "," << y;
      }
    }
  }
  EXPECT_LT(inkLeft, 60);
  EXPECT_TRUE(prompts.errors.isEmpty());
}

TEST_F(AddTextTest, FailuresSayWhichStepFailed) {
  openWhitePage();
  EXPECT_FALSE(doc.addText(Look("")));
  ASSERT_EQ(prompts.errors.size(), 1);
  EXPECT_EQ(prompts.errors.back(), "Failed to create the text label!");
  TextSettings wide = Look("far wider than the page is");
  wide.fontSize = -60;
  wide.position = kTextPositionAbove;
  EXPECT_FALSE(doc.addText(wide));
  ASSERT_EQ(prompts.errors.size(), 2);
  EXPECT_EQ(prompts.errors.back(), "Failed to insert the text label!");
  EXPECT_EQ(prompts.errorDetails.back(), "Inserted image out of bounds in the original.");
  EXPECT_EQ(doc.image().raster.height, 100);
  EXPECT_FALSE(doc.isModified());
}

}  // namespace
}  // namespace leaf
