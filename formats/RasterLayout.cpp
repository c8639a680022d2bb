#include "RasterLayout.h"

#include <climits>
#include <cmath>

#include "image/BitmapInfoHeader.h"
#include "image/PixelLimit.h"

namespace leaf {

namespace {

// Keeps a rounded value within [0, limit]; NaN gives 0.
double Clamp(double value, double limit) {
  if (!(value > 0)) return 0;
  return value < limit ? value : limit;
}

}  // namespace

bool PlanRaster(const DibImage& image, int64_t width, int64_t height, int bitsPerPixel,
                size_t paletteSize, RasterLayout& layout) {
  if (width <= 0 || height <= 0 || width > INT32_MAX || height > INT32_MAX) {
    return image.Fail("Invalid image size %lld x %lld.", static_cast<long long>(width),
                      static_cast<long long>(height));
  }
  if (!CheckPixelLimit(image, width, height)) return false;
  const size_t stride = RowStride(width, bitsPerPixel);
  const size_t fixed = kBitmapInfoHeaderSize + paletteSize;
  if (stride == 0 || fixed > kMaxBlockBytes ||
      static_cast<size_t>(height) > (kMaxBlockBytes - fixed) / stride) {
    return image.Fail(
        "The picture is %lld x %lld pixels at %d bits per pixel, more than the 2 GiB a raster "
        "holds.",
        static_cast<long long>(width), static_cast<long long>(height), bitsPerPixel);
  }
  layout.width = static_cast<int>(width);
  layout.height = static_cast<int>(height);
  layout.bitsPerPixel = bitsPerPixel;
  layout.paletteSize = paletteSize;
  layout.rowStride = stride;
  layout.pixelSize = stride * static_cast<size_t>(height);
  layout.total = fixed + layout.pixelSize;
  return true;
}

PixelBlock AllocateRaster(const RasterLayout& layout, int32_t xPelsPerMeter, int32_t yPelsPerMeter,
                          bool headerOnly) {
  PixelBlock block =
      PixelBlock::Allocate(headerOnly ? kBitmapInfoHeaderSize + layout.paletteSize : layout.total);
  if (!block) return block;
  BitmapInfoHeader info;
  info.width = layout.width;
  info.height = layout.height;
  info.bitCount = static_cast<uint16_t>(layout.bitsPerPixel);
  info.sizeImage = static_cast<uint32_t>(layout.pixelSize);
  info.xPelsPerMeter = xPelsPerMeter;
  info.yPelsPerMeter = yPelsPerMeter;
  info.Write(block.data());
  return block;
}

void InstallRaster(DibImage& image, PixelBlock block, const RasterLayout& layout) {
  DibRaster& r = image.raster;
  r.block = std::move(block);
  r.blockKind = kBlockKindPackedDib;
  r.headerSize = kBitmapInfoHeaderSize;
  r.paletteOffset = kBitmapInfoHeaderSize;
  r.paletteSize = layout.paletteSize;
  r.pixelOffset = kBitmapInfoHeaderSize + layout.paletteSize;
  r.pixelSize = layout.pixelSize;
  r.paletteEntrySize = kPaletteEntrySize;
  r.rowStride = layout.rowStride;
  r.rowOrder = kRowOrderBottomUp;
  r.channelOrder = kChannelOrderBgr;
  r.width = r.fullWidth = layout.width;
  r.height = r.fullHeight = layout.height;
  r.bitsPerPixel = r.sourceBitsPerPixel = layout.bitsPerPixel;
  r.negativeFlag = 0;
  r.symmetryState = 0;
  r.pageCount = 1;
  r.pageIndex = 0;
}

double PixelsPerMetreFactor(int resolutionUnit) {
  return resolutionUnit == kResolutionUnitInch         ? 100 / 2.54
         : resolutionUnit == kResolutionUnitCentimetre ? 100
                                                       : 0;
}

int32_t PixelsPerMetre(double resolution, double factor) {
  return static_cast<int32_t>(std::floor(Clamp(resolution * factor + 0.5, INT32_MAX)));
}

int RoundResolution(double resolution) {
  return static_cast<int>(std::floor(Clamp(resolution + 0.5, INT32_MAX)));
}

}  // namespace leaf
