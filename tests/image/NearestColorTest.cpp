#include <gtest/gtest.h>

#include "image/NearestColor.h"
#include "tests/support/Fixtures.h"

namespace leaf {
namespace {

DibImage PaletteImage(int bits, std::vector<uint32_t> palette) {
  DibImage image;
  test::BmpRecipe recipe;
  recipe.bits = bits;
  recipe.palette = std::move(palette);
  test::MakeImage(image, recipe);
  return image;
}

TEST(NearestColorTest, PicksTheNearestEntryByRgbDistance) {
  const DibImage gray = PaletteImage(8, test::GrayPalette(8));
  const DibImage colours = PaletteImage(4, {0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF});
  struct Case {
    const DibImage* image;
    uint32_t packed;  // red + 256 green + 65536 blue
    uint32_t index;
  } cases[] = {
      {&gray, PackColor(255, 0, 0), 85},        // pure red: gray 85 is nearest
      {&gray, PackColor(10, 10, 10), 10},       // exact match
      {&gray, PackColor(255, 255, 255), 255},   //
      {&colours, PackColor(200, 30, 30), 1},    // red
      {&colours, PackColor(20, 20, 220), 3},    // blue
      {&colours, PackColor(240, 240, 250), 4},  // white
      {&colours, PackColor(0, 0, 0), 0},        // black, also the padding entries
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NearestPaletteIndex(c.image->raster, c.packed), c.index) << std::hex << c.packed;
  }
}

TEST(NearestColorTest, MapsEveryPaletteEntryOfTheInsertedRaster) {
  const DibImage page = PaletteImage(8, test::GrayPalette(8));
  const DibImage label = PaletteImage(1, {0xFFFFFF, 0xFF0000});  // white ground, red text
  const IndexMap map = NearestIndexMap(page.raster, label.raster);
  EXPECT_EQ(map[0], 255u);
  EXPECT_EQ(map[1], 85u);
  EXPECT_EQ(map[2], 0u);

  DibImage colour;
  test::BmpRecipe recipe;
  recipe.bits = 24;
  test::MakeImage(colour, recipe);
  const IndexMap none = NearestIndexMap(colour.raster, label.raster);
  EXPECT_EQ(none[1], 0u);  // 24-bit pages take colours, not indices
}

TEST(NearestColorTest, PackingKeepsChannelsApart) {
  const uint32_t packed = PackColor(0x12, 0x34, 0x56);
  EXPECT_EQ(packed, 0x563412u);
  EXPECT_EQ(RedOf(packed), 0x12u);
  EXPECT_EQ(GreenOf(packed), 0x34u);
  EXPECT_EQ(BlueOf(packed), 0x56u);
}

}  // namespace
}  // namespace leaf
