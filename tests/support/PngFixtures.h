// Small PNG files written by libpng itself for the reader's tests: every
// colour type and depth, interlaced or not, with transparency and pHYs.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace leaf::test {

struct PngRecipe {
  uint32_t width = 7;
  uint32_t height = 5;
  int depth = 8;
  int colorType = 0;  // PNG's codes: 0 gray, 2 RGB, 3 palette, 4 gray + alpha, 6 RGBA
  bool interlaced = false;
  std::vector<uint32_t> palette;     // 0xRRGGBB entries
  std::vector<uint8_t> transparent;  // tRNS: alpha of the first palette entries
  uint32_t pixelsPerMetre = 0;       // pHYs in both directions; 0: none
  // Sample s of the pixel at (x, y from the top), masked to the depth.
  std::function<uint32_t(uint32_t x, uint32_t y, int s)> sample =
      [](uint32_t x, uint32_t y, int s) { return x + 3 * y + 5 * static_cast<uint32_t>(s); };
};

// The bytes of the file. Fails the calling test when libpng refuses.
std::vector<uint8_t> MakePngFile(const PngRecipe& recipe);

}  // namespace leaf::test
