#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "RasterTestSupport.h"
#include "image/BitOps.h"
#include "image/BitmapInfoHeader.h"
#include "image/Messages.h"
#include "image/Selections.h"

namespace leaf {
namespace {

using test::MakeNoiseImage;
using test::PictureOf;

test::Picture Part(const test::Picture& picture, const SelectionRect& r) {
  test::Picture part;
  for (int y = r.top; y <= r.bottom; ++y) {
    part.emplace_back(picture[y].begin() + r.left, picture[y].begin() + r.right + 1);
  }
  return part;
}

TEST(SelectionsTest, CopyBitsMovesRunsBetweenAnyBitOffsets) {
  for (size_t src = 0; src < 17; ++src) {
    for (size_t dst = 0; dst < 17; ++dst) {
      for (size_t count = 0; count < 40; ++count) {
        // Exactly the bytes that hold the source bits, so ASan sees overreads.
        const size_t bytes = count ? (src + count + 7) / 8 : 1;
        auto in = std::make_unique<uint8_t[]>(bytes);
        for (size_t i = 0; i < bytes; ++i) in[i] = static_cast<uint8_t>(test::Noise(i, src, count));
        std::vector<uint8_t> out(8, 0xA5), want(8, 0xA5);
        CopyBits(out.data(), dst, in.get(), src, count);
        for (size_t i = 0; i < count; ++i) SetBit(want.data(), dst + i, GetBit(in.get(), src + i));
        ASSERT_EQ(out, want) << src << " " << dst << " " << count;
      }
    }
  }
}

TEST(SelectionsTest, GetSelectionCutsAnyRectangleAtEveryDepth) {
  for (int bits : test::kPixelDepths) {
    for (int height : {6, -6}) {
      DibImage image;
      MakeNoiseImage(image, 33, height, bits, bits);
      const test::Picture picture = PictureOf(image.raster);
      for (int left = 0; left < 33; left += 3) {
        for (int right = left; right < 33; right += 5) {
          const SelectionRect rect{left, 1, right, 4};
          DibImage part;
          test::DescribeBlock(part, GetSelection(image, rect), right - left + 1, 4, bits,
                              image.raster.rowOrder, 40, image.raster.paletteSize);
          ASSERT_EQ(part.raster.block.size(), image.raster.pixelOffset + 4 * part.raster.rowStride);
          EXPECT_EQ(PictureOf(part.raster), Part(picture, rect))
              << bits << " bits " << left << ".." << right;
          EXPECT_TRUE(test::PaddingIsZero(part.raster));
          const BitmapInfoHeader h = BitmapInfoHeader::Read(part.raster.header());
          EXPECT_EQ(h.width, right - left + 1);
          EXPECT_EQ(h.height, height < 0 ? -4 : 4);
        }
      }
    }
  }
}

TEST(SelectionsTest, StoredRowsOfARectangleFollowTheRowOrder) {
  DibImage image;
  MakeNoiseImage(image, 30, 100, 8);
  PixelBlock bottomUp = GetSelection(image, {10, 0, 19, 9});
  // Picture rows 0..9 of a bottom-up raster are stored rows 90..99.
  EXPECT_EQ(0, std::memcmp(bottomUp.data() + image.raster.pixelOffset,
                           image.raster.storedRow(90) + 10, 10));
  MakeNoiseImage(image, 30, -100, 8);
  PixelBlock topDown = GetSelection(image, {10, 0, 19, 9});
  EXPECT_EQ(0, std::memcmp(topDown.data() + image.raster.pixelOffset,
                           image.raster.storedRow(0) + 10, 10));
}

TEST(SelectionsTest, GetSelectionRefusesRectanglesOutsideAndOtherDepths) {
  DibImage image;
  MakeNoiseImage(image, 10, 10, 8);
  EXPECT_TRUE(GetSelection(image, {0, 0, 10, 9}).empty());
  EXPECT_TRUE(GetSelection(image, {-1, 0, 3, 3}).empty());
  EXPECT_TRUE(GetSelection(image, {5, 0, 4, 3}).empty());
  EXPECT_STREQ(LastMessage(), "Selection out of bounds.");
  test::BmpRecipe recipe;
  recipe.bits = 16;
  test::MakeImage(image, recipe);
  EXPECT_TRUE(GetSelection(image, {0, 0, 1, 1}).empty());
  EXPECT_STREQ(LastMessage(), "GetSelection not supported for this color depth.");
}

TEST(SelectionsTest, CropKeepsTheRectangleAndEndsThePageLink) {
  DibImage image;
  MakeNoiseImage(image, 12, -9, 4);
  image.raster.pageLink = test::StandInPageLink();
  image.raster.symmetryState = 6;
  image.raster.negativeFlag = 1;
  image.raster.xResolution = 300;
  const test::Picture picture = PictureOf(image.raster);
  ASSERT_TRUE(Crop(image, {3, 2, 8, 6}));
  const DibRaster& r = image.raster;
  EXPECT_EQ(r.fullHeight, 5);
  EXPECT_EQ(r.pixelSize, 20u);
  EXPECT_EQ(r.symmetryState + r.negativeFlag, 0);
  EXPECT_EQ(r.xResolution, 300);
  EXPECT_FALSE(r.pageLink);
  EXPECT_EQ(PictureOf(r), Part(picture, {3, 2, 8, 6}));

  ASSERT_TRUE(Crop(image, {5, 4, 5, 4}));
  EXPECT_EQ(image.raster.width, 1);
  EXPECT_EQ(image.raster.height, 1);
}

TEST(SelectionsTest, RemoveSelectionClearsTheRectangleOnly) {
  for (int bits : test::kPixelDepths) {
    for (int width : {1, 8, 9, 17, 33}) {
      DibImage image;
      MakeNoiseImage(image, width, 5, bits, width);
      test::Picture want = PictureOf(image.raster);
      const SelectionRect rect{width / 3, 1, width - 1 - width / 4, 3};
      for (int y = rect.top; y <= rect.bottom; ++y) {
        std::fill(want[y].begin() + rect.left, want[y].begin() + rect.right + 1, 0);
      }
      ASSERT_TRUE(RemoveSelection(image, rect));
      EXPECT_EQ(PictureOf(image.raster), want) << bits << " bits, width " << width;
    }
  }
  DibImage image;
  MakeNoiseImage(image, 10, 4, 1, 1, {0xFFFFFF, 0x000000});
  ASSERT_TRUE(RemoveSelection(image, {0, 0, 9, 3}));
  EXPECT_EQ(test::ColorPictureOf(image.raster),
            test::Picture(4, std::vector<uint32_t>(10, 0xFFFFFF)));
  EXPECT_FALSE(RemoveSelection(image, {0, 0, 10, 3}));
  EXPECT_STREQ(LastMessage(), "Selection (removal) out of bounds.");
  test::BmpRecipe recipe;
  recipe.bits = 16;
  test::MakeImage(image, recipe);
  EXPECT_FALSE(RemoveSelection(image, {0, 0, 1, 1}));
  EXPECT_STREQ(LastMessage(), "Selective removal not supported for this color depth.");
}

}  // namespace
}  // namespace leaf
