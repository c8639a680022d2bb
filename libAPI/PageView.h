// Read access to the pixels of a djvu_pixel_image in DjVu coordinates (row 0
// is the bottom of the picture) whatever its row order and byte order.
#pragma once

#include <cstddef>

#include "djvu_image.h"

namespace djvu {

class PageView {
 public:
  // Raises "Unknown image Flags" for a page that is neither gray nor RGB
  // nor BGR, and refuses pages whose pixels or data do not fit the layout
  // their fields describe; source names the reporting part of the layer.
  explicit PageView(const djvu_pixel_image& page, const char* source = "libAPI/MaskSub");

  int width() const { return width_; }
  int height() const { return height_; }
  unsigned pixsize() const { return pixsize_; }

  // First byte of picture row y (0 = bottom).
  const unsigned char* row(int y) const {
    const int stored = bottomUp_ ? y : height_ - 1 - y;
    return data_ + static_cast<ptrdiff_t>(stored) * rowsize_;
  }
  // Channel offsets inside a pixel.
  unsigned red() const { return red_; }
  unsigned green() const { return green_; }
  unsigned blue() const { return blue_; }

 private:
  const unsigned char* data_;
  int width_;
  int height_;
  size_t rowsize_;
  unsigned pixsize_;
  bool bottomUp_;
  unsigned red_ = 0;
  unsigned green_ = 0;
  unsigned blue_ = 0;
};

}  // namespace djvu
