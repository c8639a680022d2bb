#include "Thumbnail.h"

#include <algorithm>
#include <cstring>

#include "BitmapInfoHeader.h"
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
  PixelBlock block =
      Resample(image, *source, width, height, main.headerSize + paletteBytes, method);
  if (!block) return false;
  // A gray raster keeps its own ramp, ascending or descending, so that the
  // thumbnail shows the same picture under the same photometric.
  std::memcpy(block.data(), main.header(), main.headerSize);
  if (paletteBytes > 0) {
    std::memcpy(block.data() + main.headerSize, main.palette(),
                std::min(main.paletteSize, paletteBytes));
  }

  DibRaster& t = image.thumbnail;
  t.block.reset();
  static_cast<DibFields&>(t) = *source;
  t.pageLink.reset();
  t.width = t.fullWidth = width;
  t.height = t.fullHeight = height;
  t.negativeFlag = 0;
  t.symmetryState = 0;
  t.xResolution = t.yResolution = 0;
  t.resolutionUnit = 0;
  t.pageCount = 1;
  t.pageIndex = 0;
  t.grayFlag = depth == 8 ? 1 : 0;
  t.paletteEntrySize = kPaletteEntrySize;
  t.paletteOffset = main.headerSize;
  t.paletteSize = paletteBytes;
  t.pixelOffset = main.headerSize + paletteBytes;
  SetRowLayout(t);
  t.block = std::move(block);

  WriteHeaderGeometry(t.header(), t);
  BitmapInfoHeader h = BitmapInfoHeader::Read(t.header());
  h.xPelsPerMeter = h.yPelsPerMeter = 0;
  h.clrUsed = 0;
  h.clrImportant = 0;
  h.Write(t.header());
  return true;
}

}  // namespace leaf
