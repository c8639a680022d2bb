// Small TIFF files written by libtiff itself for the reader's tests.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace leaf::test {

struct TiffRecipe {
  uint32_t width = 8;
  uint32_t height = 4;
  int bitsPerSample = 8;
  int samplesPerPixel = 1;
  int photometric = 1;  // min-is-black
  int compression = 1;  // none
  bool writeBitsPerSample = true;
  bool writeSamplesPerPixel = true;
  int resolutionUnit = 0;           // 0: no resolution tags
  bool writeResolutionUnit = true;  // false: the resolutions without their unit
  float xResolution = 0;
  float yResolution = 0;
  int inkSet = 0;         // 0: no InkSet tag
  int extraSamples = 0;   // associated alpha samples declared
  uint32_t tileSize = 0;  // 0: strips
  bool separatePlanes = false;
  uint32_t rowsPerStrip = 0;       // 0: libtiff's default
  bool writePixels = true;         // false: a few raw bytes stand for the first strip
  std::vector<uint16_t> colorMap;  // red, green, blue tables one after the other
  // Sample s of the pixel at (x, y from the top), masked to the sample depth.
  std::function<uint32_t(uint32_t x, uint32_t y, int s)> sample =
      [](uint32_t x, uint32_t y, int s) { return x + 2 * y + 3 * static_cast<uint32_t>(s); };
};

// Writes one directory per recipe. Fails the calling test when libtiff refuses.
void WriteTiff(const std::string& path, const std::vector<TiffRecipe>& pages);

}  // namespace leaf::test
