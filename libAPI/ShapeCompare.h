// Comparing two shapes: where one lies best on the other, where the JB2
// coder lays a parent over the shape it refines, and whether two shapes are
// the same glyph, differing only as two prints of one letter do.
#pragma once

#include <optional>

#include "PackedBitmap.h"

namespace djvu {

// b's pixel (x, y) lies on a's pixel (x + dx, y + dy); differing pixels there.
struct Placement {
  int dx = 0;
  int dy = 0;
  int differing = 0;
};

// How the coder aligns a parent with the shape refined from it: their
// centres on each other, column (width - 1) / 2 from the left and row
// height / 2 from the top.
Placement RefinementPlacement(const PackedBitmap& shape, const PackedBitmap& parent, int limit);

// The placement of b on a with the fewest differing pixels among those
// within one pixel of their centres lying on each other; counts stop past
// limit.
Placement BestPlacement(const PackedBitmap& a, const PackedBitmap& b, int limit);

// Whether b, placed at (dx, dy) on a, shows the same glyph, so that either
// may stand for the other on the page. Prints of one letter differ along
// their outlines; different letters differ in their strokes. So every pixel
// inked in one shape but not in the other must lie within reach of the
// paper of the first and of the ink of the other (an outline moved by at
// most reach pixels), and no connected piece of the difference may change
// the topology of the ink when it flips: none may bridge a gap, close or
// open a hole, cut a stroke, or add or remove a mark (e/c, rn/m, i/l, 1/l,
// O/0 stay apart).
bool SameGlyph(const PackedBitmap& a, const PackedBitmap& b, int dx, int dy, int reach);

// Only glyphs drawn with strokes several pixels wide are replaced: at
// least this share of their ink lies off the outline. In thinner strokes
// a pixel or two tells letters apart (1 and l, rn and m at 150 dpi).
inline constexpr int kGlyphSolidPercent = 40;
// Prints of one glyph differ in size by at most this much...
inline constexpr int kGlyphSizeSlack = 2;
// ...and in at most this share of a's ink.
inline constexpr int kGlyphPercent = 30;

// The whole test for b standing in for a: about the same size, few
// differing pixels where b fits best (at most limit), and the same glyph
// there. The placement; none when b cannot stand in for a.
std::optional<Placement> GlyphPlacement(const PackedBitmap& a, const PackedBitmap& b, int reach,
                                        int limit);

}  // namespace djvu
