#include "DibImage.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "BitmapInfoHeader.h"
#include "Messages.h"

namespace leaf {

size_t PaletteSizeForHeader(uint32_t bitCount, uint32_t compression, uint32_t colorsUsed) {
  if (colorsUsed != 0) return static_cast<size_t>(colorsUsed) * 4;
  switch (bitCount) {
    case 1:
    case 4:
    case 8: return size_t{4} << bitCount;
    case 16:
    case 32: return compression == kBiBitfields ? 12 : 0;
    default: return 0;
  }
}

int DpiFromPixelsPerMetre(int32_t pixelsPerMetre) {
  return static_cast<int>(std::floor(pixelsPerMetre * 2.54 * 0.01 + 0.5));
}

int32_t PixelsPerMetreFromDpi(int dpi) {
  return static_cast<int32_t>(std::floor(dpi / 0.0254 + 0.5));
}

void DibImage::Release(bool freePageLink) {
  if (freePageLink) {
    raster.clear();
  } else {
    raster.clearKeepingPage();
  }
  thumbnail.clear();
}

bool DibImage::Import(const uint8_t* header, size_t headerSize, const uint8_t* palette,
                      size_t paletteSize, const uint8_t* pixels, size_t pixelSize, int format) {
  raster.negativeFlag = 0;
  raster.symmetryState = 0;
  if (format != kImportFormatPackedDib) return Fail("Unknown import format: %d", format);
  if (header == nullptr || headerSize < kBitmapInfoHeaderSize || (paletteSize && !palette) ||
      (pixelSize && !pixels)) {
    return Fail("The bitmap to import is not valid.");
  }
  const BitmapInfoHeader h = BitmapInfoHeader::Read(header);
  const int64_t height = std::llabs(static_cast<int64_t>(h.height));
  const size_t stride = RowStride(h.width, h.bitCount);
  if (stride == 0 || height == 0 || height > static_cast<int64_t>(kMaxBlockBytes / stride) ||
      pixelSize < stride * static_cast<size_t>(height)) {
    return Fail("The bitmap to import is not valid.");
  }
  const size_t total = headerSize + paletteSize + pixelSize;
  if (headerSize > kMaxBlockBytes || paletteSize > kMaxBlockBytes || pixelSize > kMaxBlockBytes) {
    Release(true);
    return Fail("Failed to allocate %zu bytes for import.", total);
  }
  PixelBlock block = PixelBlock::Allocate(total);
  if (!block) {
    Release(true);
    return Fail("Failed to allocate %zu bytes for import.", total);
  }
  std::memcpy(block.data(), header, headerSize);
  if (paletteSize) std::memcpy(block.data() + headerSize, palette, paletteSize);
  if (pixelSize) std::memcpy(block.data() + headerSize + paletteSize, pixels, pixelSize);

  DibRaster& r = raster;
  r.block = std::move(block);
  r.blockKind = kBlockKindPackedDib;
  r.headerSize = headerSize;
  r.paletteOffset = headerSize;
  r.paletteSize = paletteSize;
  r.pixelOffset = headerSize + paletteSize;
  r.pixelSize = pixelSize;
  r.paletteEntrySize = kPaletteEntrySize;
  r.channelOrder = kChannelOrderBgr;
  r.width = r.fullWidth = h.width;
  r.height = r.fullHeight = static_cast<int>(height);
  r.rowOrder = h.height >= 0 ? kRowOrderBottomUp : kRowOrderTopDown;
  r.bitsPerPixel = r.sourceBitsPerPixel = h.bitCount;
  r.rowStride = stride;
  ResolutionFromHeader();
  r.resolutionUnit = kResolutionUnitInch;
  r.grayFlag = IsGrayRamp() ? 1 : 0;
  if (!r.grayFlag) r.photometric = paletteSize > 0 ? kPhotometricPalette : kPhotometricRgb;
  return true;
}

bool DibImage::Clone(const DibImage& source) {
  const DibRaster& s = source.raster;
  static_cast<DibFields&>(raster) = static_cast<const DibFields&>(s);
  raster.pageLink = s.pageLink;
  raster.block.reset();
  if (s.block.empty()) return true;
  const size_t total = s.headerSize + s.paletteSize + s.pixelSize;
  PixelBlock block = PixelBlock::Allocate(s.block.size());
  if (!block || total > s.block.size()) {
    raster.clear();
    return Fail("Failed to allocate %zu bytes to clone image.", total);
  }
  std::memcpy(block.data(), s.block.data(), s.block.size());
  raster.block = std::move(block);
  return true;
}

bool DibImage::IsGrayRamp() {
  const DibRaster& r = raster;
  if (r.empty() || r.bitsPerPixel != 8 || r.paletteEntrySize != kPaletteEntrySize ||
      r.paletteSize / r.paletteEntrySize != 256 || r.paletteSize % r.paletteEntrySize != 0) {
    return false;
  }
  const uint8_t* p = r.palette();
  const bool descending = p[0] != 0;
  for (int i = 0; i < 256; ++i) {
    const uint8_t v = static_cast<uint8_t>(descending ? 255 - i : i);
    const uint8_t* e = p + i * 4;
    if (e[0] != v || e[1] != v || e[2] != v) return false;
  }
  raster.photometric = descending ? kPhotometricMinIsWhite : kPhotometricMinIsBlack;
  return true;
}

int DibImage::ResolutionFromHeader() {
  if (raster.empty() || raster.block.size() < kBitmapInfoHeaderSize) {
    raster.xResolution = raster.yResolution = 0;
    return -1;
  }
  const BitmapInfoHeader h = BitmapInfoHeader::Read(raster.header());
  raster.xResolution = DpiFromPixelsPerMetre(h.xPelsPerMeter);
  raster.yResolution = DpiFromPixelsPerMetre(h.yPelsPerMeter);
  return 0;
}

size_t DibImage::PaletteSizeFromHeader() const {
  if (raster.empty() || raster.block.size() < kBitmapInfoHeaderSize) return 0;
  const BitmapInfoHeader h = BitmapInfoHeader::Read(raster.header());
  return PaletteSizeForHeader(h.bitCount, h.compression, h.clrUsed);
}

bool DibImage::Fail(const char* format, ...) const {
  va_list args;
  va_start(args, format);
  SetMessageV(format, args);
  va_end(args);
  if (onError_) onError_(MessageBuffer());
  return false;
}

void DibImage::ReportProgress(const char* text, int percent) const {
  if (onProgress_) onProgress_(text, percent);
}

void DibImage::Warn(const char* format, ...) const {
  if (!onWarning_) return;
  char text[kMessageBufferSize];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  onWarning_(text);
}

}  // namespace leaf
