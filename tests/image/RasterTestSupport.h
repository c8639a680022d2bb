// Helpers for the raster operation tests: noisy test images of any size and
// depth, the picture as a grid of values, and padding checks.
#pragma once

#include <cstdint>
#include <vector>

#include "image/DibImage.h"
#include "tests/support/Fixtures.h"

namespace leaf::test {

// A deterministic pseudo-random value for a pixel.
inline uint32_t Noise(int x, int y, uint32_t seed) {
  uint32_t v = static_cast<uint32_t>(x) * 0x9E3779B1u ^ static_cast<uint32_t>(y) * 0x85EBCA77u ^
               seed * 0xC2B2AE3Du;
  v ^= v >> 15;
  v *= 0x2C1B3C6Du;
  v ^= v >> 12;
  return v;
}

// An image of the given size and depth filled with noise; a negative height
// stores the rows top-down. Palette depths get a colour palette unless one
// is given.
inline void MakeNoiseImage(DibImage& image, int width, int height, int bits, uint32_t seed = 1,
                           std::vector<uint32_t> palette = {}) {
  BmpRecipe recipe;
  recipe.width = width;
  recipe.height = height;
  recipe.bits = bits;
  if (bits <= 8 && palette.empty()) {
    for (int i = 0; i < (1 << bits); ++i) palette.push_back(Noise(i, -1, seed) & 0xFFFFFF);
  }
  recipe.palette = palette;
  recipe.colorsUsed = bits <= 8 && palette.size() != (1u << bits) ? palette.size() : 0;
  recipe.pixel = [seed, bits](int x, int y) {
    const uint32_t v = Noise(x, y, seed);
    return bits == 24 ? v & 0xFFFFFF : v % (1u << bits);
  };
  MakeImage(image, recipe);
}

using Picture = std::vector<std::vector<uint32_t>>;  // [row from the top][column]

inline Picture PictureOf(const DibRaster& raster) {
  Picture picture(raster.height, std::vector<uint32_t>(raster.width));
  for (int y = 0; y < raster.height; ++y) {
    for (int x = 0; x < raster.width; ++x) picture[y][x] = PixelAt(raster, x, y);
  }
  return picture;
}

// The picture with each pixel replaced by its palette colour (0xRRGGBB).
inline Picture ColorPictureOf(const DibRaster& raster) {
  Picture picture = PictureOf(raster);
  if (raster.bitsPerPixel > 8) return picture;
  for (auto& row : picture) {
    for (auto& v : row) v = v < raster.paletteEntries() ? PaletteColor(raster, v) : 0;
  }
  return picture;
}

// True when every bit after the last pixel of every stored row is zero.
inline bool PaddingIsZero(const DibRaster& raster) {
  const size_t usedBits = static_cast<size_t>(raster.width) * raster.bitsPerPixel;
  for (int y = 0; y < raster.height; ++y) {
    const uint8_t* row = raster.storedRow(y);
    for (size_t bit = usedBits; bit < raster.rowStride * 8; ++bit) {
      if (row[bit / 8] & (0x80 >> (bit % 8))) return false;
    }
  }
  return true;
}

// Describes a block made by an operation as the main raster of `out`, for
// reading it back: rows of the given size and depth start after the palette.
inline void DescribeBlock(DibImage& out, PixelBlock block, int width, int height, int bits,
                          int rowOrder = kRowOrderBottomUp, size_t paletteOffset = 40,
                          size_t paletteSize = 0) {
  DibRaster& r = out.raster;
  r.block = std::move(block);
  r.width = width;
  r.height = height;
  r.bitsPerPixel = bits;
  r.rowOrder = rowOrder;
  r.rowStride = RowStride(width, bits);
  r.paletteEntrySize = 4;
  r.paletteOffset = paletteOffset;
  r.paletteSize = paletteSize;
  r.pixelOffset = paletteOffset + paletteSize;
}

// A page link that stands for a decoded page without being one; enough to
// see whether an operation keeps or drops it.
inline PageLink StandInPageLink() {
  static int token;
  return PageLink(reinterpret_cast<djvu_halfcoded_image*>(&token), [](djvu_halfcoded_image*) {});
}

// The depths every pixel operation handles.
inline constexpr int kPixelDepths[] = {1, 4, 8, 24};

}  // namespace leaf::test
