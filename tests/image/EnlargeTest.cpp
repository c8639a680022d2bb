#include <gtest/gtest.h>

#include "RasterTestSupport.h"
#include "image/BitmapInfoHeader.h"
#include "image/Enlarge.h"
#include "image/Messages.h"

namespace leaf {
namespace {

using test::MakeNoiseImage;

// The value a pixel of the new area should have, as PixelAt reads it.
uint32_t FillValue(int bits, uint32_t fill) {
  switch (bits) {
    case 1: return fill ? 1 : 0;
    case 4: return fill % 16;
    case 8: return fill % 256;
    default: return ((fill & 255) << 16) | (fill & 0xFF00) | ((fill >> 16) & 255);
  }
}

TEST(EnlargeTest, PlacesThePictureByAnchorAndFillsTheRest) {
  struct Case {
    int anchor, column, row;  // expected offsets for 5 extra columns, 3 extra rows
  };
  const Case cases[] = {{1, 0, 3}, {3, 5, 3}, {7, 0, 0}, {9, 5, 0}, {5, 2, 1}, {0, 2, 1}};
  for (int bits : test::kPixelDepths) {
    for (int width = 1; width <= 33; width += 4) {
      for (const Case& c : cases) {
        DibImage image;
        MakeNoiseImage(image, width, 4, bits, width);
        std::vector<std::vector<uint32_t>> stored(4, std::vector<uint32_t>(width));
        for (int y = 0; y < 4; ++y) {
          for (int x = 0; x < width; ++x) stored[y][x] = test::PixelAt(image.raster, x, 3 - y);
        }
        const uint32_t fill = 0x00C0FFEE;
        ASSERT_TRUE(Enlarge(image, width + 5, 7, c.anchor, fill));
        const DibRaster& r = image.raster;
        ASSERT_EQ(r.width, width + 5);
        ASSERT_EQ(r.height, 7);
        EXPECT_EQ(r.fullWidth, width + 5);
        EXPECT_EQ(r.pixelSize, r.rowStride * 7);
        EXPECT_EQ(BitmapInfoHeader::Read(r.header()).width, width + 5);
        EXPECT_TRUE(test::PaddingIsZero(r));
        for (int y = 0; y < 7; ++y) {
          for (int x = 0; x < width + 5; ++x) {
            const int ox = x - c.column, oy = y - c.row;
            const bool old = ox >= 0 && ox < width && oy >= 0 && oy < 4;
            ASSERT_EQ(test::PixelAt(r, x, 6 - y), old ? stored[oy][ox] : FillValue(bits, fill))
                << bits << " bits, width " << width << ", anchor " << c.anchor << " at " << x << ","
                << y;
          }
        }
      }
    }
  }
}

TEST(EnlargeTest, RefusesToShrinkAndOtherDepths) {
  DibImage image;
  MakeNoiseImage(image, 10, 10, 8);
  EXPECT_FALSE(Enlarge(image, 9, 20, 7, 0));
  EXPECT_STREQ(LastMessage(), "Enlarge: New dimension(s) smaller than old one(s).");
  image.raster.fullHeight = 30;  // a page rendered at a reduction
  EXPECT_FALSE(Enlarge(image, 20, 20, 7, 0));
  EXPECT_TRUE(DIBEnlarge(image, image.raster, 20, 20, 7, 0).empty());
  EXPECT_STREQ(LastMessage(), "DIBEnlarge: New dimension(s) smaller than old one(s).");
  EXPECT_EQ(image.raster.width, 10);
  test::BmpRecipe recipe;
  recipe.bits = 16;
  test::MakeImage(image, recipe);
  EXPECT_FALSE(Enlarge(image, 20, 20, 7, 0));
  EXPECT_STREQ(LastMessage(), "Enlarge not supported for this color depth.");
}

}  // namespace
}  // namespace leaf
