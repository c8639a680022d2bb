#include "DontCareFill.h"

#include <algorithm>
#include <vector>

#include "djvu_error.h"

namespace djvu {

namespace {

// A level of the pyramid above the layer: a colour per cell, and whether no
// known pixel lies under the cell.
struct Level {
  int w = 0;
  int h = 0;
  std::vector<GPixel> colours;
  std::vector<unsigned char> unknown;

  Level(int width, int height)
      : w(width), h(height), colours(static_cast<size_t>(w) * h), unknown(colours.size(), 1) {}
  GPixel* Row(int y) { return &colours[static_cast<size_t>(y) * w]; }
  const GPixel* Row(int y) const { return &colours[static_cast<size_t>(y) * w]; }
  const unsigned char* UnknownRow(int y) const { return &unknown[static_cast<size_t>(y) * w]; }
};

// The layer itself seen as the pyramid's finest level.
struct LayerLevel {
  GPixmap& pixmap;
  const GBitmap& mask;
  int w;
  int h;
  GPixel* Row(int y) { return pixmap[y]; }
  const GPixel* Row(int y) const { return pixmap[y]; }
  const unsigned char* UnknownRow(int y) const { return mask[y]; }
};

// The level at half the size: every cell the mean of its known children.
template <class Fine>
Level Pull(const Fine& fine) {
  Level coarse((fine.w + 1) / 2, (fine.h + 1) / 2);
  std::vector<unsigned> sums(static_cast<size_t>(coarse.w) * 4);
  for (int cy = 0; cy < coarse.h; ++cy) {
    std::fill(sums.begin(), sums.end(), 0u);
    for (int y = 2 * cy; y < std::min(2 * cy + 2, fine.h); ++y) {
      const GPixel* colours = fine.Row(y);
      const unsigned char* unknown = fine.UnknownRow(y);
      for (int x = 0; x < fine.w; ++x) {
        if (unknown[x]) continue;
        unsigned* sum = &sums[static_cast<size_t>(x / 2) * 4];
        sum[0] += colours[x].r;
        sum[1] += colours[x].g;
        sum[2] += colours[x].b;
        ++sum[3];
      }
    }
    GPixel* row = coarse.Row(cy);
    unsigned char* unknown = &coarse.unknown[static_cast<size_t>(cy) * coarse.w];
    for (int cx = 0; cx < coarse.w; ++cx) {
      const unsigned* sum = &sums[static_cast<size_t>(cx) * 4];
      const unsigned n = sum[3];
      if (n == 0) continue;
      row[cx].r = static_cast<unsigned char>((sum[0] + n / 2) / n);
      row[cx].g = static_cast<unsigned char>((sum[1] + n / 2) / n);
      row[cx].b = static_cast<unsigned char>((sum[2] + n / 2) / n);
      unknown[cx] = 0;
    }
  }
  return coarse;
}

unsigned char Mix(int nearest, int across, int along, int diagonal) {
  return static_cast<unsigned char>((9 * nearest + 3 * across + 3 * along + diagonal + 8) / 16);
}

// Gives the unknown cells of fine the colours of coarse, whose cells are all
// known by now, interpolated bilinearly: weights 9, 3, 3 and 1 from the
// coarse cell over the fine one and its neighbours on the fine cell's side.
template <class Fine>
void Push(Fine& fine, const Level& coarse) {
  for (int y = 0; y < fine.h; ++y) {
    const int cy = y / 2;
    const int ny = std::clamp(cy + ((y & 1) ? 1 : -1), 0, coarse.h - 1);
    const GPixel* near = coarse.Row(cy);
    const GPixel* far = coarse.Row(ny);
    const unsigned char* unknown = fine.UnknownRow(y);
    GPixel* row = fine.Row(y);
    for (int x = 0; x < fine.w; ++x) {
      if (!unknown[x]) continue;
      const int cx = x / 2;
      const int nx = std::clamp(cx + ((x & 1) ? 1 : -1), 0, coarse.w - 1);
      row[x].r = Mix(near[cx].r, near[nx].r, far[cx].r, far[nx].r);
      row[x].g = Mix(near[cx].g, near[nx].g, far[cx].g, far[nx].g);
      row[x].b = Mix(near[cx].b, near[nx].b, far[cx].b, far[nx].b);
    }
  }
}

}  // namespace

void FillDontCarePixels(GPixmap& pixmap, const GBitmap& mask) {
  LayerLevel layer{pixmap, mask, static_cast<int>(pixmap.columns()),
                   static_cast<int>(pixmap.rows())};
  if (layer.w == 0 || layer.h == 0) return;
  if (static_cast<int>(mask.columns()) != layer.w || static_cast<int>(mask.rows()) != layer.h) {
    Throw("The mask of a colour layer differs from it in size", "DontCareFill.cpp", __LINE__);
  }
  std::vector<Level> levels;
  levels.push_back(Pull(layer));
  const auto known = [](const Level& level) {
    return std::find(level.unknown.begin(), level.unknown.end(), 0) != level.unknown.end();
  };
  if (!known(levels[0])) return;
  while (levels.back().w > 1 || levels.back().h > 1) levels.push_back(Pull(levels.back()));
  for (size_t l = levels.size() - 1; l-- > 0;) Push(levels[l], levels[l + 1]);
  Push(layer, levels[0]);
}

}  // namespace djvu
