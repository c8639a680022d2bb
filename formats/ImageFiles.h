// Reading image files of every supported type by FileTypeCode (writing is
// SaveImageFile).
#pragma once

#include <string>

#include "FileType.h"
#include "Jpeg.h"
#include "image/DibImage.h"

namespace leaf {

struct ReadOptions {
  int page = 0;  // zero-based page of a multipage file
  // DjVu and IW44 pages are rendered with these; a colour JPEG is reduced to
  // 256 colours for a display depth below 24.
  int layer = 0;       // 0 colour, 1 black and white (mask), 2 background, 3 foreground
  int zoom = 0;        // zoom level: z < 0 reduces by 1 - z
  int depth = 24;      // bits per pixel of the display; below 24 dithers
  double gamma = 2.2;  // of the display
  int jpegDctMethod = kJpegDctAccurate;  // DCT method for decoding JPEG
  // Describe the picture (size, depth, resolution, pages, photometric) from
  // the file's headers without decoding its pixels: the raster's fields are
  // filled, but it holds no block. DjVu and IW44 files are read in full.
  bool headerOnly = false;
};

// The type of a file to open: from its name.
FileTypeCode FileTypeForReading(const std::string& path);

// The number of pages of a file: TIFF directories, DjVu document pages, 1 for
// every other type. -1 after a reported failure (through image).
int CountPages(const DibImage& image, const std::string& path, FileTypeCode type);

// Reads the file into the image with the reader of its type.
bool ReadImageFile(DibImage& image, const std::string& path, FileTypeCode type,
                   const ReadOptions& options = {});

}  // namespace leaf
