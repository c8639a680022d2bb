#include "PixelLimit.h"

#include <algorithm>
#include <atomic>
#include <cmath>

#include "DibImage.h"

namespace leaf {

namespace {

constexpr int64_t kPixelsPerMegapixel = 1000000;

std::atomic<int> g_megapixels{kDefaultMegapixelLimit};

PixelLimitHint& Hint() {
  static PixelLimitHint hint;
  return hint;
}

std::string DefaultHint(int64_t megapixels) {
  return "set MaxMegapixels to " + std::to_string(megapixels) + " in the settings";
}

}  // namespace

void SetPixelLimit(int megapixels, PixelLimitHint hint) {
  g_megapixels = std::clamp(megapixels, 1, kLargestMegapixelLimit);
  if (hint) Hint() = std::move(hint);
}

int MegapixelLimit() { return g_megapixels; }

bool CheckPixelLimit(const DibImage& image, int64_t width, int64_t height) {
  const int limit = g_megapixels;
  if (width <= 0 || height <= 0 || width <= limit * kPixelsPerMegapixel / height) return true;
  const double pixels = static_cast<double>(width) * static_cast<double>(height);
  const auto needed = static_cast<int64_t>(std::ceil(pixels / kPixelsPerMegapixel));
  if (needed > kLargestMegapixelLimit) {
    return image.Fail(
        "The picture is %lld x %lld pixels (%.0f megapixels), more than the %d "
        "megapixels this program can hold.",
        static_cast<long long>(width), static_cast<long long>(height), pixels / kPixelsPerMegapixel,
        kLargestMegapixelLimit);
  }
  const std::string hint = Hint() ? Hint()(needed) : DefaultHint(needed);
  return image.Fail(
      "The picture is %lld x %lld pixels (%.0f megapixels), more than the limit of %d "
      "megapixels. To allow it, %s.",
      static_cast<long long>(width), static_cast<long long>(height), pixels / kPixelsPerMegapixel,
      limit, hint.c_str());
}

}  // namespace leaf
