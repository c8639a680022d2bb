// Pages of known words drawn with Qt's font engine (offscreen), for the
// text recognition tests: the gray pixels and every word's ink box.
#pragma once

#include <string>
#include <vector>

namespace leaf::test {

struct TextPageWord {
  std::string text;
  int left = 0, top = 0, right = 0,
      bottom = 0;  // ink box, from the top left, right/bottom exclusive
};

struct TextPage {
  int width = 0;
  int height = 0;
  int dpi = 0;
  std::vector<unsigned char> gray;  // 0 black .. 255 white, top row first
  std::vector<TextPageWord> words;  // in reading order
};

// The lines, their words parted by single spaces, in DejaVu Serif at the
// point size and resolution given, dark ink on white paper.
TextPage RenderTextPage(const std::vector<std::string>& lines, int pointSize, int dpi);

// The page as a binary PGM file, or as a PBM file of its dark pixels.
void WritePnm(const TextPage& page, const std::string& path, bool bilevel = false);

// A few lines of plain English that a recogniser reads without a fault.
std::vector<std::string> SampleLines();

// How much of box a the boxes a and b share: their intersection over their
// union, 0..1.
double BoxOverlap(int aLeft, int aTop, int aRight, int aBottom, int bLeft, int bTop, int bRight,
                  int bBottom);

}  // namespace leaf::test
