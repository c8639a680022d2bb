// Ink (cyan, magenta, yellow, black) pixels to the raster's blue, green, red.
#pragma once

#include <cstddef>
#include <cstdint>

namespace leaf {

// Converts count four-byte CMYK pixels into three-byte blue, green, red
// pixels: each colour is 255 less its ink and the black ink, floored at 0.
// inverted: the samples hold 255 less the ink, as Adobe's CMYK JPEG files do.
// The target may not overlap the source.
void CmykToBgr(const uint8_t* cmyk, uint8_t* bgr, size_t count, bool inverted);

}  // namespace leaf
