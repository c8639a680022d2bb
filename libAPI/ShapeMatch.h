// Matching the shapes of a JB2 page that are "the same letter", so that JB2
// codes each letter once in full: a shape like an earlier one is coded as a
// refinement of it (lossless), and in lossy coding a shape that is the same
// glyph as an earlier one is replaced by it outright.
#pragma once

#include <vector>

#include "GSmartPointer.h"
#include "JB2Image.h"
#include "PackedBitmap.h"
#include "ShapeIndex.h"

namespace djvu {

struct ShapeMatchOptions {
  // Replace shapes by earlier ones of the same glyph (changes pixels).
  bool lossy = false;
  // How far (pixels) the outlines of two prints of one glyph may lie apart
  // for the lossy replacement: 1 up to 400 dpi, more above.
  int reach = 1;
};

// The shape (of those filed in index, ids into shapes) a shape is best
// refined from; -1 when none is close enough to be worth it.
int BestParent(const std::vector<const PackedBitmap*>& shapes, const ShapeIndex& index,
               const PackedBitmap& bits);

// The outline reach for a page resolution.
int GlyphReach(unsigned dpi);

// Below this resolution a letter is a few pixels across, and a print that
// differs from an earlier one by a pixel or two may be another letter (a
// "c" for an "e"): only identical shapes are shared.
inline constexpr unsigned kLowestLossyMatchDpi = 200;
inline bool MatchesLossily(unsigned dpi) { return dpi >= kLowestLossyMatchDpi; }

// The page with its shapes matched. The blits keep their order; shapes
// come in the order of their first blit, each with the best earlier shape
// as its parent when it is close enough to one to be coded more cheaply
// from it. Without lossy, the page renders exactly as before.
GP<JB2Image> MatchShapes(const JB2Image& image, const ShapeMatchOptions& options);

// Lossy part alone: blits of shapes that are the same glyph as an earlier
// shape show that shape instead, placed where it covers theirs best.
GP<JB2Image> SubstituteShapes(const JB2Image& image, int reach);

// Lossless part alone: shapes in order of first use, equal ones shared,
// parents set.
GP<JB2Image> LinkRefinements(const JB2Image& image);

}  // namespace djvu
