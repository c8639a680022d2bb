// Windows bitmap (BMP) files.
#pragma once

#include <string>

#include "image/DibImage.h"

namespace leaf {

// Reads an uncompressed BMP file into the main raster (releasing the image first).
bool ReadBmp(DibImage& image, const std::string& path);

// Writes the main raster as a BMP file with a 40-byte info header.
bool WriteBmp(const DibImage& image, const std::string& path);

}  // namespace leaf
