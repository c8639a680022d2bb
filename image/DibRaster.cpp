#include "DibRaster.h"

namespace leaf {

size_t RowStride(int64_t width, int bitsPerPixel) {
  if (width <= 0 || bitsPerPixel <= 0) return 0;
  const uint64_t bits = static_cast<uint64_t>(width) * static_cast<uint64_t>(bitsPerPixel);
  const uint64_t stride = (bits + 31) / 32 * 4;
  if (stride > kMaxBlockBytes) return 0;
  return static_cast<size_t>(stride);
}

bool DibRaster::paletteEntryZeroIsWhite() const {
  if (block.empty() || paletteSize < 3) return false;
  const uint8_t* entry = palette();
  return entry[0] == 255 && entry[1] == 255 && entry[2] == 255;
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
