// The tags of one TIFF page and how its pixels can be read.
#pragma once

#include <tiffio.h>

#include <cstdint>

#include "image/DibImage.h"

namespace leaf {

enum class TiffPageKind {
  kIndexed,  // one sample of 1, 4 or 8 bits, gray or palette: rows (or tiles) copied as they are
  kRgb,      // three 8-bit samples, red, green, blue, interleaved
  kCmyk,     // four 8-bit ink samples, interleaved
  kRgba,     // anything else libtiff can decode: through its RGBA interface
};

struct TiffPage {
  uint32_t width = 0;
  uint32_t height = 0;
  uint16_t resolutionUnit = 0;  // inch when absent
  float xResolution = 0;        // 0 when absent
  float yResolution = 0;
  uint16_t compression = 0;
  uint16_t photometric = 0;
  uint16_t bitsPerSample = 0;
  uint16_t samplesPerPixel = 0;
  bool tiled = false;
  TiffPageKind kind = TiffPageKind::kIndexed;

  // Depth of the raster the page becomes: the sample depth for indexed pages,
  // else 24.
  int rasterBits() const { return kind == TiffPageKind::kIndexed ? bitsPerSample : 24; }
  // Depth of the file's pixels as far as the raster can tell: min(s, 3) x b.
  int fileBits() const { return (samplesPerPixel < 3 ? samplesPerPixel : 3) * bitsPerSample; }
};

// Reads the tags of the current directory and decides how the page is read.
// False, with the failure text reported, when the page cannot be read.
bool ReadTiffPageTags(const DibImage& image, TIFF* tiff, TiffPage& page);

}  // namespace leaf
