#include <gtest/gtest.h>

#include <filesystem>

#include "formats/Jpeg.h"
#include "formats/JpegComment.h"
#include "image/BitmapInfoHeader.h"
#include "image/Messages.h"
#include "tests/support/Fixtures.h"
#include "tests/support/TempDir.h"

namespace leaf {
namespace {

using test::BmpRecipe;
using test::PixelAt;

bool Near(uint32_t a, uint32_t b, int tolerance = 8) { return test::NearColor(a, b, tolerance); }

// The gray or colour the reader sees at (x, y), as 0xRRGGBB.
uint32_t ShownColor(const DibRaster& r, int x, int y) {
  const uint32_t v = PixelAt(r, x, y);
  return r.bitsPerPixel == 24 ? v : test::PaletteColor(r, static_cast<int>(v));
}

class JpegWriteTest : public ::testing::Test {
 protected:
  bool Write(const JpegWriteOptions& options = {}) { return WriteJpeg(image_, path_, options); }
  DibImage& ReadBack() {
    EXPECT_TRUE(ReadJpeg(back_, path_, 24, kJpegDctAccurate)) << LastMessage();
    return back_;
  }
  std::vector<uint8_t> Bytes() { return test::ReadBytes(path_); }

  test::TempDir dir_;
  std::string path_ = dir_.file("out.jpg");
  DibImage image_, back_;
};

// Red above, blue below, in the depth and palette given.
BmpRecipe RedOverBlue(int bits) {
  BmpRecipe recipe;
  recipe.width = 16;
  recipe.height = 16;
  recipe.bits = bits;
  if (bits == 24) {
    recipe.pixel = [](int, int y) { return y < 8 ? 0xFF0000u : 0x0000FFu; };
  } else {
    recipe.palette = {0x0000FF, 0xFF0000};
    recipe.pixel = [](int, int y) { return y < 8 ? 1u : 0u; };
  }
  return recipe;
}

TEST_F(JpegWriteTest, ColourAndPaletteRastersWriteColourTopFirst) {
  for (int bits : {24, 8, 4}) {
    test::MakeImage(image_, RedOverBlue(bits));
    ASSERT_TRUE(Write()) << LastMessage();
    const DibRaster& r = ReadBack().raster;
    EXPECT_EQ(r.bitsPerPixel, 24) << bits;
    EXPECT_TRUE(Near(PixelAt(r, 4, 1), 0xFF0000)) << bits << std::hex << " " << PixelAt(r, 4, 1);
    EXPECT_TRUE(Near(PixelAt(r, 4, 14), 0x0000FF)) << bits;
  }
  // A top-down raster is written the right way up and left bottom-up.
  BmpRecipe topDown = RedOverBlue(24);
  topDown.height = -16;
  test::MakeImage(image_, topDown);
  ASSERT_TRUE(Write()) << LastMessage();
  EXPECT_EQ(image_.raster.rowOrder, kRowOrderBottomUp);
  EXPECT_GT(BitmapInfoHeader::Read(image_.raster.header()).height, 0);
  EXPECT_TRUE(Near(PixelAt(ReadBack().raster, 4, 1), 0xFF0000));
}

TEST_F(JpegWriteTest, BilevelAndGrayRastersWriteGrayInTheirOwnSense) {
  // 1 bit: black and white come from the palette, whichever index is which.
  for (bool zeroIsWhite : {true, false}) {
    BmpRecipe recipe;
    recipe.width = recipe.height = 16;
    recipe.bits = 1;
    recipe.palette =
        zeroIsWhite ? std::vector<uint32_t>{0xFFFFFF, 0} : std::vector<uint32_t>{0, 0xFFFFFF};
    const uint32_t black = zeroIsWhite ? 1 : 0;
    recipe.pixel = [black](int x, int) { return x < 8 ? black : 1 - black; };
    test::MakeImage(image_, recipe);
    ASSERT_TRUE(Write()) << LastMessage();
    const DibRaster& r = ReadBack().raster;
    EXPECT_EQ(r.bitsPerPixel, 8);
    EXPECT_EQ(r.grayFlag, 1);
    EXPECT_LT(ShownColor(r, 2, 2) & 0xFF, 10u) << zeroIsWhite;
    EXPECT_GT(ShownColor(r, 13, 2) & 0xFF, 245u) << zeroIsWhite;
  }

  // 8-bit min-is-white gray: reversed before writing, same picture.
  BmpRecipe gray;
  gray.width = gray.height = 16;
  gray.palette.clear();
  for (int i = 0; i < 256; ++i) gray.palette.push_back((255 - i) * 0x010101u);
  gray.pixel = [](int x, int) { return x < 8 ? 200u : 20u; };  // dark left, light right
  test::MakeImage(image_, gray);
  ASSERT_EQ(image_.raster.photometric, kPhotometricMinIsWhite);
  ASSERT_TRUE(Write()) << LastMessage();
  EXPECT_EQ(image_.raster.photometric, kPhotometricMinIsBlack);
  EXPECT_EQ(PixelAt(image_.raster, 2, 2), 55u);
  const DibRaster& r = ReadBack().raster;
  EXPECT_NEAR(static_cast<int>(PixelAt(r, 2, 2)), 55, 3);
  EXPECT_NEAR(static_cast<int>(PixelAt(r, 13, 2)), 235, 3);
}

TEST_F(JpegWriteTest, ResolutionBecomesDensity) {
  BmpRecipe recipe = RedOverBlue(24);
  recipe.pixelsPerMetre = 11811;  // 300 dpi
  test::MakeImage(image_, recipe);
  ASSERT_TRUE(Write()) << LastMessage();
  EXPECT_EQ(ReadBack().raster.xResolution, 300);
  EXPECT_EQ(BitmapInfoHeader::Read(back_.raster.header()).xPelsPerMeter, 11811);

  image_.raster.resolutionUnit = kResolutionUnitCentimetre;
  image_.raster.xResolution = image_.raster.yResolution = 118;
  ASSERT_TRUE(Write()) << LastMessage();
  EXPECT_EQ(ReadBack().raster.xResolution, 300);
  EXPECT_EQ(BitmapInfoHeader::Read(back_.raster.header()).xPelsPerMeter, 11800);

  // 1 x 1 keeps libjpeg's default density, which tells no resolution.
  image_.raster.xResolution = image_.raster.yResolution = 1;
  ASSERT_TRUE(Write()) << LastMessage();
  EXPECT_EQ(ReadBack().raster.xResolution, 0);
}

TEST_F(JpegWriteTest, OutOfRangeSettingsUseTheDefaultsAndTheCommentIsOptional) {
  test::MakeImage(image_, RedOverBlue(24));
  ASSERT_TRUE(Write()) << LastMessage();
  const std::vector<uint8_t> plain = Bytes();
  JpegWriteOptions odd;
  odd.quality = 150;
  odd.smoothing = -1;
  odd.dctMethod = 9;
  ASSERT_TRUE(Write(odd)) << LastMessage();
  EXPECT_EQ(Bytes(), plain);

  JpegWriteOptions tuned;
  tuned.quality = 20;
  tuned.optimize = true;
  tuned.smoothing = 50;
  tuned.dctMethod = kJpegDctFloat;
  ASSERT_TRUE(Write(tuned)) << LastMessage();
  EXPECT_LT(Bytes().size(), plain.size());

  // The comment marker: code, length (with its own two bytes), text without its end.
  const std::string marker = std::string("\xFF\xFE\x00\x2E", 4) + ProgramJpegComment();
  EXPECT_EQ(std::string(plain.begin(), plain.end()).find("\xFF\xFE"), std::string::npos);
  JpegWriteOptions commented;
  commented.comment = ProgramJpegComment();
  ASSERT_TRUE(Write(commented)) << LastMessage();
  const std::vector<uint8_t> bytes = Bytes();
  EXPECT_NE(std::string(bytes.begin(), bytes.end()).find(marker), std::string::npos);
}

TEST_F(JpegWriteTest, TheThumbnailRasterCanBeWrittenInstead) {
  test::MakeImage(image_, RedOverBlue(24));
  DibImage small;
  BmpRecipe thumb = RedOverBlue(8);
  thumb.width = 5;
  thumb.height = 3;
  test::MakeImage(small, thumb);
  image_.thumbnail = std::move(small.raster);
  JpegWriteOptions options;
  options.thumbnail = true;
  ASSERT_TRUE(Write(options)) << LastMessage();
  EXPECT_EQ(ReadBack().raster.width, 5);
  EXPECT_EQ(back_.raster.height, 3);
  EXPECT_EQ(image_.raster.width, 16);
  EXPECT_EQ(image_.thumbnail.width, 5);

  image_.thumbnail.clear();
  EXPECT_FALSE(Write(options));
  EXPECT_STREQ(LastMessage(), "JPEG saving not supported for this color depth.");
}

TEST_F(JpegWriteTest, FailuresLeaveNoFileAndKeepAnExistingOne) {
  test::WriteText(path_, "an older file");
  test::MakeImage(image_, RedOverBlue(24));
  image_.raster.bitsPerPixel = 16;
  EXPECT_FALSE(Write());
  EXPECT_STREQ(LastMessage(), "JPEG saving not supported for this color depth.");

  // libjpeg refuses pictures wider than 65500 pixels once it starts.
  BmpRecipe wide;
  wide.width = 70000;
  wide.height = 2;
  wide.bits = 1;
  wide.palette = {0xFFFFFF, 0};
  test::MakeImage(image_, wide);
  EXPECT_FALSE(Write());
  EXPECT_EQ(std::string(LastMessage()),
            "Failed to write " + path_ + ": Maximum supported image dimension is 65500 pixels.");
  const std::vector<uint8_t> kept = Bytes();
  EXPECT_EQ(std::string(kept.begin(), kept.end()), "an older file");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()),
                          std::filesystem::directory_iterator()),
            1);

  test::MakeImage(image_, RedOverBlue(24));
  const std::string nowhere = dir_.file("missing/out.jpg");
  EXPECT_FALSE(WriteJpeg(image_, nowhere, {}));
  EXPECT_EQ(std::string(LastMessage()),
            "Cannot create " + nowhere + ": No such file or directory.");
}

TEST_F(JpegWriteTest, ProgressIsReportedByPhaseAndRow) {
  BmpRecipe recipe = RedOverBlue(1);
  recipe.height = 40;
  test::MakeImage(image_, recipe);
  std::vector<std::pair<std::string, int>> reports;
  image_.SetProgressCallback(
      [&](const char* text, int percent) { reports.emplace_back(text, percent); });
  ASSERT_TRUE(Write()) << LastMessage();
  ASSERT_GE(reports.size(), 3u);
  EXPECT_EQ(reports[0], std::make_pair(std::string("Converting to gray scale..."), 0));
  EXPECT_EQ(reports[1], std::make_pair(std::string("Creating JPEG image..."), 0));
  EXPECT_EQ(reports.back(), std::make_pair(std::string("Creating JPEG image..."), 100));
  EXPECT_EQ(reports.size(), 2u + 20u);  // every 5 %
}

}  // namespace
}  // namespace leaf
