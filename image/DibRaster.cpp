#include "DibRaster.h"

namespace leaf {

size_t RowStride(int64_t width, int bitsPerPixel) {
  if (width <= 0 || bitsPerPixel <= 0) return 0;
  const uint64_t bits = static_cast<uint64_t>(width) * static_cast<uint64_t>(bitsPerPixel);
  const uint64_t stride = (bits + 31) / 32 * 4;
  if (stride > kMaxBlockBytes) return 0;
  return static_cast<size_t>(stride);
}

bool DibRaster::paletteEntryZeroIsLighter() const {
  if (block.empty() || paletteSize < 3) return false;
  // Gray values times 256 (blue, green, red entries).
  auto weight = [](const uint8_t* e) { return 77u * e[2] + 151u * e[1] + 29u * e[0]; };
  constexpr unsigned kLightGray = 128u << 8;
  const unsigned zero = weight(palette());
  if (paletteSize < paletteEntrySize + 3) return zero >= kLightGray;
  const unsigned one = weight(palette() + paletteEntrySize);
  return zero != one ? zero > one : zero >= kLightGray;
}

void DibRaster::clearKeepingPage() {
  block.reset();
  static_cast<DibFields&>(*this) = DibFields{};
}

void DibRaster::clear() {
  clearKeepingPage();
  pageLink.reset();
}

}  // namespace leaf
