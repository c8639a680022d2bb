// Feeds small pages of arbitrary pixels, layouts and options to djvu_mask.
// The first bytes choose the page and the options; the rest are the pixels
// (repeated to fill the page). A mask must cover the page exactly.
#include <cstdlib>
#include <vector>

#include "libAPI/djvu_error.h"
#include "libAPI/djvu_mask.h"

namespace {
void Quiet(const char*, const char*, int) {}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 7) return 0;
  const unsigned w = 1 + data[0] % 96, h = 1 + data[1] % 96;
  const unsigned layout = data[2];
  djvu_mask_options options = djvu_mask_default_options();
  options.flags = data[3] & 7;
  options.multi_forback = (data[3] & 8) ? data[4] : 0;
  options.filter_level = static_cast<int8_t>(data[5]) * 2;
  options.band_inches = (data[6] & 1) ? 1 : 0;
  options.double_below_dpi = options.triple_below_dpi = 0;
  options.dpi = 40;  // one-inch bands of 40 rows
  djvu_pixel_image page{};
  const bool gray = layout & 1;
  page.flags = gray ? DJVU_GRAY : ((layout & 2) ? DJVU_RGB : DJVU_BGR);
  page.flags |= (layout & 4) ? DJVU_BOTTOMUP : DJVU_TOPDOWN;
  page.pixsize = (gray ? 1 : 3) + ((layout >> 3) & 1);
  page.rowsize = w * page.pixsize + ((layout >> 4) & 3);
  page.w = w;
  page.h = h;
  if (layout & 64) {
    page.flags |= DJVU_HAS_DPI;
    page.xres = 100 + data[6];
    page.yres = (layout & 128) ? page.xres : 100 + data[4];
  }
  std::vector<uint8_t> pixels(static_cast<size_t>(page.rowsize) * h);
  const size_t payload = size - 7;
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = payload ? data[7 + i % payload] : 255;
  page.data = pixels.data();

  djvu_set_error_handler(Quiet);
  djvu_run_image* mask = djvu_mask(&options, &page);
  djvu_set_error_handler(nullptr);
  if (options.multi_forback > 0 && options.flags == 7) {
    if (mask) std::abort();  // refused before anything runs
    return 0;
  }
  if (!mask) std::abort();  // a valid page always has a mask
  size_t covered = 0;
  for (unsigned i = 0; i < mask->nruns; ++i) covered += (mask->runs[i] & 0x7F) + 1u;
  if (covered != static_cast<size_t>(mask->w) * mask->h || mask->w == 0 || mask->h == 0) {
    std::abort();
  }
  djvu_run_image_free(mask);
  return 0;
}
