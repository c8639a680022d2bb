#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "RasterTestSupport.h"
#include "image/BitmapInfoHeader.h"
#include "image/Messages.h"
#include "image/Resampling.h"
#include "image/Thumbnail.h"

namespace leaf {
namespace {

using test::MakeNoiseImage;
using test::PictureOf;
using u128 = unsigned __int128;

// The resampling formula computed literally, one output pixel at a time, in
// exact integers: weights in units of 1/(output size), the single-sample
// kernel value s as source size / output size in the same units, the centre
// kernel times 8.
struct ReferenceAxis {
  std::vector<int> first, count;
  std::vector<std::vector<u128>> weights;
};

ReferenceAxis Reference(int64_t h, int64_t n, int method) {
  ReferenceAxis axis;
  const int64_t k = (h + n - 1) / n;
  for (int64_t out = 0; out < n; ++out) {
    const int64_t a = out * h, b = (out + 1) * h;  // in units of 1/n
    const int64_t y0 = a / n, ceilB = (b + n - 1) / n;
    const int64_t count = ceilB - y0;
    std::vector<u128> w(count, n);
    w[0] = n - (a - y0 * n);
    w[count - 1] = n - (ceilB * n - b);
    for (int64_t i = 0; i < count; ++i) {
      u128 e = 1;
      const bool e0 = count == k, e1 = count == k + 1;
      if (method == 0 && h > n && (e0 || e1)) {
        e = i == (e0 ? k / 2 : (k + 1) / 2) ? static_cast<u128>(h) : 0;
      } else if (method != 0 && method != 2 && (e0 || e1)) {
        const int64_t c2 = e0 ? k - 1 : k;
        const int64_t base = c2 - std::abs(c2 - 2 * i) + 2;
        e = static_cast<u128>(base * base * base);
      }
      w[i] *= e;
    }
    axis.first.push_back(static_cast<int>(y0));
    axis.count.push_back(static_cast<int>(count));
    axis.weights.push_back(w);
  }
  return axis;
}

// The expected picture row by row in stored order, as PixelAt values.
std::vector<std::vector<uint32_t>> ReferenceResample(const DibRaster& r, int width, int height,
                                                     int method) {
  const ReferenceAxis xs = Reference(r.width, width, method);
  const ReferenceAxis ys = Reference(r.height, height, method);
  const auto stored = [&](int x, int y) { return test::PixelAt(r, x, r.storedIndexOfTopRow(y)); };
  std::vector<std::vector<uint32_t>> out(height, std::vector<uint32_t>(width));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (r.bitsPerPixel == 4) {
        out[y][x] = stored(xs.first[x] + xs.count[x] - 1, ys.first[y] + ys.count[y] - 1);
        continue;
      }
      u128 sum[3] = {0, 0, 0}, total = 0;
      for (int i = 0; i < ys.count[y]; ++i) {
        for (int j = 0; j < xs.count[x]; ++j) {
          const u128 w = ys.weights[y][i] * xs.weights[x][j];
          const uint32_t v = stored(xs.first[x] + j, ys.first[y] + i);
          for (int c = 0; c < 3; ++c) sum[c] += w * ((v >> (8 * c)) & 255);
          total += w;
        }
      }
      if (r.bitsPerPixel == 1) {
        out[y][x] = 2 * sum[0] > total ? 1 : 0;
      } else {
        uint32_t v = 0;
        for (int c = 0; c < (r.bitsPerPixel == 24 ? 3 : 1); ++c) {
          v |= static_cast<uint32_t>(sum[c] / total) << (8 * c);
        }
        out[y][x] = v;
      }
    }
  }
  return out;
}

// The stored rows of Resample's result, as PixelAt values; empty on failure.
std::vector<std::vector<uint32_t>> ResampledRows(const DibImage& image, int width, int height,
                                                 size_t reserve, int method) {
  PixelBlock block = Resample(image, image.raster, width, height, reserve, method);
  if (block.size() != reserve + RowStride(width, image.raster.bitsPerPixel) * height) return {};
  DibImage result;  // described bottom-up, so that picture rows read stored rows backwards
  test::DescribeBlock(result, std::move(block), width, height, image.raster.bitsPerPixel,
                      kRowOrderBottomUp, reserve);
  EXPECT_TRUE(test::PaddingIsZero(result.raster));
  std::vector<std::vector<uint32_t>> rows(height, std::vector<uint32_t>(width));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) rows[y][x] = test::PixelAt(result.raster, x, height - 1 - y);
  }
  return rows;
}

TEST(ResamplingTest, MatchesTheFormulaForEverySizeDepthAndMethod) {
  const int sizes[][4] = {{1, 1, 5, 3},   {33, 5, 7, 2},  {17, 9, 8, 4},  {12, 7, 5, 3},
                          {5, 3, 12, 7},  {9, 31, 2, 2},  {32, 4, 33, 3}, {25, 6, 1, 1},
                          {31, 11, 6, 5}, {8, 16, 8, 16}, {7, 13, 3, 26}};
  for (int bits : test::kPixelDepths) {
    for (const auto& [w, h, W, H] : sizes) {
      for (int method : {0, 1, 2, 7}) {
        for (int sign : {1, -1}) {
          DibImage image;
          MakeNoiseImage(image, w, sign * h, bits, w * 7 + h);
          EXPECT_EQ(ResampledRows(image, W, H, 5, method),
                    ReferenceResample(image.raster, W, H, method))
              << bits << " bits, " << w << "x" << sign * h << " to " << W << "x" << H << ", method "
              << method;
        }
      }
    }
  }
}

