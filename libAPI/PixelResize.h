// One-dimensional resizing shared by enlargement and the exact-size
// transform: splitting samples for 2x and 3x, and fitting a line of pixels
// to an exact length.
#pragma once

#include <cstddef>
#include <vector>

namespace djvu {

// Splits sample v into factor (2 or 3) samples from low to high position,
// their mean v, the slope set by the neighbours lo and hi; plain copies when
// a split sample would leave 0..255.
inline void SplitSample(int v, int lo, int hi, unsigned factor, unsigned char* out) {
  // New samples sit at -1/4, +1/4 (factor 2) or -1/3, 0, +1/3 (factor 3) of
  // the old spacing; the slope per old sample is (hi - lo) / 2.
  const int d = factor == 2 ? (hi - lo) / 8 : (hi - lo) / 6;
  int low = v - d, high = v + d;
  if (low < 0 || low > 255 || high < 0 || high > 255) low = high = v;
  out[0] = static_cast<unsigned char>(low);
  if (factor == 3) {
    out[1] = static_cast<unsigned char>(v);
    out[2] = static_cast<unsigned char>(high);
  } else {
    out[1] = static_cast<unsigned char>(high);
  }
}

// Splits every pixel of a row of w pixels (c bytes each) into factor pixels.
void SplitRow(const unsigned char* in, size_t w, unsigned c, unsigned factor, unsigned char* out);

// The next width a row pass goes to on the way from n to target: one pass
// enlarges at most three times.
size_t NextPassWidth(size_t n, size_t target);

// One row pass: rescales a line of n pixels to m pixels (m <= 3n). A whole
// shrink factor k >= 2 box-averages groups of k first; an enlargement first
// splits by ceil(m / n); the line is then fitted to exactly m samples by
// linear interpolation in 8-bit fixed point. Bilevel lines stay bilevel.
void ResizeLine(const unsigned char* in, size_t n, unsigned c, size_t m, bool bilevel,
                unsigned char* out, std::vector<unsigned char>& scratch);

// One row pass over rows x n pixels in place; the buffer holds
// rows x max(n, m) pixels.
void ResizeRowsInPlace(unsigned char* data, size_t rows, size_t n, size_t m, unsigned c,
                       bool bilevel);

}  // namespace djvu
