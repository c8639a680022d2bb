// Pages of look-alike glyphs (c and e, i and l, 1 and l, rn and m, O and 0)
// printed many times, each print a little different as on a scanned page:
// drawn at a random sub-pixel position, with a random ink spread, and with
// noise along the outlines. Drawn with Qt's font engine on its offscreen
// platform, so no display is needed.
#pragma once

#include <string>
#include <vector>

namespace leaf::test {

struct GlyphSpec {
  std::string text;      // one glyph, or two drawn together ("rn")
  double spacing = 0.0;  // extra space between the letters of text, in ems
};

// One print: which kind it shows and its cell on the page (rows from the
// top, right and bottom exclusive).
struct GlyphPrint {
  int kind = 0;
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

struct GlyphPage {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> ink;  // 1 = ink, top row first
  std::vector<GlyphPrint> prints;
  bool at(int x, int yTop) const { return ink[static_cast<size_t>(yTop) * width + x] != 0; }
};

// prints copies of every kind, interleaved, in the font family at the point
// size and resolution given. The same seed gives the same page.
GlyphPage RenderGlyphPage(const std::vector<GlyphSpec>& kinds, const std::string& family,
                          int pointSize, int dpi, int prints, unsigned seed);

}  // namespace leaf::test
