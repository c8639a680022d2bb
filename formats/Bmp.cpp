#include "Bmp.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "AtomicFile.h"
#include "BmpTrueColour.h"
#include "FileHandle.h"
#include "image/BitmapInfoHeader.h"
#include "image/Endian.h"

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

bool ReadBmp(DibImage& image, const std::string& path) {
  image.Release(true);
  FileHandle file = OpenForReading(path.c_str());
  uint8_t fileHeader[kFileHeaderSize];
  if (!file || std::fread(fileHeader, 1, kFileHeaderSize, file.get()) != kFileHeaderSize) {
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
  if (remaining >= 0 && static_cast<unsigned long long>(remaining) < n) {
    return image.Fail("Failed to read %zu bytes from %s.", n, path.c_str());
  }
  if (n > kMaxBlockBytes + (size_t{1} << 16)) return image.Fail("The bitmap is too large to open.");

  PixelBlock block = PixelBlock::Allocate(n);
  if (!block) return image.Fail("Failed to allocate %zu bytes for the image.", n);
  if (std::fread(block.data(), 1, n, file.get()) != n) {
    return image.Fail("Failed to read %zu bytes from %s.", n, path.c_str());
  }

  const BitmapInfoHeader h = BitmapInfoHeader::Read(block.data());
  if (!ValidateInfoHeader(image, h, n)) return false;
  const size_t headerSize = h.size;
  const size_t stride = RowStride(h.width, h.bitCount);
  const size_t height = static_cast<size_t>(std::llabs(static_cast<long long>(h.height)));
  if (stride == 0 || height > kMaxBlockBytes / stride) {
    return image.Fail("The bitmap is too large to open.");
  }
  const size_t rowBytes = stride * height;
  size_t paletteSize = PaletteBytes(h);
  const size_t pixelOffset =
      PlaceRows(block.data(), n, headerSize, paletteSize, dataOffset, rowBytes);
  if (paletteSize > n - headerSize) {
    return image.Fail("The bitmap file is too short for its header and palette.");
  }
  if (n - pixelOffset < rowBytes) {
    return image.Fail("The bitmap holds %zu bytes of pixels where %zu are needed.", n - pixelOffset,
                      rowBytes);
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
  if (h.bitCount == 16 || h.bitCount == 32) return WidenPackedPixels(image, h);
  return true;
}

bool WriteBmp(const DibImage& image, const std::string& path) {
  const DibRaster& r = image.raster;
  if (r.empty()) return image.Fail("There is no image to save.");

  // The colour table written: the three masks of a bit-field image, or the
  // palette; the header's colour count is made to agree with it.
  BitmapInfoHeader info = BitmapInfoHeader::Read(r.header());
  uint8_t masks[kMaskBytes] = {};
  const uint8_t* colorTable = r.palette();
  size_t colorTableSize = r.paletteSize;
  if (info.compression == kBiBitfields) {
    const bool inHeader = r.headerSize >= kHeaderWithMasks;
    const uint8_t* source = inHeader ? r.header() + kBitmapInfoHeaderSize : r.palette();
    std::memcpy(masks, source, inHeader ? kMaskBytes : std::min(kMaskBytes, r.paletteSize));
    colorTable = masks;
    colorTableSize = kMaskBytes;
    info.clrUsed = 0;
  } else {
    info.clrUsed = static_cast<uint32_t>(r.paletteSize / kPaletteEntrySize);
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
  if (!out.Open() || !WriteAll(out.stream(), fileHeader, sizeof fileHeader)) {
    return image.Fail("Failed to write the bitmap file header.");
  }
  if (!WriteAll(out.stream(), infoBytes, sizeof infoBytes)) {
    return image.Fail("Failed to write the bitmap info header.");
  }
  if (!WriteAll(out.stream(), colorTable, colorTableSize)) {
    return image.Fail("Failed to write the bitmap color map.");
  }
  if (!WriteAll(out.stream(), r.pixels(), r.pixelSize)) {
    return image.Fail("Failed to write the bitmap pixel map.");
  }
  if (!out.Commit()) return image.Fail("Failed to write %s.", path.c_str());
  return true;
}

}  // namespace leaf
