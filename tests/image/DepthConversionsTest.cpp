#include <gtest/gtest.h>

#include "RasterTestSupport.h"
#include "image/BitmapInfoHeader.h"
#include "image/DepthConversions.h"
#include "image/Messages.h"

namespace leaf {
namespace {

using test::MakeNoiseImage;
using test::PictureOf;

uint8_t GrayOfPacked(uint32_t rgb) { return GrayOf(rgb >> 16, (rgb >> 8) & 255, rgb & 255); }

TEST(DepthConversionsTest, GrayValuesOfThePrimaries) {
  EXPECT_EQ(GrayOf(255, 0, 0), 76);
  EXPECT_EQ(GrayOf(0, 255, 0), 150);
  EXPECT_EQ(GrayOf(0, 0, 255), 28);
  EXPECT_EQ(GrayOf(255, 255, 255), 255);
}

TEST(DepthConversionsTest, NegativeInvertsThePaletteOrTheColourPixels) {
  DibImage image;
  MakeNoiseImage(image, 9, 4, 8, 1, test::GrayPalette(8));
  const auto indices = PictureOf(image.raster);
  ASSERT_TRUE(Negative(image));
  EXPECT_EQ(image.raster.grayFlag, 1);
  EXPECT_EQ(image.raster.photometric, kPhotometricMinIsWhite);
  EXPECT_EQ(test::PaletteColor(image.raster, 0), 0xFFFFFFu);
  EXPECT_EQ(PictureOf(image.raster), indices);
  EXPECT_EQ(image.raster.negativeFlag, 1);
  ASSERT_TRUE(Negative(image));
  EXPECT_EQ(image.raster.photometric, kPhotometricMinIsBlack);
  EXPECT_EQ(image.raster.negativeFlag, 0);

  MakeNoiseImage(image, 10, 3, 1, 1, {0xFFFFFF, 0x000000});
  image.raster.photometric = kPhotometricMinIsWhite;
  ASSERT_TRUE(Negative(image));
  EXPECT_EQ(test::PaletteColor(image.raster, 1), 0xFFFFFFu);
  EXPECT_EQ(image.raster.photometric, kPhotometricMinIsWhite);

  MakeNoiseImage(image, 5, 3, 24);
  const std::vector<uint8_t> before(image.raster.pixels(),
                                    image.raster.pixels() + image.raster.pixelSize);
  ASSERT_TRUE(Negative(image));
  for (size_t i = 0; i < before.size(); ++i) ASSERT_EQ(image.raster.pixels()[i], 255 - before[i]);
}

TEST(DepthConversionsTest, ReversePhotometricKeepsThePictureAndInvertsOnlyPixelBytes) {
  DibImage image;
  MakeNoiseImage(image, 10, 3, 1, 1, {0xFFFFFF, 0x000000});
  image.raster.photometric = kPhotometricMinIsWhite;
  for (int y = 0; y < 3; ++y) image.raster.storedRow(y)[3] = 0x5A;  // padding
  const auto colours = test::ColorPictureOf(image.raster);
  const uint8_t first = image.raster.storedRow(0)[0];
  ASSERT_TRUE(ReversePhotometric(image));
  EXPECT_EQ(image.raster.storedRow(0)[0], static_cast<uint8_t>(~first));
  EXPECT_EQ(image.raster.storedRow(0)[2], 0);  // the first two bytes only
  EXPECT_EQ(image.raster.storedRow(0)[3], 0x5A);
  EXPECT_EQ(test::ColorPictureOf(image.raster), colours);
  EXPECT_EQ(image.raster.photometric, kPhotometricMinIsBlack);

  image.raster.photometric = kPhotometricPalette;
  EXPECT_FALSE(ReversePhotometric(image));
  EXPECT_STREQ(LastMessage(), "Unknown photometric: 3");
  MakeNoiseImage(image, 4, 4, 24);
  EXPECT_FALSE(ReversePhotometric(image));
  EXPECT_STREQ(LastMessage(), "ReversePhotometric: Image is not gray scale or b&w.");
}

// Every depth, widths across byte and word boundaries, both row orders.
TEST(DepthConversionsTest, ConvertToGrayGivesTheGrayOfEveryPixel) {
  for (int bits : test::kPixelDepths) {
    for (int width = 1; width <= 33; ++width) {
      for (int height : {3, -3}) {
        DibImage image;
        MakeNoiseImage(image, width, height, bits, width);
        // Bilevel rasters with white index 0 on odd widths, with black index 0 on even ones.
        if (bits == 1) std::fill_n(image.raster.palette(), 3, width % 2 ? 255 : 0);
        const DibRaster& r = image.raster;
        DibImage gray;
        test::DescribeBlock(gray, ConvertToGray(image, r, 7), width, 3, 8, r.rowOrder, 7);
        ASSERT_EQ(gray.raster.block.size(), 7 + 3 * RowStride(width, 8));
        const bool whiteZero = r.paletteEntryZeroIsLighter();
        for (int y = 0; y < 3; ++y) {
          for (int x = 0; x < width; ++x) {
            const uint32_t v = test::PixelAt(r, x, y);
            const uint8_t want = bits == 1    ? ((v != 0) != whiteZero ? 255 : 0)
                                 : bits == 24 ? GrayOfPacked(v)
                                              : GrayOfPacked(test::PaletteColor(r, v));
            ASSERT_EQ(test::PixelAt(gray.raster, x, y), want) << bits << " bits, width " << width;
          }
        }
      }
    }
  }
}

TEST(DepthConversionsTest, ToGrayInstallsAnAscendingRampAndKeepsTheFields) {
  DibImage image;
  MakeNoiseImage(image, 6, -4, 24);
  image.raster.symmetryState = 3;
  const auto colours = PictureOf(image.raster);
  ASSERT_TRUE(ToGray(image));
  const DibRaster& r = image.raster;
  EXPECT_EQ(r.grayFlag, 1);
  EXPECT_EQ(r.photometric, kPhotometricMinIsBlack);
  EXPECT_EQ(r.pixelOffset, 40u + 1024u);
  EXPECT_EQ(r.symmetryState, 3);
  EXPECT_EQ(r.block.size(), 40u + 1024u + 32u);
  const BitmapInfoHeader h = BitmapInfoHeader::Read(r.header());
  EXPECT_EQ(h.bitCount, 8);
  EXPECT_EQ(h.sizeImage, 32u);
  EXPECT_EQ(h.height, -4);
  EXPECT_EQ(test::PaletteColor(r, 200), 0xC8C8C8u);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 6; ++x) ASSERT_EQ(test::PixelAt(r, x, y), GrayOfPacked(colours[y][x]));
  }
  // Gray already: nothing changes, and ConvertToGray has nothing to make.
  const uint8_t* block = r.block.data();
  ASSERT_TRUE(ToGray(image));
  EXPECT_EQ(r.block.data(), block);
  ClearMessage();
  EXPECT_TRUE(ConvertToGray(image, r, 0).empty());
  EXPECT_STREQ(LastMessage(), "");
  test::BmpRecipe recipe;
  recipe.bits = 16;
  test::MakeImage(image, recipe);
  EXPECT_FALSE(ToGray(image));
  EXPECT_STREQ(LastMessage(), "Conversion to gray not supported for this color depth.");
}

