#include "PaletteTables.h"

#include <algorithm>

#include "DepthConversions.h"

namespace leaf {

PaletteColors ColorsOfPalette(const DibRaster& raster) {
  PaletteColors colors;
  if (raster.empty() || raster.paletteEntrySize < 3) return colors;
  const size_t entries = std::min<size_t>(raster.paletteEntries(), 256);
  const uint8_t* entry = raster.palette();
  for (size_t i = 0; i < entries; ++i, entry += raster.paletteEntrySize) {
    std::copy(entry, entry + 3, &colors.bgr[3 * i]);
  }
  return colors;
}

std::array<uint32_t, 256> PackedColorsOfPalette(const DibRaster& raster) {
  const PaletteColors colors = ColorsOfPalette(raster);
  std::array<uint32_t, 256> packed{};
  for (unsigned i = 0; i < 256; ++i) {
    const uint8_t* c = colors[i];
    packed[i] = c[2] + 256u * c[1] + 65536u * c[0];
  }
  return packed;
}

std::array<uint8_t, 256> GraysOfPalette(const DibRaster& raster) {
  const PaletteColors colors = ColorsOfPalette(raster);
  std::array<uint8_t, 256> grays{};
  for (unsigned i = 0; i < 256; ++i) grays[i] = GrayOf(colors[i][2], colors[i][1], colors[i][0]);
  return grays;
}

}  // namespace leaf
