#include "ClipboardImage.h"

#include <cstring>
#include <vector>

#include "DisplayImage.h"
#include "image/BitmapInfoHeader.h"
#include "image/Messages.h"
#include "image/PixelLimit.h"
#include "image/Transforms.h"

namespace leaf {

namespace {

// A colour laid over white by its opacity.
uint8_t OverWhite(int value, int alpha) {
  return static_cast<uint8_t>((value * alpha + 255 * (255 - alpha) + 127) / 255);
}

void PutPaletteEntry(std::vector<uint8_t>& palette, QRgb colour) {
  const int alpha = qAlpha(colour);
  palette.push_back(OverWhite(qBlue(colour), alpha));
  palette.push_back(OverWhite(qGreen(colour), alpha));
  palette.push_back(OverWhite(qRed(colour), alpha));
  palette.push_back(0);
}

// The depth a picture is kept at: 1 for bilevel, 8 for palette and gray
// pictures of 256 colours or fewer, 24 for everything else.
int BitmapDepthFor(const QImage& picture) {
  switch (picture.format()) {
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB: return 1;
    case QImage::Format_Indexed8:
    case QImage::Format_Grayscale8:
    case QImage::Format_Grayscale16: return 8;
    default: return 24;
  }
}

// The palette of the bitmap: the picture's colour table (every entry the
// depth can address), or a gray ramp.
std::vector<uint8_t> PaletteFor(const QImage& source, int bits) {
  std::vector<uint8_t> palette;
  if (bits == 24) return palette;
  const int entries = 1 << bits;
  palette.reserve(static_cast<size_t>(entries) * 4);
  if (source.format() == QImage::Format_Grayscale8) {
    for (int i = 0; i < entries; ++i) PutPaletteEntry(palette, qRgb(i, i, i));
    return palette;
  }
  QList<QRgb> table = source.colorTable();
  if (bits == 1 && table.size() < 2) table = {qRgb(255, 255, 255), qRgb(0, 0, 0)};
  for (int i = 0; i < entries; ++i) {
    PutPaletteEntry(palette, i < table.size() ? table[i] : qRgb(0, 0, 0));
  }
  return palette;
}

// One picture row in the bitmap's pixel format.
void PackRow(const QImage& source, int y, int bits, uint8_t* out) {
  const int width = source.width();
  const uchar* in = source.constScanLine(y);
  if (bits == 1) {
    const size_t bytes = (static_cast<size_t>(width) + 7) / 8;
    std::memcpy(out, in, bytes);
    if (width % 8) out[bytes - 1] &= static_cast<uint8_t>(0xFF00 >> (width % 8));
  } else if (bits == 8) {
    std::memcpy(out, in, static_cast<size_t>(width));
  } else {
    const QRgb* pixels = reinterpret_cast<const QRgb*>(in);
    for (int x = 0; x < width; ++x, out += 3) {
      const QRgb c = pixels[x];
      const int alpha = qAlpha(c);
      out[0] = OverWhite(qBlue(c), alpha);
      out[1] = OverWhite(qGreen(c), alpha);
      out[2] = OverWhite(qRed(c), alpha);
    }
  }
}

QImage SourceAtDepth(const QImage& picture, int bits) {
  if (bits == 1) return picture.convertToFormat(QImage::Format_Mono);
  if (picture.format() == QImage::Format_Grayscale16) {
    return picture.convertToFormat(QImage::Format_Grayscale8);
  }
  if (bits == 8) return picture;
  return picture.convertToFormat(QImage::Format_ARGB32);
}

}  // namespace

bool CopySelectionBitmap(const DibImage& page, const SelectionRect& rect, DibImage& bitmap) {
  const DibRaster& r = page.raster;
  if (r.bitsPerPixel != 1 && r.bitsPerPixel != 8 && r.bitsPerPixel != 24) {
    SetMessage("Selections of %d bit images is not supported", r.bitsPerPixel);
    return false;
  }
  PixelBlock block = GetSelection(page, rect);
  if (!block) return false;
  const size_t pixelOffset = r.headerSize + r.paletteSize;
  bitmap.Release(true);
  if (!bitmap.Import(block.data(), r.headerSize, block.data() + r.headerSize, r.paletteSize,
                     block.data() + pixelOffset, block.size() - pixelOffset,
                     kImportFormatPackedDib)) {
    return false;
  }
  bitmap.raster.xResolution = r.xResolution;
  bitmap.raster.yResolution = r.yResolution;
  return bitmap.raster.rowOrder != kRowOrderTopDown || Flip(bitmap, false);
}

QImage PictureOfBitmap(const DibImage& bitmap) {
  const DisplayImage display = DisplayImageFor(bitmap.raster);
  if (display.image.isNull()) return {};
  QImage picture = display.bottomUp ? display.image.mirrored(false, true) : display.image.copy();
  const DibRaster& r = bitmap.raster;
  if (r.xResolution > 0) picture.setDotsPerMeterX(PixelsPerMetreFromDpi(r.xResolution));
  if (r.yResolution > 0) picture.setDotsPerMeterY(PixelsPerMetreFromDpi(r.yResolution));
  return picture;
}

bool BitmapOfPicture(const QImage& picture, DibImage& bitmap) {
  if (picture.isNull() || picture.width() < 1 || picture.height() < 1) {
    SetMessage("The clipboard holds no picture.");
    return false;
  }
  const int width = picture.width();
  const int height = picture.height();
  const int bits = BitmapDepthFor(picture);
  const size_t stride = RowStride(width, bits);
  // Beyond the pixel limit a picture is refused like one beyond a raster's
  // bytes, before any pixel is read.
  if (stride == 0 || static_cast<size_t>(height) > kMaxBlockBytes / stride ||
      !CheckPixelLimit(bitmap, width, height)) {
    SetMessage("The picture on the clipboard is too large (%d x %d pixels).", width, height);
    return false;
  }
  const QImage source = SourceAtDepth(picture, bits);
  if (source.isNull()) {
    SetMessage("There is not enough memory for the picture on the clipboard (%d x %d pixels).",
               width, height);
    return false;
  }
  const std::vector<uint8_t> palette = PaletteFor(source, bits);
  std::vector<uint8_t> pixels;
  try {
    pixels.assign(stride * static_cast<size_t>(height), 0);
  } catch (const std::bad_alloc&) {
    SetMessage("There is not enough memory for the picture on the clipboard (%d x %d pixels).",
               width, height);
    return false;
  }
  for (int y = 0; y < height; ++y) {
    PackRow(source, y, bits, pixels.data() + static_cast<size_t>(height - 1 - y) * stride);
  }
  BitmapInfoHeader header;
  header.width = width;
  header.height = height;
  header.bitCount = static_cast<uint16_t>(bits);
  header.sizeImage = static_cast<uint32_t>(pixels.size());
  header.xPelsPerMeter = picture.dotsPerMeterX();
  header.yPelsPerMeter = picture.dotsPerMeterY();
  header.clrUsed = static_cast<uint32_t>(palette.size() / 4);
  uint8_t headerBytes[kBitmapInfoHeaderSize];
  header.Write(headerBytes);
  bitmap.Release(true);
  return bitmap.Import(headerBytes, sizeof headerBytes, palette.data(), palette.size(),
                       pixels.data(), pixels.size(), kImportFormatPackedDib);
}

}  // namespace leaf