TEST(DepthConversionsTest, IncreaseDepthKeepsIndicesOrTakesPaletteColours) {
  const int pairs[][2] = {{1, 4}, {1, 8}, {4, 8}, {1, 24}, {4, 24}, {8, 24}};
  for (const auto& [from, to] : pairs) {
    for (int width = 1; width <= 33; ++width) {
      for (int height : {2, -2}) {
        DibImage image, wide;
        MakeNoiseImage(image, width, height, from, width + 3);
        const size_t palette = to <= 8 ? size_t{4} << to : 0;
        test::DescribeBlock(wide, IncreaseDepth(image, to), width, 2, to, image.raster.rowOrder, 40,
                            palette);
        ASSERT_EQ(wide.raster.block.size(), 40 + palette + 2 * wide.raster.rowStride);
        const BitmapInfoHeader h = BitmapInfoHeader::Read(wide.raster.header());
        EXPECT_EQ(h.bitCount, to);
        EXPECT_EQ(h.clrUsed, 0u);
        if (to == 24) {
          EXPECT_EQ(test::ColorPictureOf(wide.raster), test::ColorPictureOf(image.raster));
        } else {
          EXPECT_EQ(PictureOf(wide.raster), PictureOf(image.raster)) << from << " to " << to;
          EXPECT_EQ(test::PaletteColor(wide.raster, 1), test::PaletteColor(image.raster, 1));
          EXPECT_EQ(test::PaletteColor(wide.raster, (1 << to) - 1), 0u);
        }
        EXPECT_TRUE(test::PaddingIsZero(wide.raster));
      }
    }
  }
}

// Indices past a short palette read as black instead of past the palette.
TEST(DepthConversionsTest, ShortPalettesGiveBlackForMissingEntries) {
  DibImage image;
  test::BmpRecipe recipe;
  recipe.width = 20;
  recipe.height = 2;
  recipe.palette = {0x102030, 0x808080};
  recipe.colorsUsed = 2;
  recipe.pixel = [](int x, int) { return uint32_t(x % 3 == 2 ? 200 + x : x % 3); };
  test::MakeImage(image, recipe);
  ASSERT_EQ(image.raster.paletteEntries(), 2u);
  const PixelBlock gray = ConvertToGray(image, image.raster, 0);
  const PixelBlock wide = IncreaseDepth(image, 24);
  ASSERT_FALSE(gray.empty() || wide.empty());
  for (int x = 0; x < 20; ++x) {
    const uint32_t v = test::PixelAt(image.raster, x, 1);
    EXPECT_EQ(gray.data()[x], v == 0 ? 29 : v == 1 ? 128 : 0);
    EXPECT_EQ(wide.data()[40 + 3 * x], v == 0 ? 0x30 : v == 1 ? 0x80 : 0);
  }
}

TEST(DepthConversionsTest, IncreaseDepthRefusals) {
  DibImage image;
  MakeNoiseImage(image, 4, 4, 8);
  ClearMessage();
  EXPECT_TRUE(IncreaseDepth(image, 8).empty());
  EXPECT_TRUE(IncreaseDepth(image, 4).empty());
  EXPECT_TRUE(IncreaseDepth(image, 32).empty());
  EXPECT_STREQ(LastMessage(), "");
  EXPECT_TRUE(IncreaseDepth(image, 16).empty());
  EXPECT_STREQ(LastMessage(),
               "Increase of color depth not supported for the original color depth.");
  MakeNoiseImage(image, 4, 4, 24);
  ClearMessage();
  EXPECT_TRUE(IncreaseDepth(image, 24).empty());
  EXPECT_STREQ(LastMessage(), "");
}

}  // namespace
}  // namespace leaf
