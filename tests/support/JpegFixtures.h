// Small JPEG files written by libjpeg itself for the reader's tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "formats/JpegLib.h"

namespace leaf::test {

struct JpegRecipe {
  int width = 16;
  int height = 16;
  J_COLOR_SPACE input = JCS_RGB;     // JCS_GRAYSCALE, JCS_RGB or JCS_CMYK samples
  J_COLOR_SPACE file = JCS_UNKNOWN;  // JCS_UNKNOWN: libjpeg's choice for the input
  int quality = 100;
  int densityUnit = 0;
  int xDensity = 1;
  int yDensity = 1;
  bool adobeMarker = true;            // written by libjpeg for CMYK and YCCK files
  std::vector<jpeg_scan_info> scans;  // a progressive scan script when not empty
  // Component c of the pixel at (x, y from the top).
  std::function<uint8_t(int x, int y, int c)> sample = [](int x, int y, int c) {
    return static_cast<uint8_t>(x * 8 + y * 4 + c * 50);
  };
};

// Fails the calling test when libjpeg refuses.
void MakeJpegFile(const std::string& path, const JpegRecipe& recipe);

// A gray scan script of more than 500 scans: the DC scan, then each AC
// coefficient alone with eight successive-approximation refinements.
std::vector<jpeg_scan_info> ManyScanScript();

}  // namespace leaf::test
