// Conversions of how a raster's pixels are coded: negation, reversal of the
// pixel sense of gray and bilevel rasters, conversion to 8-bit gray, and
// widening a palette raster to a higher depth.
#pragma once

#include <cstddef>
#include <cstdint>

#include "DibImage.h"

namespace leaf {

// Gray value of a colour: (77 red + 151 green + 29 blue) / 256, truncated.
inline uint8_t GrayOf(unsigned red, unsigned green, unsigned blue) {
  return static_cast<uint8_t>((77 * red + 151 * green + 29 * blue) >> 8);
}

// Inverts the colours of the main raster: through the palette when it has
// one, otherwise every byte of the pixel area. Toggles the negative flag.
bool Negative(DibImage& image);

// Inverts both the pixel values and the palette of a gray or 1-bit raster,
// so that the picture stays the same while min-is-white and min-is-black
// exchange. The writers use it before writing min-is-black data.
bool ReversePhotometric(DibImage& image);

// Turns the main raster into 8-bit gray with an ascending ramp (the Convert
// To Gray command); a raster that is gray already stays as it is.
bool ToGray(DibImage& image);

// The pixels of source as 8-bit gray values in a new block, rows in the
// source's stored order padded to 32 bits, starting at offset `reserve`.
// Empty (without a text) when the source is gray already, empty with a
// reported text when the memory cannot be had or the depth is not 1, 4, 8
// or 24.
PixelBlock ConvertToGray(const DibImage& image, const DibRaster& source, size_t reserve);

// The main raster widened to newDepth (4, 8 or 24) in a new block: the header
// (bit count newDepth), for newDepth 8 or less a palette of 4 << newDepth
// bytes starting with the raster's own, then the rows in the same stored
// order. Index values are kept when widening to 4 or 8 bits; 24 bits takes
// each pixel's palette colour. Empty when the raster has more than 8 bits,
// when newDepth is not above its depth or is above 24.
PixelBlock IncreaseDepth(const DibImage& image, int newDepth);

}  // namespace leaf