// Strong reductions with the centre kernel have weight sums beyond 32 and 64
// bits (64-bit sums for 3 x 2, 128-bit ones for the others).
TEST(ResamplingTest, StrongReductionsStayExact) {
  for (int bits : {1, 8, 24}) {
    DibImage image;
    MakeNoiseImage(image, 230, 190, bits, 9);
    for (const auto& [W, H] :
         {std::pair{1, 1}, std::pair{2, 1}, std::pair{1, 3}, std::pair{3, 2}}) {
      EXPECT_EQ(ResampledRows(image, W, H, 0, kFavorGridCenter),
                ReferenceResample(image.raster, W, H, kFavorGridCenter))
          << bits;
    }
  }
}

// One row of 8-bit values through Resample, horizontally only.
std::vector<int> ResampleRow(const std::vector<int>& values, int width, int method) {
  DibImage image;
  test::BmpRecipe recipe;
  recipe.width = static_cast<int>(values.size());
  recipe.height = 1;
  recipe.pixel = [&values](int x, int) { return uint32_t(values[x]); };
  test::MakeImage(image, recipe);
  PixelBlock block = Resample(image, image.raster, width, 1, 0, method);
  return std::vector<int>(block.data(), block.data() + width);
}

TEST(ResamplingTest, SingleSampleTakesTheKernelPixel) {
  // By 3: the centre of each block of three.
  EXPECT_EQ(ResampleRow({10, 20, 30, 40, 50, 60}, 2, kSingleSample), (std::vector<int>{20, 50}));
  // By 2.4: runs of three take their middle pixel, runs of four (4.8 to 7.2)
  // their third.
  EXPECT_EQ(ResampleRow({0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110}, 5, kSingleSample),
            (std::vector<int>{10, 30, 60, 80, 100}));
}

TEST(ResamplingTest, FavorGridCenterWeighsTheMiddleEightTimes) {
  // Three pixels: 1, 8, 1.
  EXPECT_EQ(ResampleRow({100, 0, 100}, 1, kFavorGridCenter), (std::vector<int>{20}));
  // By 2.4, the run from 4.8 to 7.2 covers pixels 4..7 with areas 0.2, 1,
  // 1, 0.2 and kernel 1, 8, 8, 1: (0.2 * 250 + 0) / 16.4 = 3.04.
  const std::vector<int> row = ResampleRow({0, 0, 0, 0, 250, 0, 0, 0, 0, 0, 0, 0}, 5, 1);
  EXPECT_EQ(row[2], 3);
}

TEST(ResamplingTest, GridAverageTiesOfBilevelPixelsStayClear) {
  DibImage image;
  test::BmpRecipe recipe;
  recipe.width = 4;
  recipe.height = 2;
  recipe.bits = 1;
  // Left block: two set of four; right block: three set of four.
  recipe.pixel = [](int x, int y) { return uint32_t(x < 2 ? y == 0 : !(x == 3 && y == 1)); };
  test::MakeImage(image, recipe);
  PixelBlock block = Resample(image, image.raster, 2, 1, 0, kGridAverage);
  ASSERT_FALSE(block.empty());
  EXPECT_EQ(block.data()[0], 0x40);
}

TEST(ResamplingTest, EnlargingCopiesEachValueIntoABlockAndFourBitsTakeTheLastPixel) {
  DibImage image;
  MakeNoiseImage(image, 3, 2, 8);
  const auto before = PictureOf(image.raster);
  for (int method : {0, 1, 2}) {
    const auto rows = ResampledRows(image, 6, 4, 0, method);
    for (int y = 0; y < 4; ++y) {
      for (int x = 0; x < 6; ++x) ASSERT_EQ(rows[y][x], before[1 - y / 2][x / 2]) << method;
    }
  }
  // Reduced by 2, output stored row 0 comes from stored row 1, columns 1 and 3.
  MakeNoiseImage(image, 4, 4, 4);
  const uint8_t* second = image.raster.storedRow(1);
  EXPECT_EQ(ResampledRows(image, 2, 2, 0, kGridAverage)[0],
            (std::vector<uint32_t>{second[0] & 15u, second[1] & 15u}));
}

TEST(ResamplingTest, SizesBelowOnePixelAndOtherDepthsFail) {
  DibImage image;
  MakeNoiseImage(image, 4, 4, 8);
  EXPECT_FALSE(Resize(image, 0, 4, 1));
  EXPECT_STREQ(LastMessage(), "New width or height less than one pixel.");
  EXPECT_EQ(image.raster.width, 4);
  EXPECT_FALSE(MakeThumbnail(image, 4, 0, 1));
  EXPECT_STREQ(LastMessage(), "Thumbnail width or height is less than one pixel.");
  test::BmpRecipe recipe;
  recipe.bits = 16;
  test::MakeImage(image, recipe);
  EXPECT_FALSE(Resize(image, 2, 2, 1));
  EXPECT_STREQ(LastMessage(), "Resampling not supported for this color depth.");
}

