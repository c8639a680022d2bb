// The area-coverage weights of one axis of a resampling: for every output
// pixel, the run of source pixels it covers and the weight of each, shaped by
// the scaling method's kernel.
//
// An output pixel i of n covers the source interval [i s, (i + 1) s) with
// s = source size / output size. Its first and last source pixels count with
// the part of them that lies inside the interval, the others fully; the
// kernel then favours some of them (a single sample, or the grid centre).
// All these weights are multiples of gcd(source, n) / n (and of 1/8 for the
// centre kernel), so they are kept exactly as integers scaled per output
// pixel: the result of
// an output pixel depends only on the ratios of its weights, and integer sums
// make ties and whole values come out exactly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace leaf {

enum ScalingMethod {
  kSingleSample = 0,
  kFavorGridCenter = 1,
  kGridAverage = 2,
};

using ExactWeight = unsigned __int128;

struct AxisWeights {
  std::vector<int> first;      // first covered source pixel of each output pixel
  std::vector<int> count;      // covered source pixels
  std::vector<size_t> offset;  // where its weights start in `weights`
  std::vector<ExactWeight> weights;
  std::vector<ExactWeight> sums;  // sum of its weights
  long double largestSum = 0;     // an estimate of the largest sum, for choosing arithmetic
};

// The weights of an axis resampled from sourceSize to outputSize pixels (both
// at least 1) with the given method (any value but 0 and 2 favours the grid
// centre).
AxisWeights ComputeAxisWeights(int sourceSize, int outputSize, int method);

}  // namespace leaf
