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

// Picture of w x h produced from `before` by a rule new(x, y) = old(f(x, y)).
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

int HeaderWidth(const DibRaster& r) { return BitmapInfoHeader::Read(r.header()).width; }
int HeaderHeight(const DibRaster& r) { return BitmapInfoHeader::Read(r.header()).height; }

// Widths 1..33 cross every byte and 32-bit boundary at every depth.
constexpr int kMaxWidth = 33;

TEST(TransformsTest, ComposeSymmetryFollowsTheGroupTable) {
  const int table[8][3] = {{4, 5, 7}, {6, 7, 4}, {7, 6, 5}, {5, 4, 6},
                           {0, 3, 1}, {3, 0, 2}, {1, 2, 3}, {2, 1, 0}};
  const int operations[3] = {4, 5, 7};
  for (int s = 0; s < 8; ++s) {
    for (int k = 0; k < 3; ++k) {
      EXPECT_EQ(ComposeSymmetry(s, operations[k]), table[s][k]) << s << " " << operations[k];
    }
    EXPECT_EQ(ComposeSymmetry(s, 0), s);
  }
  EXPECT_EQ(ComposeSymmetry(8, 4), -1);
  EXPECT_EQ(ComposeSymmetry(0, 8), -1);
}

TEST(TransformsTest, FlipReversesTheRowsAtEveryDepthAndSize) {
  for (int bits : {1, 4, 8, 16, 24}) {
    for (int width = 1; width <= kMaxWidth; ++width) {
      for (int height : {1, 4, 5, -5}) {
        DibImage image;
        MakeNoiseImage(image, width, height, bits, width);
        const Picture before = PictureOf(image.raster);
        ASSERT_TRUE(Flip(image, true));
        const int h = image.raster.height;
        EXPECT_EQ(PictureOf(image.raster), Remap(before, width, h,
                                                 [h](int x, int y) {
                                                   return std::pair{x, h - 1 - y};
                                                 }))
            << bits << " bits, " << width << " x " << height;
        EXPECT_EQ(image.raster.symmetryState, kSymmetryFlip);
        ASSERT_TRUE(Flip(image, true));
        EXPECT_EQ(PictureOf(image.raster), before);
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
  EXPECT_EQ(HeaderHeight(image.raster), -7);
  EXPECT_EQ(PictureOf(image.raster), before);
  EXPECT_EQ(image.raster.symmetryState, kSymmetryMirror);
  ASSERT_TRUE(Flip(image, false));
  EXPECT_EQ(image.raster.rowOrder, kRowOrderBottomUp);
  EXPECT_EQ(HeaderHeight(image.raster), 7);
  EXPECT_EQ(PictureOf(image.raster), before);
}

TEST(TransformsTest, MirrorReversesEveryRowAndClearsThePadding) {
  for (int bits : test::kPixelDepths) {
    for (int width = 1; width <= kMaxWidth; ++width) {
      for (int height : {3, -3}) {
        DibImage image;
        MakeNoiseImage(image, width, height, bits, width + 100);
        // Padding full of ones must not leak into the picture.
        for (int y = 0; y < 3; ++y) {
          uint8_t* row = image.raster.storedRow(y);
          const size_t used = (static_cast<size_t>(width) * bits + 7) / 8;
          const unsigned spare =
              static_cast<unsigned>(used * 8 - static_cast<size_t>(width) * bits);
          row[used - 1] |= static_cast<uint8_t>((1u << spare) - 1);
          std::fill(row + used, row + image.raster.rowStride, 0xFF);
        }
        const Picture before = PictureOf(image.raster);
        ASSERT_TRUE(Mirror(image));
        EXPECT_EQ(PictureOf(image.raster), Remap(before, width, 3,
                                                 [width](int x, int y) {
                                                   return std::pair{width - 1 - x, y};
                                                 }))
            << bits << " bits, width " << width;
        EXPECT_TRUE(test::PaddingIsZero(image.raster)) << bits << " bits, width " << width;
        EXPECT_EQ(image.raster.symmetryState, kSymmetryMirror);
        ASSERT_TRUE(Mirror(image));
        EXPECT_EQ(PictureOf(image.raster), before);
        EXPECT_EQ(image.raster.symmetryState, kSymmetryIdentity);
      }
    }
  }
}

TEST(TransformsTest, MirrorOfOddFourBitRowMovesTheLastPixelToTheHighNibble) {
  DibImage image;
  test::BmpSpec spec;
  spec.width = 3;
  spec.height = 1;
  spec.bits = 4;
  spec.pixel = [](int x, int) { return uint32_t(x + 1); };
  test::MakeImage(image, spec);
  ASSERT_TRUE(Mirror(image));
  EXPECT_EQ(image.raster.storedRow(0)[0], 0x32);
  EXPECT_EQ(image.raster.storedRow(0)[1], 0x10);
}

TEST(TransformsTest, TransposeExchangesStoredRowsAndColumns) {
  for (int bits : test::kPixelDepths) {
    for (int width = 1; width <= kMaxWidth; ++width) {
      for (int height : {1, 7, 8, 9, 17}) {
        DibImage image;
        MakeNoiseImage(image, width, height, bits, width * 31 + height);
        image.raster.xResolution = 300;
        image.raster.yResolution = 200;
        image.raster.fullHeight = height + 1;
        std::vector<std::vector<uint32_t>> stored(height, std::vector<uint32_t>(width));
        for (int y = 0; y < height; ++y) {
          for (int x = 0; x < width; ++x)
            stored[y][x] = test::PixelAt(image.raster, x, height - 1 - y);
        }
        ASSERT_TRUE(Transpose(image));
        const DibRaster& r = image.raster;
        ASSERT_EQ(r.width, height);
        ASSERT_EQ(r.height, width);
        EXPECT_EQ(r.fullWidth, height + 1);
        EXPECT_EQ(r.fullHeight, width);
        EXPECT_EQ(r.xResolution, 200);
        EXPECT_EQ(r.yResolution, 300);
        EXPECT_EQ(r.rowStride, RowStride(height, bits));
        EXPECT_EQ(r.pixelSize, r.rowStride * width);
        EXPECT_EQ(HeaderWidth(r), height);
        EXPECT_EQ(HeaderHeight(r), width);
        EXPECT_EQ(r.symmetryState, kSymmetryTranspose);
        EXPECT_TRUE(test::PaddingIsZero(r));
        bool same = true;
        for (int y = 0; y < height && same; ++y) {
          for (int x = 0; x < width && same; ++x) {
            same = test::PixelAt(r, y, width - 1 - x) == stored[y][x];
          }
        }
        EXPECT_TRUE(same) << bits << " bits, " << width << " x " << height;
      }
    }
  }
}

// Rasters larger than the tiles the byte depths are transposed in.
TEST(TransformsTest, TransposeOfLargeRastersCrossesTileEdges) {
  for (int bits : {8, 24}) {
    for (const auto& [width, height] :
         {std::pair{130, 70}, std::pair{64, 65}, std::pair{65, 129}}) {
      DibImage image;
      MakeNoiseImage(image, width, height, bits, 3);
      const Picture before = PictureOf(image.raster);
      ASSERT_TRUE(Transpose(image));
      // Bottom-up storage: picture (x, y) goes to (height - 1 - y, width - 1 - x).
      EXPECT_EQ(PictureOf(image.raster), Remap(before, height, width,
                                               [&](int x, int y) {
                                                 return std::pair{width - 1 - y, height - 1 - x};
                                               }))
          << bits << " bits, " << width << " x " << height;
    }
  }
}

TEST(TransformsTest, TransposeOfThreeByTwoColourRasterPadsRowsToEightBytes) {
  DibImage image;
  MakeNoiseImage(image, 3, 2, 24);
  ASSERT_TRUE(Transpose(image));
  EXPECT_EQ(image.raster.width, 2);
  EXPECT_EQ(image.raster.height, 3);
  EXPECT_EQ(image.raster.rowStride, 8u);
  EXPECT_EQ(BitmapInfoHeader::Read(image.raster.header()).sizeImage, 24u);
}

// The rotations turn the picture as displayed, whatever the storage order.
TEST(TransformsTest, RotationsTurnThePictureAsDisplayedInBothRowOrders) {
  for (int bits : test::kPixelDepths) {
    for (int width : {1, 7, 9, 33}) {
      for (int height : {5, -5, 12, -12}) {
        const int h = std::abs(height);
        const std::string where = std::to_string(bits) + " bits, " + std::to_string(width) + " x " +
                                  std::to_string(height);
        DibImage image;
        MakeNoiseImage(image, width, height, bits, 7);
        const Picture before = PictureOf(image.raster);

        ASSERT_TRUE(RotateLeft(image));
        EXPECT_EQ(PictureOf(image.raster), Remap(before, h, width,
                                                 [width](int x, int y) {
                                                   return std::pair{width - 1 - y, x};
                                                 }))
            << "left, " << where;
        EXPECT_EQ(image.raster.symmetryState, kSymmetryTransposeMirror);
        EXPECT_GT(HeaderWidth(image.raster), 0);

        MakeNoiseImage(image, width, height, bits, 7);
        ASSERT_TRUE(RotateRight(image));
        EXPECT_EQ(PictureOf(image.raster), Remap(before, h, width,
                                                 [h](int x, int y) {
                                                   return std::pair{y, h - 1 - x};
                                                 }))
            << "right, " << where;
        EXPECT_EQ(image.raster.symmetryState, kSymmetryTransposeFlip);

        MakeNoiseImage(image, width, height, bits, 7);
        ASSERT_TRUE(RotateHalfTurn(image));
        EXPECT_EQ(PictureOf(image.raster), Remap(before, width, h,
                                                 [width, h](int x, int y) {
                                                   return std::pair{width - 1 - x, h - 1 - y};
                                                 }))
            << "half, " << where;
        EXPECT_EQ(image.raster.symmetryState, kSymmetryHalfTurn);
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
    const int steps = 1 + static_cast<int>(random() % 6);
    for (int i = 0; i < steps; ++i) {
      switch (random() % 3) {
        case 0: ASSERT_TRUE(Flip(edited, true)); break;
        case 1: ASSERT_TRUE(Mirror(edited)); break;
        default: ASSERT_TRUE(Transpose(edited)); break;
      }
    }
    const int state = edited.raster.symmetryState;
    ASSERT_TRUE(ApplySymmetry(replayed, state));
    EXPECT_EQ(replayed.raster.symmetryState, state);
    EXPECT_EQ(PictureOf(replayed.raster), PictureOf(edited.raster)) << "state " << state;
  }
}

TEST(TransformsTest, ApplySymmetryRefusesAnUnknownState) {
  DibImage image;
  MakeNoiseImage(image, 4, 4, 8);
  EXPECT_FALSE(ApplySymmetry(image, 9));
  EXPECT_STREQ(LastMessage(), "Unknown symmetry state: 9");
}

TEST(TransformsTest, SixteenBitRasterCanOnlyBeFlipped) {
  DibImage image;
  test::BmpSpec spec;
  spec.width = 5;
  spec.height = 3;
  spec.bits = 16;
  test::MakeImage(image, spec);
  ASSERT_FALSE(image.raster.empty());
  EXPECT_TRUE(Flip(image, true));
  EXPECT_FALSE(Mirror(image));
  EXPECT_STREQ(LastMessage(), "Operation not supported for this color depth");
  ClearMessage();
  EXPECT_FALSE(Transpose(image));
  EXPECT_STREQ(LastMessage(), "Operation not supported for this color depth");
  EXPECT_EQ(image.raster.width, 5);
  EXPECT_EQ(image.raster.symmetryState, kSymmetryFlip);
  // A rotation whose first step fails leaves the raster as it was.
  EXPECT_FALSE(RotateLeft(image));
  EXPECT_EQ(image.raster.width, 5);
}

TEST(TransformsTest, OperationsOnAnEmptyImageFail) {
  DibImage image;
  EXPECT_FALSE(Flip(image, true));
  EXPECT_FALSE(Mirror(image));
  EXPECT_FALSE(Transpose(image));
  EXPECT_STREQ(LastMessage(), "There is no image.");
}

}  // namespace
}  // namespace leaf
