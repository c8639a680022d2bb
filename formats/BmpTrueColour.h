// 16- and 32-bit bitmaps widened to 24 bits as they are read: every
// operation and every other format works on 24-bit colour.
#pragma once

#include "image/BitmapInfoHeader.h"
#include "image/DibImage.h"

namespace leaf {

// Replaces a freshly read 16- or 32-bit main raster by its 24-bit copy
// (rows bottom-up, resolution kept, source depth remembered). The channels
// come from the bit-field masks of a BI_BITFIELDS header (in the header or
// right after it, where the raster holds them as its palette), or from the
// format's defaults (5-5-5 for 16 bits, 8-8-8 for 32). False, with a
// reported text, when the memory cannot be had.
bool WidenPackedPixels(DibImage& image, const BitmapInfoHeader& header);

}  // namespace leaf
