#include <gtest/gtest.h>

#include "RasterTestSupport.h"
#include "image/InsertImage.h"
#include "image/Messages.h"

namespace leaf {
namespace {

using test::MakeNoiseImage;
using test::PictureOf;

IndexMap IdentityMap() {
  IndexMap map{};
  for (uint32_t i = 0; i < 256; ++i) map[i] = i;
  return map;
}

TEST(InsertImageTest, WritesTheInsertedPixelsThroughTheMap) {
  for (int bits : test::kPixelDepths) {
    for (int width : {1, 7, 9, 16, 19}) {
      for (int x : {0, 1, 3, 8}) {
        DibImage page, part;
        MakeNoiseImage(page, 32, 6, bits, 1);
        MakeNoiseImage(part, width, 3, bits, 2);
        IndexMap map{};
        for (uint32_t i = 0; i < 256; ++i) map[i] = (i * 7 + 3) & 0xFFFF;
        const test::Picture before = PictureOf(page.raster), inserted = PictureOf(part.raster);
        // Stored row 2 of a bottom-up page of height 6 is picture row 3.
        ASSERT_TRUE(InsertImage(page, part, x, 2, map));
        const test::Picture after = PictureOf(page.raster);
        const uint32_t mask = bits == 1 ? 1 : bits == 4 ? 15 : 255;
        for (int y = 0; y < 6; ++y) {
          for (int c = 0; c < 32; ++c) {
            const int py = y - 1, px = c - x;  // picture rows 1..3
            const bool inside = px >= 0 && px < width && py >= 0 && py < 3;
            uint32_t want = before[y][c];
            if (inside) {
              const uint32_t v = inserted[py][px];
              want = bits == 24 ? v : bits == 1 ? ((map[v] & 0xFF) != 0) : map[v] & mask;
            }
            ASSERT_EQ(after[y][c], want) << bits << " bits, width " << width << ", x " << x;
          }
        }
      }
    }
  }
}

TEST(InsertImageTest, SkipsTheTransparentColour) {
  DibImage page, label;
  MakeNoiseImage(page, 16, 4, 8, 1, test::GrayPalette(8));
  test::BmpRecipe recipe;
  recipe.width = 8;
  recipe.height = 2;
  recipe.bits = 1;
  recipe.palette = {0xFFFFFF, 0x000000};
  recipe.pixel = [](int x, int y) { return uint32_t(x == y); };
  test::MakeImage(label, recipe);
  label.raster.transparentFlag = 1;
  label.raster.transparentColor = 0xFFFFFF;
  IndexMap map{};
  map[0] = 255;
  map[1] = 0;
  const test::Picture before = PictureOf(page.raster);
  ASSERT_TRUE(InsertImage(page, label, 4, 0, map));
  const test::Picture after = PictureOf(page.raster);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 16; ++x) {
      const bool ink = y >= 2 && x - 4 == y - 2;
      EXPECT_EQ(after[y][x], ink ? 0 : before[y][x]) << x << "," << y;
    }
  }
}

// A lower depth is widened first (a colour page gets the palette colours);
// rasters stored in the other row order keep their way up.
TEST(InsertImageTest, WidensLowerDepthsAndKeepsThePictureUpright) {
  DibImage page, part;
  MakeNoiseImage(page, 12, -5, 24);
  MakeNoiseImage(part, 5, 3, 1, 4, {0x123456, 0xABCDEF});
  ASSERT_TRUE(InsertImage(page, part, 6, 1, IndexMap{}));
  const test::Picture colours = test::ColorPictureOf(part.raster);
  const test::Picture after = PictureOf(page.raster);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 5; ++x) EXPECT_EQ(after[y + 1][x + 6], colours[y][x]);
  }
}

TEST(InsertImageTest, RefusesDeeperImagesAndPositionsOutside) {
  DibImage page, part;
  MakeNoiseImage(page, 10, 10, 1);
  MakeNoiseImage(part, 4, 4, 8);
  EXPECT_FALSE(InsertImage(page, part, 0, 0, IdentityMap()));
  EXPECT_STREQ(LastMessage(),
               "Color depth mismatch. Inserted image has more colors than the original.");
  MakeNoiseImage(part, 4, 4, 1);
  const test::Picture before = PictureOf(page.raster);
  EXPECT_FALSE(InsertImage(page, part, -1, 0, IdentityMap()));
  EXPECT_STREQ(LastMessage(), "Inserted image out of bounds in the original.");
  EXPECT_FALSE(InsertImage(page, part, 7, 0, IdentityMap()));
  EXPECT_FALSE(InsertImage(page, part, 0, 7, IdentityMap()));
  EXPECT_EQ(PictureOf(page.raster), before);
  EXPECT_TRUE(InsertImage(page, part, 6, 6, IdentityMap()));
}

}  // namespace
}  // namespace leaf
