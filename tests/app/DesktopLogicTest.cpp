// The arithmetic and texts behind the view and the document.
#include <gtest/gtest.h>

#include "app/DisplayImage.h"
#include "app/DocumentTexts.h"
#include "app/FileDialogFilters.h"
#include "app/RecentFiles.h"
#include "app/ResizeFields.h"
#include "app/ZoomLevel.h"
#include "tests/support/Fixtures.h"

namespace leaf {
namespace {

TEST(ZoomLevelTest, BoxListsNineteenPercentagesFromTheTop) {
  const int expected[kZoomBoxEntries] = {1000, 900, 800, 700, 600, 500, 400, 300, 200, 100,
                                         50,   33,  25,  20,  17,  14,  13,  11,  10};
  for (int entry = 0; entry < kZoomBoxEntries; ++entry) {
    EXPECT_EQ(ZoomPercent(ZoomForBoxEntry(entry)), expected[entry]) << entry;
    EXPECT_EQ(BoxEntryForZoom(ZoomForBoxEntry(entry)), entry);
  }
  EXPECT_EQ(ZoomPercent(-7), 13);  // floor(12.5 + 0.5)
  EXPECT_EQ(ClampZoom(12), 9);
  EXPECT_EQ(ClampZoom(-40), -9);
}

TEST(ZoomLevelTest, ScaledLengthsAreWholePixels) {
  EXPECT_EQ(ScaledLength(2550, -4), 510);
  EXPECT_EQ(ScaledLength(3300, -4), 660);
  EXPECT_EQ(ScaledLength(3300, -2), 1100);
  EXPECT_EQ(ScaledLength(100, 2), 300);
  EXPECT_EQ(ScaledLength(7, 0), 7);
}

TEST(ZoomLevelTest, FitRules) {
  struct Case {
    int w, h, availableW, availableH, imageFit, zoom;
  } cases[] = {
      {2550, 3300, 1000, 700, 2, -4},  // r = max(2, 4)
      {2550, 3300, 1000, 700, 0, -2},  // width only
      {2550, 3300, 1000, 700, 1, -4},  // height only
      {2550, 3300, 1000, 700, 3, 0},   // no fitting
      {900, 600, 1000, 700, 2, 0},     // fits at 1:1
      {1000, 700, 1000, 700, 2, -1},   // exactly the area: r = 1
      {60000, 60000, 1000, 700, 2, -9},
      {2550, 3300, 0, 0, 2, -9},  // a window with no room does not divide by zero
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FitZoom(c.w, c.h, c.availableW, c.availableH, c.imageFit), c.zoom)
        << c.w << "x" << c.h << " fit " << c.imageFit;
  }
}

TEST(ZoomLevelTest, ScrollKeepsTheTopLeftPoint) {
  EXPECT_EQ(ScrollAfterZoom(100, 0, 1), 200);
  EXPECT_EQ(ScrollAfterZoom(200, 1, 0), 100);
  EXPECT_EQ(ScrollAfterZoom(300, -2, -1), 450);  // 1/3 -> 1/2
  EXPECT_EQ(ScrollAfterZoom(450, -1, -2), 300);
  EXPECT_EQ(ScrollAfterZoom(90, -1, 1), 360);
}

TEST(ZoomLevelTest, NonSquarePixelsStretchTheLowerResolution) {
  const AspectFactors fax = AspectFactorsFor(204, 98);
  EXPECT_DOUBLE_EQ(fax.x, 1.0);
  EXPECT_NEAR(fax.y, 2.08, 0.01);
  const AspectFactors tall = AspectFactorsFor(100, 200);
  EXPECT_DOUBLE_EQ(tall.x, 2.0);
  EXPECT_DOUBLE_EQ(tall.y, 1.0);
  for (const auto& [x, y] : {std::pair{0, 300}, {300, 0}, {300, 300}, {-1, 5}}) {
    const AspectFactors plain = AspectFactorsFor(x, y);
    EXPECT_DOUBLE_EQ(plain.x, 1.0);
    EXPECT_DOUBLE_EQ(plain.y, 1.0);
  }
  // A page rendered at its zoom already is drawn at 1:1 (times the aspect).
  const DrawScale rendered = DrawScaleFor(-3, true, fax);
  EXPECT_DOUBLE_EQ(rendered.x, 1.0);
  const DrawScale scaled = DrawScaleFor(-3, false, {});
  EXPECT_DOUBLE_EQ(scaled.x, 0.25);
  EXPECT_DOUBLE_EQ(DrawScaleFor(2, true, {}).y, 3.0);
}

TEST(DocumentTextsTest, InfoPanes) {
  DibRaster raster;
  EXPECT_EQ(SizePaneText(raster), " WxHxBits");
  raster.fullWidth = 2550;
  raster.fullHeight = 3300;
  raster.sourceBitsPerPixel = 8;
  raster.grayFlag = 1;
  EXPECT_EQ(SizePaneText(raster), "2550x3300x8g");
  EXPECT_EQ(DpiPaneText(300, 300), "300 DPI");
  EXPECT_EQ(DpiPaneText(0, 0), "? DPI");
  EXPECT_EQ(DpiPaneText(204, 98), "204,98 DPI");
  EXPECT_EQ(DpiPaneText(0, 98), "?,98 DPI");
  EXPECT_EQ(DpiPaneText(204, 0), "204,? DPI");
}

TEST(DocumentTextsTest, Titles) {
  EXPECT_EQ(OpenedTitle("/scans/scan.tif", 0, 1), "scan.tif");
  EXPECT_EQ(OpenedTitle("/scans/scan.tif", 0, 3), "scan.tif (page 1 of 3)");
  EXPECT_EQ(OpenedTitle("scan.tif", 2, 3), "scan.tif (page 3 of 3)");
  EXPECT_EQ(SavedTitle("scan.tif", "/out/page.djvu"), "scan.tif (last saved as page.djvu)");
  EXPECT_EQ(SaveFirstQuestion("scan.tif"), "Save scan.tif first?");
}

TEST(DocumentTextsTest, ResolutionQuestionByDpiAndUpsampling) {
  struct Case {
    int x, y, upsample;
    const char* contains;  // nullptr: no question
  } cases[] = {
      {300, 300, 0, nullptr},
      {300, 300, 1, "scanned at high resolution"},
      {150, 300, 0, nullptr},  // the larger value counts: 300
      {100, 100, 1, nullptr},
      {100, 100, 0, nullptr},  // 0 chooses the enlargement from the resolution
      {72, 72, 0, nullptr},
      {100, 100, 3, "scanned at medium resolution"},
      {99, 99, 2, nullptr},
      {99, 99, 3, nullptr},
      {99, 99, 1, "low or very low resolution"},
      {0, 0, 3, "optimized for very low resolutions"},
      {0, 0, 0, "optimized for high resolutions"},
      {-1, -1, 1, "unknown resolution"},
  };
  for (const Case& c : cases) {
    const std::string question = ResolutionQuestion(c.x, c.y, c.upsample);
    if (!c.contains) {
      EXPECT_EQ(question, "") << c.x << "," << c.y << " upsample " << c.upsample;
    } else {
      EXPECT_NE(question.find(c.contains), std::string::npos) << question;
      EXPECT_NE(question.find("Do you want to review the settings before saving?"),
                std::string::npos);
    }
  }
}

TEST(FileDialogFiltersTest, OpenRows) {
  const auto& rows = OpenFilters();
  ASSERT_EQ(rows.size(), 8u);
  EXPECT_EQ(rows.back().text, "All supported image files");
  EXPECT_EQ(rows.back().patterns.size(), 13u);
  EXPECT_EQ(OpenFilterRowForSetting(7), 7);  // the stored default
  EXPECT_EQ(OpenFilterRowForSetting(100), 7);
  EXPECT_EQ(OpenFilterRowForSetting(kFileJpeg), 3);
  EXPECT_EQ(OpenFilterRowForSetting(kFilePnm), 5);
  EXPECT_EQ(OpenFilterRowForSetting(kFilePng), 6);
  EXPECT_EQ(OpenTypeSettingForRow(7), 100);
  EXPECT_EQ(RequestedTypeForRow(7), 0);
  EXPECT_EQ(RequestedTypeForRow(4), kFileTiff);
  EXPECT_EQ(QtFilterText(rows[0]), "DjVu file (*.djvu *.djv)");
}

TEST(FileDialogFiltersTest, SaveRowsExtensionsAndNames) {
  EXPECT_EQ(SaveTypeForRow(3), kFileJpeg);
  EXPECT_EQ(SaveTypeForRow(4), kFilePnm);
  EXPECT_EQ(SaveFilterRowForType(kFilePnm), 4);
  EXPECT_EQ(SaveTypeForRow(5), kFilePng);
  EXPECT_EQ(SaveExtension(kFilePng, 1, false), ".png");
  EXPECT_EQ(SaveExtension(kFilePnm, 1, false), ".pbm");
  EXPECT_EQ(SaveExtension(kFilePnm, 8, true), ".pgm");
  EXPECT_EQ(SaveExtension(kFilePnm, 8, false), ".ppm");
  EXPECT_EQ(SaveExtension(kFileJpeg, 24, false), ".jpg");
  EXPECT_EQ(SaveExtension(42, 24, false), "");
  EXPECT_EQ(NameForSaveType("/d/page.txt", kFileDjvu, ".djvu"), "/d/page.txt.djvu");
  EXPECT_EQ(NameForSaveType("/d/page.DJV", kFileDjvu, ".djvu"), "/d/page.DJV");
  EXPECT_EQ(NameForSaveType("/d/page", kFileBmp, ".bmp"), "/d/page.bmp");
  EXPECT_EQ(ReplaceExtension("scan.tif", ".djvu"), "scan.djvu");
  EXPECT_EQ(ReplaceExtension("/a.b/scan", ".djvu"), "/a.b/scan.djvu");
}

TEST(RecentFilesTest, MostRecentFirstEachOnceAtMostFive) {
  std::vector<std::string> list;
  for (const char* path : {"a", "b", "c", "d", "e", "f"}) AddRecentFile(list, path);
  EXPECT_EQ(list, (std::vector<std::string>{"f", "e", "d", "c", "b"}));
  AddRecentFile(list, "c");
  EXPECT_EQ(list, (std::vector<std::string>{"c", "f", "e", "d", "b"}));
  RemoveRecentFile(list, "e");
  EXPECT_EQ(list.size(), 4u);
  AddRecentFile(list, "");
  EXPECT_EQ(list.size(), 4u);
}

TEST(DisplayImageTest, WrapsTheRasterAndMapsStoredRows) {
  DibImage image;
  test::BmpRecipe recipe;
  recipe.width = 5;
  recipe.height = 4;  // bottom-up
  test::MakeImage(image, recipe);
  const DisplayImage display = DisplayImageFor(image.raster);
  ASSERT_FALSE(display.image.isNull());
  EXPECT_TRUE(display.bottomUp);
  EXPECT_EQ(display.image.format(), QImage::Format_Indexed8);
  EXPECT_EQ(display.image.colorCount(), 256);
  // Picture row 0 is stored last.
  EXPECT_EQ(display.image.constBits(), image.raster.pixels());
  EXPECT_EQ(StoredRect(display, QRect(0, 0, 5, 1)), QRect(0, 3, 5, 1));
}

TEST(DisplayImageTest, ReducedPictureAveragesBlocks) {
  struct Case {
    int bits;
    std::function<uint32_t(int, int)> pixel;
    int expectedTopLeft;  // gray value or red channel of the reduced (0,0)
  } cases[] = {
      // 1-bit: a checkerboard averages to mid gray (palette 0 black, 1 white).
      {1, [](int x, int y) { return uint32_t((x + y) % 2); }, 127},
      {8, [](int x, int y) { return uint32_t(x == 0 && y == 0 ? 200 : 0); }, 50},
      {24, [](int, int y) { return uint32_t(y == 0 ? 0xFF0000 : 0x000000); }, 127},
  };
  for (const Case& c : cases) {
    DibImage image;
    test::BmpRecipe recipe;
    recipe.width = 4;
    recipe.height = 4;
    recipe.bits = c.bits;
    recipe.pixel = c.pixel;
    test::MakeImage(image, recipe);
    const QImage reduced = ReducedPicture(image.raster, 2);
    ASSERT_EQ(reduced.size(), QSize(2, 2)) << c.bits;
    EXPECT_EQ(qRed(reduced.pixel(0, 0)), c.expectedTopLeft) << c.bits;
  }
  DibImage tiny;
  test::BmpRecipe recipe;
  recipe.width = 1;
  recipe.height = 1;
  test::MakeImage(tiny, recipe);
  EXPECT_TRUE(ReducedPicture(tiny.raster, 2).isNull());
}

TEST(ResizeFieldsTest, TypedValuesKeepTheOtherFieldsInStep) {
  struct Case {
    const char* typed;
    void (ResizeFields::*rule)(int);
    int value;
    bool keepAspect;
    int width, height, widthPercent, heightPercent;
  } cases[] = {
      // 201 x 101: half width gives 101 x 51, half height 101 x 50 (truncated).
      {"width %", &ResizeFields::typeWidthPercent, 50, true, 101, 51, 50, 50},
      {"height %", &ResizeFields::typeHeightPercent, 50, true, 101, 50, 50, 50},
      {"width", &ResizeFields::typeWidth, 100, true, 100, 50, 50, 50},
      {"height", &ResizeFields::typeHeight, 202, true, 402, 202, 200, 200},
      {"width alone", &ResizeFields::typeWidth, 300, false, 300, 101, 149, 100},
      {"height % alone", &ResizeFields::typeHeightPercent, 33, false, 201, 33, 100, 33},
      {"zero changes nothing", &ResizeFields::typeWidth, 0, true, 201, 101, 100, 100},
      {"at most 32767", &ResizeFields::typeWidthPercent, 100000, true, 32767, 32767, 100000,
       100000},
  };
  for (const Case& c : cases) {
    ResizeFields fields(201, 101);
    fields.keepAspect = c.keepAspect;
    (fields.*c.rule)(c.value);
    EXPECT_EQ(fields.width, c.width) << c.typed;
    EXPECT_EQ(fields.height, c.height) << c.typed;
    EXPECT_EQ(fields.widthPercent, c.widthPercent) << c.typed;
    EXPECT_EQ(fields.heightPercent, c.heightPercent) << c.typed;
  }
}

}  // namespace
}  // namespace leaf
