// Small images and files made by the tests themselves.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "image/DibImage.h"

namespace leaf::test {

struct BmpRecipe {
  int width = 4;
  int height = 3;  // negative: rows stored top-down
  int bits = 8;
  uint32_t headerSize = 40;
  uint32_t compression = 0;
  uint32_t colorsUsed = 0;
  int32_t pixelsPerMetre = 11811;  // 300 dpi
  std::vector<uint32_t> palette;   // 0x00RRGGBB entries; default: a gray ramp of the depth
  // Value of the pixel at (x, picture row y from the top): a palette index,
  // 0xRRGGBB, or the packed 16- or 32-bit value as stored.
  std::function<uint32_t(int x, int y)> pixel = [](int x, int y) { return uint32_t(x + y); };
};

// The bytes of a BMP file (file header, info header, palette, rows).
std::vector<uint8_t> MakeBmpFile(const BmpRecipe& recipe);

// Fills image through Import from the same description.
void MakeImage(DibImage& image, const BmpRecipe& recipe);

// The pixel at (x, y from the top) of the main raster: a palette index, or
// 0xRRGGBB for 24 bits.
uint32_t PixelAt(const DibRaster& raster, int x, int y);

// The palette entry as 0xRRGGBB.
uint32_t PaletteColor(const DibRaster& raster, int index);

// True when two 0xRRGGBB colours differ by at most tolerance in each channel.
bool NearColor(uint32_t a, uint32_t b, int tolerance);

// A gray ramp palette (0x00RRGGBB entries) with 2^bits levels, ascending.
std::vector<uint32_t> GrayPalette(int bits);

// A file name as a test name: every character that is not a letter or a
// digit becomes '_'.
std::string TestNameOfFile(std::string name);

}  // namespace leaf::test
