// Files whose data ends long before the picture does. Such a file is refused
// rather than shown mostly blank: a few hundred bytes can declare a picture of
// hundreds of megapixels (a decompression bomb), and making, let alone
// saving, that picture costs seconds and gigabytes for nothing. A file cut
// short later on is read, the missing rows left to the decoder, and a
// warning says so.
#pragma once

#include <cstdint>

#include "image/DibImage.h"

namespace leaf {

// Refused when fewer than 1/16 of the rows have data and the rows without
// make up more than 4 megapixels; smaller pictures cost little to show.
inline constexpr uint64_t kLeastCoveredFraction = 16;
inline constexpr uint64_t kMostMadeUpPixels = 4'000'000;

inline bool IsFarShort(uint64_t rowsWithData, uint64_t width, uint64_t height) {
  return rowsWithData * kLeastCoveredFraction < height &&
         (height - rowsWithData) * width > kMostMadeUpPixels;
}

// Reports the refusal: "The file's data ends at row 16 of 18000: ...".
bool FailFarShort(const DibImage& image, uint64_t rowsWithData, uint64_t height);

}  // namespace leaf
