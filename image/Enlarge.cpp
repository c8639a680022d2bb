#include "Enlarge.h"

#include <cstring>

#include "BitOps.h"
#include "PixelLimit.h"
#include "RasterChecks.h"

namespace leaf {

namespace {

struct Offset {
  int64_t column;
  int64_t row;
};

Offset AnchorOffset(int anchor, int64_t extraWidth, int64_t extraHeight) {
  switch (anchor) {
    case kAnchorLastRowsLeft: return {0, extraHeight};
    case kAnchorLastRowsRight: return {extraWidth, extraHeight};
    case kAnchorFirstRowsLeft: return {0, 0};
    case kAnchorFirstRowsRight: return {extraWidth, 0};
    default: return {extraWidth / 2, extraHeight / 2};
  }
}

// Every pixel of the canvas takes the fill; the padding after the last pixel
// of a row stays zero.
void FillCanvas(uint8_t* pixels, size_t stride, int width, int height, int depth, uint32_t fill) {
  const size_t usedBits = static_cast<size_t>(width) * depth;
  const size_t usedBytes = (usedBits + 7) / 8;
  switch (depth) {
    case 1: std::memset(pixels, fill ? 0xFF : 0, usedBytes); break;
    case 4: std::memset(pixels, static_cast<int>(fill % 16 * 17), usedBytes); break;
    case 8: std::memset(pixels, static_cast<int>(fill % 256), usedBytes); break;
    default: {
      const uint8_t bgr[3] = {static_cast<uint8_t>(fill >> 16), static_cast<uint8_t>(fill >> 8),
                              static_cast<uint8_t>(fill)};
      for (int x = 0; x < width; ++x) std::memcpy(pixels + 3 * x, bgr, 3);
    }
  }
  if (usedBits % 8 != 0) pixels[usedBytes - 1] &= static_cast<uint8_t>(0xFF00 >> (usedBits % 8));
  for (int y = 1; y < height; ++y)
    std::memcpy(pixels + static_cast<size_t>(y) * stride, pixels, stride);
}

}  // namespace

PixelBlock DIBEnlarge(const DibImage& image, const DibRaster& source, int width, int height,
                      int anchor, uint32_t fill) {
  if (!CheckRaster(image, source)) return {};
  if (width < source.fullWidth || height < source.fullHeight || width < source.width ||
      height < source.height) {
    image.Fail("DIBEnlarge: New dimension(s) smaller than old one(s).");
    return {};
  }
  const int depth = source.bitsPerPixel;
  if (!IsPixelDepth(depth)) {
    image.Fail("Enlarge not supported for this color depth.");
    return {};
  }
  if (!CheckPixelLimit(image, width, height)) return {};
  const uint64_t bytes = BlockBytes(source.pixelOffset, width, height, depth);
  PixelBlock block = AllocateBlock(bytes);
  if (!block) {
    image.Fail("Failed to allocate %llu bytes for the enlarged image.",
               static_cast<unsigned long long>(bytes));
    return {};
  }
  const size_t stride = RowStride(width, depth);
  uint8_t* pixels = block.data() + source.pixelOffset;
  FillCanvas(pixels, stride, width, height, depth, fill);
  std::memcpy(block.data(), source.block.data(), source.pixelOffset);

  const Offset at = AnchorOffset(anchor, width - source.width, height - source.height);
  const size_t w = static_cast<size_t>(source.width);
  for (int y = 0; y < source.height; ++y) {
    const uint8_t* in = source.storedRow(y);
    uint8_t* out = pixels + static_cast<size_t>(at.row + y) * stride;
    switch (depth) {
      case 1: CopyBits(out, at.column, in, 0, w); break;
      case 4:
        for (size_t x = 0; x < w; ++x) SetNibble(out, at.column + x, GetNibble(in, x));
        break;
      case 8: std::memcpy(out + at.column, in, w); break;
      default: std::memcpy(out + 3 * at.column, in, 3 * w); break;
    }
  }

  DibFields geometry = source;
  geometry.width = width;
  geometry.height = height;
  SetRowLayout(geometry);
  WriteHeaderGeometry(block.data(), geometry);
  return block;
}

bool Enlarge(DibImage& image, int width, int height, int anchor, uint32_t fill) {
  DibRaster& r = image.raster;
  if (!CheckRaster(image, r)) return false;
  if (width < r.fullWidth || height < r.fullHeight || width < r.width || height < r.height) {
    return image.Fail("Enlarge: New dimension(s) smaller than old one(s).");
  }
  PixelBlock block = DIBEnlarge(image, r, width, height, anchor, fill);
  if (!block) return false;
  r.block = std::move(block);
  r.width = r.fullWidth = width;
  r.height = r.fullHeight = height;
  SetRowLayout(r);
  return true;
}

}  // namespace leaf
