// Public entry points over pixel images: each validates through a
// PixelImageRef, catches the layer's exception and returns its failure value.
#include <cstdlib>

#include "PixelOps.h"
#include "djvu_error.h"

using djvu::PixelImageRef;

namespace {

unsigned Magnitude(int v) { return static_cast<unsigned>(std::llabs(static_cast<long long>(v))); }

bool IsQuarterTurn(int angle, int line) {
  if (angle % 90 == 0) return true;
  // Reported without an exception: nothing was started.
  djvu::ReportError("Can only rotate 0,90,180, and 270 degrees", djvu::kPixImageSource, line);
  return false;
}

}  // namespace

void djvu_pixel_image_free(djvu_pixel_image* img) {
  if (!img) return;
  djvu::Guard(0, [&] {
    if (img->alloc_tag != DJVU_ALLOC_LAYER &&
        img->alloc_tag != reinterpret_cast<intptr_t>(img->data)) {
      DJVU_PIX_THROW("djvu_pixel_image_free: pixel image was not allocated by djvuapi");
    }
    djvu::ReleaseOwnedBuffer(*img);
    delete img;
    return 0;
  });
}

djvu_pixel_image* djvu_pixel_normalize(djvu_pixel_image* img) {
  if (!img) return nullptr;
  return djvu::Guard<djvu_pixel_image*>(nullptr, [&] {
    PixelImageRef ref(*img, PixelImageRef::kModify);
    djvu::NormalizeInto(*img, ref);
    return img;
  });
}

djvu_pixel_image* djvu_pixel_subsample(djvu_pixel_image* img, int s) {
  if (!img) return nullptr;
  return djvu::Guard<djvu_pixel_image*>(nullptr, [&] {
    PixelImageRef ref(*img, PixelImageRef::kModify);
    if (s < 1) DJVU_PIX_THROW("Non-posative scale specified in djvu_pixel_subsample");
    if (s == 1) return img;
    djvu::NormalizeInto(*img, ref);
    djvu::SubsampleCanonical(ref, s);
    return img;
  });
}

djvu_pixel_image* djvu_pixel_resample(const djvu_pixel_image* img, int factor, int smoothing) {
  if (!img) return nullptr;
  return djvu::Guard<djvu_pixel_image*>(
      nullptr, [&] { return djvu::Resample(*img, factor, smoothing).release(); });
}

djvu_pixel_image* djvu_pixel_transform(djvu_pixel_image* img, int angle, int w, int h) {
  if (!img || !IsQuarterTurn(angle, __LINE__)) return nullptr;
  return djvu::Guard<djvu_pixel_image*>(nullptr, [&] {
    PixelImageRef ref(*img, PixelImageRef::kModify);
    djvu::Transform(ref, angle, Magnitude(w), Magnitude(h));
    return img;
  });
}

djvu_pixel_image* djvu_pixel_transform_copy(const djvu_pixel_image* img, int angle, int w, int h) {
  if (!img || !IsQuarterTurn(angle, __LINE__)) return nullptr;
  return djvu::Guard<djvu_pixel_image*>(nullptr, [&] {
    return djvu::TransformCopy(*img, angle, Magnitude(w), Magnitude(h)).release();
  });
}

djvu_pixel_image* djvu_pixel_extract(const djvu_pixel_image* src, djvu_pixel_image* dst, int x0,
                                     int y0, int x1, int y1) {
  if (!src || !dst) return nullptr;
  return djvu::Guard<djvu_pixel_image*>(nullptr, [&] {
    PixelImageRef ref(*dst, PixelImageRef::kFill);
    djvu::Extract(*src, ref, x0, y0, x1, y1);
    return dst;
  });
}

djvu_run_image* djvu_pixel_to_run_image(const djvu_pixel_image* img) {
  if (!img) return nullptr;
  return djvu::Guard<djvu_run_image*>(nullptr, [&] { return djvu::PixelToRunImage(*img); });
}
