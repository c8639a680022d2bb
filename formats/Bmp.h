// Windows bitmap (BMP) files.
#pragma once

#include <string>

#include "image/DibImage.h"

namespace leaf {

// Reads an uncompressed BMP file into the main raster (releasing the image
// first). With headerOnly the raster's fields describe the picture but it
// holds no pixels.
bool ReadBmp(DibImage& image, const std::string& path, bool headerOnly = false);

// Writes the main raster as a BMP file with a 40-byte info header.
bool WriteBmp(const DibImage& image, const std::string& path);

}  // namespace leaf
