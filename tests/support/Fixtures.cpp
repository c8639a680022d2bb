#include "Fixtures.h"

#include <cctype>
#include <cstdlib>

#include "image/BitmapInfoHeader.h"
#include "image/Endian.h"

namespace leaf::test {

namespace {

std::vector<uint8_t> PaletteBytes(const BmpRecipe& recipe) {
  std::vector<uint32_t> entries = recipe.palette;
  if (entries.empty() && recipe.bits <= 8) entries = GrayPalette(recipe.bits);
  std::vector<uint8_t> bytes;
  for (uint32_t rgb : entries) {
    bytes.push_back(static_cast<uint8_t>(rgb));
    bytes.push_back(static_cast<uint8_t>(rgb >> 8));
    bytes.push_back(static_cast<uint8_t>(rgb >> 16));
    bytes.push_back(0);
  }
  return bytes;
}

void StorePixel(uint8_t* row, int x, int bits, uint32_t value) {
  switch (bits) {
    case 1:
      if (value & 1) row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
      break;
    case 4: row[x / 2] |= static_cast<uint8_t>((value & 15) << (x % 2 ? 0 : 4)); break;
    case 8: row[x] = static_cast<uint8_t>(value); break;
    case 16: StoreLe16(row + 2 * x, static_cast<uint16_t>(value)); break;
    case 24:
      row[3 * x] = static_cast<uint8_t>(value);
      row[3 * x + 1] = static_cast<uint8_t>(value >> 8);
      row[3 * x + 2] = static_cast<uint8_t>(value >> 16);
      break;
    case 32: StoreLe32(row + 4 * x, value); break;
  }
}

std::vector<uint8_t> PixelBytes(const BmpRecipe& recipe) {
  const int height = std::abs(recipe.height);
  const size_t stride = RowStride(recipe.width, recipe.bits);
  std::vector<uint8_t> bytes(stride * height, 0);
  for (int y = 0; y < height; ++y) {
    const int stored = recipe.height < 0 ? y : height - 1 - y;
    for (int x = 0; x < recipe.width; ++x) {
      StorePixel(bytes.data() + stored * stride, x, recipe.bits, recipe.pixel(x, y));
    }
  }
  return bytes;
}

std::vector<uint8_t> HeaderBytes(const BmpRecipe& recipe, size_t imageSize) {
  std::vector<uint8_t> bytes(recipe.headerSize, 0);
  BitmapInfoHeader h;
  h.size = recipe.headerSize;
  h.width = recipe.width;
  h.height = recipe.height;
  h.bitCount = static_cast<uint16_t>(recipe.bits);
  h.compression = recipe.compression;
  h.sizeImage = static_cast<uint32_t>(imageSize);
  h.xPelsPerMeter = h.yPelsPerMeter = recipe.pixelsPerMetre;
  h.clrUsed = recipe.colorsUsed;
  h.Write(bytes.data());
  return bytes;
}

}  // namespace

bool NearColor(uint32_t a, uint32_t b, int tolerance) {
  for (int shift = 0; shift < 24; shift += 8) {
    const int d = static_cast<int>((a >> shift) & 255) - static_cast<int>((b >> shift) & 255);
    if (std::abs(d) > tolerance) return false;
  }
  return true;
}

std::vector<uint32_t> GrayPalette(int bits) {
  std::vector<uint32_t> entries;
  const int levels = 1 << bits;
  for (int i = 0; i < levels; ++i) {
    const uint32_t v = static_cast<uint32_t>(i * 255 / (levels - 1));
    entries.push_back(v * 0x010101u);
  }
  return entries;
}

std::vector<uint8_t> MakeBmpFile(const BmpRecipe& recipe) {
  const std::vector<uint8_t> palette = PaletteBytes(recipe);
  const std::vector<uint8_t> pixels = PixelBytes(recipe);
  const std::vector<uint8_t> header = HeaderBytes(recipe, pixels.size());
  std::vector<uint8_t> file(14, 0);
  file[0] = 'B';
  file[1] = 'M';
  const size_t offset = 14 + header.size() + palette.size();
  StoreLe32(&file[2], static_cast<uint32_t>(offset + pixels.size()));
  StoreLe32(&file[10], static_cast<uint32_t>(offset));
  file.insert(file.end(), header.begin(), header.end());
  file.insert(file.end(), palette.begin(), palette.end());
  file.insert(file.end(), pixels.begin(), pixels.end());
  return file;
}

void MakeImage(DibImage& image, const BmpRecipe& recipe) {
  const std::vector<uint8_t> palette = PaletteBytes(recipe);
  const std::vector<uint8_t> pixels = PixelBytes(recipe);
  const std::vector<uint8_t> header = HeaderBytes(recipe, pixels.size());
  image.Release(true);
  image.Import(header.data(), header.size(), palette.data(), palette.size(), pixels.data(),
               pixels.size(), kImportFormatPackedDib);
}

uint32_t PixelAt(const DibRaster& raster, int x, int y) {
  const uint8_t* row = raster.topRow(y);
  switch (raster.bitsPerPixel) {
    case 1: return (row[x / 8] >> (7 - x % 8)) & 1;
    case 4: return (row[x / 2] >> (x % 2 ? 0 : 4)) & 15;
    case 8: return row[x];
    case 24: return row[3 * x] | (row[3 * x + 1] << 8) | (row[3 * x + 2] << 16);
    default: return 0;
  }
}

uint32_t PaletteColor(const DibRaster& raster, int index) {
  const uint8_t* e = raster.palette() + index * 4;
  return e[0] | (e[1] << 8) | (e[2] << 16);
}

std::string TestNameOfFile(std::string name) {
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return name;
}

}  // namespace leaf::test
