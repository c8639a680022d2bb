// Enlarging the canvas around a picture: the old pixels keep their size and
// the new area takes one colour (room for text labels outside the picture).
#pragma once

#include <cstdint>

#include "DibImage.h"

namespace leaf {

// Where the old picture goes on the new canvas, in stored coordinates
// (columns from the left, stored rows from the first stored row). On a
// bottom-up raster stored row 0 is the bottom of the picture, so anchor 7
// keeps the picture at the bottom left and anchor 1 at the top left.
inline constexpr int kAnchorFirstRowsLeft = 7;   // column 0, stored row 0
inline constexpr int kAnchorFirstRowsRight = 9;  // right edge, stored row 0
inline constexpr int kAnchorLastRowsLeft = 1;    // column 0, last stored rows
inline constexpr int kAnchorLastRowsRight = 3;   // right edge, last stored rows
// Any other anchor centres the picture.

// A new block holding the source on a canvas of width x height filled with
// `fill`: a palette index for 4 and 8 bits, zero or nonzero (index 1) for 1
// bit, red + 256 green + 65536 blue for 24 bits. The header describes the
// new size. Empty, with a reported text, when the canvas is smaller than
// the source's full size, for depths other than 1, 4, 8 and 24, or when the
// memory cannot be had.
PixelBlock DIBEnlarge(const DibImage& image, const DibRaster& source, int width, int height,
                      int anchor, uint32_t fill);

// Replaces the main raster by its enlarged canvas.
bool Enlarge(DibImage& image, int width, int height, int anchor, uint32_t fill);

}  // namespace leaf
