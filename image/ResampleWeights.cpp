#include "ResampleWeights.h"

#include <algorithm>
#include <cstdlib>
#include <numeric>

namespace leaf {

namespace {

// The kernel value for covered pixel i of an output pixel that covers
// `covered` source pixels, where K = ceil(s). Kernels are defined only for
// runs of K (e0) and K + 1 (e1) pixels; since every run has one of those
// lengths the others never occur, and they would count flat. Each kernel is
// kept scaled by a constant (a single sample counts 1 instead of s, the
// centre kernel is multiplied by 8), which leaves the ratios unchanged.
ExactWeight Kernel(int method, bool enlarging, int64_t k, int64_t covered, int64_t i) {
  const bool e0 = covered == k;
  if (!e0 && covered != k + 1) return 1;
  switch (method) {
    case kGridAverage: return 1;
    case kSingleSample:
      if (enlarging) return 1;
      return i == (e0 ? k / 2 : (k + 1) / 2) ? 1 : 0;
    default: {
      // (c - |c - i| + 1)^3 with c = (K - 1) / 2 or K / 2, times 8.
      const int64_t twiceCentre = e0 ? k - 1 : k;
      const ExactWeight base =
          static_cast<ExactWeight>(twiceCentre - std::llabs(twiceCentre - 2 * i) + 2);
      return base * base * base;
    }
  }
}

}  // namespace

AxisWeights ComputeAxisWeights(int sourceSize, int outputSize, int method) {
  AxisWeights axis;
  const int64_t h = sourceSize, n = outputSize;
  // Every area weight is a multiple of gcd(h, n) / n: counting in those units
  // keeps the sums small (1 for each pixel when n divides h).
  const int64_t unit = std::gcd(h, n);
  const int64_t k = (h + n - 1) / n;  // ceil(s)
  const bool enlarging = h <= n;      // s <= 1
  axis.first.resize(n);
  axis.count.resize(n);
  axis.offset.resize(n);
  axis.sums.resize(n);
  axis.weights.reserve(static_cast<size_t>(h + 2 * n));
  for (int64_t out = 0; out < n; ++out) {
    // The interval [a, b) = [out h / n, (out + 1) h / n), in units of 1/n.
    const int64_t a = out * h, b = (out + 1) * h;
    const int64_t first = std::min(a / n, h - 1);
    const int64_t ceilB = (b + n - 1) / n;
    const int64_t covered = std::clamp<int64_t>(ceilB - first, 1, h - first);
    axis.first[out] = static_cast<int>(first);
    axis.count[out] = static_cast<int>(covered);
    axis.offset[out] = axis.weights.size();
    ExactWeight sum = 0;
    for (int64_t i = 0; i < covered; ++i) {
      int64_t area = n;
      if (i == 0) area = n - (a - first * n);
      if (i == covered - 1) area = n - (ceilB * n - b);
      const ExactWeight w =
          static_cast<ExactWeight>(area / unit) * Kernel(method, enlarging, k, covered, i);
      axis.weights.push_back(w);
      sum += w;
    }
    axis.sums[out] = sum;
    axis.largestSum = std::max(axis.largestSum, static_cast<long double>(sum));
  }
  return axis;
}

}  // namespace leaf
