#include <gtest/gtest.h>

#include "formats/Jpeg.h"
#include "image/BitmapInfoHeader.h"
#include "image/Messages.h"
#include "tests/support/Fixtures.h"
#include "tests/support/JpegFixtures.h"
#include "tests/support/TempDir.h"

namespace leaf {
namespace {

using test::JpegRecipe;
using test::PaletteColor;
using test::PixelAt;

bool Near(uint32_t a, uint32_t b, int tolerance = 6) { return test::NearColor(a, b, tolerance); }

// Red above, blue below: tells the top of the picture and the channel order.
JpegRecipe RedOverBlue() {
  JpegRecipe recipe;
  recipe.sample = [](int, int y, int c) -> uint8_t {
    const bool top = y < 8;
    return c == 0 ? (top ? 255 : 0) : c == 2 ? (top ? 0 : 255) : 0;
  };
  return recipe;
}

class JpegReadTest : public ::testing::Test {
 protected:
  bool Read(const JpegRecipe& recipe, int displayDepth = 24) {
    test::MakeJpegFile(path_, recipe);
    return ReadJpeg(image_, path_, displayDepth, kJpegDctAccurate);
  }

  test::TempDir dir_;
  std::string path_ = dir_.file("in.jpg");
  DibImage image_;
};

TEST_F(JpegReadTest, ColourFilesGiveBgrRowsOrAPaletteForShallowDisplays) {
  ASSERT_TRUE(Read(RedOverBlue())) << LastMessage();
  const DibRaster& r = image_.raster;
  EXPECT_EQ(r.bitsPerPixel, 24);
  EXPECT_EQ(r.sourceBitsPerPixel, 24);
  EXPECT_EQ(r.photometric, kPhotometricRgb);
  EXPECT_EQ(r.rowOrder, kRowOrderBottomUp);
  EXPECT_EQ(r.paletteSize, 0u);
  EXPECT_TRUE(Near(PixelAt(r, 3, 0), 0xFF0000)) << std::hex << PixelAt(r, 3, 0);
  EXPECT_TRUE(Near(PixelAt(r, 3, 15), 0x0000FF)) << std::hex << PixelAt(r, 3, 15);

  ASSERT_TRUE(ReadJpeg(image_, path_, 16, kJpegDctFast)) << LastMessage();
  EXPECT_EQ(r.bitsPerPixel, 8);
  EXPECT_EQ(r.sourceBitsPerPixel, 24);
  EXPECT_EQ(r.photometric, kPhotometricPalette);
  EXPECT_EQ(r.paletteSize, 1024u);
  EXPECT_EQ(r.grayFlag, 0);
  EXPECT_TRUE(Near(PaletteColor(r, PixelAt(r, 3, 0)), 0xFF0000, 12));
  EXPECT_TRUE(Near(PaletteColor(r, PixelAt(r, 3, 15)), 0x0000FF, 12));
}

TEST_F(JpegReadTest, GrayFilesGiveAnAscendingRamp) {
  JpegRecipe recipe;
  recipe.input = JCS_GRAYSCALE;
  recipe.sample = [](int x, int, int) { return static_cast<uint8_t>(x < 8 ? 40 : 220); };
  for (int depth : {24, 8}) {
    ASSERT_TRUE(Read(recipe, depth)) << LastMessage();
    const DibRaster& r = image_.raster;
    EXPECT_EQ(r.bitsPerPixel, 8);
    EXPECT_EQ(r.sourceBitsPerPixel, 8);
    EXPECT_EQ(r.grayFlag, 1) << depth;
    EXPECT_EQ(r.photometric, kPhotometricMinIsBlack);
    EXPECT_NEAR(static_cast<int>(PixelAt(r, 2, 2)), 40, 3);
    EXPECT_NEAR(static_cast<int>(PixelAt(r, 13, 2)), 220, 3);
  }
}

TEST_F(JpegReadTest, DensityBecomesDotsPerInch) {
  struct Case {
    int unit, density, dpi, pixelsPerMetre;
  } cases[] = {{1, 300, 300, 11811}, {2, 118, 300, 11800}, {0, 300, 0, 0}, {1, 1, 0, 39}};
  for (const Case& c : cases) {
    JpegRecipe recipe;
    recipe.densityUnit = c.unit;
    recipe.xDensity = c.density;
    recipe.yDensity = c.density;
    ASSERT_TRUE(Read(recipe)) << LastMessage();
    EXPECT_EQ(image_.raster.xResolution, c.dpi) << c.unit << " " << c.density;
    EXPECT_EQ(image_.raster.yResolution, c.dpi);
    EXPECT_EQ(image_.raster.resolutionUnit, kResolutionUnitInch);
    EXPECT_EQ(BitmapInfoHeader::Read(image_.raster.header()).xPelsPerMeter, c.pixelsPerMetre);
  }
}

TEST_F(JpegReadTest, CmykAndYcckFilesBecomeColour) {
  // Left half pure cyan ink, right half pure black ink.
  auto inks = [](bool inverted) {
    return [inverted](int x, int, int c) -> uint8_t {
      const uint8_t ink = (x < 8 ? c == 0 : c == 3) ? 255 : 0;
      return inverted ? static_cast<uint8_t>(255 - ink) : ink;
    };
  };
  for (J_COLOR_SPACE space : {JCS_CMYK, JCS_YCCK}) {
    for (bool adobe : {false, true}) {
      if (space == JCS_YCCK && !adobe) continue;  // YCCK is told only by Adobe's marker
      JpegRecipe recipe;
      recipe.input = JCS_CMYK;
      recipe.file = space;
      recipe.adobeMarker = adobe;
      recipe.sample = inks(adobe);
      ASSERT_TRUE(Read(recipe)) << LastMessage();
      const DibRaster& r = image_.raster;
      EXPECT_EQ(r.bitsPerPixel, 24);
      EXPECT_EQ(r.sourceBitsPerPixel, 32);
      EXPECT_EQ(r.photometric, kPhotometricRgb);
      EXPECT_EQ(r.pixelSize, r.rowStride * 16);
      EXPECT_TRUE(Near(PixelAt(r, 2, 5), 0x00FFFF))
          << space << adobe << std::hex << PixelAt(r, 2, 5);
      EXPECT_TRUE(Near(PixelAt(r, 13, 5), 0x000000)) << space << adobe;
      // A display of few colours still gets colour: the quantizer takes no inks.
      ASSERT_TRUE(ReadJpeg(image_, path_, 8, kJpegDctAccurate)) << LastMessage();
      EXPECT_EQ(r.bitsPerPixel, 24);
    }
  }
}

TEST_F(JpegReadTest, ShortFilesReadWithAWarningAndDamagedOnesFailEmpty) {
  test::MakeJpegFile(path_, RedOverBlue());
  std::vector<uint8_t> bytes = test::ReadBytes(path_);
  const std::vector<uint8_t> whole = bytes;
  bytes.resize(bytes.size() - 40);
  test::WriteBytes(path_, bytes);
  std::string warning;
  image_.SetWarningCallback([&](const char* text) { warning = text; });
  ASSERT_TRUE(ReadJpeg(image_, path_, 24, kJpegDctAccurate));
  EXPECT_NE(warning.find("The JPEG data ends at row "), std::string::npos) << warning;

  // A damaged header: the start-of-frame marker is made unknown.
  bytes = whole;
  for (size_t i = 0; i + 1 < bytes.size(); ++i) {
    if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0) {
      bytes[i + 1] = 0xC3;  // lossless, which libjpeg does not decode
      break;
    }
  }
  test::WriteBytes(path_, bytes);
  EXPECT_FALSE(ReadJpeg(image_, path_, 24, kJpegDctAccurate));
  EXPECT_STREQ(LastMessage(), "Unsupported JPEG process: SOF type 0xc3.");
  EXPECT_TRUE(image_.raster.empty());

