#include "Transforms.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "BitOps.h"
#include "BitmapInfoHeader.h"
#include "RasterChecks.h"

namespace leaf {

namespace {

// Each state as a 2x2 matrix acting on centred picture coordinates (x, y):
// Flip negates y, Mirror negates x, Transpose swaps the axes.
using Matrix = std::array<int, 4>;  // a b / c d
constexpr std::array<Matrix, 8> kStateMatrices = {{
    {1, 0, 0, 1},    // 0 identity
    {0, -1, 1, 0},   // 1 Mirror * Transpose
    {0, 1, -1, 0},   // 2 Flip * Transpose
    {-1, 0, 0, -1},  // 3 Flip * Mirror
    {1, 0, 0, -1},   // 4 Flip
    {-1, 0, 0, 1},   // 5 Mirror
    {0, -1, -1, 0},  // 6 Flip * Mirror * Transpose
    {0, 1, 1, 0},    // 7 Transpose
}};

constexpr Matrix Multiply(const Matrix& p, const Matrix& q) {
  return {p[0] * q[0] + p[1] * q[2], p[0] * q[1] + p[1] * q[3], p[2] * q[0] + p[3] * q[2],
          p[2] * q[1] + p[3] * q[3]};
}

constexpr const char kUnsupportedDepth[] = "Operation not supported for this color depth";

// Rebuilds a 1-bit row of the given width in reverse order into out, which
// has room for the whole stride; the bits after the last pixel come out 0.
void MirrorBits(const uint8_t* row, uint8_t* out, uint8_t* scratch, size_t width) {
  const size_t bytes = (width + 7) / 8;
  for (size_t k = 0; k < bytes; ++k) scratch[k] = kReversedBits[row[bytes - 1 - k]];
  scratch[bytes] = 0;
  // The reversed bytes start with the unused bits of the last byte.
  const unsigned skip = static_cast<unsigned>(bytes * 8 - width);
  if (skip == 0) {
    std::copy(scratch, scratch + bytes, out);
    return;
  }
  for (size_t k = 0; k < bytes; ++k) {
    out[k] = static_cast<uint8_t>((scratch[k] << skip) | (scratch[k + 1] >> (8 - skip)));
  }
}

// The same for 4-bit rows: two pixels a byte, the high nibble on the left.
void MirrorNibbles(const uint8_t* row, uint8_t* out, uint8_t* scratch, size_t width) {
  const size_t bytes = (width + 1) / 2;
  for (size_t k = 0; k < bytes; ++k) {
    const uint8_t b = row[bytes - 1 - k];
    scratch[k] = static_cast<uint8_t>((b << 4) | (b >> 4));
  }
  scratch[bytes] = 0;
  if (width % 2 == 0) {
    std::copy(scratch, scratch + bytes, out);
    return;
  }
  for (size_t k = 0; k < bytes; ++k) {
    out[k] = static_cast<uint8_t>((scratch[k] << 4) | (scratch[k + 1] >> 4));
  }
}

// The byte-sized depths are reversed in place; 8-bit rows eight bytes at a
// time from both ends.
void MirrorBytes(uint8_t* row, size_t width) {
  uint8_t* left = row;
  uint8_t* right = row + width;
  while (right - left >= 16) {
    right -= 8;
    uint64_t a, b;
    std::memcpy(&a, left, 8);
    std::memcpy(&b, right, 8);
    a = __builtin_bswap64(a);
    b = __builtin_bswap64(b);
    std::memcpy(left, &b, 8);
    std::memcpy(right, &a, 8);
    left += 8;
  }
  std::reverse(left, right);
}

// 24-bit rows go through the scratch row (one byte longer than the row):
// pixel x takes pixel width - 1 - x. Pixels move as 4-byte words whose
// fourth byte the next pixel overwrites; the last source pixel, whose fourth
// byte may lie past the row, moves as three bytes.
void MirrorTriples(uint8_t* row, uint8_t* out, size_t width) {
  std::memcpy(out, row + 3 * (width - 1), 3);
  for (size_t x = 1; x < width; ++x) {
    uint32_t pixel;
    std::memcpy(&pixel, row + 3 * (width - 1 - x), 4);
    std::memcpy(out + 3 * x, &pixel, 4);
  }
  std::memcpy(row, out, 3 * width);
}

}  // namespace

int ComposeSymmetry(int state, int operation) {
  if (state < 0 || state > 7 || operation < 0 || operation > 7) return -1;
  const Matrix product = Multiply(kStateMatrices[operation], kStateMatrices[state]);
  for (int s = 0; s < 8; ++s) {
    if (kStateMatrices[s] == product) return s;
  }
  return -1;
}

bool SymmetrySwapsSides(int state) {
  return state >= 0 && state <= 7 && kStateMatrices[state][0] == 0;
}

int InverseSymmetry(int state) {
  for (int s = 0; s < 8; ++s) {
    if (ComposeSymmetry(state, s) == kSymmetryIdentity) return s;
  }
  return -1;
}

void MapPixelThroughSymmetry(int state, int width, int height, int& x, int& y) {
  if (state < 0 || state > 7) return;
  const Matrix& m = kStateMatrices[state];
  // Doubled coordinates of the pixel's centre about the picture's centre,
  // y pointing up as the matrices take it.
  const int cx = 2 * x + 1 - width;
  const int cy = height - 1 - 2 * y;
  const int tx = m[0] * cx + m[1] * cy;
  const int ty = m[2] * cx + m[3] * cy;
  const int turnedWidth = SymmetrySwapsSides(state) ? height : width;
  const int turnedHeight = SymmetrySwapsSides(state) ? width : height;
  x = (tx + turnedWidth - 1) / 2;
  y = (turnedHeight - 1 - ty) / 2;
}

bool Flip(DibImage& image, bool picture) {
  DibRaster& r = image.raster;
  if (!CheckRaster(image, r)) return false;
  for (int i = 0, j = r.height - 1; i < j; ++i, --j) {
    std::swap_ranges(r.storedRow(i), r.storedRow(i) + r.rowStride, r.storedRow(j));
  }
  if (picture) {
    r.symmetryState = ComposeSymmetry(r.symmetryState, kSymmetryFlip);
  } else {
    r.rowOrder = r.rowOrder == kRowOrderTopDown ? kRowOrderBottomUp : kRowOrderTopDown;
    BitmapInfoHeader h = BitmapInfoHeader::Read(r.header());
    h.height = r.rowOrder == kRowOrderTopDown ? -r.height : r.height;
    h.Write(r.header());
  }
  return true;
}

bool Mirror(DibImage& image) {
  DibRaster& r = image.raster;
  if (!CheckRaster(image, r)) return false;
  if (!IsPixelDepth(r.bitsPerPixel)) return image.Fail(kUnsupportedDepth);
  std::vector<uint8_t> out(r.rowStride, 0);
  std::vector<uint8_t> scratch(r.rowStride + 1, 0);
  const size_t width = static_cast<size_t>(r.width);
  const size_t usedBytes = (width * r.bitsPerPixel + 7) / 8;
  for (int y = 0; y < r.height; ++y) {
    uint8_t* row = r.storedRow(y);
    switch (r.bitsPerPixel) {
      case 1:
        MirrorBits(row, out.data(), scratch.data(), width);
        std::copy(out.begin(), out.end(), row);
        break;
      case 4:
        MirrorNibbles(row, out.data(), scratch.data(), width);
        std::copy(out.begin(), out.end(), row);
        break;
      case 8: MirrorBytes(row, width); break;
      default: MirrorTriples(row, scratch.data(), width); break;
    }
    std::fill(row + usedBytes, row + r.rowStride, 0);
  }
  r.symmetryState = ComposeSymmetry(r.symmetryState, kSymmetryMirror);
  return true;
}

bool ApplySymmetry(DibImage& image, int state) {
  switch (state) {
    case kSymmetryIdentity: break;
    case kSymmetryTransposeMirror:
      if (Transpose(image)) Mirror(image);
      break;
    case kSymmetryTransposeFlip:
      if (Transpose(image)) Flip(image, true);
      break;
    case kSymmetryHalfTurn:
      Flip(image, true);
      Mirror(image);
      break;
    case kSymmetryFlip: Flip(image, true); break;
    case kSymmetryMirror: Mirror(image); break;
    case kSymmetryTransposeMirrorFlip:
      if (Transpose(image) && Mirror(image)) Flip(image, true);
      break;
    case kSymmetryTranspose: Transpose(image); break;
    default: return image.Fail("Unknown symmetry state: %d", state);
  }
  return true;
}

bool RotateLeft(DibImage& image) { return Transpose(image) && Mirror(image); }

bool RotateRight(DibImage& image) { return Transpose(image) && Flip(image, true); }

bool RotateHalfTurn(DibImage& image) { return Mirror(image) && Flip(image, true); }

}  // namespace leaf
