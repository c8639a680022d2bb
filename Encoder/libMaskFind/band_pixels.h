// Gamma-mapped reads of the band image for the component filter.
//
// The filter sees every pixel as three channels: the three colour bytes of
// a colour pixel, and for a gray pixel its own byte three times. (Reading a
// gray row as if it held colour triples would mix each pixel with the two
// to its right: the ground beside a small mark would take in the mark, and
// a gray page would lose i-dots and thin strokes that the same page in
// colour keeps; past the last pixel it would read beyond the buffer.)
// Coordinates are clamped to the image, rows are in memory order.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "libAPI/djvu_image.h"

namespace maskfind {

// table[k] = floor(255 (k / 255)^gamma + 0.5), built once per process with
// the gamma of the first caller.
const float* gamma_table(float gamma);

class band_pixels {
 public:
  band_pixels(const djvu_pixel_image& image, float gamma)
      : data_(image.data),
        offset_(image.offset),
        rowsize_(image.rowsize),
        pixsize_(image.pixsize),
        w_(static_cast<int>(image.w)),
        h_(static_cast<int>(image.h)),
        gray_((image.flags & DJVU_GRAY) != 0),
        table_(gamma_table(gamma)) {}

  int width() const { return w_; }
  int height() const { return h_; }
  // An image one pixel wide is costed on one channel.
  bool single_channel() const { return w_ == 1; }

  void get(int y, int x, float out[3]) const {
    y = std::clamp(y, 0, h_ - 1);
    x = std::clamp(x, 0, w_ - 1);
    const size_t rowStart = offset_ + static_cast<size_t>(y) * rowsize_;
    const size_t at = rowStart + static_cast<size_t>(x) * pixsize_;
    if (gray_) {
      out[0] = out[1] = out[2] = table_[data_[at]];
      return;
    }
    out[0] = table_[data_[at]];
    out[1] = table_[data_[at + 1]];
    out[2] = table_[data_[at + 2]];
  }

 private:
  const uint8_t* data_;
  size_t offset_, rowsize_, pixsize_;
  int w_, h_;
  bool gray_;
  const float* table_;
};

}  // namespace maskfind
