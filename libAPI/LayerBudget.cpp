#include "LayerBudget.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

namespace djvu {

namespace {

// A cell this far (RGB distance) from the way between ink and paper is in
// another colour.
constexpr double kOffInk = 32.0;
// Cells of this many darkest of every hundred give the ink's colour.
constexpr int kSolidInkPercent = 25;
// Every cell must be in the ink for the page to count as printed in one.
constexpr double kOneColourShare = 1.0;
// A background cell closer than this (on every channel) to the mean of the
// cells around it is paper.
constexpr int kPaperNoise = 6;
// Paper may drift this far from its typical colour (yellowing, shading).
constexpr int kPaperDrift = 24;
// A background of which at least this share is paper is plain.
constexpr double kPlainShare = 0.98;
// The cells around a background cell: a square of this radius.
constexpr int kPaperRadius = 2;

struct Rgb {
  double r = 0, g = 0, b = 0;
};

Rgb ToRgb(const GPixel& p) { return Rgb{double(p.r), double(p.g), double(p.b)}; }

int Luminance(const GPixel& p) { return (299 * p.r + 587 * p.g + 114 * p.b) / 1000; }

// Calls visit(pixel) for every cell that is not "don't care".
template <typename Visit>
void ForEachCell(const ColorLayer& layer, Visit&& visit) {
  // The layer's pixmap and mask are shared pointers: constness of the layer
  // does not reach the cells, and FlattenInk repaints through visit.
  const int rows = static_cast<int>(layer.pixmap->rows());
  const int columns = static_cast<int>(layer.pixmap->columns());
  for (int y = 0; y < rows; ++y) {
    GPixel* row = (*layer.pixmap)[y];
    const unsigned char* care = (*layer.mask)[y];
    for (int x = 0; x < columns; ++x) {
      if (!care[x]) visit(row[x]);
    }
  }
}

// The per-channel median of the layer's cells; false when it has none.
bool MedianColour(const ColorLayer& layer, GPixel& median) {
  std::array<std::array<uint32_t, 256>, 3> counts{};
  uint64_t n = 0;
  ForEachCell(layer, [&](const GPixel& p) {
    ++counts[0][p.r];
    ++counts[1][p.g];
    ++counts[2][p.b];
    ++n;
  });
  if (n == 0) return false;
  unsigned char values[3] = {};
  for (int c = 0; c < 3; ++c) {
    uint64_t seen = 0;
    int v = 0;
    while (v < 255 && (seen += counts[c][v]) * 2 < n) ++v;
    values[c] = static_cast<unsigned char>(v);
  }
  median.r = values[0];
  median.g = values[1];
  median.b = values[2];
  return true;
}

// Mean colour of the darkest cells, kSolidInkPercent of them.
GPixel SolidInk(const ColorLayer& foreground) {
  std::array<uint64_t, 256> byLuminance{};
  uint64_t n = 0;
  ForEachCell(foreground, [&](const GPixel& p) {
    ++byLuminance[Luminance(p)];
    ++n;
  });
  uint64_t seen = 0;
  int darkest = 0;
  while (darkest < 255 && (seen += byLuminance[darkest]) * 100 < n * kSolidInkPercent) ++darkest;
  double sums[3] = {};
  uint64_t counted = 0;
  ForEachCell(foreground, [&](const GPixel& p) {
    if (Luminance(p) > darkest) return;
    sums[0] += p.r;
    sums[1] += p.g;
    sums[2] += p.b;
    ++counted;
  });
  if (counted == 0) return GPixel{0, 0, 0};
  GPixel ink;
  ink.r = static_cast<unsigned char>(std::lround(sums[0] / counted));
  ink.g = static_cast<unsigned char>(std::lround(sums[1] / counted));
  ink.b = static_cast<unsigned char>(std::lround(sums[2] / counted));
  return ink;
}

// Distance of c from the segment between ink and paper: how far the cell
// is from any blend of the two.
double OffBlend(const GPixel& cell, const GPixel& ink, const GPixel& paper) {
  const Rgb c = ToRgb(cell), a = ToRgb(ink), b = ToRgb(paper);
  const Rgb d{b.r - a.r, b.g - a.g, b.b - a.b};
  const double length2 = d.r * d.r + d.g * d.g + d.b * d.b;
  double t = 0;
  if (length2 > 0) {
    t = ((c.r - a.r) * d.r + (c.g - a.g) * d.g + (c.b - a.b) * d.b) / length2;
    t = std::clamp(t, 0.0, 1.0);
  }
  const double dr = c.r - (a.r + t * d.r), dg = c.g - (a.g + t * d.g), db = c.b - (a.b + t * d.b);
  return std::sqrt(dr * dr + dg * dg + db * db);
}

// Running sums over the cells that are not "don't care", for box means.
class CellSums {
 public:
  explicit CellSums(const ColorLayer& layer)
      : columns_(static_cast<int>(layer.pixmap->columns())),
        rows_(static_cast<int>(layer.pixmap->rows())),
        sums_(static_cast<size_t>(columns_ + 1) * (rows_ + 1)) {
    for (int y = 0; y < rows_; ++y) {
      const GPixel* row = (*layer.pixmap)[y];
      const unsigned char* care = (*layer.mask)[y];
      for (int x = 0; x < columns_; ++x) {
        Sum cell = at(x, y + 1) + at(x + 1, y) - at(x, y);
        if (!care[x]) cell += Sum{row[x].r, row[x].g, row[x].b, 1};
        at(x + 1, y + 1) = cell;
      }
    }
  }

