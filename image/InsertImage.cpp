#include "InsertImage.h"

#include <cstring>

#include "BitOps.h"
#include "DepthConversions.h"
#include "PaletteTables.h"
#include "RasterChecks.h"

namespace leaf {

namespace {

constexpr const char kUnsupportedDepth[] = "Insertion not supported for this color depth.";

uint32_t PackedColorOf(const uint8_t* bgr) { return bgr[2] + 256u * bgr[1] + 65536u * bgr[0]; }

struct Placement {
  const IndexMap& map;
  const std::array<uint32_t, 256>& colors;  // packed colour of each index
  bool transparent;
  uint32_t transparentColor;
  size_t column;
  size_t width;

  bool Skips(unsigned index) const { return transparent && colors[index] == transparentColor; }
};

void InsertRow(const uint8_t* in, uint8_t* out, int depth, const Placement& p) {
  switch (depth) {
    case 1:
      for (size_t j = 0; j < p.width; ++j) {
        const unsigned v = GetBit(in, j);
        if (!p.Skips(v)) SetBit(out, p.column + j, (p.map[v] & 0xFF) != 0);
      }
      break;
    case 4:
      for (size_t j = 0; j < p.width; ++j) {
        const unsigned v = GetNibble(in, j);
        if (!p.Skips(v)) SetNibble(out, p.column + j, static_cast<uint8_t>(p.map[v] & 0x0F));
      }
      break;
    case 8:
      for (size_t j = 0; j < p.width; ++j) {
        const unsigned v = in[j];
        if (!p.Skips(v)) out[p.column + j] = static_cast<uint8_t>(p.map[v]);
      }
      break;
    default:
      for (size_t j = 0; j < p.width; ++j) {
        const uint8_t* pixel = in + 3 * j;
        if (p.transparent && PackedColorOf(pixel) == p.transparentColor) continue;
        std::memcpy(out + 3 * (p.column + j), pixel, 3);
      }
  }
}

}  // namespace

bool InsertImage(DibImage& image, const DibImage& inserted, int x, int y, const IndexMap& map) {
  DibRaster& page = image.raster;
  const DibRaster& s = inserted.raster;
  if (!CheckRaster(image, page) || !CheckRaster(image, s)) return false;
  if (s.bitsPerPixel > page.bitsPerPixel) {
    return image.Fail("Color depth mismatch. Inserted image has more colors than the original.");
  }
  if (x < 0 || y < 0 || static_cast<int64_t>(x) + s.width > page.width ||
      static_cast<int64_t>(y) + s.height > page.height) {
    return image.Fail("Inserted image out of bounds in the original.");
  }
  const int depth = page.bitsPerPixel;
  if (!IsPixelDepth(depth) || !IsPixelDepth(s.bitsPerPixel)) return image.Fail(kUnsupportedDepth);

  // The inserted pixels at the page's depth: its own raster, or a widened copy.
  DibRaster widened;
  const DibRaster* source = &s;
  if (s.bitsPerPixel < depth) {
    PixelBlock block = IncreaseDepth(inserted, depth);
    if (!block) return false;
    static_cast<DibFields&>(widened) = s;
    widened.block = std::move(block);
    widened.bitsPerPixel = depth;
    widened.paletteOffset = s.headerSize;
    widened.paletteSize = FullPaletteBytes(depth);
    widened.pixelOffset = s.headerSize + widened.paletteSize;
    SetRowLayout(widened);
    source = &widened;
  }

  const std::array<uint32_t, 256> colors = PackedColorsOfPalette(*source);
  const Placement placement{map,
                            colors,
                            s.transparentFlag != 0,
                            s.transparentColor,
                            static_cast<size_t>(x),
                            static_cast<size_t>(s.width)};
  const bool sameOrder = (s.rowOrder == kRowOrderTopDown) == (page.rowOrder == kRowOrderTopDown);
  for (int i = 0; i < s.height; ++i) {
    const int target = y + (sameOrder ? i : s.height - 1 - i);
    InsertRow(source->storedRow(i), page.storedRow(target), depth, placement);
  }
  return true;
}

}  // namespace leaf
