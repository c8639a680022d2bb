#include <cstdio>
#include <vector>

#include "AtomicFile.h"
#include "Pnm.h"
#include "image/DepthConversions.h"
#include "image/Progress.h"
#include "image/Transforms.h"

namespace leaf {

namespace {

bool IsWritableDepth(int bits) { return bits == 1 || bits == 4 || bits == 8 || bits == 24; }

bool WriteHeader(AtomicFile& file, const char* magic, const DibRaster& r, bool withMaximum) {
  char header[64];
  const int length =
      std::snprintf(header, sizeof header, withMaximum ? "%s\n%d %d\n255\n" : "%s\n%d %d\n", magic,
                    r.width, r.height);
  return file.Write(header, static_cast<size_t>(length));
}

// Rows of blue, green, red pixels (stride apart, top row first) as red,
// green, blue.
bool WriteColorRows(const DibImage& image, AtomicFile& file, const uint8_t* first, size_t stride) {
  const DibRaster& r = image.raster;
  const size_t width = static_cast<size_t>(r.width);
  std::vector<uint8_t> line(width * 3);
  RowProgress progress(image, "Saving to file...", r.height);
  for (int y = 0; y < r.height; ++y) {
    const uint8_t* row = first + static_cast<size_t>(y) * stride;
    for (size_t x = 0; x < width; ++x) {
      line[3 * x] = row[3 * x + 2];
      line[3 * x + 1] = row[3 * x + 1];
      line[3 * x + 2] = row[3 * x];
    }
    if (!file.Write(line.data(), line.size())) return false;
    progress.Row();
  }
  return true;
}

// The stored rows' first rowBytes bytes, inverted when asked.
bool WriteIndexRows(const DibImage& image, AtomicFile& file, size_t rowBytes, bool invert) {
  const DibRaster& r = image.raster;
  std::vector<uint8_t> line(rowBytes);
  RowProgress progress(image, "Saving to file...", r.height);
  for (int y = 0; y < r.height; ++y) {
    const uint8_t* row = r.storedRow(y);
    if (invert) {
      for (size_t i = 0; i < rowBytes; ++i) line[i] = static_cast<uint8_t>(~row[i]);
      row = line.data();
    }
    if (!file.Write(row, rowBytes)) return false;
    progress.Row();
  }
  return true;
}

// Makes a gray or bilevel raster min-is-black, as PBM and PGM need.
bool MakeMinIsBlack(DibImage& image) {
  if (image.raster.photometric != kPhotometricMinIsWhite) return true;
  image.ReportProgress("Reversing the photometric...", 0);
  return ReversePhotometric(image);
}

bool WriteBilevel(DibImage& image, AtomicFile& file) {
  if (!MakeMinIsBlack(image)) return false;
  const DibRaster& r = image.raster;
  // PBM's 1 is black: the stored bits go out as they are when index 1 is black.
  const size_t rowBytes = (static_cast<size_t>(r.width) + 7) / 8;
  return WriteHeader(file, "P4", r, false) &&
         WriteIndexRows(image, file, rowBytes, !r.paletteEntryZeroIsLighter());
}

bool WriteGray(DibImage& image, AtomicFile& file) {
  if (!MakeMinIsBlack(image)) return false;
  const DibRaster& r = image.raster;
  return WriteHeader(file, "P5", r, true) &&
         WriteIndexRows(image, file, static_cast<size_t>(r.width), false);
}

bool WriteWidened(DibImage& image, AtomicFile& file) {
  image.ReportProgress("Increasing the color depth...", 0);
  const PixelBlock wide = IncreaseDepth(image, 24);
  if (!wide) return false;
  const DibRaster& r = image.raster;
  return WriteHeader(file, "P6", r, true) &&
         WriteColorRows(image, file, wide.data() + r.headerSize, RowStride(r.width, 24));
}

bool WriteRows(DibImage& image, AtomicFile& file) {
  const DibRaster& r = image.raster;
  switch (r.bitsPerPixel) {
    case 1: return WriteBilevel(image, file);
    case 8:
      if (r.grayFlag) return WriteGray(image, file);
      return WriteWidened(image, file);
    case 4: return WriteWidened(image, file);
    default:
      return WriteHeader(file, "P6", r, true) &&
             WriteColorRows(image, file, r.pixels(), r.rowStride);
  }
}

}  // namespace

bool WritePnm(DibImage& image, const std::string& path) {
  DibRaster& r = image.raster;
  if (r.empty() || !IsWritableDepth(r.bitsPerPixel)) {
    return image.Fail("PNM saving not supported for this color depth.");
  }
  // PNM rows run from the top of the picture: the storage is made top-down
  // and stays so.
  if (r.rowOrder != kRowOrderTopDown && !Flip(image, false)) return false;
  AtomicFile out(path);
  if (!out.Open()) return FailToCreate(image, out);
  if (!WriteRows(image, out)) {
    // A conversion that failed has reported its own text.
    return out.error() ? FailToWrite(image, out) : false;
  }
  if (!out.Commit()) return FailToWrite(image, out);
  return true;
}

}  // namespace leaf
