#include "DepthConversions.h"

#include <algorithm>
#include <cstring>

#include "BitOps.h"
#include "BitmapInfoHeader.h"
#include "PaletteTables.h"
#include "RasterChecks.h"

namespace leaf {

namespace {

void InvertBytes(uint8_t* p, size_t count) {
  for (size_t i = 0; i < count; ++i) p[i] = static_cast<uint8_t>(~p[i]);
}

void InvertPaletteColors(DibRaster& r) {
  if (r.paletteEntrySize < 3) return;
  uint8_t* entry = r.palette();
  for (size_t i = 0; i < r.paletteEntries(); ++i, entry += r.paletteEntrySize) {
    InvertBytes(entry, 3);
  }
}

void ExpandNibbles(const uint8_t* row, uint8_t* out, size_t width, const uint8_t* map) {
  const size_t whole = width / 2;
  for (size_t k = 0; k < whole; ++k) {
    *out++ = map[row[k] >> 4];
    *out++ = map[row[k] & 0x0F];
  }
  if (width % 2) *out = map[row[whole] >> 4];
}

void BitsToNibbles(const uint8_t* row, uint8_t* out, size_t width) {
  for (size_t x = 0; x + 1 < width; x += 2) {
    *out++ = static_cast<uint8_t>((GetBit(row, x) << 4) | GetBit(row, x + 1));
  }
  if (width % 2) *out = static_cast<uint8_t>(GetBit(row, width - 1) << 4);
}

// Index rows to 24-bit colour rows through the palette.
void BitsToColors(const uint8_t* row, uint8_t* out, size_t width, const PaletteColors& colors) {
  for (size_t x = 0; x < width; ++x, out += 3) std::memcpy(out, colors[GetBit(row, x)], 3);
}

void NibblesToColors(const uint8_t* row, uint8_t* out, size_t width, const PaletteColors& colors) {
  for (size_t x = 0; x < width; ++x, out += 3) std::memcpy(out, colors[GetNibble(row, x)], 3);
}

void BytesToColors(const uint8_t* row, uint8_t* out, size_t width, const PaletteColors& colors) {
  for (size_t x = 0; x < width; ++x, out += 3) std::memcpy(out, colors[row[x]], 3);
}

void ColorsToGrays(const uint8_t* row, uint8_t* out, size_t width) {
  for (size_t x = 0; x < width; ++x, row += 3) out[x] = GrayOf(row[2], row[1], row[0]);
}

constexpr uint8_t kIdentity[16] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};

bool IsWideningPair(int from, int to) {
  return (from == 1 && (to == 4 || to == 8 || to == 24)) || (from == 4 && (to == 8 || to == 24)) ||
         (from == 8 && to == 24);
}

}  // namespace

bool Negative(DibImage& image) {
  DibRaster& r = image.raster;
  if (!CheckRaster(image, r)) return false;
  if (r.bitsPerPixel <= 8 && r.paletteSize != 0 && r.paletteEntrySize != 0) {
    InvertPaletteColors(r);
    r.grayFlag = image.IsGrayRamp() ? 1 : 0;
  } else {
    InvertBytes(r.pixels(), r.rowStride * static_cast<size_t>(r.height));
  }
  r.negativeFlag = r.negativeFlag ? 0 : 1;
  return true;
}

bool ReversePhotometric(DibImage& image) {
  DibRaster& r = image.raster;
  if (!CheckRaster(image, r)) return false;
  if (!r.grayFlag && r.bitsPerPixel != 1) {
    return image.Fail("ReversePhotometric: Image is not gray scale or b&w.");
  }
  if (r.photometric != kPhotometricMinIsWhite && r.photometric != kPhotometricMinIsBlack) {
    return image.Fail("Unknown photometric: %d", r.photometric);
  }
  InvertPaletteColors(r);
  const size_t rowBytes = (static_cast<size_t>(r.width) * r.bitsPerPixel + 7) / 8;
  for (int y = 0; y < r.height; ++y) InvertBytes(r.storedRow(y), rowBytes);
  r.photometric =
      r.photometric == kPhotometricMinIsBlack ? kPhotometricMinIsWhite : kPhotometricMinIsBlack;
  return true;
}

