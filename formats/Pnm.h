// Binary portable anymap (P4, P5, P6) files.
#pragma once

#include <cstdio>
#include <string>

#include "image/DibImage.h"

namespace leaf {

// Reads a P4, P5 or P6 file into the main raster, stored bottom-up. With
// headerOnly the raster's fields describe the picture but it holds no pixels.
bool ReadPnm(DibImage& image, const std::string& path, bool headerOnly = false);

// Writes the main raster as binary PNM: P4 for 1 bit, P5 for 8-bit gray, P6
// for everything else. Leaves the raster stored top-down and, for a
// min-is-white gray or bilevel raster, with its values and palette reversed.
// A failed write leaves no file behind and any existing file untouched.
bool WritePnm(DibImage& image, const std::string& path);

// Reads one decimal header number, skipping white space and "#" comments and
// consuming the character that ends it. 0 when no number could be read.
int ReadPnmNumber(std::FILE* file);

}  // namespace leaf
