// Pages whose pixels are all black or white: a scan thresholded by the
// scanner, a fax, a bilevel page stored as gray. Coded as a bilevel page,
// such a page keeps every pixel; separated into a mask and colour layers it
// would lose thin strokes to the mask's filters and its halftones to a
// blurred background.
#include "PageView.h"
#include "djvu_encode.h"
#include "djvu_error.h"
#include "djvu_error_guard.h"
#include "djvu_options.h"

namespace {

// True when every pixel is black or white: a gray sample of 0 or 255, a
// colour pixel of three 0s or three 255s (pure red is not black and white).
bool IsBlackAndWhite(const djvu_pixel_image& image) {
  if ((image.flags & DJVU_GRAY) && (image.flags & DJVU_BILEVEL)) return true;
  const djvu::PageView view(image, "libAPI/BlackAndWhite");
  const bool gray = (image.flags & DJVU_GRAY) != 0;
  for (int y = 0; y < view.height(); ++y) {
    const unsigned char* pixel = view.row(y);
    for (int x = 0; x < view.width(); ++x, pixel += view.pixsize()) {
      if (pixel[0] != 0 && pixel[0] != 255) return false;
      if (!gray && (pixel[1] != pixel[0] || pixel[2] != pixel[0])) return false;
    }
  }
  return true;
}

}  // namespace

int djvu_pixel_is_black_and_white(const djvu_pixel_image* image) {
  if (!image || image->w == 0 || image->h == 0) return 0;
  return djvu::Guard(-1, [&] { return IsBlackAndWhite(*image) ? 1 : 0; });
}

int djvu_encode_black_and_white(const djvu_encode_options* given, const djvu_pixel_image* image,
                                djvu_output_routine output, void* context) {
  djvu_run_image* runs = djvu_pixel_to_run_image(image);
  if (!runs) return -1;
  djvu_encode_options options = djvu::TakeOptions(given, djvu_encode_options_default());
  // Only aggressive coding may drop marks; the strokes keep their weight.
  if (!(options.flags & DJVU_AGGRESSIVE)) options.flags |= DJVU_LOSSLESS;
  options.flags |= DJVU_NO_THICKEN;
  const int result = djvu_encode(&options, runs, nullptr, output, context);
  djvu_run_image_free(runs);
  return result;
}
