#include "BenchPages.h"

#include <vector>

#include "image/BitmapInfoHeader.h"

namespace leaf::bench {

namespace {

// Ink where a coarse grid of "letters" has strokes; the rest is paper.
bool IsInk(int x, int y) {
  const int cellX = x % 24, cellY = y % 40, line = y / 40;
  if (line % 8 == 7 || cellY < 8 || cellY > 32) return false;
  const int letter = (x / 24 + line * 7) % 11;
  return (cellX >= 4 && cellX < 7) || (letter < 5 && cellY >= 18 && cellY < 21 && cellX < 18) ||
         (letter > 7 && cellX >= 14 && cellX < 17);
}

}  // namespace

void MakePage(DibImage& image, int width, int height, int bits) {
  BitmapInfoHeader h;
  h.width = width;
  h.height = height;
  h.bitCount = static_cast<uint16_t>(bits);
  h.xPelsPerMeter = h.yPelsPerMeter = 11811;
  const size_t stride = RowStride(width, bits);
  h.sizeImage = static_cast<uint32_t>(stride * height);
  uint8_t header[40];
  h.Write(header);
  std::vector<uint8_t> palette;
  if (bits == 1) palette = {255, 255, 255, 0, 0, 0, 0, 0};
  if (bits == 8) {
    for (int i = 0; i < 256; ++i)
      palette.insert(palette.end(), {uint8_t(i), uint8_t(i), uint8_t(i), 0});
  }
  std::vector<uint8_t> pixels(stride * height, 0);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = pixels.data() + static_cast<size_t>(height - 1 - y) * stride;
    for (int x = 0; x < width; ++x) {
      const bool ink = IsInk(x, y);
      const int paper = 235 + ((x / 64 + y / 80) % 3) * 5;
      if (bits == 1) {
        if (ink) row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
      } else if (bits == 8) {
        row[x] = static_cast<uint8_t>(ink ? 30 : paper);
      } else {
        row[3 * x] = static_cast<uint8_t>(ink ? 40 : paper - 20);
        row[3 * x + 1] = static_cast<uint8_t>(ink ? 30 : paper - 5);
        row[3 * x + 2] = static_cast<uint8_t>(ink ? 120 : paper);
      }
    }
  }
  image.Release(true);
  image.Import(header, sizeof header, palette.data(), palette.size(), pixels.data(), pixels.size(),
               kImportFormatPackedDib);
}

}  // namespace leaf::bench
