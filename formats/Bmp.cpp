#include "Bmp.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "AtomicFile.h"
#include "BmpTrueColour.h"
#include "FileHandle.h"
#include "image/BitmapInfoHeader.h"
#include "image/Endian.h"
#include "image/PixelLimit.h"

namespace leaf {

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr uint16_t kBmMagic = 19778;  // "BM"
// A V3 header with the three bit-field masks appended (52 bytes) or any
// larger header carries the masks itself.
constexpr size_t kHeaderWithMasks = 52;
constexpr size_t kMaskBytes = 12;

bool IsReadableDepth(int bits) {
  return bits == 1 || bits == 2 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

bool MasksLiveInHeader(const BitmapInfoHeader& h) {
  return h.compression == kBiBitfields && h.size >= kHeaderWithMasks;
}

// The palette bytes of a validated header.
size_t PaletteBytes(const BitmapInfoHeader& h) {
  if (MasksLiveInHeader(h)) return static_cast<size_t>(h.clrUsed) * 4;
  return PaletteSizeForHeader(h.bitCount, h.compression, h.clrUsed);
}

// Checks what the block's info header says before anything relies on it.
bool ValidateInfoHeader(const DibImage& image, const BitmapInfoHeader& h, size_t blockSize) {
  if (h.size < kBitmapInfoHeaderSize || h.size > blockSize) {
    return image.Fail("Unsupported bitmap header size %u.", h.size);
  }
  if (!IsReadableDepth(h.bitCount)) return image.Fail("Unsupported bitmap depth %d.", h.bitCount);
  const bool bitfields = h.compression == kBiBitfields && (h.bitCount == 16 || h.bitCount == 32);
  if (h.compression != kBiRgb && !bitfields) {
    return image.Fail("Compressed bitmaps are not supported.");
  }
  if (h.width <= 0 || h.height == 0 || h.height == INT32_MIN) {
    return image.Fail("Invalid bitmap size %d x %d.", h.width, h.height);
  }
  const uint32_t maxColors = h.bitCount <= 8 ? (1u << h.bitCount) : 256u;
  if (h.clrUsed > maxColors) return image.Fail("Invalid bitmap palette size %u.", h.clrUsed);
  return true;
}

// Where the rows start in the block: after the palette unless the file's
// pixel-data offset points elsewhere and leaves room for every row. The rows
// are moved to follow the palette directly, which is the block layout every
// operation expects; a palette overlapping the rows is shortened.
size_t PlaceRows(uint8_t* block, size_t blockSize, size_t headerSize, size_t& paletteSize,
                 uint32_t fileDataOffset, size_t rowBytes) {
  const size_t expected = headerSize + paletteSize;
  if (fileDataOffset < kFileHeaderSize + headerSize) return expected;
  const size_t actual = fileDataOffset - kFileHeaderSize;
  if (actual == expected || actual > blockSize || blockSize - actual < rowBytes) return expected;
  if (actual < expected) {
    paletteSize = (actual - headerSize) / 4 * 4;
    StoreLe32(block + 32, static_cast<uint32_t>(paletteSize / 4));  // colours used
  }
  const size_t target = headerSize + paletteSize;
  std::memmove(block + target, block + actual, rowBytes);
  return target;
}

}  // namespace

bool ReadBmp(DibImage& image, const std::string& path, bool headerOnly) {
  image.Release(true);
  FileHandle file = OpenInputFile(image, path);
  if (!file) return false;
  uint8_t fileHeader[kFileHeaderSize];
  if (std::fread(fileHeader, 1, kFileHeaderSize, file.get()) != kFileHeaderSize) {
    return image.Fail("Failed to read the bitmap header for %s.", path.c_str());
  }
  if (LoadLe16(fileHeader) != kBmMagic) return image.Fail("Not a proper bitmap header!");

  const uint32_t fileSize = LoadLe32(fileHeader + 2);
  const uint32_t dataOffset = LoadLe32(fileHeader + 10);
  if (fileSize < kFileHeaderSize + kBitmapInfoHeaderSize) {
    return image.Fail(
        "The bitmap header gives a file size of %u bytes, too small for its contents.", fileSize);
  }
  const size_t n = fileSize - kFileHeaderSize;
  const long long remaining = RemainingBytes(file.get());
  if (!headerOnly && remaining >= 0 && static_cast<unsigned long long>(remaining) < n) {
    return image.Fail("Failed to read %zu bytes from %s.", n, path.c_str());
  }
  uint8_t infoBytes[kBitmapInfoHeaderSize];
  if (std::fread(infoBytes, 1, sizeof infoBytes, file.get()) != sizeof infoBytes) {
    return image.Fail("Failed to read %zu bytes from %s.", n, path.c_str());
  }
  const BitmapInfoHeader h = BitmapInfoHeader::Read(infoBytes);
  if (!ValidateInfoHeader(image, h, n)) return false;
  const size_t height = static_cast<size_t>(std::llabs(static_cast<long long>(h.height)));
  if (!CheckPixelLimit(image, h.width, static_cast<int64_t>(height))) return false;
  const size_t headerSize = h.size;
  const size_t stride = RowStride(h.width, h.bitCount);
  if (stride == 0 || height > kMaxBlockBytes / stride) {
    return image.Fail(
        "The bitmap is %d x %zu pixels at %d bits, more than the 2 GiB a raster holds.", h.width,
        height, h.bitCount);
  }
  const size_t rowBytes = stride * height;
  size_t paletteSize = PaletteBytes(h);
  // Only the header and the palette when the pixels are not wanted.
  if (headerOnly) paletteSize = std::min(paletteSize, (n - headerSize) / 4 * 4);
  const size_t wanted = headerOnly ? headerSize + paletteSize : n;
  PixelBlock block = PixelBlock::Allocate(wanted);
  if (!block) return image.Fail("Failed to allocate %zu bytes for the image.", wanted);
  std::memcpy(block.data(), infoBytes, sizeof infoBytes);
  const size_t rest = wanted - sizeof infoBytes;
  if (std::fread(block.data() + sizeof infoBytes, 1, rest, file.get()) != rest) {
    return image.Fail("Failed to read %zu bytes from %s.", n, path.c_str());
  }
  size_t pixelOffset = headerSize + paletteSize;
  if (!headerOnly) {
    pixelOffset = PlaceRows(block.data(), n, headerSize, paletteSize, dataOffset, rowBytes);
    if (paletteSize > n - headerSize) {
      return image.Fail("The bitmap file is too short for its header and palette.");
    }
    if (n - pixelOffset < rowBytes) {
      return image.Fail("The bitmap holds %zu bytes of pixels where %zu are needed.",
                        n - pixelOffset, rowBytes);
    }
  }

  DibRaster& r = image.raster;
  r.block = std::move(block);
  r.blockKind = kBlockKindPackedDib;
  r.headerSize = headerSize;
  r.paletteOffset = headerSize;
  r.paletteSize = paletteSize;
  r.pixelOffset = pixelOffset;
  r.pixelSize = rowBytes;
  r.width = r.fullWidth = h.width;
  r.height = r.fullHeight = static_cast<int>(height);
  r.bitsPerPixel = r.sourceBitsPerPixel = h.bitCount;
  r.paletteEntrySize = kPaletteEntrySize;
  r.channelOrder = kChannelOrderBgr;
  r.rowStride = stride;
  image.ResolutionFromHeader();
  r.resolutionUnit = kResolutionUnitInch;
  r.rowOrder = h.height >= 0 ? kRowOrderBottomUp : kRowOrderTopDown;
  r.negativeFlag = 0;
  r.symmetryState = 0;
  r.pageCount = 1;
  r.pageIndex = 0;
  r.grayFlag = image.IsGrayRamp() ? 1 : 0;
  if (!r.grayFlag) r.photometric = paletteSize > 0 ? kPhotometricPalette : kPhotometricRgb;
  if (headerOnly) {
    r.block.reset();
    // 16- and 32-bit pictures are read as 24-bit colour.
    if (h.bitCount == 16 || h.bitCount == 32) {
      r.bitsPerPixel = 24;
      r.paletteSize = 0;
      r.rowStride = RowStride(r.width, 24);
      r.pixelSize = r.rowStride * height;
      r.photometric = kPhotometricRgb;
    }
    return true;
  }
  if (h.bitCount == 16 || h.bitCount == 32) return WidenPackedPixels(image, h);
  return true;
}

namespace {

// The highest palette index the pixels of an indexed raster use.
unsigned HighestIndex(const DibRaster& r) {
  const int bits = r.bitsPerPixel;
  const unsigned mask = (1u << bits) - 1;
  unsigned highest = 0;
  for (int y = 0; y < r.height && highest < mask; ++y) {
    const uint8_t* row = r.storedRow(y);
    for (int x = 0; x < r.width; ++x) {
      const size_t bit = static_cast<size_t>(x) * bits;
      const unsigned value = (row[bit / 8] >> (8 - bits - bit % 8)) & mask;
      highest = std::max(highest, value);
    }
  }
  return highest;
}

// The palette an indexed raster is written with: its own, lengthened with
// black entries when its pixels use indices beyond it (a file whose colour
// count was smaller than its pixels).
std::vector<uint8_t> PaletteToWrite(const DibRaster& r) {
  std::vector<uint8_t> palette(r.palette(), r.palette() + r.paletteSize / 4 * 4);
  const size_t full = size_t{4} << r.bitsPerPixel;
  if (palette.size() < full) {
    const size_t used = (size_t{HighestIndex(r)} + 1) * 4;
    if (palette.size() < used) palette.resize(used, 0);
  }
  return palette;
}

}  // namespace

bool WriteBmp(const DibImage& image, const std::string& path) {
  const DibRaster& r = image.raster;
  if (r.empty()) return image.Fail("There is no image to save.");

  // The colour table written: the three masks of a bit-field image, or the
  // palette; the header's fields are made to agree with the raster.
  BitmapInfoHeader info = BitmapInfoHeader::Read(r.header());
  info.width = r.width;
  info.height = r.rowOrder == kRowOrderTopDown ? -r.height : r.height;
  info.planes = 1;
  info.bitCount = static_cast<uint16_t>(r.bitsPerPixel);
  info.clrImportant = 0;
  uint8_t masks[kMaskBytes] = {};
  std::vector<uint8_t> palette;
  const uint8_t* colorTable = nullptr;
  size_t colorTableSize = 0;
  const bool bitfields =
      info.compression == kBiBitfields && (r.bitsPerPixel == 16 || r.bitsPerPixel == 32);
  info.compression = bitfields ? kBiBitfields : kBiRgb;
  if (r.bitsPerPixel <= 8) {
    palette = PaletteToWrite(r);
    colorTable = palette.data();
    colorTableSize = palette.size();
    info.clrUsed = static_cast<uint32_t>(palette.size() / kPaletteEntrySize);
  } else if (bitfields) {
    const bool inHeader = r.headerSize >= kHeaderWithMasks;
    const uint8_t* source = inHeader ? r.header() + kBitmapInfoHeaderSize : r.palette();
    std::memcpy(masks, source, inHeader ? kMaskBytes : std::min(kMaskBytes, r.paletteSize));
    colorTable = masks;
    colorTableSize = kMaskBytes;
    info.clrUsed = 0;
  } else {
    info.clrUsed = 0;
  }
  info.size = kBitmapInfoHeaderSize;
  info.sizeImage = static_cast<uint32_t>(r.pixelSize);
  uint8_t infoBytes[kBitmapInfoHeaderSize];
  info.Write(infoBytes);

  const size_t headersSize = kFileHeaderSize + kBitmapInfoHeaderSize;
  uint8_t fileHeader[kFileHeaderSize] = {'B', 'M'};
  StoreLe32(fileHeader + 2, static_cast<uint32_t>(colorTableSize + r.pixelSize + headersSize));
  StoreLe32(fileHeader + 10, static_cast<uint32_t>(colorTableSize + headersSize));

  AtomicFile out(path);
  if (!out.Open()) return FailToCreate(image, out);
  const struct {
    const void* data;
    size_t size;
    const char* what;
  } parts[] = {{fileHeader, sizeof fileHeader, "file header"},
               {infoBytes, sizeof infoBytes, "info header"},
               {colorTable, colorTableSize, "color map"},
               {r.pixels(), r.pixelSize, "pixel map"}};
  for (const auto& part : parts) {
    if (!out.Write(part.data, part.size)) {
      return image.Fail("Failed to write the bitmap %s: %s.", part.what, out.Reason());
    }
  }
  if (!out.Commit()) return FailToWrite(image, out);
  return true;
}

}  // namespace leaf