  test::WriteText(path_, "not a JPEG file at all");
  EXPECT_FALSE(ReadJpeg(image_, path_, 24, kJpegDctAccurate));
  EXPECT_STREQ(LastMessage(), "Not a JPEG file: starts with 0x6e 0x6f.");

  EXPECT_FALSE(ReadJpeg(image_, dir_.file("missing.jpg"), 24, kJpegDctAccurate));
  EXPECT_EQ(std::string(LastMessage()),
            "Cannot open " + dir_.file("missing.jpg") + ": No such file or directory.");
}

TEST_F(JpegReadTest, FilesWithEndlessScansAreRefused) {
  JpegRecipe recipe;
  recipe.input = JCS_GRAYSCALE;
  recipe.width = recipe.height = 8;
  recipe.scans = test::ManyScanScript();
  ASSERT_GT(recipe.scans.size(), 500u);
  EXPECT_FALSE(Read(recipe));
  EXPECT_STREQ(LastMessage(), "The JPEG file has more than 500 scans.");
  EXPECT_TRUE(image_.raster.empty());

  recipe.scans.resize(1 + 9 * 10);  // a progressive file of 91 scans still reads
  for (int k = 11; k < 64; ++k) recipe.scans.push_back({1, {0}, k, k, 0, 0});
  EXPECT_TRUE(Read(recipe)) << LastMessage();
}

}  // namespace
}  // namespace leaf
