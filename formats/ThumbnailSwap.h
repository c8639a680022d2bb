// Lets a writer that works on the main raster write the thumbnail instead.
#pragma once

#include <utility>

#include "image/DibImage.h"

namespace leaf {

// While alive (and when asked to), the thumbnail raster stands in the main
// raster's place, so the raster operations, which work on the main raster,
// work on the thumbnail.
class ThumbnailSwap {
 public:
  ThumbnailSwap(DibImage& image, bool swap) : image_(image), swapped_(swap) {
    if (swapped_) std::swap(image_.raster, image_.thumbnail);
  }
  ~ThumbnailSwap() {
    if (swapped_) std::swap(image_.raster, image_.thumbnail);
  }
  ThumbnailSwap(const ThumbnailSwap&) = delete;
  ThumbnailSwap& operator=(const ThumbnailSwap&) = delete;

 private:
  DibImage& image_;
  bool swapped_;
};

}  // namespace leaf
