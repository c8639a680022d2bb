// Lookup tables built from a raster's palette. Palettes may be shorter than
// 2^bits entries (a BMP file may say so): indices without an entry read as
// black rather than past the palette.
#pragma once

#include <array>
#include <cstdint>

#include "DibRaster.h"

namespace leaf {

// Blue, green, red of each of the 256 possible indices.
struct PaletteColors {
  std::array<uint8_t, 3 * 256> bgr{};
  const uint8_t* operator[](unsigned index) const { return &bgr[3 * index]; }
};

PaletteColors ColorsOfPalette(const DibRaster& raster);

// Each index's colour packed as red + 256 green + 65536 blue.
std::array<uint32_t, 256> PackedColorsOfPalette(const DibRaster& raster);

// Each index's gray value.
std::array<uint8_t, 256> GraysOfPalette(const DibRaster& raster);

}  // namespace leaf
