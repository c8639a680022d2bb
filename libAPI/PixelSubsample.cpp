// Box-average reduction by an integer factor, written over the input.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "PixelOps.h"
#include "djvu_error.h"

namespace djvu {

void SubsampleCanonical(PixelImageRef& ref, int s) {
  djvu_pixel_image& img = ref.image();
  const unsigned c = img.pixsize;
  const unsigned w = img.w, h = img.h;
  const unsigned step = static_cast<unsigned>(s);
  const unsigned outW = w / step + (w % step ? 1 : 0);
  const unsigned outH = h / step + (h % step ? 1 : 0);
  if (w && h) {
    // Each output row is written only after its whole band has been summed,
    // and it never reaches past the band's first input row.
    std::vector<uint64_t> sums(size_t{outW} * c);
    for (unsigned band = 0; band < outH; ++band) {
      std::fill(sums.begin(), sums.end(), 0);
      const unsigned firstRow = band * step;
      const unsigned rows = std::min(step, h - firstRow);
      for (unsigned r = firstRow; r < firstRow + rows; ++r) {
        const unsigned char* row = img.data + size_t{r} * img.rowsize;
        for (unsigned x = 0; x < w; ++x) {
          uint64_t* cell = &sums[size_t{x / step} * c];
          for (unsigned k = 0; k < c; ++k) cell[k] += row[size_t{x} * c + k];
        }
      }
      unsigned char* out = img.data + size_t{band} * outW * c;
      for (unsigned ox = 0; ox < outW; ++ox) {
        const unsigned cols = std::min(step, w - ox * step);
        const uint64_t count = uint64_t{cols} * rows;
        for (unsigned k = 0; k < c; ++k) {
          out[size_t{ox} * c + k] = static_cast<unsigned char>(sums[size_t{ox} * c + k] / count);
        }
      }
    }
  }
  img.w = outW;
  img.h = outH;
  img.rowsize = outW * c;
  img.flags &= ~unsigned{DJVU_BILEVEL};
  if (img.flags & DJVU_HAS_DPI) {
    img.xres = static_cast<unsigned>((step - 1 + 2ull * img.xres) / (2ull * step));
    img.yres = static_cast<unsigned>((step - 1 + 2ull * img.yres) / (2ull * step));
  }
}

}  // namespace djvu
