#include "DjvuUpsampling.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace leaf {

namespace {

// Pages below this resolution are enlarged when the choice is automatic...
constexpr int kLowResolution = 200;
// ... until they reach this one.
constexpr int kTargetResolution = 250;
constexpr int kLargestFactor = 4;
// ... and enlarged more than twice only up to this many pixels (an A4 page
// at 120 dpi enlarged three times has 12.5 million; at twice, 240 dpi, its
// letters still lose their shapes)...
constexpr double kLargestPixels = 13.5e6;
// ... but doubled up to this many (a letter page at 600 dpi has 33.7
// million): a page left below 200 dpi loses its letters' shapes.
constexpr double kLargestDoubledPixels = 36.0e6;

// A page is sampled every this many pixels in both directions.
constexpr unsigned kSampleStep = 4;
// The paper's lightness: the level this share of the samples reaches.
constexpr double kPaperQuantile = 0.9;
// Samples this close below the paper's lightness count as paper.
constexpr int kPaperBand = 48;
// Text pages are mostly paper; below this share the page is a photograph.
constexpr double kLeastPaperShare = 0.45;

// Lightness 0..255 of a pixel: gray, or (r + 2g + b) / 4 whatever the
// channel order.
int Lightness(const unsigned char* pixel, bool gray) {
  return gray ? pixel[0] : (pixel[0] + 2 * pixel[1] + pixel[2]) / 4;
}

}  // namespace

int DjvuUpsampleCode(int setting) {
  return setting <= 0 ? kDjvuUpsampleAuto : -1 - std::min(setting, kLargestFactor - 1);
}

int DjvuUpsampleFactor(int code, int dpi, int width, int height) {
  if (code < 0) return std::clamp(-code, 1, kLargestFactor);
  if (dpi <= 0 || dpi >= kLowResolution) return 1;
  int factor = std::min((kTargetResolution + dpi - 1) / dpi, kLargestFactor);
  const double pixels = static_cast<double>(width) * height;
  while (factor > 2 && pixels * factor * factor > kLargestPixels) --factor;
  if (factor == 2 && pixels * 4 > kLargestDoubledPixels) factor = 1;
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

bool LooksLikePhotograph(const djvu_pixel_image& page) {
  if (!page.data || page.w == 0 || page.h == 0) return false;
  const bool gray = (page.flags & DJVU_GRAY) != 0;
  std::array<uint64_t, 256> counts{};
  uint64_t samples = 0;
  for (unsigned y = 0; y < page.h; y += kSampleStep) {
    const unsigned char* row = page.data + page.offset + size_t{y} * page.rowsize;
    for (unsigned x = 0; x < page.w; x += kSampleStep) {
      ++counts[static_cast<size_t>(Lightness(row + size_t{x} * page.pixsize, gray))];
      ++samples;
    }
  }
  uint64_t seen = 0;
  int paper = 0;
  while (paper < 255 && (seen += counts[static_cast<size_t>(paper)]) < kPaperQuantile * samples) {
    ++paper;
  }
  uint64_t nearPaper = 0;
  for (int v = std::max(0, paper - kPaperBand); v < 256; ++v) {
    nearPaper += counts[static_cast<size_t>(v)];
  }
  return nearPaper < kLeastPaperShare * samples;
}

DjvuUpsampling ChooseDjvuUpsampling(int code, int dpi, const djvu_pixel_image& page) {
  DjvuUpsampling choice;
  choice.factor = DjvuUpsampleFactor(code, dpi, static_cast<int>(page.w), static_cast<int>(page.h));
  if (choice.factor > 1 && code == kDjvuUpsampleAuto && LooksLikePhotograph(page)) {
    choice.factor = 1;
    choice.report =
        "Upsampling: none, the page looks like a photograph (" + std::to_string(dpi) + " dpi)";
    return choice;
  }
  choice.report = DjvuUpsampleReport(code, dpi, choice.factor);
  return choice;
}

}  // namespace leaf
