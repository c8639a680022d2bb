#include "DjvuUpsampling.h"

#include <algorithm>

namespace leaf {

namespace {

// Pages below this resolution are enlarged when the choice is automatic...
constexpr int kLowResolution = 200;
// ... until they reach this one.
constexpr int kTargetResolution = 250;
constexpr int kLargestFactor = 4;
// ... and no larger than this (a letter page at 300 dpi has 8.4 million).
constexpr double kLargestPixels = 9.0e6;

}  // namespace

int DjvuUpsampleCode(int setting) {
  return setting <= 0 ? kDjvuUpsampleAuto : -1 - std::min(setting, kLargestFactor - 1);
}

int DjvuUpsampleFactor(int code, int dpi, int width, int height) {
  if (code < 0) return std::clamp(-code, 1, kLargestFactor);
  if (dpi <= 0 || dpi >= kLowResolution) return 1;
  int factor = std::min((kTargetResolution + dpi - 1) / dpi, kLargestFactor);
  const double pixels = static_cast<double>(width) * height;
  while (factor > 1 && pixels * factor * factor > kLargestPixels) --factor;
  return factor;
}

std::string DjvuUpsampleReport(int code, int dpi, int factor) {
  std::string text = "Upsampling: ";
  text += factor <= 1 ? std::string("none") : std::to_string(factor) + "x";
  if (code != kDjvuUpsampleAuto) text += " as set";
  text +=
      dpi > 0 ? ", the page has " + std::to_string(dpi) + " dpi" : ", the page has no resolution";
  return text;
}

}  // namespace leaf
