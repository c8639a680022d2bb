// Rectangles of the main raster: taking one out as a new bitmap, keeping
// only it (crop), and clearing it.
#pragma once

#include "DibImage.h"

namespace leaf {

// Left, top, right, bottom, inclusive, in picture coordinates (row 0 is the
// top of the picture as displayed, whatever the storage order).
struct SelectionRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

// A packed bitmap (header, palette, rows in the raster's stored order) of the
// rectangle, which must lie inside the raster. Empty, with a reported text,
// when it does not, for depths other than 1, 4, 8 and 24, or when the memory
// cannot be had.
PixelBlock GetSelection(const DibImage& image, const SelectionRect& rect);

// Keeps only the rectangle. The raster no longer belongs to a DjVu page; its
// symmetry state and negative flag start again from zero.
bool Crop(DibImage& image, const SelectionRect& rect);

// Gives every pixel of the rectangle the value 0 (the colour of palette
// index 0, black for 24 bits).
bool RemoveSelection(DibImage& image, const SelectionRect& rect);

}  // namespace leaf
