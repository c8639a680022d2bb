#include "Selections.h"

#include <cstring>

#include "BitOps.h"
#include "RasterChecks.h"

namespace leaf {

namespace {

// The stored rows first..last that hold the rectangle's picture rows.
struct StoredRows {
  int first;
  int last;
};

StoredRows StoredRowsOf(const DibRaster& r, const SelectionRect& rect) {
  if (r.rowOrder == kRowOrderTopDown) return {rect.top, rect.bottom};
  return {r.height - 1 - rect.bottom, r.height - 1 - rect.top};
}

bool InsideRaster(const DibRaster& r, const SelectionRect& rect) {
  return rect.left >= 0 && rect.top >= 0 && rect.left <= rect.right && rect.top <= rect.bottom &&
         rect.right < r.width && rect.bottom < r.height;
}

}  // namespace

PixelBlock GetSelection(const DibImage& image, const SelectionRect& rect) {
  const DibRaster& r = image.raster;
  if (!CheckRaster(image, r)) return {};
  if (!InsideRaster(r, rect)) {
    image.Fail("Selection out of bounds.");
    return {};
  }
  const StoredRows rows = StoredRowsOf(r, rect);
  const int rowCount = rows.last - rows.first + 1;
  const int columns = rect.right - rect.left + 1;
  const int depth = r.bitsPerPixel;
  if (!IsPixelDepth(depth)) {
    image.Fail("GetSelection not supported for this color depth.");
    return {};
  }
  const uint64_t bytes = BlockBytes(r.pixelOffset, columns, rowCount, depth);
  PixelBlock block = AllocateBlock(bytes);
  if (!block) {
    image.Fail("Failed to allocate %llu bytes for the selection.",
               static_cast<unsigned long long>(bytes));
    return {};
  }
  std::memcpy(block.data(), r.block.data(), r.pixelOffset);
  DibFields geometry = r;
  geometry.width = columns;
  geometry.height = rowCount;
  SetRowLayout(geometry);
  WriteHeaderGeometry(block.data(), geometry);

  const size_t left = static_cast<size_t>(rect.left), count = static_cast<size_t>(columns);
  for (int i = 0; i < rowCount; ++i) {
    const uint8_t* in = r.storedRow(rows.first + i);
    uint8_t* out = block.data() + r.pixelOffset + static_cast<size_t>(i) * geometry.rowStride;
    switch (depth) {
      case 1: CopyBits(out, 0, in, left, count); break;
      case 4:
        for (size_t x = 0; x < count; ++x) SetNibble(out, x, GetNibble(in, left + x));
        break;
      case 8: std::memcpy(out, in + left, count); break;
      default: std::memcpy(out, in + 3 * left, 3 * count); break;
    }
  }
  return block;
}

bool Crop(DibImage& image, const SelectionRect& rect) {
  PixelBlock block = GetSelection(image, rect);
  if (!block) return false;
  DibRaster& r = image.raster;
  r.width = r.fullWidth = rect.right - rect.left + 1;
  r.height = r.fullHeight = rect.bottom - rect.top + 1;
  r.symmetryState = 0;
  r.negativeFlag = 0;
  SetRowLayout(r);
  r.block = std::move(block);
  r.pageLink.reset();
  return true;
}

bool RemoveSelection(DibImage& image, const SelectionRect& rect) {
  DibRaster& r = image.raster;
  if (!CheckRaster(image, r)) return false;
  if (!InsideRaster(r, rect)) return image.Fail("Selection (removal) out of bounds.");
  if (!IsPixelDepth(r.bitsPerPixel)) {
    return image.Fail("Selective removal not supported for this color depth.");
  }
  const StoredRows rows = StoredRowsOf(r, rect);
  const size_t left = static_cast<size_t>(rect.left);
  const size_t count = static_cast<size_t>(rect.right - rect.left + 1);
  for (int y = rows.first; y <= rows.last; ++y) {
    uint8_t* row = r.storedRow(y);
    switch (r.bitsPerPixel) {
      case 1:
        for (size_t x = left; x < left + count; ++x) {
          if ((x & 7) == 0 && x + 8 <= left + count) {
            row[x >> 3] = 0;
            x += 7;
          } else {
            SetBit(row, x, false);
          }
        }
        break;
      case 4:
        for (size_t x = left; x < left + count; ++x) SetNibble(row, x, 0);
        break;
      case 8: std::memset(row + left, 0, count); break;
      default: std::memset(row + 3 * left, 0, 3 * count); break;
    }
  }
  return true;
}

}  // namespace leaf
