// One raster of a DibImage: a packed device-independent bitmap block and the
// fields that describe it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "PixelBlock.h"

struct djvu_halfcoded_image;

namespace leaf {

// The decoded DjVu page a raster was rendered from. Shared between a raster
// and its clones; the page is freed when the last reference goes.
using PageLink = std::shared_ptr<djvu_halfcoded_image>;

inline constexpr int kBlockKindPackedDib = 5;
inline constexpr int kRowOrderBottomUp = 3;
inline constexpr int kRowOrderTopDown = 4;
inline constexpr int kChannelOrderRgb = 1;
inline constexpr int kChannelOrderBgr = 2;
inline constexpr size_t kPaletteEntrySize = 4;

// Photometric interpretations (TIFF numbering).
inline constexpr int kPhotometricMinIsWhite = 0;
inline constexpr int kPhotometricMinIsBlack = 1;
inline constexpr int kPhotometricRgb = 2;
inline constexpr int kPhotometricPalette = 3;

inline constexpr int kResolutionUnitNone = 1;
inline constexpr int kResolutionUnitInch = 2;
inline constexpr int kResolutionUnitCentimetre = 3;

// The largest pixel block any reader or operation makes: just under 2 GiB,
// so that every byte offset in a raster fits an int (a 24-bit picture of
// about 715 megapixels). The pixel limit (PixelLimit.h) normally stops well
// before.
inline constexpr size_t kMaxBlockBytes = (size_t{1} << 31) - 1;

// Bytes from one stored row to the next: rows are padded to 32 bits.
// Returns 0 when the width or depth is not positive or the row would not fit
// in a block.
size_t RowStride(int64_t width, int bitsPerPixel);

// The plain fields of a raster; everything but the page link and the block.
struct DibFields {
  int blockKind = 0;
  size_t headerSize = 0;
  size_t paletteOffset = 0;
  size_t paletteSize = 0;
  size_t pixelOffset = 0;
  size_t pixelSize = 0;
  size_t paletteEntrySize = 0;
  size_t rowStride = 0;
  int rowOrder = 0;
  int channelOrder = 0;
  int width = 0;
  int height = 0;
  int bitsPerPixel = 0;
  int fullWidth = 0;
  int fullHeight = 0;
  int sourceBitsPerPixel = 0;
  int xResolution = 0;
  int yResolution = 0;
  int resolutionUnit = 0;
  int photometric = 0;
  int grayFlag = 0;
  int negativeFlag = 0;
  int symmetryState = 0;
  int pageCount = 0;
  int pageIndex = 0;
  int transparentFlag = 0;
  uint32_t transparentColor = 0;  // red + 256 * green + 65536 * blue
};

struct DibRaster : DibFields {
  PageLink pageLink;
  PixelBlock block;

  bool empty() const { return block.empty(); }

  uint8_t* header() { return block.data(); }
  const uint8_t* header() const { return block.data(); }
  uint8_t* palette() { return block.data() + paletteOffset; }
  const uint8_t* palette() const { return block.data() + paletteOffset; }
  uint8_t* pixels() { return block.data() + pixelOffset; }
  const uint8_t* pixels() const { return block.data() + pixelOffset; }
  size_t paletteEntries() const { return paletteEntrySize ? paletteSize / paletteEntrySize : 0; }

  // Stored row r (0 is the first row in the block).
  uint8_t* storedRow(int r) { return pixels() + static_cast<size_t>(r) * rowStride; }
  const uint8_t* storedRow(int r) const { return pixels() + static_cast<size_t>(r) * rowStride; }

  // Picture row y counted from the top, whatever the storage order.
  int storedIndexOfTopRow(int y) const { return rowOrder == kRowOrderTopDown ? y : height - 1 - y; }
  uint8_t* topRow(int y) { return storedRow(storedIndexOfTopRow(y)); }
  const uint8_t* topRow(int y) const { return storedRow(storedIndexOfTopRow(y)); }

  // The sense of a 1-bit raster: true when index 0 is its white (the paper),
  // that is when palette entry 0 is lighter than entry 1. Scans often have
  // an off-white paper colour, so white is not taken to be (255, 255, 255).
  // Two entries of one gray count as white when that gray is light.
  bool paletteEntryZeroIsLighter() const;

  // Clears every plain field and releases the block; the page link is kept.
  void clearKeepingPage();
  // Clears everything, page link included.
  void clear();
};

}  // namespace leaf