  // Mean of the cells in the box [x0, x1) x [y0, y1) (clipped); false when
  // it holds none.
  bool Mean(int x0, int y0, int x1, int y1, GPixel& mean) const {
    x0 = std::max(0, x0);
    y0 = std::max(0, y0);
    x1 = std::min(columns_, x1);
    y1 = std::min(rows_, y1);
    const Sum s = at(x1, y1) - at(x0, y1) - at(x1, y0) + at(x0, y0);
    if (s.n == 0) return false;
    mean.r = static_cast<unsigned char>((s.r + s.n / 2) / s.n);
    mean.g = static_cast<unsigned char>((s.g + s.n / 2) / s.n);
    mean.b = static_cast<unsigned char>((s.b + s.n / 2) / s.n);
    return true;
  }

 private:
  struct Sum {
    int64_t r = 0, g = 0, b = 0, n = 0;
    Sum operator+(const Sum& o) const { return Sum{r + o.r, g + o.g, b + o.b, n + o.n}; }
    Sum operator-(const Sum& o) const { return Sum{r - o.r, g - o.g, b - o.b, n - o.n}; }
    Sum& operator+=(const Sum& o) { return *this = *this + o; }
  };
  Sum& at(int x, int y) { return sums_[static_cast<size_t>(y) * (columns_ + 1) + x]; }
  const Sum& at(int x, int y) const { return sums_[static_cast<size_t>(y) * (columns_ + 1) + x]; }

  int columns_;
  int rows_;
  std::vector<Sum> sums_;
};

bool Near(const GPixel& a, const GPixel& b, int tolerance) {
  return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
         std::abs(a.b - b.b) <= tolerance;
}

}  // namespace

InkPlan PlanInk(const ColorLayer& foreground, const ColorLayer& background) {
  InkPlan plan;
  MedianColour(background, plan.paper);
  plan.ink = SolidInk(foreground);
  uint64_t cells = 0, inInk = 0;
  ForEachCell(foreground, [&](const GPixel& p) {
    ++cells;
    if (OffBlend(p, plan.ink, plan.paper) <= kOffInk) ++inInk;
  });
  plan.share = cells ? static_cast<double>(inInk) / static_cast<double>(cells) : 1.0;
  plan.oneColour = cells > 0 && plan.share >= kOneColourShare;
  return plan;
}

void FlattenInk(ColorLayer& foreground, const InkPlan& plan) {
  ForEachCell(foreground, [&](GPixel& p) {
    if (OffBlend(p, plan.ink, plan.paper) <= kOffInk) p = plan.ink;
  });
}

void SolidForeground(ColorLayer& foreground, int width, int height, int reduction, GPixel ink) {
  const int r = std::max(1, reduction);
  const int columns = (width + r - 1) / r;
  const int rows = (height + r - 1) / r;
  foreground.pixmap->init(rows, columns);
  foreground.mask->init(rows, columns);
  for (int y = 0; y < rows; ++y) {
    GPixel* row = (*foreground.pixmap)[y];
    for (int x = 0; x < columns; ++x) row[x] = ink;
  }
}

bool PlainBackground(double paperShare) { return paperShare >= kPlainShare; }

void HalveLayer(ColorLayer& layer) {
  const int rows = static_cast<int>(layer.pixmap->rows());
  const int columns = static_cast<int>(layer.pixmap->columns());
  ColorLayer half;
  half.pixmap->init((rows + 1) / 2, (columns + 1) / 2);
  half.mask->init((rows + 1) / 2, (columns + 1) / 2);
  for (int y = 0; y < (rows + 1) / 2; ++y) {
    for (int x = 0; x < (columns + 1) / 2; ++x) {
      int sums[3] = {}, n = 0;
      for (int k = 0; k < 4; ++k) {
        const int cy = 2 * y + k / 2, cx = 2 * x + k % 2;
        if (cy >= rows || cx >= columns || (*layer.mask)[cy][cx]) continue;
        const GPixel& p = (*layer.pixmap)[cy][cx];
        sums[0] += p.r;
        sums[1] += p.g;
        sums[2] += p.b;
        ++n;
      }
      GPixel& out = (*half.pixmap)[y][x];
      if (n == 0) {
        out = GPixel{0, 0, 0};
        (*half.mask)[y][x] = 1;
        continue;
      }
      out.r = static_cast<unsigned char>((sums[0] + n / 2) / n);
      out.g = static_cast<unsigned char>((sums[1] + n / 2) / n);
      out.b = static_cast<unsigned char>((sums[2] + n / 2) / n);
    }
  }
  layer = half;
}

double SmoothPaper(ColorLayer& background) {
  GPixel typical{255, 255, 255};
  if (!MedianColour(background, typical)) return 1.0;
  const CellSums sums(background);
  const int rows = static_cast<int>(background.pixmap->rows());
  const int columns = static_cast<int>(background.pixmap->columns());
  uint64_t cells = 0, paper = 0;
  for (int y = 0; y < rows; ++y) {
    GPixel* row = (*background.pixmap)[y];
    const unsigned char* care = (*background.mask)[y];
    for (int x = 0; x < columns; ++x) {
      if (care[x]) continue;
      ++cells;
      GPixel mean;
      if (!sums.Mean(x - kPaperRadius, y - kPaperRadius, x + kPaperRadius + 1, y + kPaperRadius + 1,
                     mean) ||
          !Near(row[x], mean, kPaperNoise) || !Near(mean, typical, kPaperDrift)) {
        continue;
      }
      row[x] = mean;
      ++paper;
    }
  }
  return cells ? static_cast<double>(paper) / static_cast<double>(cells) : 1.0;
}

}  // namespace djvu
