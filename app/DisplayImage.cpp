#include "DisplayImage.h"

#include <algorithm>
#include <vector>

namespace leaf {

namespace {

// The raster's palette, padded with black to every index the depth can hold
// (Qt must never look past the end of the table).
QList<QRgb> ColorTable(const DibRaster& raster) {
  const qsizetype size = qsizetype{1} << raster.bitsPerPixel;
  QList<QRgb> table;
  table.reserve(size);
  const size_t entries = std::min<size_t>(raster.paletteEntries(), static_cast<size_t>(size));
  const uint8_t* p = raster.palette();
  for (size_t i = 0; i < entries; ++i, p += kPaletteEntrySize) table.append(qRgb(p[2], p[1], p[0]));
  while (table.size() < size) table.append(qRgb(0, 0, 0));
  return table;
}

QImage Wrap(const DibRaster& raster, QImage::Format format) {
  return QImage(raster.pixels(), raster.width, raster.height,
                static_cast<qsizetype>(raster.rowStride), format);
}

// 4-bit rows widened to 8 bits per pixel.
QImage Widen4(const DibRaster& raster) {
  QImage image(raster.width, raster.height, QImage::Format_Indexed8);
  if (image.isNull()) return image;
  for (int y = 0; y < raster.height; ++y) {
    const uint8_t* in = raster.storedRow(y);
    uchar* out = image.scanLine(y);
    for (int x = 0; x < raster.width; ++x) out[x] = (in[x / 2] >> (x % 2 ? 0 : 4)) & 0x0F;
  }
  return image;
}

bool HasGrayPalette(const DibRaster& raster) {
  const size_t entries = raster.paletteEntries();
  const uint8_t* p = raster.palette();
  for (size_t i = 0; i < entries; ++i, p += kPaletteEntrySize) {
    if (p[0] != p[1] || p[1] != p[2]) return false;
  }
  return true;
}

// The colour of every pixel value of a palette raster, in blue, green, red.
std::vector<uint8_t> PaletteBgr(const DibRaster& raster) {
  const size_t size = size_t{1} << raster.bitsPerPixel;
  std::vector<uint8_t> bgr(size * 3, 0);
  const size_t entries = std::min(raster.paletteEntries(), size);
  const uint8_t* p = raster.palette();
  for (size_t i = 0; i < entries; ++i, p += kPaletteEntrySize) {
    std::copy(p, p + 3, bgr.begin() + static_cast<std::ptrdiff_t>(i * 3));
  }
  return bgr;
}

// Adds one stored row to the per-column sums of the reduced row (channels
// sums per output pixel, blue-green-red order for colour).
void AccumulateRow(const DibRaster& raster, const uint8_t* row, const std::vector<uint8_t>& bgr,
                   int channels, int factor, int outWidth, std::vector<uint32_t>& sums) {
  const int bits = raster.bitsPerPixel;
  const bool rgbOrder = bits == 24 && raster.channelOrder == kChannelOrderRgb;
  const int usedWidth = outWidth * factor;
  for (int x = 0; x < usedWidth; ++x) {
    uint32_t* sum = &sums[static_cast<size_t>(x / factor) * channels];
    if (bits == 24) {
      const uint8_t* px = row + static_cast<size_t>(x) * 3;
      sum[0] += rgbOrder ? px[2] : px[0];
      sum[1] += px[1];
      sum[2] += rgbOrder ? px[0] : px[2];
      continue;
    }
    unsigned value;
    if (bits == 1) {
      value = (row[x >> 3] >> (7 - (x & 7))) & 1;
    } else if (bits == 4) {
      value = (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F;
    } else {
      value = row[x];
    }
    const uint8_t* colour = &bgr[value * 3];
    if (channels == 1) {
      sum[0] += colour[0];
    } else {
      sum[0] += colour[0];
      sum[1] += colour[1];
      sum[2] += colour[2];
    }
  }
}

}  // namespace

QImage ReducedPicture(const DibRaster& raster, int factor) {
  if (raster.empty() || factor < 1) return {};
  const int bits = raster.bitsPerPixel;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24) return {};
  const int outWidth = raster.width / factor;
  const int outHeight = raster.height / factor;
  if (outWidth < 1 || outHeight < 1) return {};
  const bool gray = bits != 24 && HasGrayPalette(raster);
  const int channels = gray ? 1 : 3;
  QImage out(outWidth, outHeight, gray ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
  if (out.isNull()) return out;
  const std::vector<uint8_t> bgr = bits == 24 ? std::vector<uint8_t>{} : PaletteBgr(raster);
  std::vector<uint32_t> sums(static_cast<size_t>(outWidth) * channels);
  const uint32_t area = static_cast<uint32_t>(factor) * static_cast<uint32_t>(factor);
  for (int y = 0; y < outHeight; ++y) {
    std::fill(sums.begin(), sums.end(), 0);
    for (int k = 0; k < factor; ++k) {
      AccumulateRow(raster, raster.topRow(y * factor + k), bgr, channels, factor, outWidth, sums);
    }
    uchar* line = out.scanLine(y);
    for (int x = 0; x < outWidth; ++x) {
      const uint32_t* sum = &sums[static_cast<size_t>(x) * channels];
      if (gray) {
        line[x] = static_cast<uchar>(sum[0] / area);
      } else {
        line[x * 3] = static_cast<uchar>(sum[2] / area);  // red first
        line[x * 3 + 1] = static_cast<uchar>(sum[1] / area);
        line[x * 3 + 2] = static_cast<uchar>(sum[0] / area);
      }
    }
  }
  return out;
}

DisplayImage DisplayImageFor(const DibRaster& raster) {
  DisplayImage display;
  if (raster.empty() || raster.width <= 0 || raster.height <= 0) return display;
  display.bottomUp = raster.rowOrder != kRowOrderTopDown;
  switch (raster.bitsPerPixel) {
    case 1:
      display.image = Wrap(raster, QImage::Format_Mono);
      display.image.setColorTable(ColorTable(raster));
      break;
    case 4:
      display.image = Widen4(raster);
      display.image.setColorTable(ColorTable(raster));
      break;
    case 8:
      display.image = Wrap(raster, QImage::Format_Indexed8);
      display.image.setColorTable(ColorTable(raster));
      break;
    case 24:
      display.image = Wrap(raster, raster.channelOrder == kChannelOrderRgb ? QImage::Format_RGB888
                                                                           : QImage::Format_BGR888);
      break;
    default: break;
  }
  return display;
}

QRect StoredRect(const DisplayImage& display, const QRect& pictureRect) {
  if (!display.bottomUp) return pictureRect;
  const int height = display.image.height();
  return QRect(pictureRect.x(), height - 1 - pictureRect.bottom(), pictureRect.width(),
               pictureRect.height());
}

}  // namespace leaf
