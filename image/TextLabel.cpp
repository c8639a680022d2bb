#include "TextLabel.h"

#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include "BitmapInfoHeader.h"
#include "Enlarge.h"
#include "InsertImage.h"
#include "Messages.h"
#include "NearestColor.h"
#include "RasterChecks.h"
#include "Transforms.h"

namespace leaf {

namespace {

constexpr const char kOutOfBounds[] = "Inserted image out of bounds in the original.";

void PutPaletteColor(std::vector<uint8_t>& palette, uint32_t packed) {
  palette.push_back(static_cast<uint8_t>(BlueOf(packed)));
  palette.push_back(static_cast<uint8_t>(GreenOf(packed)));
  palette.push_back(static_cast<uint8_t>(RedOf(packed)));
  palette.push_back(0);
}

// Where the label goes on the page and how large the page becomes.
struct Spot {
  int width = 0;  // the page after growing
  int height = 0;
  int anchor = 0;  // where Enlarge keeps the picture; 0: no growth
  int column = 0;
  int row = 0;  // stored row of a bottom-up page
};

bool SpotFor(const LabelPlacement& where, int w, int h, int lw, int lh, Spot& spot) {
  spot = {w, h, 0, 0, 0};
  switch (where.position) {
    case kLabelAbove: spot = {w, h + lh, kAnchorFirstRowsLeft, (w - lw) / 2, h}; return true;
    case kLabelBelow: spot = {w, h + lh, kAnchorLastRowsLeft, (w - lw) / 2, 0}; return true;
    case kLabelLeft: spot = {w + lw, h, kAnchorLastRowsRight, 0, (h - lh) / 2}; return true;
    case kLabelRight: spot = {w + lw, h, kAnchorLastRowsLeft, w, (h - lh) / 2}; return true;
    case kLabelInside: break;
    default: return false;
  }
  if (where.anchor < 1 || where.anchor > 9) return false;
  const int column = (where.anchor - 1) % 3;  // 0 left, 1 centre, 2 right
  const int line = (where.anchor - 1) / 3;    // 0 top, 1 middle, 2 bottom
  spot.column = column == 0 ? where.paddingX : column == 1 ? (w - lw) / 2 : w - lw - where.paddingX;
  spot.row = line == 0 ? h - lh - where.paddingY : line == 1 ? (h - lh) / 2 : where.paddingY;
  return true;
}

}  // namespace

std::string ExpandLabelPlaceholders(const std::string& content, const std::string& fileName,
                                    const std::tm& now) {
  char date[48];
  char time[48];
  std::snprintf(date, sizeof date, "%d/%d/%d", now.tm_mon + 1, now.tm_mday, now.tm_year + 1900);
  std::snprintf(time, sizeof time, "%02d:%02d:%02d", now.tm_hour, now.tm_min, now.tm_sec);
  // One pass from left to right: a file name that holds "$date" stays as it is.
  const std::pair<const char*, std::string> keys[] = {
      {"$filename", fileName}, {"$date", date}, {"$time", time}};
  std::string text;
  text.reserve(content.size());
  for (size_t at = 0; at < content.size();) {
    bool replaced = false;
    for (const auto& [key, value] : keys) {
      if (content.compare(at, std::strlen(key), key) == 0) {
        text += value;
        at += std::strlen(key);
        replaced = true;
        break;
      }
    }
    if (!replaced) text += content[at++];
  }
  return text;
}

bool BuildTextLabel(DibImage& label, const uint8_t* bits, size_t bytesPerRow, int width, int height,
                    uint32_t textColor, uint32_t backgroundColor, int orientation,
                    bool transparentBackground) {
  const size_t used = width > 0 ? (static_cast<size_t>(width) + 7) / 8 : 0;
  const size_t stride = RowStride(width, 1);
  if (!bits || stride == 0 || height < 1 || bytesPerRow < used ||
      static_cast<size_t>(height) > kMaxBlockBytes / stride) {
    return label.Fail("The text label cannot be made (%d x %d pixels).", width, height);
  }
  if (orientation < kLabelLeftToRight || orientation > kLabelTopToBottom) {
    return label.Fail("Unknown text orientation: %d", orientation);
  }
  std::vector<uint8_t> palette;
  PutPaletteColor(palette, backgroundColor);
  PutPaletteColor(palette, textColor);
  std::vector<uint8_t> pixels(stride * static_cast<size_t>(height), 0);
  const uint8_t lastMask = width % 8 ? static_cast<uint8_t>(0xFF00 >> (width % 8)) : 0xFF;
  for (int y = 0; y < height; ++y) {
    uint8_t* out = pixels.data() + static_cast<size_t>(height - 1 - y) * stride;
    std::memcpy(out, bits + static_cast<size_t>(y) * bytesPerRow, used);
    out[used - 1] &= lastMask;
  }
  BitmapInfoHeader header;
  header.width = width;
  header.height = height;
  header.bitCount = 1;
  header.sizeImage = static_cast<uint32_t>(pixels.size());
  header.clrUsed = 2;
  uint8_t headerBytes[kBitmapInfoHeaderSize];
  header.Write(headerBytes);
  label.Release(true);
  if (!label.Import(headerBytes, sizeof headerBytes, palette.data(), palette.size(), pixels.data(),
                    pixels.size(), kImportFormatPackedDib)) {
    return false;
  }
  if (orientation == kLabelBottomToTop && !RotateLeft(label)) return false;
  if (orientation == kLabelTopToBottom && !RotateRight(label)) return false;
  label.raster.symmetryState = 0;
  label.raster.transparentFlag = transparentBackground ? 1 : 0;
  label.raster.transparentColor = backgroundColor;
  return true;
}

bool StampTextLabel(DibImage& page, const DibImage& label, const LabelPlacement& placement) {
  DibRaster& p = page.raster;
  const DibRaster& l = label.raster;
  if (!CheckRaster(page, p)) return false;
  if (l.empty() || l.bitsPerPixel != 1) return page.Fail("There is no text label to stamp.");
  if (!IsPixelDepth(p.bitsPerPixel)) {
    return page.Fail("Insertion not supported for this color depth.");
  }
  if (placement.paddingX < 0 || placement.paddingX > kMaxLabelPadding || placement.paddingY < 0 ||
      placement.paddingY > kMaxLabelPadding) {
    return page.Fail("Text label padding out of range: %d, %d", placement.paddingX,
                     placement.paddingY);
  }
  Spot spot;
  if (!SpotFor(placement, p.width, p.height, l.width, l.height, spot)) {
    return page.Fail("Unknown text label position: %d (anchor %d)", placement.position,
                     placement.anchor);
  }
  if (spot.column < 0 || spot.row < 0 || static_cast<int64_t>(spot.column) + l.width > spot.width ||
      static_cast<int64_t>(spot.row) + l.height > spot.height) {
    return page.Fail(kOutOfBounds);
  }
  // Rows are counted from the bottom of the picture: a page stored top-down
  // is brought to bottom-up storage first, so that above means above.
  if (p.rowOrder == kRowOrderTopDown && !Flip(page, false)) return false;
  const IndexMap map = NearestIndexMap(p, l);
  const uint8_t* ground = l.palette();
  const uint32_t fill = p.bitsPerPixel <= 8 ? map[0] : PackColor(ground[2], ground[1], ground[0]);
  if (spot.anchor != 0 && !Enlarge(page, spot.width, spot.height, spot.anchor, fill)) {
    return false;
  }
  return InsertImage(page, label, spot.column, spot.row, map);
}

}  // namespace leaf
