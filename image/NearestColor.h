// Matching colours against a palette: the nearest entry by squared distance
// in red, green and blue, as pastes and text labels need on palette pages.
#pragma once

#include <cstdint>

#include "DibRaster.h"
#include "InsertImage.h"

namespace leaf {

// Red + 256 green + 65536 blue, the packing colour settings use.
inline uint32_t PackColor(unsigned red, unsigned green, unsigned blue) {
  return (red & 255u) | (green & 255u) << 8 | (blue & 255u) << 16;
}
inline unsigned RedOf(uint32_t packed) { return packed & 255u; }
inline unsigned GreenOf(uint32_t packed) { return packed >> 8 & 255u; }
inline unsigned BlueOf(uint32_t packed) { return packed >> 16 & 255u; }

// The index of the palette entry nearest to a packed colour; the first of
// equally near ones. 0 for a raster without a palette.
uint32_t NearestPaletteIndex(const DibRaster& raster, uint32_t packed);

// For inserting `inserted` into `page`: entry i is the page's palette index
// nearest to the colour of the inserted raster's palette entry i (the rest
// 0). All zero when either raster has no palette (24-bit pages need no map).
IndexMap NearestIndexMap(const DibRaster& page, const DibRaster& inserted);

}  // namespace leaf
