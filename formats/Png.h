// PNG files, decoded and coded by libpng one row at a time.
#pragma once

#include <string>

#include "image/DibImage.h"

namespace leaf {

// Reads a PNG file into the main raster, stored bottom-up (releasing the
// image first): 1-bit gray and palette pictures of 1, 4 and 8 bits keep their
// depth, other gray pictures become 8-bit gray, colour 24-bit; 16-bit samples
// are scaled to 8, interlaced files are read in full, and anything
// transparent (an alpha channel, or transparent colours) is laid on white.
// The pHYs chunk gives the resolution. Damaged data the decoder survives is
// reported through the image's warning callback; a failed read leaves the
// image empty. With headerOnly the raster's fields describe the picture but
// it holds no pixels.
bool ReadPng(DibImage& image, const std::string& path, bool headerOnly = false);

// Writes the main raster as PNG: 1-bit black-and-white pictures as 1-bit
// gray, other 1-, 4- and 8-bit palette pictures with their palette, 8-bit
// gray as 8-bit gray (black as 0, whatever the raster's sense), 24-bit as
// colour; the resolution as pHYs. A failed write leaves no file behind and
// any existing file untouched.
bool WritePng(DibImage& image, const std::string& path);

}  // namespace leaf
