#include "BitmapInfoHeader.h"

#include "Endian.h"

namespace leaf {

BitmapInfoHeader BitmapInfoHeader::Read(const uint8_t* p) {
  BitmapInfoHeader h;
  h.size = LoadLe32(p);
  h.width = static_cast<int32_t>(LoadLe32(p + 4));
  h.height = static_cast<int32_t>(LoadLe32(p + 8));
  h.planes = LoadLe16(p + 12);
  h.bitCount = LoadLe16(p + 14);
  h.compression = LoadLe32(p + 16);
  h.sizeImage = LoadLe32(p + 20);
  h.xPelsPerMeter = static_cast<int32_t>(LoadLe32(p + 24));
  h.yPelsPerMeter = static_cast<int32_t>(LoadLe32(p + 28));
  h.clrUsed = LoadLe32(p + 32);
  h.clrImportant = LoadLe32(p + 36);
  return h;
}

void BitmapInfoHeader::Write(uint8_t* p) const {
  StoreLe32(p, size);
  StoreLe32(p + 4, static_cast<uint32_t>(width));
  StoreLe32(p + 8, static_cast<uint32_t>(height));
  StoreLe16(p + 12, planes);
  StoreLe16(p + 14, bitCount);
  StoreLe32(p + 16, compression);
  StoreLe32(p + 20, sizeImage);
  StoreLe32(p + 24, static_cast<uint32_t>(xPelsPerMeter));
  StoreLe32(p + 28, static_cast<uint32_t>(yPelsPerMeter));
  StoreLe32(p + 32, clrUsed);
  StoreLe32(p + 36, clrImportant);
}

}  // namespace leaf
