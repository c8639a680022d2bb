#include "Resampling.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "BitOps.h"
#include "BitmapInfoHeader.h"
#include "DepthConversions.h"
#include "PixelLimit.h"
#include "RasterChecks.h"

namespace leaf {

namespace {

constexpr const char kAllocationFailure[] = "Failed to allocate %llu bytes for a temporary image.";

// One axis's weights in the arithmetic chosen for the whole resampling.
template <typename T>
struct Axis {
  const AxisWeights& exact;
  std::vector<T> weights;
  std::vector<T> sums;

  explicit Axis(const AxisWeights& e) : exact(e) {
    weights.reserve(e.weights.size());
    for (ExactWeight w : e.weights) weights.push_back(static_cast<T>(w));
    sums.reserve(e.sums.size());
    for (ExactWeight s : e.sums) sums.push_back(static_cast<T>(s));
  }
};

// The final step for integer arithmetic: exact quotient and exact half test.
// The quotient (at most 255) comes from a multiplication by a near
// reciprocal, which is off by at most one for sums below 2^53, and is then
// corrected: much cheaper than a division for every sample.
template <typename T>
uint8_t Mean(T sum, T total, double reciprocal) {
  if constexpr (sizeof(T) > sizeof(uint64_t)) {
    return static_cast<uint8_t>(sum / total);
  } else {
    T q = static_cast<T>(static_cast<double>(sum) * reciprocal);
    if (q * total > sum) {
      --q;
    } else if ((q + 1) * total <= sum) {
      ++q;
    }
    return static_cast<uint8_t>(q);
  }
}
template <typename T>
bool AboveHalf(T sum, T total) {
  return 2 * sum > total;
}
// Weights too large for 128-bit sums (absurd aspect ratios only) fall back
// to double precision.
template <>
uint8_t Mean<double>(double sum, double total, double) {
  return static_cast<uint8_t>(std::clamp(std::floor(sum / total), 0.0, 255.0));
}
template <>
bool AboveHalf<double>(double sum, double total) {
  return sum / total > 0.5;
}

// 1, 8 and 24 bits: weighted sums of samples (a 24-bit pixel has three).
// Each output row first sums its covered source rows column by column; each
// output pixel then sums its covered columns of that row sum.
template <typename T, int kDepth>
void ResampleWeighted(const DibRaster& source, const AxisWeights& exactX, const AxisWeights& exactY,
                      uint8_t* out, size_t outStride, int width, int height) {
  constexpr int kChannels = kDepth == 24 ? 3 : 1;
  const Axis<T> xs(exactX), ys(exactY);
  std::vector<double> xReciprocals(width);
  for (int x = 0; x < width; ++x) xReciprocals[x] = 1.0 / static_cast<double>(xs.sums[x]);
  const size_t samples = static_cast<size_t>(source.width) * kChannels;
  std::vector<T> rowSum(samples);
  std::vector<uint8_t> bits(kDepth == 1 ? samples : 0);
  for (int y = 0; y < height; ++y) {
    std::fill(rowSum.begin(), rowSum.end(), T(0));
    const size_t yOffset = exactY.offset[y];
    for (int i = 0; i < exactY.count[y]; ++i) {
      const T wy = ys.weights[yOffset + i];
      if (wy == T(0)) continue;
      const uint8_t* row = source.storedRow(exactY.first[y] + i);
      if constexpr (kDepth == 1) {
        UnpackBits(row, bits.data(), samples, 0, 1);
        row = bits.data();
      }
      for (size_t k = 0; k < samples; ++k) rowSum[k] += wy * row[k];
    }
    uint8_t* outRow = out + static_cast<size_t>(y) * outStride;
    const T sy = ys.sums[y];
    const double yReciprocal = 1.0 / static_cast<double>(sy);
    for (int x = 0; x < width; ++x) {
      const T* column = rowSum.data() + static_cast<size_t>(exactX.first[x]) * kChannels;
      const T* wx = xs.weights.data() + exactX.offset[x];
      const int covered = exactX.count[x];
      const T total = xs.sums[x] * sy;
      T sum[kChannels] = {};
      for (int j = 0; j < covered; ++j) {
        for (int c = 0; c < kChannels; ++c) sum[c] += wx[j] * column[j * kChannels + c];
      }
      if constexpr (kDepth == 1) {
        if (AboveHalf(sum[0], total)) SetBit(outRow, x, true);
      } else {
        const double reciprocal = xReciprocals[x] * yReciprocal;
        for (int c = 0; c < kChannels; ++c) {
          outRow[x * kChannels + c] = Mean(sum[c], total, reciprocal);
        }
      }
    }
  }
}

template <typename T>
void ResampleWeighted(const DibRaster& source, const AxisWeights& xs, const AxisWeights& ys,
                      uint8_t* out, size_t outStride, int width, int height) {
  switch (source.bitsPerPixel) {
    case 1: ResampleWeighted<T, 1>(source, xs, ys, out, outStride, width, height); break;
    case 8: ResampleWeighted<T, 8>(source, xs, ys, out, outStride, width, height); break;
    default: ResampleWeighted<T, 24>(source, xs, ys, out, outStride, width, height); break;
  }
}

// 4 bits: each output pixel takes the last source pixel it covers.
void ResampleNibbles(const DibRaster& source, const AxisWeights& xs, const AxisWeights& ys,
                     uint8_t* out, size_t outStride, int width, int height) {
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = source.storedRow(ys.first[y] + ys.count[y] - 1);
    uint8_t* outRow = out + static_cast<size_t>(y) * outStride;
    for (int x = 0; x < width; ++x)
      SetNibble(outRow, x, GetNibble(row, xs.first[x] + xs.count[x] - 1));
  }
}

void ResamplePixels(const DibRaster& source, int method, uint8_t* out, size_t outStride, int width,
                    int height) {
  const AxisWeights xs = ComputeAxisWeights(source.width, width, method);
  const AxisWeights ys = ComputeAxisWeights(source.height, height, method);
  if (source.bitsPerPixel == 4) {
    ResampleNibbles(source, xs, ys, out, outStride, width, height);
    return;
  }
  const long double largest = 255.0L * xs.largestSum * ys.largestSum;
  if (largest < 0x1p31L) {
    ResampleWeighted<uint32_t>(source, xs, ys, out, outStride, width, height);
  } else if (largest < 0x1p62L) {
    ResampleWeighted<uint64_t>(source, xs, ys, out, outStride, width, height);
  } else if (largest < 0x1p125L) {
    ResampleWeighted<ExactWeight>(source, xs, ys, out, outStride, width, height);
  } else {
    ResampleWeighted<double>(source, xs, ys, out, outStride, width, height);
  }
}

}  // namespace

PixelBlock Resample(const DibImage& image, const DibRaster& source, int width, int height,
                    size_t reserve, int method) {
  if (width < 1 || height < 1) {
    image.Fail("New width or height less than one pixel.");
    return {};
  }
  if (!CheckRaster(image, source)) return {};
  if (!IsPixelDepth(source.bitsPerPixel)) {
    image.Fail("Resampling not supported for this color depth.");
    return {};
  }
  if (!CheckPixelLimit(image, width, height)) return {};
  const uint64_t bytes = BlockBytes(reserve, width, height, source.bitsPerPixel);
  PixelBlock block = AllocateBlock(bytes);
  if (!block) {
    image.Fail(kAllocationFailure, static_cast<unsigned long long>(bytes));
    return {};
  }
  try {
    ResamplePixels(source, method, block.data() + reserve, RowStride(width, source.bitsPerPixel),
                   width, height);
  } catch (const std::bad_alloc&) {
    image.Fail(kAllocationFailure, static_cast<unsigned long long>(bytes));
    return {};
  }
  return block;
}

}  // namespace leaf
