#include <gtest/gtest.h>

#include <random>

#include "RasterTestSupport.h"
#include "image/BitmapInfoHeader.h"
#include "image/Messages.h"
#include "image/Transforms.h"

namespace leaf {
namespace {

using test::MakeNoiseImage;
using test::Picture;
using test::PictureOf;

// The picture of newWidth x newHeight whose pixel (x, y) is before[rule(x, y)].
template <typename Rule>
Picture Remap(const Picture& before, int newWidth, int newHeight, Rule rule) {
  Picture after(newHeight, std::vector<uint32_t>(newWidth));
  for (int y = 0; y < newHeight; ++y) {
    for (int x = 0; x < newWidth; ++x) {
      const auto [ox, oy] = rule(x, y);
      after[y][x] = before[oy][ox];
    }
  }
  return after;
}

TEST(TransformsTest, ComposeSymmetryFollowsTheGroupTable) {
  const int table[8][3] = {{4, 5, 7}, {6, 7, 4}, {7, 6, 5}, {5, 4, 6},
                           {0, 3, 1}, {3, 0, 2}, {1, 2, 3}, {2, 1, 0}};
  for (int s = 0; s < 8; ++s) {
    EXPECT_EQ(ComposeSymmetry(s, 4), table[s][0]);
    EXPECT_EQ(ComposeSymmetry(s, 5), table[s][1]);
    EXPECT_EQ(ComposeSymmetry(s, 7), table[s][2]);
  }
  EXPECT_EQ(ComposeSymmetry(8, 4), -1);
  EXPECT_EQ(ComposeSymmetry(0, 8), -1);
}

// Widths 1..33 cross every byte and 32-bit boundary at every depth; padding
// full of ones must not leak into the picture.
TEST(TransformsTest, FlipAndMirrorReverseRowsAndColumnsAtEveryDepthAndWidth) {
  for (int bits : test::kPixelDepths) {
    for (int width = 1; width <= 33; ++width) {
      for (int height : {5, -4}) {
        const int h = std::abs(height);
        DibImage image;
        MakeNoiseImage(image, width, height, bits, width);
        const size_t used = (static_cast<size_t>(width) * bits + 7) / 8;
        const unsigned spare = static_cast<unsigned>(used * 8 - static_cast<size_t>(width) * bits);
        for (int y = 0; y < h; ++y) {
          uint8_t* row = image.raster.storedRow(y);
          row[used - 1] |= static_cast<uint8_t>((1u << spare) - 1);
          std::fill(row + used, row + image.raster.rowStride, 0xFF);
        }
        const Picture before = PictureOf(image.raster);
        const std::string where = std::to_string(bits) + " bits, width " + std::to_string(width);

        ASSERT_TRUE(Flip(image, true));
        EXPECT_EQ(PictureOf(image.raster), Remap(before, width, h,
                                                 [h](int x, int y) {
                                                   return std::pair{x, h - 1 - y};
                                                 }))
            << where;
        EXPECT_EQ(image.raster.symmetryState, kSymmetryFlip);
        ASSERT_TRUE(Mirror(image));
        EXPECT_EQ(PictureOf(image.raster), Remap(before, width, h,
                                                 [&](int x, int y) {
                                                   return std::pair{width - 1 - x, h - 1 - y};
                                                 }))
            << where;
        EXPECT_TRUE(test::PaddingIsZero(image.raster)) << where;
        EXPECT_EQ(image.raster.symmetryState, kSymmetryHalfTurn);
        ASSERT_TRUE(Mirror(image));
        ASSERT_TRUE(Flip(image, true));
        EXPECT_EQ(PictureOf(image.raster), before) << where;
        EXPECT_EQ(image.raster.symmetryState, kSymmetryIdentity);
      }
    }
  }
}

TEST(TransformsTest, StorageFlipKeepsThePictureAndTogglesTheRowOrder) {
  DibImage image;
  MakeNoiseImage(image, 13, 7, 8);
  image.raster.symmetryState = kSymmetryMirror;
  const Picture before = PictureOf(image.raster);
  ASSERT_TRUE(Flip(image, false));
  EXPECT_EQ(image.raster.rowOrder, kRowOrderTopDown);
  EXPECT_EQ(BitmapInfoHeader::Read(image.raster.header()).height, -7);
  EXPECT_EQ(PictureOf(image.raster), before);
  EXPECT_EQ(image.raster.symmetryState, kSymmetryMirror);
  ASSERT_TRUE(Flip(image, false));
  EXPECT_EQ(image.raster.rowOrder, kRowOrderBottomUp);
  EXPECT_EQ(PictureOf(image.raster), before);
}

// Old stored row y, column x becomes stored row x, column y; on bottom-up
// storage picture (x, y) goes to (height - 1 - y, width - 1 - x).
TEST(TransformsTest, TransposeExchangesRowsAndColumns) {
  std::vector<std::pair<int, int>> sizes = {{130, 70}, {64, 65}, {65, 129}, {3, 2}};
  for (int width = 1; width <= 33; ++width) {
    for (int height : {1, 7, 8, 9, 17}) sizes.emplace_back(width, height);
  }
  for (int bits : test::kPixelDepths) {
    for (const auto& [width, height] : sizes) {
      DibImage image;
      MakeNoiseImage(image, width, height, bits, width * 31 + height);
      image.raster.xResolution = 300;
      image.raster.fullHeight = height + 1;
      const Picture before = PictureOf(image.raster);
      ASSERT_TRUE(Transpose(image));
      const DibRaster& r = image.raster;
      EXPECT_EQ(PictureOf(r), Remap(before, height, width,
                                    [&](int x, int y) {
                                      return std::pair{width - 1 - y, height - 1 - x};
                                    }))
          << bits << " bits, " << width << " x " << height;
      EXPECT_TRUE(test::PaddingIsZero(r));
      EXPECT_EQ(r.rowStride, RowStride(height, bits));
      EXPECT_EQ(r.fullWidth, height + 1);
      EXPECT_EQ(r.yResolution, 300);
      EXPECT_EQ(r.symmetryState, kSymmetryTranspose);
      const BitmapInfoHeader h = BitmapInfoHeader::Read(r.header());
      EXPECT_EQ(h.width, height);
      EXPECT_EQ(h.height, width);
      EXPECT_EQ(h.sizeImage, r.rowStride * width);
    }
  }
}

// The rotations turn the picture as displayed, whatever the storage order,
// and never leave a negative width in the header.
TEST(TransformsTest, RotationsTurnThePictureAsDisplayedInBothRowOrders) {
  for (int bits : test::kPixelDepths) {
    for (int width : {1, 7, 9, 33}) {
      for (int height : {5, -5, 12, -12}) {
        const int h = std::abs(height);
        DibImage image;
        MakeNoiseImage(image, width, height, bits, 7);
        const Picture before = PictureOf(image.raster);
        ASSERT_TRUE(RotateLeft(image));
        EXPECT_EQ(PictureOf(image.raster), Remap(before, h, width,
                                                 [width](int x, int y) {
                                                   return std::pair{width - 1 - y, x};
                                                 }))
            << "left, " << bits << " bits, " << width << " x " << height;
        EXPECT_EQ(image.raster.symmetryState, kSymmetryTransposeMirror);
        EXPECT_EQ(BitmapInfoHeader::Read(image.raster.header()).width, h);

        MakeNoiseImage(image, width, height, bits, 7);
        ASSERT_TRUE(RotateRight(image));
        EXPECT_EQ(PictureOf(image.raster), Remap(before, h, width,
                                                 [h](int x, int y) {
                                                   return std::pair{y, h - 1 - x};
                                                 }))
            << "right, " << bits << " bits, " << width << " x " << height;
        EXPECT_EQ(image.raster.symmetryState, kSymmetryTransposeFlip);
      }
    }
  }
}

// Any sequence of primitives is reproduced by replaying its final state on
// the untouched raster: what a re-rendered page relies on.
TEST(TransformsTest, ApplySymmetryReplaysAnySequenceOfPrimitives) {
  std::mt19937 random(5);
  for (int trial = 0; trial < 60; ++trial) {
    const int bits = test::kPixelDepths[trial % 4];
    const int height = trial % 2 ? 6 : -6;
    DibImage edited, replayed;
    MakeNoiseImage(edited, 11, height, bits, trial);
    MakeNoiseImage(replayed, 11, height, bits, trial);
    for (int i = 1 + static_cast<int>(random() % 6); i > 0; --i) {
      const unsigned step = random() % 3;
      ASSERT_TRUE(step == 0 ? Flip(edited, true) : step == 1 ? Mirror(edited) : Transpose(edited));
    }
    const int state = edited.raster.symmetryState;
    ASSERT_TRUE(ApplySymmetry(replayed, state));
    EXPECT_EQ(replayed.raster.symmetryState, state);
    EXPECT_EQ(PictureOf(replayed.raster), PictureOf(edited.raster)) << "state " << state;
  }
}

// What marks drawn over a turned page rely on: the map sends every pixel of
// the untouched picture to where the replayed state shows it, and the
// inverse state maps it back.
TEST(TransformsTest, PixelMapFollowsEveryStateAndItsInverse) {
  for (int height : {5, -5}) {
    DibImage untouched;
    MakeNoiseImage(untouched, 7, height, 24, 3);
    const Picture before = PictureOf(untouched.raster);
    for (int state = 0; state < 8; ++state) {
      DibImage turned;
      MakeNoiseImage(turned, 7, height, 24, 3);
      ASSERT_TRUE(ApplySymmetry(turned, state));
      const Picture after = PictureOf(turned.raster);
      EXPECT_EQ(SymmetrySwapsSides(state), turned.raster.width != 7) << state;
      const int inverse = InverseSymmetry(state);
      EXPECT_EQ(ComposeSymmetry(state, inverse), kSymmetryIdentity);
      for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 7; ++x) {
          int tx = x, ty = y;
          MapPixelThroughSymmetry(state, 7, 5, tx, ty);
          ASSERT_EQ(after[ty][tx], before[y][x]) << "state " << state << " at " << x << "," << y;
          MapPixelThroughSymmetry(inverse, turned.raster.width, turned.raster.height, tx, ty);
          EXPECT_EQ(std::pair(tx, ty), std::pair(x, y)) << "state " << state;
        }
      }
    }
  }
}

TEST(TransformsTest, RefusalsLeaveTheRasterAsItWas) {
  DibImage image;
  EXPECT_FALSE(Flip(image, true));
  EXPECT_STREQ(LastMessage(), "There is no image.");
  test::BmpRecipe recipe;
  recipe.width = 5;
  recipe.bits = 16;
  test::MakeImage(image, recipe);
  EXPECT_FALSE(ApplySymmetry(image, 9));
  EXPECT_STREQ(LastMessage(), "Unknown symmetry state: 9");
  EXPECT_TRUE(Flip(image, true));
  EXPECT_FALSE(Mirror(image));
  EXPECT_STREQ(LastMessage(), "Operation not supported for this color depth");
  ClearMessage();
  EXPECT_FALSE(RotateLeft(image));
  EXPECT_STREQ(LastMessage(), "Operation not supported for this color depth");
  EXPECT_EQ(image.raster.width, 5);
  EXPECT_EQ(image.raster.symmetryState, kSymmetryFlip);
}

}  // namespace
}  // namespace leaf
