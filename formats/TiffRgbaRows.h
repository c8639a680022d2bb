// Pages the scanline path cannot lay into a raster, read through libtiff's
// RGBA interface into 24-bit colour.
#pragma once

#include <tiffio.h>

#include "RasterLayout.h"
#include "TiffPage.h"

namespace leaf {

// Decodes the current page band by band into the 24-bit rows of layout
// (stored bottom-up, the file's first row on top). Rows of bands libtiff
// cannot decode stay blank and are counted in failedRows. False, with a text
// reported, when libtiff cannot decode the page this way at all.
bool ReadRgbaRows(const DibImage& image, TIFF* tiff, const TiffPage& page,
                  const RasterLayout& layout, uint8_t* pixels, uint32_t& failedRows);

}  // namespace leaf
