#include "NearestColor.h"

#include <algorithm>

namespace leaf {

uint32_t NearestPaletteIndex(const DibRaster& raster, uint32_t packed) {
  const int red = static_cast<int>(RedOf(packed));
  const int green = static_cast<int>(GreenOf(packed));
  const int blue = static_cast<int>(BlueOf(packed));
  uint32_t best = 0;
  long bestDistance = -1;
  const uint8_t* entry = raster.palette();
  for (size_t i = 0; i < raster.paletteEntries(); ++i, entry += raster.paletteEntrySize) {
    const long db = entry[0] - blue, dg = entry[1] - green, dr = entry[2] - red;
    const long distance = db * db + dg * dg + dr * dr;
    if (bestDistance < 0 || distance < bestDistance) {
      bestDistance = distance;
      best = static_cast<uint32_t>(i);
      if (distance == 0) break;
    }
  }
  return best;
}

IndexMap NearestIndexMap(const DibRaster& page, const DibRaster& inserted) {
  IndexMap map{};
  if (page.empty() || page.bitsPerPixel > 8 || page.paletteEntries() == 0) return map;
  const size_t entries = std::min<size_t>(inserted.paletteEntries(), map.size());
  const uint8_t* entry = inserted.palette();
  for (size_t i = 0; i < entries; ++i, entry += inserted.paletteEntrySize) {
    map[i] = NearestPaletteIndex(page, PackColor(entry[2], entry[1], entry[0]));
  }
  return map;
}

}  // namespace leaf
