// JPEG files, coded and decoded by libjpeg one scanline at a time.
#pragma once

#include <string>

#include "image/DibImage.h"

namespace leaf {

// DCT methods, in libjpeg's numbering.
inline constexpr int kJpegDctAccurate = 0;
inline constexpr int kJpegDctFast = 1;
inline constexpr int kJpegDctFloat = 2;

// Reads a JPEG file into the main raster, stored bottom-up (releasing the
// image first). When 0 < displayDepth < 24 the picture is reduced to a palette
// of 256 colours for a display of that depth. CMYK and YCCK files become
// 24-bit colour. A failed read leaves the image empty. Damaged data the
// decoder works around is reported through the image's warning callback.
// With headerOnly the raster's fields describe the picture but it holds no
// pixels.
bool ReadJpeg(DibImage& image, const std::string& path, int displayDepth, int dctMethod,
              bool headerOnly = false);

struct JpegWriteOptions {
  int quality = 75;                  // 0..100; any other value writes 75
  int smoothing = 0;                 // 0..100; any other value writes 0
  bool optimize = false;             // compute optimal Huffman tables
  int dctMethod = kJpegDctAccurate;  // kJpegDct...
  std::string comment;               // written as a comment marker when not empty
  bool thumbnail = false;            // write the thumbnail raster, not the main raster
};

// Writes the main (or thumbnail) raster as a JPEG file: 1-bit and gray
// rasters as gray, the others as colour. May leave the raster stored bottom-up
// and, for a min-is-white gray raster, with its values and palette reversed.
// A failed write leaves no file behind and any existing file untouched.
bool WriteJpeg(DibImage& image, const std::string& path, const JpegWriteOptions& options);

}  // namespace leaf
