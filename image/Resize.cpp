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

PixelBlock ResampleBelowHeader(const DibImage& image, const DibRaster& source, int width,
                               int height, int method, size_t paletteBytes) {
  const DibRaster& main = image.raster;
  PixelBlock block = Resample(image, source, width, height, main.headerSize + paletteBytes, method);
  if (!block) return block;
  std::memcpy(block.data(), main.header(), main.headerSize);
  if (paletteBytes > 0) {
    std::memcpy(block.data() + main.headerSize, main.palette(),
                std::min(main.paletteSize, paletteBytes));
  }
  return block;
}

void InstallResampledBlock(DibRaster& target, PixelBlock block, size_t headerSize,
                           size_t paletteBytes, int width, int height, int depth) {
  target.pageLink.reset();
  target.negativeFlag = 0;
  target.symmetryState = 0;
  target.pageCount = 1;
  target.pageIndex = 0;
  target.xResolution = target.yResolution = 0;
  target.resolutionUnit = 0;
  target.width = target.fullWidth = width;
  target.height = target.fullHeight = height;
  target.bitsPerPixel = depth;
  target.paletteEntrySize = kPaletteEntrySize;
  target.paletteOffset = headerSize;
  target.paletteSize = paletteBytes;
  target.pixelOffset = headerSize + paletteBytes;
  SetRowLayout(target);
  target.block = std::move(block);

  WriteHeaderGeometry(target.header(), target);
  BitmapInfoHeader h = BitmapInfoHeader::Read(target.header());
  h.xPelsPerMeter = h.yPelsPerMeter = 0;
  h.clrUsed = 0;
  h.clrImportant = 0;
  h.Write(target.header());
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
  PixelBlock block = ResampleBelowHeader(image, *source, width, height, method, paletteBytes);
  if (!block) return false;
  if (source == &widened) r.photometric = kPhotometricRgb;
  InstallResampledBlock(r, std::move(block), r.headerSize, paletteBytes, width, height, depth);
  r.grayFlag = depth == 8 && image.IsGrayRamp() ? 1 : 0;
  return true;
}

}  // namespace leaf
