#include "PageView.h"

#include <climits>

#include "djvu_error.h"

namespace djvu {

PageView::PageView(const djvu_pixel_image& page, const char* source)
    : data_(page.data + page.offset),
      width_(static_cast<int>(page.w)),
      height_(static_cast<int>(page.h)),
      rowsize_(page.rowsize),
      pixsize_(page.pixsize),
      bottomUp_((page.flags & DJVU_BOTTOMUP) != 0) {
  unsigned needed = 3;
  if (page.flags & DJVU_GRAY) {
    needed = 1;
  } else if (page.flags & DJVU_RGB) {
    red_ = 0;
    green_ = 1;
    blue_ = 2;
  } else if (page.flags & DJVU_BGR) {
    red_ = 2;
    green_ = 1;
    blue_ = 0;
  } else {
    Throw("Unknown image Flags", source, __LINE__);
  }
  if (page.pixsize < needed) {
    Throw(needed == 1 ? "Gray Pixel images must have pixsize greater than 0"
                      : "Color Pixel images must have pixsize greater than 2",
          source, __LINE__);
  }
  if (page.w > INT_MAX || page.h > INT_MAX ||
      page.rowsize < static_cast<unsigned long long>(page.w) * page.pixsize) {
    Throw("Rowsize must be at least w*pixsize.", source, __LINE__);
  }
  if (page.w && page.h && !page.data) Throw("No Pixel Image Data Is Present", source, __LINE__);
}

}  // namespace djvu
