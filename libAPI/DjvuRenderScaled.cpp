// Rendering to an exact output size: the codec renders at the largest whole
// reduction that divides the scaling, the rest is done by the exact-size
// transform.
#include <climits>
#include <cstdlib>
#include <memory>

#include "DecodedPage.h"
#include "djvu_error.h"

namespace djvu {

namespace {

struct PixelImageFree {
  void operator()(djvu_pixel_image* img) const { djvu_pixel_image_free(img); }
};

int ChooseReduction(long long rw, long long rh, long long mw, long long mh) {
  for (int k = 15; k >= 2; --k) {
    if (rw % (k * mw) == 0 && rh % (k * mh) == 0) return k;
  }
  return 1;
}

unsigned ScaledResolution(long long from, long long to, unsigned resolution) {
  const long long r = (from + 2 * static_cast<long long>(resolution) * to) / (2 * from);
  return r < 0 || r > UINT_MAX ? 0 : static_cast<unsigned>(r);
}

}  // namespace

}  // namespace djvu

djvu_pixel_image* djvu_render_scaled(const djvu_render_options* options,
                                     const djvu_halfcoded_image* image, int x0, int y0, int x1,
                                     int y1, int angle, int out_w, int out_h) {
  if (out_w == 0 || out_h == 0) return nullptr;
  const long long rw = static_cast<long long>(x1) - x0 + 1;
  const long long rh = static_cast<long long>(y1) - y0 + 1;
  const bool sideways = ((angle % 360) + 360) % 180 == 90;
  const long long mw = std::llabs(static_cast<long long>(sideways ? out_h : out_w));
  const long long mh = std::llabs(static_cast<long long>(sideways ? out_w : out_h));
  const int k = djvu::ChooseReduction(rw, rh, mw, mh);
  std::unique_ptr<djvu_pixel_image, djvu::PixelImageFree> rendered(
      djvu_render(options, image, k, x0 / k, y0 / k, x1 / k, y1 / k));
  if (!rendered) return nullptr;
  if (!djvu_pixel_transform(rendered.get(), angle, out_w, out_h)) return nullptr;
  djvu_pixel_image& img = *rendered;
  if ((img.flags & DJVU_HAS_DPI) && rw > 0 && rh > 0) {
    img.xres = djvu::ScaledResolution(rw, mw, image->resolution);
    img.yres = djvu::ScaledResolution(rh, mh, image->resolution);
    if (img.xres == 0 || img.yres == 0) img.flags &= ~unsigned{DJVU_HAS_DPI};
  }
  return rendered.release();
}
