#include <gtest/gtest.h>

#include "formats/Bmp.h"
#include "formats/Pnm.h"
#include "image/BitmapInfoHeader.h"
#include "image/Messages.h"
#include "tests/support/Fixtures.h"
#include "tests/support/TempDir.h"

namespace leaf {
namespace {

using test::BmpRecipe;
using test::PixelAt;

class PnmWriteTest : public ::testing::Test {
 protected:
  std::string Written(const BmpRecipe& recipe) {
    test::MakeImage(image_, recipe);
    EXPECT_TRUE(WritePnm(image_, path_)) << LastMessage();
    const std::vector<uint8_t> bytes = test::ReadBytes(path_);
    return std::string(bytes.begin(), bytes.end());
  }

  test::TempDir dir_;
  std::string path_ = dir_.file("out.pnm");
  DibImage image_;
};

// Width 10, two rows: the top row has its first and last pixel set.
BmpRecipe Bilevel(std::vector<uint32_t> palette) {
  BmpRecipe recipe;
  recipe.width = 10;
  recipe.height = 2;
  recipe.bits = 1;
  recipe.palette = std::move(palette);
  recipe.pixel = [](int x, int y) { return y == 0 && (x == 0 || x == 9) ? 1u : 0u; };
  return recipe;
}

TEST_F(PnmWriteTest, BilevelRastersWriteBlackAsOne) {
  // Index 1 black: the bits go out as stored.
  EXPECT_EQ(Written(Bilevel({0xFFFFFF, 0})), std::string("P4\n10 2\n\x80\x40\x00\x00", 12));
  // Index 1 white: the set pixels are white, so the bytes are inverted.
  const std::string inverted = Written(Bilevel({0, 0xFFFFFF}));
  EXPECT_EQ(inverted.substr(8, 2), "\x7F\xBF");
  EXPECT_EQ(static_cast<uint8_t>(inverted[10]), 0xFFu);

  // A min-is-white raster is reversed first and still shows the same picture.
  BmpRecipe recipe = Bilevel({0xFFFFFF, 0});
  test::MakeImage(image_, recipe);
  image_.raster.photometric = kPhotometricMinIsWhite;
  ASSERT_TRUE(WritePnm(image_, path_)) << LastMessage();
  EXPECT_EQ(image_.raster.photometric, kPhotometricMinIsBlack);
  DibImage back;
  ASSERT_TRUE(ReadPnm(back, path_)) << LastMessage();
  EXPECT_EQ(PixelAt(back.raster, 0, 0), 1u);
  EXPECT_EQ(PixelAt(back.raster, 9, 0), 1u);
  EXPECT_EQ(PixelAt(back.raster, 5, 0), 0u);
  EXPECT_EQ(PixelAt(back.raster, 0, 1), 0u);
}

TEST_F(PnmWriteTest, GrayRastersWriteP5MinIsBlack) {
  BmpRecipe recipe;
  recipe.width = 3;
  recipe.height = 2;
  recipe.pixel = [](int x, int y) { return static_cast<uint32_t>(10 * x + 100 * y); };
  EXPECT_EQ(Written(recipe), std::string("P5\n3 2\n255\n\x00\x0A\x14\x64\x6E\x78", 17));

  // Min-is-white: reversed, and left top-down, which a BMP of it keeps.
  recipe.palette.clear();
  for (int i = 0; i < 256; ++i) recipe.palette.push_back((255 - i) * 0x010101u);
  EXPECT_EQ(Written(recipe), std::string("P5\n3 2\n255\n\xFF\xF5\xEB\x9B\x91\x87", 17));
  EXPECT_EQ(image_.raster.rowOrder, kRowOrderTopDown);
  EXPECT_EQ(PixelAt(image_.raster, 2, 1), 135u);  // the same picture, reversed
  const std::string bmp = dir_.file("after.bmp");
  ASSERT_TRUE(WriteBmp(image_, bmp));
  EXPECT_EQ(BitmapInfoHeader::Read(test::ReadBytes(bmp).data() + 14).height, -2);
}

TEST_F(PnmWriteTest, PaletteAndColourRastersWriteP6) {
  BmpRecipe nibbles;  // a gray 4-bit palette still widens to colour
  nibbles.width = 2;
  nibbles.height = 1;
  nibbles.bits = 4;
  nibbles.pixel = [](int x, int) { return x == 0 ? 0u : 15u; };
  EXPECT_EQ(Written(nibbles), std::string("P6\n2 1\n255\n\x00\x00\x00\xFF\xFF\xFF", 17));

  BmpRecipe indexed = nibbles;
  indexed.bits = 8;
  indexed.palette = {0x102030, 0x405060};
  indexed.pixel = [](int x, int) { return static_cast<uint32_t>(x); };
  EXPECT_EQ(Written(indexed), std::string("P6\n2 1\n255\n\x10\x20\x30\x40\x50\x60", 17));

  BmpRecipe colour = nibbles;
  colour.bits = 24;
  colour.pixel = [](int x, int) { return x == 0 ? 0x010203u : 0xA0B0C0u; };
  EXPECT_EQ(Written(colour), std::string("P6\n2 1\n255\n\x01\x02\x03\xA0\xB0\xC0", 17));
}

TEST_F(PnmWriteTest, FailuresKeepAnExistingFile) {
  test::WriteText(path_, "older");
  BmpRecipe recipe;
  test::MakeImage(image_, recipe);
  image_.raster.bitsPerPixel = 16;
  EXPECT_FALSE(WritePnm(image_, path_));
  EXPECT_STREQ(LastMessage(), "PNM saving not supported for this color depth.");
  DibImage empty;
  EXPECT_FALSE(WritePnm(empty, path_));
  const std::vector<uint8_t> kept = test::ReadBytes(path_);
  EXPECT_EQ(std::string(kept.begin(), kept.end()), "older");

  test::MakeImage(image_, recipe);
  const std::string nowhere = dir_.file("missing/out.pgm");
  EXPECT_FALSE(WritePnm(image_, nowhere));
  EXPECT_EQ(std::string(LastMessage()),
            "Cannot create " + nowhere + ": No such file or directory.");
}

TEST_F(PnmWriteTest, ProgressFollowsTheRows) {
  BmpRecipe recipe;
  recipe.height = 20;
  recipe.bits = 4;
  test::MakeImage(image_, recipe);
  std::vector<std::pair<std::string, int>> reports;
  image_.SetProgressCallback(
      [&](const char* text, int percent) { reports.emplace_back(text, percent); });
  ASSERT_TRUE(WritePnm(image_, path_)) << LastMessage();
  ASSERT_EQ(reports.size(), 22u);
  EXPECT_EQ(reports[0].first, "Increasing the color depth...");
  EXPECT_EQ(reports[1], std::make_pair(std::string("Saving to file..."), 0));
  EXPECT_EQ(reports.back(), std::make_pair(std::string("Saving to file..."), 100));
}

}  // namespace
}  // namespace leaf
