// A shape's pixels packed 64 to a word, for comparing shapes quickly: the
// count of pixels in which two shapes differ at a given placement, and the
// morphology the glyph test needs. Rows run from the top of the shape down;
// bit i of word k of a row is pixel 64 k + i. Bits beyond the width are 0.
#pragma once

#include <cstdint>
#include <vector>

#include "GBitmap.h"

namespace djvu {

class PackedBitmap {
 public:
  PackedBitmap() = default;
  // An all-paper bitmap.
  PackedBitmap(int width, int height);
  // The ink of a codec bitmap (whose row 0 is its bottom row).
  explicit PackedBitmap(const GBitmap& bits);

  int width() const { return width_; }
  int height() const { return height_; }
  int words() const { return words_; }
  // Ink pixels.
  int ink() const { return ink_; }

  const uint64_t* row(int y) const { return &bits_[static_cast<size_t>(y) * words_]; }
  uint64_t* row(int y) { return &bits_[static_cast<size_t>(y) * words_]; }
  bool at(int x, int y) const { return (row(y)[x >> 6] >> (x & 63)) & 1; }
  void set(int x, int y) { row(y)[x >> 6] |= uint64_t{1} << (x & 63); }

  // The 64 pixels of row y from column x on (x may be negative; pixels
  // outside the bitmap are paper).
  uint64_t Fetch(int y, int x) const;

  // Ink pixels on the outline: with paper (or the bitmap's edge) above,
  // below, left or right of them.
  int OutlinePixels() const;

  // Recounts the ink after the bits were changed through row() or set().
  void CountInk();

  // The codec bitmap of these pixels.
  GP<GBitmap> ToGBitmap() const;

 private:
  int width_ = 0;
  int height_ = 0;
  int words_ = 0;
  int ink_ = 0;
  std::vector<uint64_t> bits_;
};

// The number of pixels that differ between a and b when b's pixel (x, y)
// lies on a's pixel (x + dx, y + dy); counting stops once it exceeds limit.
int DifferingPixels(const PackedBitmap& a, const PackedBitmap& b, int dx, int dy, int limit);

}  // namespace djvu
