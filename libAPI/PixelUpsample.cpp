// Integer enlargement of canonical images: doubling and tripling split every
// sample into samples whose mean is the old one, with the slope taken from
// the neighbours; what is left is pixel replication. The buffer grows once
// per step and is filled from the end backwards, so rows never overwrite
// input that is still to be read.
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "Encoder/libMaskFind/page_heap.h"
#include "PixelOps.h"
#include "PixelResize.h"
#include "djvu_error.h"

namespace djvu {

namespace {

unsigned Scaled(unsigned v, unsigned factor) {
  const unsigned long long scaled = static_cast<unsigned long long>(v) * factor;
  if (scaled > UINT_MAX) DJVU_PIX_THROW("Failed to allocate memory");
  return static_cast<unsigned>(scaled);
}

// Grows the image's buffer for a factor x factor enlargement and updates the
// record's geometry and resolution; returns the old width and height.
struct OldSize {
  unsigned w, h;
};
OldSize GrowForEnlargement(PixelImageRef& ref, unsigned factor) {
  djvu_pixel_image& img = ref.image();
  const OldSize old{img.w, img.h};
  const unsigned w = Scaled(img.w, factor), h = Scaled(img.h, factor);
  const unsigned rowsize = CanonicalRowsize(w, img.pixsize);
  const size_t bytes = CanonicalSize(w, h, img.pixsize);
  ref.Grow(bytes);
  // The enlarged page is written once from end to start: huge pages fault
  // it in with a fraction of the faults.
  maskfind::advise_huge_pages(img.data, bytes);
  img.w = w;
  img.h = h;
  img.rowsize = rowsize;
  if (img.flags & DJVU_HAS_DPI) {
    img.xres = static_cast<unsigned>(
        std::min<unsigned long long>(static_cast<unsigned long long>(img.xres) * factor, UINT_MAX));
    img.yres = static_cast<unsigned>(
        std::min<unsigned long long>(static_cast<unsigned long long>(img.yres) * factor, UINT_MAX));
  }
  return old;
}

void Replicate(PixelImageRef& ref, unsigned factor) {
  djvu_pixel_image& img = ref.image();
  const unsigned c = img.pixsize;
  const OldSize old = GrowForEnlargement(ref, factor);
  const size_t inRow = size_t{old.w} * c;
  std::vector<unsigned char> source(inRow);
  for (unsigned j = old.h; j-- > 0;) {
    std::memcpy(source.data(), img.data + j * inRow, inRow);
    unsigned char* first = img.data + size_t{j} * factor * img.rowsize;
    unsigned char* out = first;
    for (unsigned x = 0; x < old.w; ++x) {
      for (unsigned k = 0; k < factor; ++k, out += c) std::memcpy(out, &source[size_t{x} * c], c);
    }
    for (unsigned k = 1; k < factor; ++k) std::memcpy(first + k * img.rowsize, first, img.rowsize);
  }
}

// SplitSample by 3 of every sample of a row between the rows below and
// above, into three rows of n samples from out on, written so that the
// compiler can take many samples at a time.
void SplitColumnsInThree(const unsigned char* row, const unsigned char* below,
                         const unsigned char* above, size_t n, unsigned char* out) {
  for (size_t i = 0; i < n; ++i) {
    const int v = row[i];
    const int d = (above[i] - below[i]) / 6;
    const bool inRange = v - d >= 0 && v - d <= 255 && v + d >= 0 && v + d <= 255;
    out[i] = static_cast<unsigned char>(inRange ? v - d : v);
    out[n + i] = static_cast<unsigned char>(v);
    out[2 * n + i] = static_cast<unsigned char>(inRange ? v + d : v);
  }
}

// Interpolating enlargement by 2 or 3: rows are split horizontally into a
// rolling window of three rows, then each is split vertically.
void Interpolate(PixelImageRef& ref, unsigned factor) {
  djvu_pixel_image& img = ref.image();
  const unsigned c = img.pixsize;
  const OldSize old = GrowForEnlargement(ref, factor);
  const size_t inRow = size_t{old.w} * c;
  const size_t wide = img.rowsize;
  std::vector<unsigned char> above(wide), current(wide), below(wide), split(factor);
  const auto splitRow = [&](unsigned j, std::vector<unsigned char>& out) {
    SplitRow(img.data + j * inRow, old.w, c, factor, out.data());
  };
  splitRow(old.h - 1, current);
  above = current;
  for (unsigned j = old.h; j-- > 0;) {
    if (j > 0) {
      splitRow(j - 1, below);
    } else {
      below = current;
    }
    unsigned char* out = img.data + size_t{j} * factor * wide;
    if (factor == 3) {
      SplitColumnsInThree(current.data(), below.data(), above.data(), wide, out);
    } else {
      for (size_t i = 0; i < wide; ++i) {
        SplitSample(current[i], below[i], above[i], factor, split.data());
        for (unsigned k = 0; k < factor; ++k) out[k * wide + i] = split[k];
      }
    }
    above.swap(current);
    current.swap(below);
  }
}

void Enlarge(PixelImageRef& ref, unsigned factor) {
  const djvu_pixel_image& img = ref.image();
  const bool bilevel = (img.flags & DJVU_GRAY) && (img.flags & DJVU_BILEVEL);
  if (img.w < 3 || bilevel) {
    Replicate(ref, factor);
  } else {
    Interpolate(ref, factor);
  }
}

void SmoothAfterDoubling(PixelImageRef& ref, int budget) {
  if (budget <= 0) return;
  std::vector<long long> changes{djvu_pixel_smooth2(ref)};
  if (budget > 1) changes.push_back(djvu_pixel_smooth2(ref));
  if (budget <= 2) return;
  changes.push_back(djvu_pixel_smooth2(ref));
  // Further passes only while they still settle the picture.
  while (static_cast<int>(changes.size()) < budget) {
    const size_t n = changes.size();
    if (!(changes[n - 1] < changes[n - 2] && changes[n - 1] < changes[n - 3])) break;
    changes.push_back(djvu_pixel_smooth2(ref));
  }
}

// Passes allowed after each doubling for a smoothing level.
int SmoothingBudget(int smoothing) {
  return smoothing < 76 ? (smoothing + 14) / 15 : (3 * smoothing - 196) / 5;
}

unsigned ScaledEmpty(unsigned v, long long numerator, long long denominator) {
  const long long scaled = static_cast<long long>(v) * numerator / denominator;
  if (scaled > UINT_MAX) DJVU_PIX_THROW("Failed to allocate memory");
  return static_cast<unsigned>(scaled);
}

}  // namespace

void UpsampleCanonical(PixelImageRef& ref, unsigned factor, int smoothingBudget) {
  const djvu_pixel_image& img = ref.image();
  const bool bilevel = (img.flags & DJVU_GRAY) && (img.flags & DJVU_BILEVEL);
  unsigned f = factor;
  while (f % 2 == 0) {
    Enlarge(ref, 2);
    // Smoothing would bring gray into a bilevel image.
    if (!bilevel) SmoothAfterDoubling(ref, smoothingBudget);
    f /= 2;
  }
  while (f % 3 == 0) {
    Enlarge(ref, 3);
    f /= 3;
  }
  if (f > 1) Replicate(ref, f);
}

long long djvu_pixel_smooth2(PixelImageRef& ref) {
  djvu_pixel_image& img = ref.image();
  if (img.w == 0 || img.h == 0 || img.w % 2 || img.h % 2) {
    DJVU_PIX_THROW("Image must be doubled before calling djvu_pixel_smooth2()");
  }
  const unsigned c = img.pixsize;
  const size_t row = img.rowsize;
  std::vector<unsigned char> lower(row), upper(row), previousUpper(row);
  long long change = 0;
  for (unsigned by = 0; by < img.h / 2; ++by) {
    unsigned char* outLower = img.data + size_t{2 * by} * row;
    unsigned char* outUpper = outLower + row;
    std::memcpy(lower.data(), outLower, row);
    std::memcpy(upper.data(), outUpper, row);
    const unsigned char* below = by > 0 ? previousUpper.data() : lower.data();
    const unsigned char* above = 2 * by + 2 < img.h ? outUpper + row : upper.data();
    for (unsigned bx = 0; bx < img.w / 2; ++bx) {
      const size_t x0 = size_t{2 * bx} * c, x1 = x0 + c;
      const size_t left = bx > 0 ? x0 - c : x0;
      const size_t right = 2 * bx + 2 < img.w ? x1 + c : x1;
      for (unsigned k = 0; k < c; ++k) {
        const int s[4] = {lower[x0 + k], lower[x1 + k], upper[x0 + k], upper[x1 + k]};
        int t[4] = {
            (2 * s[0] + lower[left + k] + below[x0 + k] + 2) / 4,
            (2 * s[1] + lower[right + k] + below[x1 + k] + 2) / 4,
            (2 * s[2] + upper[left + k] + above[x0 + k] + 2) / 4,
            (2 * s[3] + upper[right + k] + above[x1 + k] + 2) / 4,
        };
        // Keep the block's mean: it is the sample the block was split from.
        const int delta = (s[0] + s[1] + s[2] + s[3]) - (t[0] + t[1] + t[2] + t[3]);
        const int share = delta / 4, rest = delta - 4 * share;
        bool inRange = true;
        for (int i = 0; i < 4; ++i) {
          t[i] += share + (i < std::abs(rest) ? (rest > 0 ? 1 : -1) : 0);
          inRange = inRange && t[i] >= 0 && t[i] <= 255;
        }
        if (!inRange) continue;
        outLower[x0 + k] = static_cast<unsigned char>(t[0]);
        outLower[x1 + k] = static_cast<unsigned char>(t[1]);
        outUpper[x0 + k] = static_cast<unsigned char>(t[2]);
        outUpper[x1 + k] = static_cast<unsigned char>(t[3]);
        for (int i = 0; i < 4; ++i) change += std::abs(t[i] - s[i]);
      }
    }
    previousUpper.swap(upper);
  }
  return change;
}

OwnedPixelImage Resample(const djvu_pixel_image& img, int factor, int smoothing) {
  OwnedPixelImage copy = CanonicalCopy(img);
  PixelImageRef ref(*copy, PixelImageRef::kModify);
  djvu_pixel_image& out = *copy;
  if (out.w == 0 || out.h == 0) {
    const long long num = factor >= 1 ? 1 : -static_cast<long long>(factor);
    const long long den = factor >= 1 ? factor : 1;
    out.w = ScaledEmpty(out.w, num, den);
    out.h = ScaledEmpty(out.h, num, den);
    out.rowsize = ScaledEmpty(out.rowsize, num, den);
    return copy;
  }
  if (factor >= 1) {
    if (factor > 1) SubsampleCanonical(ref, factor);
    return copy;
  }
  if (out.h && out.rowsize && factor < -1) {
    const long long f = -static_cast<long long>(factor);
    if (f > UINT_MAX) DJVU_PIX_THROW("Failed to allocate memory");
    UpsampleCanonical(ref, static_cast<unsigned>(f), SmoothingBudget(smoothing));
  }
  return copy;
}

}  // namespace djvu
