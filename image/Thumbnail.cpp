#include "Thumbnail.h"

#include <algorithm>
#include <cstring>

#include "RasterChecks.h"
#include "Resampling.h"

namespace leaf {

ThumbnailSize ComputeThumbnailSize(int width, int height, int thumbnailWidth, int thumbnailHeight,
                                   int mode) {
  const int64_t w = width, h = height, tw = thumbnailWidth, th = thumbnailHeight;
  if (w <= 0 || h <= 0) return {};
  const auto fixedWidth = [&] {
    return ThumbnailSize{thumbnailWidth, static_cast<int>(h * tw / w)};
  };
  const auto fixedHeight = [&] {
    return ThumbnailSize{static_cast<int>(th * w / h), thumbnailHeight};
  };
  switch (mode) {
    case kThumbnailFixedWidth: return fixedWidth();
    case kThumbnailFixedHeight: return fixedHeight();
    default: return tw * h >= th * w ? fixedHeight() : fixedWidth();
  }
}

bool MakeThumbnail(DibImage& image, int width, int height, int method) {
  if (width < 1 || height < 1) {
    return image.Fail("Thumbnail width or height is less than one pixel.");
  }
  const DibRaster& main = image.raster;
  if (!CheckRaster(image, main)) return false;
  DibRaster widened;
  const DibRaster* source = ResamplingSource(image, widened);
  if (!source) return false;
  const int depth = source->bitsPerPixel;
  const size_t paletteBytes = FullPaletteBytes(depth);
  // A gray raster keeps its own ramp, ascending or descending, so that the
  // thumbnail shows the same picture under the same photometric.
  PixelBlock block = ResampleBelowHeader(image, *source, width, height, method, paletteBytes);
  if (!block) return false;

  DibRaster& t = image.thumbnail;
  t.block.reset();
  static_cast<DibFields&>(t) = *source;
  t.grayFlag = depth == 8 ? 1 : 0;
  InstallResampledBlock(t, std::move(block), main.headerSize, paletteBytes, width, height, depth);
  return true;
}

}  // namespace leaf
