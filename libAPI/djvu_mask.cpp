#include "djvu_mask.h"

#include "DjVuMaskFind.h"
#include "djvu_error.h"
#include "djvu_options.h"

namespace {
const char kSource[] = "libAPI/libdjvu";
}

djvu_mask_options djvu_mask_default_options() {
  djvu_mask_options options{};
  options.size = sizeof(djvu_mask_options);
  options.filter_level = 0;
  options.multi_forback = 0;
  options.flags = 0;
  options.dpi = 300;
  options.double_below_dpi = 225;
  options.triple_below_dpi = 125;
  options.progress_arg = nullptr;
  options.band_inches = 0;
  return options;
}

djvu_run_image* djvu_mask(const djvu_mask_options* options, const djvu_pixel_image* page) {
  return djvu::Guard<djvu_run_image*>(nullptr, [&]() -> djvu_run_image* {
    if (!page) djvu::Throw("djvu_mask: djvu_pixel_image is required", kSource, __LINE__);
    const djvu_mask_options settings = djvu::TakeOptions(options, djvu_mask_default_options());
    if (settings.multi_forback > 0 &&
        (settings.flags & (NO_COLOR_FILTER | NO_SIZE_FILTER | NO_INV_FILTER)) ==
            (NO_COLOR_FILTER | NO_SIZE_FILTER | NO_INV_FILTER)) {
      djvu::Throw("Atleast one mask is requred if multi_forback > 0 ", kSource, __LINE__);
    }
    return djvu::FindMask(settings, *page);
  });
}
