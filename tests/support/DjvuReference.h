// Renders a page with DjVuLibre's own decoding API (ddjvuapi, the library
// behind the ddjvu tool): the reference the program's renderer is held to.
#pragma once

#include <string>
#include <vector>

namespace leaf::test {

enum class ReferenceMode { kColor, kMask, kBackground, kForeground };

struct ReferenceImage {
  int width = 0;
  int height = 0;
  int channels = 0;                 // 3: red, green, blue; 1: gray
  std::vector<unsigned char> rows;  // top row first, packed
  unsigned char at(int x, int yTop, int channel = 0) const {
    return rows[(static_cast<size_t>(yTop) * width + x) * channels + channel];
  }
};

// The whole page (0 = first) of a file reduced by subsample (the codec's
// page rectangle of ceil(size / subsample) pixels), turned as the page asks;
// empty when it cannot render.
ReferenceImage RenderReference(const std::string& path, int subsample, ReferenceMode mode,
                               bool gray = false, int pageNumber = 0);

}  // namespace leaf::test
