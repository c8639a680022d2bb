// TIFF files, decoded by libtiff one page and one scanline at a time.
#pragma once

#include <string>

#include "image/DibImage.h"

namespace leaf {

// Reads one page (zero-based; the first page, with a warning, when the file
// has no such page) into the main raster, stored bottom-up, releasing the
// image first. The raster's page count and page index tell how many pages
// the file has and which one was read. A failed read leaves the image empty.
// Rows libtiff cannot decode are left blank, with a warning; a page none of
// whose rows decode, or whose data ends far short of its size, is refused.
// With headerOnly the raster's fields describe the page but it holds no
// pixels.
bool ReadTiff(DibImage& image, const std::string& path, int pageIndex, bool headerOnly = false);

// The number of pages (directories) of the file; -1 after a reported failure.
int CountTiffPages(const DibImage& image, const std::string& path);

}  // namespace leaf