TEST(ResamplingTest, ResizeDetachesThePageAndResetsTheFields) {
  DibImage image;
  MakeNoiseImage(image, 8, -6, 8, 1, test::GrayPalette(8));
  image.raster.pageLink = test::StandInPageLink();
  image.raster.symmetryState = 5;
  image.raster.negativeFlag = 1;
  ASSERT_TRUE(Resize(image, 4, 3, kGridAverage));
  const DibRaster& r = image.raster;
  EXPECT_FALSE(r.pageLink);
  EXPECT_EQ(r.xResolution, 0);
  EXPECT_EQ(r.symmetryState + r.negativeFlag, 0);
  EXPECT_EQ(r.fullHeight, 3);
  EXPECT_EQ(r.grayFlag, 1);
  const BitmapInfoHeader h = BitmapInfoHeader::Read(r.header());
  EXPECT_EQ(h.height, -3);
  EXPECT_EQ(h.xPelsPerMeter, 0);
  EXPECT_EQ(h.sizeImage, 12u);
  EXPECT_EQ(r.block.size(), 40u + 1024u + 12u);
}

// Palette indices are never averaged: 4-bit and colour-palette 8-bit rasters
// are resampled in colour; short palettes come out consistent.
TEST(ResamplingTest, ResizeOfPaletteRastersAveragesColours) {
  for (int bits : {4, 8}) {
    DibImage image;
    MakeNoiseImage(image, 2, 1, bits, 1, {0xFF0000, 0x00FF00, 0x808080, 0x0000FF});
    image.raster.storedRow(0)[0] = bits == 4 ? 0x03 : 0;
    image.raster.storedRow(0)[1] = 3;
    ASSERT_TRUE(Resize(image, 1, 1, kGridAverage));
    EXPECT_EQ(image.raster.bitsPerPixel, 24);
    EXPECT_EQ(image.raster.photometric, kPhotometricRgb);
    EXPECT_EQ(image.raster.pixelOffset, 40u);
    EXPECT_EQ(test::PixelAt(image.raster, 0, 0), 0x7F007Fu) << bits;
  }
  DibImage image;
  MakeNoiseImage(image, 9, 5, 1, 3, {0xFFFFFF});
  const auto bilevel = PictureOf(image.raster);
  ASSERT_TRUE(Resize(image, 9, 5, kGridAverage));
  EXPECT_EQ(image.raster.pixelOffset, 48u);
  EXPECT_EQ(PictureOf(image.raster), bilevel);
  EXPECT_EQ(test::PaletteColor(image.raster, 0), 0xFFFFFFu);
}

TEST(ResamplingTest, ThumbnailSizeKeepsTheAspectRatio) {
  const auto size = [](int mode, int w, int h) {
    const ThumbnailSize t = ComputeThumbnailSize(w, h, 100, 70, mode);
    return std::pair{t.width, t.height};
  };
  EXPECT_EQ(size(kThumbnailFitsRectangle, 1000, 800), std::pair(87, 70));
  EXPECT_EQ(size(kThumbnailFitsRectangle, 1000, 200), std::pair(100, 20));
  EXPECT_EQ(size(kThumbnailFixedWidth, 1000, 800), std::pair(100, 80));
  EXPECT_EQ(size(kThumbnailFixedHeight, 1000, 800), std::pair(87, 70));
}

TEST(ResamplingTest, ThumbnailLeavesTheMainRasterAndKeepsGraySense) {
  DibImage image;
  std::vector<uint32_t> descending;
  for (int i = 0; i < 256; ++i) descending.push_back((255 - i) * 0x010101u);
  MakeNoiseImage(image, 20, 10, 8, 2, descending);
  ASSERT_EQ(image.raster.photometric, kPhotometricMinIsWhite);
  const uint8_t* mainBlock = image.raster.block.data();
  ASSERT_TRUE(MakeThumbnail(image, 20, 10, kGridAverage));
  EXPECT_EQ(image.raster.block.data(), mainBlock);
  EXPECT_EQ(image.thumbnail.grayFlag, 1);
  EXPECT_EQ(image.thumbnail.photometric, kPhotometricMinIsWhite);
  EXPECT_EQ(test::ColorPictureOf(image.thumbnail), test::ColorPictureOf(image.raster));

  MakeNoiseImage(image, 20, 10, 4);
  ASSERT_TRUE(MakeThumbnail(image, 10, 5, kGridAverage));
  EXPECT_EQ(image.thumbnail.sourceBitsPerPixel, 24);
  EXPECT_EQ(image.thumbnail.pixelOffset, 40u);
  EXPECT_EQ(BitmapInfoHeader::Read(image.thumbnail.header()).bitCount, 24);
  EXPECT_EQ(image.raster.bitsPerPixel, 4);
}

}  // namespace
}  // namespace leaf
