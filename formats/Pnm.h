// Binary portable anymap (P4, P5, P6) reading.
#pragma once

#include <cstdio>
#include <string>

#include "image/DibImage.h"

namespace leaf {

// Reads a P4, P5 or P6 file into the main raster, stored bottom-up.
bool ReadPnm(DibImage& image, const std::string& path);

// Reads one decimal header number, skipping white space and "#" comments and
// consuming the character that ends it. 0 when no number could be read.
int ReadPnmNumber(std::FILE* file);

}  // namespace leaf
