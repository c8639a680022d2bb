#include "GlyphPages.h"

#include <QtGui/QFont>
#include <QtGui/QImage>
#include <QtGui/QPainter>
#include <algorithm>
#include <random>

#include "GuiApplication.h"

namespace leaf::test {

namespace {

// Outline noise: an ink pixel beside paper, or a paper pixel beside ink,
// flips with the given probability (one pass over the cell).
void RoughenOutlines(std::vector<unsigned char>& cell, int w, int h, double probability,
                     std::mt19937& random) {
  std::bernoulli_distribution flip(probability);
  const std::vector<unsigned char> before = cell;
  auto ink = [&](int x, int y) {
    return x >= 0 && y >= 0 && x < w && y < h && before[static_cast<size_t>(y) * w + x];
  };
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const bool self = ink(x, y);
      const bool edge = ink(x - 1, y) != self || ink(x + 1, y) != self || ink(x, y - 1) != self ||
                        ink(x, y + 1) != self;
      if (edge && flip(random)) cell[static_cast<size_t>(y) * w + x] = self ? 0 : 1;
    }
  }
}

}  // namespace

GlyphPage RenderGlyphPage(const std::vector<GlyphSpec>& kinds, const std::string& family,
                          int pointSize, int dpi, int prints, unsigned seed) {
  EnsureGuiApplication();
  const int em = std::max(8, pointSize * dpi / 72);
  QFont font(QString::fromStdString(family));
  font.setPixelSize(em);
  font.setHintingPreference(QFont::PreferNoHinting);

  const int cellW = 3 * em;
  const int cellH = 2 * em;
  const int columns = 12;
  const int total = prints * static_cast<int>(kinds.size());
  const int rows = (total + columns - 1) / columns;
  GlyphPage page;
  page.width = columns * cellW;
  page.height = rows * cellH;
  page.ink.assign(static_cast<size_t>(page.width) * page.height, 0);

  std::mt19937 random(seed);
  std::uniform_real_distribution<double> subpixel(0.0, 1.0);
  // Ink spread: where the anti-aliased coverage is cut, 0.35 .. 0.65.
  std::uniform_int_distribution<int> threshold(90, 166);
  QImage cell(cellW, cellH, QImage::Format_Grayscale8);
  std::vector<unsigned char> bits(static_cast<size_t>(cellW) * cellH);
  for (int n = 0; n < total; ++n) {
    const int kind = n % static_cast<int>(kinds.size());
    cell.fill(Qt::white);
    {
      QPainter painter(&cell);
      painter.setRenderHint(QPainter::TextAntialiasing, true);
      QFont drawn = font;
      drawn.setLetterSpacing(QFont::AbsoluteSpacing, kinds[static_cast<size_t>(kind)].spacing * em);
      painter.setFont(drawn);
      painter.setPen(Qt::black);
      painter.drawText(QPointF(em * 0.8 + subpixel(random), em * 1.4 + subpixel(random)),
                       QString::fromStdString(kinds[static_cast<size_t>(kind)].text));
    }
    const int cut = threshold(random);
    for (int y = 0; y < cellH; ++y) {
      const uchar* line = cell.constScanLine(y);
      for (int x = 0; x < cellW; ++x) bits[static_cast<size_t>(y) * cellW + x] = line[x] < cut;
    }
    RoughenOutlines(bits, cellW, cellH, 0.04, random);

    GlyphPrint print;
    print.kind = kind;
    print.left = (n % columns) * cellW;
    print.top = (n / columns) * cellH;
    print.right = print.left + cellW;
    print.bottom = print.top + cellH;
    for (int y = 0; y < cellH; ++y) {
      std::copy_n(&bits[static_cast<size_t>(y) * cellW], cellW,
                  &page.ink[static_cast<size_t>(print.top + y) * page.width + print.left]);
    }
    page.prints.push_back(print);
  }
  return page;
}

}  // namespace leaf::test
