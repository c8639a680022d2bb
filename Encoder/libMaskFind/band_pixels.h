// Gamma-mapped reads of the band image for the component filter.
//
// The filter sees every pixel as three channels: the three colour bytes of
// a colour pixel, or for a gray image the pixel's byte and the two bytes
// after it in the buffer (a slight horizontal blur). Past the very end of
// the buffer there are no such bytes; the row's last pixel stands in for
// them. Coordinates are clamped to the image, rows are in memory order.
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
        table_(gamma_table(gamma)) {
    end_ = (image.w && image.h) ? offset_ + (static_cast<size_t>(h_) - 1) * rowsize_ +
                                      pixsize_ * static_cast<size_t>(w_)
                                : 0;
  }

  int width() const { return w_; }
  int height() const { return h_; }
  // An image one pixel wide is costed on one channel.
  bool single_channel() const { return w_ == 1; }

  void get(int y, int x, float out[3]) const {
    y = std::clamp(y, 0, h_ - 1);
    x = std::clamp(x, 0, w_ - 1);
    const size_t rowStart = offset_ + static_cast<size_t>(y) * rowsize_;
    const size_t at = rowStart + static_cast<size_t>(x) * pixsize_;
    if (!gray_) {
      out[0] = table_[data_[at]];
      out[1] = table_[data_[at + 1]];
      out[2] = table_[data_[at + 2]];
      return;
    }
    const size_t last = rowStart + static_cast<size_t>(w_ - 1) * pixsize_;
    for (int c = 0; c < 3; ++c) {
      const size_t i = at + static_cast<size_t>(c);
      out[c] = table_[data_[i < end_ ? i : last]];
    }
  }

 private:
  const uint8_t* data_;
  size_t offset_, rowsize_, pixsize_;
  int w_, h_;
  bool gray_;
  const float* table_;
  size_t end_ = 0;
};

}  // namespace maskfind
