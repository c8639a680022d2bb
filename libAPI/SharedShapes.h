// Shapes shared by the pages of a document. A shape that occurs on two or
// more pages (with the same pixels, or in lossy coding as the same glyph) is
// coded once, in a dictionary every page includes; a page's shape close to
// a dictionary shape is coded as a refinement of it. Shapes found on one
// page only stay in that page.
#pragma once

#include <vector>

#include "GSmartPointer.h"
#include "JB2Image.h"

namespace djvu {

struct SharedPages {
  // The shared shapes; null when no shape occurs on two pages.
  GP<JB2Dict> dictionary;
  // The pages, in order, inheriting the dictionary when there is one.
  std::vector<GP<JB2Image>> pages;
};

// pages are coded pages without a dictionary of their own; reach[i] is the
// outline reach of page i's glyphs for lossy replacement (GlyphReach), 0
// where page i must render exactly as it is. Every page renders as before,
// except where lossy replacement shows a print of the same glyph.
SharedPages ShareShapes(const std::vector<GP<JB2Image>>& pages, const std::vector<int>& reach);

}  // namespace djvu