PixelBlock ConvertToGray(const DibImage& image, const DibRaster& source, size_t reserve) {
  if (!CheckRaster(image, source) || source.grayFlag) return {};
  const int depth = source.bitsPerPixel;
  if (!IsPixelDepth(depth)) {
    image.Fail("Conversion to gray not supported for this color depth.");
    return {};
  }
  const uint64_t bytes = BlockBytes(reserve, source.width, source.height, 8);
  PixelBlock block = AllocateBlock(bytes);
  if (!block) {
    image.Fail("Failed to allocate %llu bytes for a temporary gray image.",
               static_cast<unsigned long long>(bytes));
    return {};
  }
  const size_t stride = RowStride(source.width, 8);
  const size_t width = static_cast<size_t>(source.width);
  const bool whiteZero = source.paletteEntryZeroIsLighter();
  const std::array<uint8_t, 256> grays = GraysOfPalette(source);
  for (int y = 0; y < source.height; ++y) {
    const uint8_t* row = source.storedRow(y);
    uint8_t* out = block.data() + reserve + static_cast<size_t>(y) * stride;
    switch (depth) {
      case 1: UnpackBits(row, out, width, whiteZero ? 255 : 0, whiteZero ? 0 : 255); break;
      case 4: ExpandNibbles(row, out, width, grays.data()); break;
      case 8:
        for (size_t x = 0; x < width; ++x) out[x] = grays[row[x]];
        break;
      default: ColorsToGrays(row, out, width); break;
    }
  }
  return block;
}

bool ToGray(DibImage& image) {
  DibRaster& r = image.raster;
  if (!CheckRaster(image, r)) return false;
  if (r.grayFlag) return true;
  const size_t paletteBytes = 256 * kPaletteEntrySize;
  PixelBlock block = ConvertToGray(image, r, r.headerSize + paletteBytes);
  if (!block) return false;

  uint8_t* palette = block.data() + r.headerSize;
  for (int i = 0; i < 256; ++i, palette += kPaletteEntrySize) {
    palette[0] = palette[1] = palette[2] = static_cast<uint8_t>(i);
  }
  std::memcpy(block.data(), r.header(), r.headerSize);

  r.paletteEntrySize = kPaletteEntrySize;
  r.paletteSize = paletteBytes;
  r.paletteOffset = r.headerSize;
  r.pixelOffset = r.headerSize + paletteBytes;
  r.bitsPerPixel = 8;
  r.sourceBitsPerPixel = 8;
  r.photometric = kPhotometricMinIsBlack;
  r.grayFlag = 1;
  SetRowLayout(r);
  r.block = std::move(block);

  BitmapInfoHeader h = BitmapInfoHeader::Read(r.header());
  h.bitCount = 8;
  h.sizeImage = static_cast<uint32_t>(r.pixelSize);
  h.clrUsed = 0;
  h.clrImportant = 0;
  h.Write(r.header());
  return true;
}

PixelBlock IncreaseDepth(const DibImage& image, int newDepth) {
  const DibRaster& r = image.raster;
  if (!CheckRaster(image, r)) return {};
  const int depth = r.bitsPerPixel;
  if (depth > 8 || newDepth <= depth || newDepth > 24) return {};
  if (!IsWideningPair(depth, newDepth)) {
    if (newDepth != 4 && newDepth != 8) {
      image.Fail("Increase of color depth not supported for the original color depth.");
    }
    return {};
  }
  const size_t paletteBytes = newDepth <= 8 ? size_t{4} << newDepth : 0;
  const size_t pixelOffset = r.headerSize + paletteBytes;
  const uint64_t bytes = BlockBytes(pixelOffset, r.width, r.height, newDepth);
  PixelBlock block = AllocateBlock(bytes);
  if (!block) {
    image.Fail("Failed to allocate %llu bytes for a temporary image.",
               static_cast<unsigned long long>(bytes));
    return {};
  }
  std::memcpy(block.data(), r.header(), r.headerSize);
  if (paletteBytes > 0) {
    std::memcpy(block.data() + r.headerSize, r.palette(), std::min(r.paletteSize, paletteBytes));
  }

  const size_t stride = RowStride(r.width, newDepth);
  const size_t width = static_cast<size_t>(r.width);
  const PaletteColors colors = ColorsOfPalette(r);
  for (int y = 0; y < r.height; ++y) {
    const uint8_t* row = r.storedRow(y);
    uint8_t* out = block.data() + pixelOffset + static_cast<size_t>(y) * stride;
    if (newDepth == 4) {
      BitsToNibbles(row, out, width);
    } else if (newDepth == 8) {
      if (depth == 1) {
        UnpackBits(row, out, width, 0, 1);
      } else {
        ExpandNibbles(row, out, width, kIdentity);
      }
    } else if (depth == 1) {
      BitsToColors(row, out, width, colors);
    } else if (depth == 4) {
      NibblesToColors(row, out, width, colors);
    } else {
      BytesToColors(row, out, width, colors);
    }
  }

  BitmapInfoHeader h = BitmapInfoHeader::Read(block.data());
  h.bitCount = static_cast<uint16_t>(newDepth);
  h.sizeImage = static_cast<uint32_t>(stride * static_cast<size_t>(r.height));
  h.clrUsed = 0;
  h.clrImportant = 0;
  h.Write(block.data());
  return block;
}

}  // namespace leaf
