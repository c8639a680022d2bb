// Turning by quarter turns and scaling to an exact size. Both directions are
// scaled by row passes: the vertical passes run on a transposed copy.
#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "PixelOps.h"
#include "PixelResize.h"
#include "djvu_error.h"

namespace djvu {

namespace {

bool IsBilevel(const djvu_pixel_image& img) {
  return (img.flags & DJVU_GRAY) && (img.flags & DJVU_BILEVEL);
}

// The resolution along an axis that went from `from` to `to` pixels.
unsigned ScaledResolution(unsigned res, size_t from, size_t to) {
  const unsigned long long r = (from + 2ull * res * to) / (2ull * from);
  return static_cast<unsigned>(std::min<unsigned long long>(r, UINT_MAX));
}

// Transposes rows x cols pixels of c bytes: out has cols rows of rows pixels.
// Works in tiles so that both sides stay in cache.
template <unsigned C>
void TransposeTiles(const unsigned char* in, size_t rows, size_t cols, unsigned char* out) {
  constexpr size_t kTile = 32;
  for (size_t r0 = 0; r0 < rows; r0 += kTile) {
    for (size_t c0 = 0; c0 < cols; c0 += kTile) {
      const size_t r1 = std::min(rows, r0 + kTile), c1 = std::min(cols, c0 + kTile);
      for (size_t r = r0; r < r1; ++r) {
        const unsigned char* from = in + (r * cols + c0) * C;
        unsigned char* to = out + (c0 * rows + r) * C;
        for (size_t x = c0; x < c1; ++x, from += C, to += rows * C) {
          for (unsigned k = 0; k < C; ++k) to[k] = from[k];
        }
      }
    }
  }
}

void Transpose(const unsigned char* in, size_t rows, size_t cols, unsigned c, unsigned char* out) {
  if (c == 1) {
    TransposeTiles<1>(in, rows, cols, out);
  } else {
    TransposeTiles<3>(in, rows, cols, out);
  }
}

void ScaleWidth(PixelImageRef& ref, unsigned target) {
  djvu_pixel_image& img = ref.image();
  const unsigned c = img.pixsize;
  while (img.w != target) {
    const size_t next = NextPassWidth(img.w, target);
    ref.Grow(CanonicalSize(std::max<size_t>(img.w, next), img.h, c));
    ResizeRowsInPlace(img.data, img.h, img.w, next, c, IsBilevel(img));
    if (img.flags & DJVU_HAS_DPI) img.xres = ScaledResolution(img.xres, img.w, next);
    img.w = static_cast<unsigned>(next);
    img.rowsize = CanonicalRowsize(next, c);
  }
}

void ScaleHeight(PixelImageRef& ref, unsigned target) {
  djvu_pixel_image& img = ref.image();
  if (img.h == target) return;
  const unsigned c = img.pixsize;
  // Picture columns become rows of the transposed copy.
  std::vector<unsigned char> columns(CanonicalSize(img.w, img.h, c));
  Transpose(img.data, img.h, img.w, c, columns.data());
  size_t height = img.h;
  while (height != target) {
    const size_t next = NextPassWidth(height, target);
    columns.resize(CanonicalSize(img.w, std::max(height, next), c));
    ResizeRowsInPlace(columns.data(), img.w, height, next, c, IsBilevel(img));
    if (img.flags & DJVU_HAS_DPI) img.yres = ScaledResolution(img.yres, height, next);
    height = next;
  }
  ref.Grow(CanonicalSize(img.w, target, c));
  Transpose(columns.data(), img.w, target, c, img.data);
  img.h = target;
}

// Quarter turn of a canonical (bottom-up) image. Clockwise: the old top-left
// corner becomes the new top-right.
void QuarterTurn(PixelImageRef& ref, bool clockwise) {
  djvu_pixel_image& img = ref.image();
  const unsigned c = img.pixsize;
  const size_t w = img.w, h = img.h;
  std::vector<unsigned char> source(img.data, img.data + CanonicalSize(w, h, c));
  const size_t newRow = h * c;
  for (size_t y = 0; y < h; ++y) {  // y counts stored rows from the bottom
    for (size_t x = 0; x < w; ++x) {
      const size_t nx = clockwise ? y : h - 1 - y;
      const size_t ny = clockwise ? w - 1 - x : x;
      std::memcpy(img.data + ny * newRow + nx * c, &source[(y * w + x) * c], c);
    }
  }
  img.w = static_cast<unsigned>(h);
  img.h = static_cast<unsigned>(w);
  img.rowsize = CanonicalRowsize(h, c);
  std::swap(img.xres, img.yres);
}

void HalfTurn(djvu_pixel_image& img) {
  const unsigned c = img.pixsize;
  unsigned char* first = img.data;
  unsigned char* last = img.data + (CanonicalSize(img.w, img.h, c) - c);
  for (; first < last; first += c, last -= c) std::swap_ranges(first, first + c, last);
}

}  // namespace

int QuarterTurnAngle(int angle) {
  angle = ((angle % 360) + 360) % 360;
  if (angle % 90 != 0) DJVU_PIX_THROW("Can only transform 90,180, and 270 degrees.");
  return angle;
}

void Transform(PixelImageRef& ref, int angle, unsigned w, unsigned h) {
  angle = QuarterTurnAngle(angle);
  djvu_pixel_image& img = ref.image();
  if (w == 0 || h == 0) {
    const unsigned rowsize = CanonicalRowsize(w, img.pixsize);
    ReleaseOwnedBuffer(img);
    img.w = w;
    img.h = h;
    img.rowsize = rowsize;
    ref.SetUsed(UsedLength(img));
    return;
  }
  NormalizeInto(img, ref);
  const bool sideways = angle == 90 || angle == 270;
  const unsigned targetW = sideways ? h : w, targetH = sideways ? w : h;
  // Nothing to scale from.
  if (img.w == 0 || img.h == 0) DJVU_PIX_THROW("No Pixel Image Data Is Present");
  // Shrink first where possible so the buffer holds less in between.
  if (targetH < img.h) {
    ScaleHeight(ref, targetH);
    ScaleWidth(ref, targetW);
  } else {
    ScaleWidth(ref, targetW);
    ScaleHeight(ref, targetH);
  }
  if (angle == 90) QuarterTurn(ref, true);
  if (angle == 270) QuarterTurn(ref, false);
  if (angle == 180) HalfTurn(img);
}

OwnedPixelImage TransformCopy(const djvu_pixel_image& img, int angle, unsigned w, unsigned h) {
  int factor = 1;
  if (w && h) {
    const unsigned byHeight = h < img.h ? img.h / h : 1;
    const unsigned byWidth = w < img.w ? img.w / w : 1;
    factor = static_cast<int>(std::min({byHeight, byWidth, unsigned{INT_MAX}}));
  }
  OwnedPixelImage copy = Resample(img, factor, 0);
  {
    PixelImageRef ref(*copy, PixelImageRef::kModify);
    Transform(ref, angle, w, h);
  }
  return copy;
}

}  // namespace djvu
