// Checks and header bookkeeping shared by the operations that work on a
// raster's block or build a new one beside it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "DibImage.h"

namespace leaf {

// True when the raster has a block whose header, palette and stored rows all
// lie inside it and whose stride matches its width and depth. Otherwise the
// failure is reported through the image and the result is false.
bool CheckRaster(const DibImage& image, const DibRaster& raster);

// Bytes of a block that holds `reserve` bytes followed by rows of the given
// width, height and depth, each padded to 32 bits. Exact for every int size,
// however large; AllocateBlock refuses what no block may hold.
uint64_t BlockBytes(uint64_t reserve, int64_t width, int64_t height, int bitsPerPixel);

// A zero-filled block of the given size; empty when the size is 0, more than
// kMaxBlockBytes, or the memory cannot be had.
PixelBlock AllocateBlock(uint64_t bytes);

// Writes the geometry of the fields into the header at p: width, height
// (negative for top-down storage), bit count and image size.
void WriteHeaderGeometry(uint8_t* header, const DibFields& fields);

// Sets the stride and pixel size from width, height and depth.
void SetRowLayout(DibFields& fields);

// True for the depths the pixel operations handle: 1, 4, 8 and 24.
inline bool IsPixelDepth(int bitsPerPixel) {
  return bitsPerPixel == 1 || bitsPerPixel == 4 || bitsPerPixel == 8 || bitsPerPixel == 24;
}

// Bytes of a full palette for the depth: 4 x 2^bits up to 8 bits, else 0.
inline size_t FullPaletteBytes(int bitsPerPixel) {
  return bitsPerPixel >= 1 && bitsPerPixel <= 8 ? size_t{4} << bitsPerPixel : 0;
}

}  // namespace leaf
