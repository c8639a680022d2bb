#include "MaskClean.h"

#include <algorithm>
#include <functional>
#include <vector>

#include "GBitmap.h"
#include "GRect.h"

namespace djvu {

namespace {

GP<JB2Image> EmptyLike(const JB2Image& image) {
  GP<JB2Image> result = JB2Image::create();
  result->set_dimension(image.get_width(), image.get_height());
  return result;
}

// Copies shapes into another image on first use, keeping shared shapes
// shared and parents that were copied before.
class ShapeCopier {
 public:
  ShapeCopier(const JB2Image& from, JB2Image& to)
      : from_(from), to_(to), copies_(from.get_shape_count(), -1) {}

  int Copy(int shapeno) {
    if (copies_[shapeno] >= 0) return copies_[shapeno];
    const JB2Shape& shape = from_.get_shape(shapeno);
    JB2Shape copy;
    copy.parent = shape.parent >= 0 && shape.parent < shapeno ? copies_[shape.parent] : -1;
    if (copy.parent < 0) copy.parent = -1;
    copy.bits = shape.bits;
    copy.userdata = 0;
    copies_[shapeno] = to_.add_shape(copy);
    return copies_[shapeno];
  }

 private:
  const JB2Image& from_;
  JB2Image& to_;
  std::vector<int> copies_;
};

void AddBlit(JB2Image& image, int shapeno, int left, int bottom) {
  JB2Blit blit;
  blit.left = static_cast<unsigned short>(left);
  blit.bottom = static_cast<unsigned short>(bottom);
  blit.shapeno = static_cast<unsigned>(shapeno);
  image.add_blit(blit);
}

// Cuts a shape into side x side tiles from its lower-left corner; each tile
// is cropped to its ink and becomes a shape with its own blit.
void AddTiles(JB2Image& image, const GBitmap& bits, int left, int bottom, int side) {
  const int rows = static_cast<int>(bits.rows());
  const int columns = static_cast<int>(bits.columns());
  for (int ty = 0; ty < rows; ty += side) {
    const int tyEnd = std::min(rows, ty + side);
    for (int tx = 0; tx < columns; tx += side) {
      const int txEnd = std::min(columns, tx + side);
      int x0 = txEnd, x1 = tx - 1, y0 = tyEnd, y1 = ty - 1;
      for (int y = ty; y < tyEnd; ++y) {
        const unsigned char* row = bits[y];
        for (int x = tx; x < txEnd; ++x) {
          if (!row[x]) continue;
          x0 = std::min(x0, x);
          x1 = std::max(x1, x);
          y0 = std::min(y0, y);
          y1 = std::max(y1, y);
        }
      }
      if (x1 < x0) continue;
      JB2Shape tile;
      tile.parent = -1;
      tile.bits = GBitmap::create(bits, GRect(x0, y0, x1 - x0 + 1, y1 - y0 + 1));
      tile.userdata = 0;
      AddBlit(image, image.add_shape(tile), left + x0, bottom + y0);
    }
  }
}

struct Placement {
  int top;
  int bottom;
  int left;
  int blit;
};

}  // namespace

int SpeckSize(int width, int height) {
  return std::max((2 * height + 1170) / 2340, (2 * width + 864) / 1728);
}

int TileSize(int width) { return std::max(64, width / 20); }

GP<JB2Image> SizePass(const JB2Image& image, unsigned set) {
  GP<JB2Image> result = EmptyLike(image);
  ShapeCopier copier(image, *result);
  const int speck = SpeckSize(image.get_width(), image.get_height());
  const int tile = TileSize(image.get_width());
  for (int i = 0; i < image.get_blit_count(); ++i) {
    const JB2Blit& blit = *image.get_blit(i);
    const JB2Shape& shape = image.get_shape(static_cast<int>(blit.shapeno));
    if (!shape.bits) continue;
    const int rows = static_cast<int>(shape.bits->rows());
    const int columns = static_cast<int>(shape.bits->columns());
    if ((set & kCleanSpecks) && columns <= speck && rows <= speck) continue;
    if ((set & kCleanTiles) && (columns > tile || rows > tile)) {
      AddTiles(*result, *shape.bits, blit.left, blit.bottom, tile);
    } else {
      AddBlit(*result, copier.Copy(static_cast<int>(blit.shapeno)), blit.left, blit.bottom);
    }
  }
  return result;
}

GP<JB2Image> ReadingOrderPass(const JB2Image& image) {
  const int count = image.get_blit_count();
  std::vector<Placement> placements;
  placements.reserve(count);
  for (int i = 0; i < count; ++i) {
    const JB2Blit& blit = *image.get_blit(i);
    const JB2Shape& shape = image.get_shape(static_cast<int>(blit.shapeno));
    const int rows = shape.bits ? static_cast<int>(shape.bits->rows()) : 1;
    placements.push_back(Placement{blit.bottom + rows - 1, blit.bottom, blit.left, i});
  }
  std::stable_sort(placements.begin(), placements.end(),
                   [](const Placement& a, const Placement& b) {
                     return a.top != b.top ? a.top > b.top : a.left < b.left;
                   });

  // A line starts at the highest blit not yet placed and takes the blits
  // that reach above the lowest bottom seen so far (within a tolerance of
  // the first top); tall marks are then cut back to those that reach above
  // the line's median bottom.
  const int tolerance = std::max(32, image.get_width() / 40);
  std::vector<int> bottoms;
  size_t start = 0;
  while (start < placements.size()) {
    const int firstTop = placements[start].top;
    int lowest = placements[start].bottom;
    size_t end = start + 1;
    while (end < placements.size() && placements[end].top >= lowest &&
           placements[end].top >= firstTop - tolerance) {
      lowest = std::min(lowest, placements[end].bottom);
      ++end;
    }
    if (end - start > 1) {
      bottoms.clear();
      for (size_t i = start; i < end; ++i) bottoms.push_back(placements[i].bottom);
      std::sort(bottoms.begin(), bottoms.end(), std::greater<int>());
      const int median = bottoms[(bottoms.size() - 1) / 2];
      size_t lineEnd = start + 1;
      while (lineEnd < end && placements[lineEnd].top >= median) ++lineEnd;
      end = lineEnd;
    }
    std::stable_sort(placements.begin() + static_cast<ptrdiff_t>(start),
                     placements.begin() + static_cast<ptrdiff_t>(end),
                     [](const Placement& a, const Placement& b) { return a.left < b.left; });
    start = end;
  }

  GP<JB2Image> result = EmptyLike(image);
  for (int s = 0; s < image.get_shape_count(); ++s) result->add_shape(image.get_shape(s));
  for (const Placement& placement : placements) result->add_blit(*image.get_blit(placement.blit));
  return result;
}

GP<JB2Image> CleanMask(const JB2Image& image, unsigned set) {
  GP<JB2Image> cleaned;
  if (set & (kCleanTiles | kCleanSpecks)) cleaned = SizePass(image, set);
  cleaned = ReadingOrderPass(cleaned ? *cleaned : image);
  return cleaned;
}

}  // namespace djvu
