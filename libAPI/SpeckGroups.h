// Specks lying close together (the dots of a halftone picture, the grain
// of a dark area) cost JB2 a blit record each, more than their few pixels.
// Grouping neighbouring specks into one shape codes the same pixels with far
// fewer records; the page renders exactly as before.
#pragma once

#include "GSmartPointer.h"
#include "JB2Image.h"

namespace djvu {

// The largest speck: width and height both at most this many pixels.
inline constexpr int kGroupedSpeckSide = 12;
// Specks this close (pixels of paper between their boxes) join a group.
inline constexpr int kSpeckGroupGap = 10;
// A group grows to at most this many pixels on a side.
inline constexpr int kSpeckGroupSide = 64;

// The page with every group of two or more neighbouring specks made one
// shape, blitted where the group's first speck was; all else unchanged.
GP<JB2Image> GroupSpecks(const JB2Image& image);

}  // namespace djvu
