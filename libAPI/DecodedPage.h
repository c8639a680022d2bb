// The codec's side of a djvu_halfcoded_image.
#pragma once

#include "DjVuImage.h"
#include "djvu_render.h"

struct djvu_decoded_page {
  GP<DjVuImage> image;
};

namespace djvu {

inline constexpr char kLibdjvuSource[] = "libAPI/libdjvu";

// The render options with no caller's record taken over them.
djvu_render_options DefaultRenderOptions();

}  // namespace djvu
