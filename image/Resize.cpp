#include <algorithm>
#include <cstring>

#include "BitmapInfoHeader.h"
#include "DepthConversions.h"
#include "RasterChecks.h"
#include "Resampling.h"

namespace leaf {

const DibRaster* ResamplingSource(const DibImage& image, DibRaster& widened) {
  const DibRaster& r = image.raster;
  if (r.bitsPerPixel != 4 && (r.bitsPerPixel != 8 || r.grayFlag)) return &r;
  PixelBlock block = IncreaseDepth(image, 24);
  if (!block) return nullptr;
  static_cast<DibFields&>(widened) = r;
  widened.pageLink.reset();
  widened.block = std::move(block);
  widened.bitsPerPixel = widened.sourceBitsPerPixel = 24;
  widened.paletteOffset = widened.pixelOffset = r.headerSize;
  widened.paletteSize = 0;
  widened.photometric = kPhotometricRgb;
  widened.grayFlag = 0;
  SetRowLayout(widened);
  return &widened;
}

bool Resize(DibImage& image, int width, int height, int method) {
  if (width < 1 || height < 1) return image.Fail("New width or height less than one pixel.");
  DibRaster& r = image.raster;
  if (!CheckRaster(image, r)) return false;
  DibRaster widened;
  const DibRaster* source = ResamplingSource(image, widened);
  if (!source) return false;
  const int depth = source->bitsPerPixel;
  // The new palette has the full size of its depth, whatever the old one
  // had, and the rows start right after it.
  const size_t paletteBytes = FullPaletteBytes(depth);
  PixelBlock block = Resample(image, *source, width, height, r.headerSize + paletteBytes, method);
  if (!block) return false;
  std::memcpy(block.data(), r.header(), r.headerSize);
  if (paletteBytes > 0) {
    std::memcpy(block.data() + r.headerSize, r.palette(), std::min(r.paletteSize, paletteBytes));
  }

  r.pageLink.reset();
  r.negativeFlag = 0;
  r.symmetryState = 0;
  r.pageCount = 1;
  r.pageIndex = 0;
  r.xResolution = r.yResolution = 0;
  r.resolutionUnit = 0;
  r.width = r.fullWidth = width;
  r.height = r.fullHeight = height;
  r.bitsPerPixel = depth;
  r.paletteEntrySize = kPaletteEntrySize;
  r.paletteOffset = r.headerSize;
  r.paletteSize = paletteBytes;
  r.pixelOffset = r.headerSize + paletteBytes;
  if (source == &widened) r.photometric = kPhotometricRgb;
  SetRowLayout(r);
  r.block = std::move(block);

  WriteHeaderGeometry(r.header(), r);
  BitmapInfoHeader h = BitmapInfoHeader::Read(r.header());
  h.xPelsPerMeter = h.yPelsPerMeter = 0;
  h.clrUsed = 0;
  h.clrImportant = 0;
  h.Write(r.header());
  r.grayFlag = depth == 8 && image.IsGrayRamp() ? 1 : 0;
  return true;
}

}  // namespace leaf
