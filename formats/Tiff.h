// TIFF files, decoded by libtiff one page and one scanline at a time.
#pragma once

#include <cstdarg>
#include <string>

#include "image/DibImage.h"

namespace leaf {

// Reads one page (zero-based; the first page when the file has no such page)
// into the main raster, stored bottom-up, releasing the image first. The
// raster's page count and page index tell how many pages the file has and
// which one was read. A failed read leaves the image empty.
bool ReadTiff(DibImage& image, const std::string& path, int pageIndex);

// The number of pages (directories) of the file; -1 after a reported failure.
int CountTiffPages(const DibImage& image, const std::string& path);

// libtiff's error and warning handler: the library's text goes to the calling
// thread's message buffer.
void TiffMessageHandler(const char* module, const char* format, va_list args);

}  // namespace leaf
