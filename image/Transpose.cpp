// Transpose: old stored row y, column x becomes new stored row x, column y.
#include <algorithm>
#include <cstring>

#include "BitOps.h"
#include "BitmapInfoHeader.h"
#include "RasterChecks.h"
#include "Transforms.h"

namespace leaf {

namespace {

// Tile edge for the byte-sized depths: a tile of source rows stays in cache
// while its columns are written out as destination rows.
constexpr int kTile = 64;

struct Planes {
  const uint8_t* src;
  size_t srcStride;
  uint8_t* dst;
  size_t dstStride;
  int width;   // of the source
  int height;  // of the source
};

void TransposeBits(const Planes& p) {
  const size_t bytesPerRow = (static_cast<size_t>(p.width) + 7) / 8;
  for (int y = 0; y < p.height; y += 8) {
    const int rows = std::min(8, p.height - y);
    const size_t column = static_cast<size_t>(y) / 8;
    for (size_t bx = 0; bx < bytesPerRow; ++bx) {
      uint64_t block = 0;
      for (int k = 0; k < rows; ++k) {
        block |= static_cast<uint64_t>(p.src[(y + k) * p.srcStride + bx]) << (56 - 8 * k);
      }
      if (block == 0) continue;
      block = TransposeBits8x8(block);
      // Bits beyond the last column would become rows past the new height.
      const int columns = static_cast<int>(std::min<size_t>(8, p.width - bx * 8));
      for (int c = 0; c < columns; ++c) {
        p.dst[(bx * 8 + c) * p.dstStride + column] = static_cast<uint8_t>(block >> (56 - 8 * c));
      }
    }
  }
}

void TransposeNibbles(const Planes& p) {
  for (int y = 0; y < p.height; ++y) {
    const uint8_t* row = p.src + y * p.srcStride;
    for (int x = 0; x < p.width; ++x) SetNibble(p.dst + x * p.dstStride, y, GetNibble(row, x));
  }
}

template <int kBytes>
void TransposePixels(const Planes& p) {
  for (int y0 = 0; y0 < p.height; y0 += kTile) {
    const int y1 = std::min(y0 + kTile, p.height);
    for (int x0 = 0; x0 < p.width; x0 += kTile) {
      const int x1 = std::min(x0 + kTile, p.width);
      for (int x = x0; x < x1; ++x) {
        uint8_t* out = p.dst + x * p.dstStride;
        const uint8_t* in = p.src + static_cast<size_t>(x) * kBytes;
        // 3-byte pixels move as 4-byte words, whose fourth byte the next
        // pixel of the output row overwrites; not the last pixel of a source
        // row (the word would reach past it) nor of an output row (the word
        // would reach into the next row, which may be written already).
        const int wordsEnd = kBytes == 3 && x + 1 < p.width ? std::min(y1, p.height - 1) : y0;
        int y = y0;
        for (; y < wordsEnd; ++y) {
          uint32_t pixel;
          std::memcpy(&pixel, in + y * p.srcStride, 4);
          std::memcpy(out + static_cast<size_t>(y) * 3, &pixel, 4);
        }
        for (; y < y1; ++y) {
          std::memcpy(out + static_cast<size_t>(y) * kBytes, in + y * p.srcStride, kBytes);
        }
      }
    }
  }
}

}  // namespace

bool Transpose(DibImage& image) {
  DibRaster& r = image.raster;
  if (!CheckRaster(image, r)) return false;
  const uint64_t bytes = BlockBytes(r.pixelOffset, r.height, r.width, r.bitsPerPixel);
  PixelBlock block = AllocateBlock(bytes);
  if (!block) {
    return image.Fail("Failed to allocate %llu temporary bytes to transpose image.",
                      static_cast<unsigned long long>(bytes));
  }
  if (!IsPixelDepth(r.bitsPerPixel)) {
    return image.Fail("Operation not supported for this color depth");
  }
  // Stored rows run bottom-up from here on, so that the picture turns the
  // same way whatever order it was stored in.
  if (r.rowOrder == kRowOrderTopDown) Flip(image, false);

  const size_t newStride = RowStride(r.height, r.bitsPerPixel);
  std::memcpy(block.data(), r.block.data(), r.pixelOffset);
  const Planes planes{r.pixels(), r.rowStride, block.data() + r.pixelOffset,
                      newStride,  r.width,     r.height};
  switch (r.bitsPerPixel) {
    case 1: TransposeBits(planes); break;
    case 4: TransposeNibbles(planes); break;
    case 8: TransposePixels<1>(planes); break;
    default: TransposePixels<3>(planes); break;
  }

  std::swap(r.width, r.height);
  std::swap(r.fullWidth, r.fullHeight);
  std::swap(r.xResolution, r.yResolution);
  SetRowLayout(r);
  r.symmetryState = ComposeSymmetry(r.symmetryState, kSymmetryTranspose);
  r.block = std::move(block);
  WriteHeaderGeometry(r.header(), r);
  BitmapInfoHeader h = BitmapInfoHeader::Read(r.header());
  std::swap(h.xPelsPerMeter, h.yPelsPerMeter);
  h.Write(r.header());
  return true;
}

}  // namespace leaf
