#include "MaskClean.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <unordered_map>
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

uint64_t BitmapHash(const GBitmap& bits) {
  uint64_t hash = 1469598103934665603ULL ^ (uint64_t{bits.rows()} << 32) ^ bits.columns();
  for (unsigned y = 0; y < bits.rows(); ++y) {
    const unsigned char* row = bits[y];
    for (unsigned x = 0; x < bits.columns(); ++x) hash = (hash ^ (row[x] != 0)) * 1099511628211ULL;
  }
  return hash;
}

bool SameBitmap(const GBitmap& a, const GBitmap& b) {
  if (a.rows() != b.rows() || a.columns() != b.columns()) return false;
  for (unsigned y = 0; y < a.rows(); ++y) {
    const unsigned char* ra = a[y];
    const unsigned char* rb = b[y];
    for (unsigned x = 0; x < a.columns(); ++x) {
      if ((ra[x] != 0) != (rb[x] != 0)) return false;
    }
  }
  return true;
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

void ThickenShapes(JB2Image& image) {
  for (int i = 0; i < image.get_shape_count(); ++i) {
    JB2Shape& shape = image.get_shape(i);
    if (!shape.bits) continue;
    const GBitmap& bits = *shape.bits;
    const int rows = static_cast<int>(bits.rows());
    const int columns = static_cast<int>(bits.columns());
    GP<GBitmap> wider = GBitmap::create(rows, columns + 1);
    for (int y = 0; y < rows; ++y) {
      const unsigned char* in = bits[y];
      unsigned char* out = (*wider)[y];
      int last = -1;
      for (int x = 0; x < columns; ++x) {
        out[x] = in[x] ? 1 : 0;
        if (in[x]) last = x;
      }
      if (last >= 0) out[last + 1] = 1;
    }
    shape.bits = wider;
  }
}

namespace {

// The shape's pixels with a one-pixel white frame, one byte per pixel.
class FramedBitmap {
 public:
  explicit FramedBitmap(const GBitmap& bits)
      : rows_(static_cast<int>(bits.rows())),
        columns_(static_cast<int>(bits.columns())),
        stride_(columns_ + 2),
        pixels_(static_cast<size_t>(rows_ + 2) * stride_, 0) {
    for (int y = 0; y < rows_; ++y) {
      const unsigned char* in = bits[y];
      unsigned char* out = at(y);
      for (int x = 0; x < columns_; ++x) out[x] = in[x] ? 1 : 0;
    }
  }
  // Pixel 0 of row y; rows -1 and rows_, columns -1 and columns_ are frame.
  const unsigned char* at(int y) const {
    return &pixels_[static_cast<size_t>(y + 1) * stride_ + 1];
  }
  unsigned char* at(int y) { return &pixels_[static_cast<size_t>(y + 1) * stride_ + 1]; }
  int stride() const { return stride_; }

 private:
  int rows_;
  int columns_;
  int stride_;
  std::vector<unsigned char> pixels_;
};

// Scanning leaves ragged outlines: single pixels sticking out of an edge and
// pinholes inside strokes. Both cost JB2 bits and show nothing of the
// letter. A pixel of ink held by one side neighbour (and at most the two
// corners beside it) is removed; paper enclosed on four sides, or on three with at
// least three corners, is filled. The result is cropped to its ink, which
// starts at (dx, dy) of the old bitmap; null when no ink is left.
GP<GBitmap> SmoothedBitmap(const GBitmap& bits, int& dx, int& dy) {
  const int rows = static_cast<int>(bits.rows());
  const int columns = static_cast<int>(bits.columns());
  const FramedBitmap in(bits);
  const int stride = in.stride();
  GP<GBitmap> out = GBitmap::create(rows, columns);
  int x0 = columns, x1 = -1, y0 = rows, y1 = -1;
  for (int y = 0; y < rows; ++y) {
    const unsigned char* p = in.at(y);
    unsigned char* o = (*out)[y];
    for (int x = 0; x < columns; ++x, ++p) {
      const int sides = p[-1] + p[1] + p[-stride] + p[stride];
      const int corners = p[-stride - 1] + p[-stride + 1] + p[stride - 1] + p[stride + 1];
      bool ink = *p != 0;
      if (ink) {
        ink = !(sides + corners <= 1 || (sides == 1 && corners <= 2));
      } else {
        ink = sides == 4 || (sides == 3 && corners >= 3);
      }
      o[x] = ink ? 1 : 0;
      if (ink) {
        x0 = std::min(x0, x);
        x1 = std::max(x1, x);
        y0 = std::min(y0, y);
        y1 = std::max(y1, y);
      }
    }
  }
  dx = x0;
  dy = y0;
  if (x1 < 0) return nullptr;
  if (x0 == 0 && y0 == 0 && x1 == columns - 1 && y1 == rows - 1) return out;
  return GBitmap::create(*out, GRect(x0, y0, x1 - x0 + 1, y1 - y0 + 1));
}

}  // namespace

GP<JB2Image> SmoothingPass(const JB2Image& image) {
  GP<JB2Image> result = EmptyLike(image);
  // Smoothed copies by old shape number: the shape, and the offset of its
  // cropped ink inside the old bitmap.
  struct Smoothed {
    int shapeno = -2;  // -2 not yet made, -1 nothing left
    int dx = 0;
    int dy = 0;
  };
  std::vector<Smoothed> smoothed(image.get_shape_count());
  for (int i = 0; i < image.get_blit_count(); ++i) {
    const JB2Blit& blit = *image.get_blit(i);
    const int shapeno = static_cast<int>(blit.shapeno);
    const JB2Shape& shape = image.get_shape(shapeno);
    if (!shape.bits) continue;
    Smoothed& entry = smoothed[shapeno];
    if (entry.shapeno == -2) {
      GP<GBitmap> bits = SmoothedBitmap(*shape.bits, entry.dx, entry.dy);
      if (!bits) {
        entry.shapeno = -1;
      } else {
        JB2Shape copy;
        copy.parent = -1;
        copy.bits = bits;
        copy.userdata = 0;
        entry.shapeno = result->add_shape(copy);
      }
    }
    if (entry.shapeno < 0) continue;
    AddBlit(*result, entry.shapeno, blit.left + entry.dx, blit.bottom + entry.dy);
  }
  return result;
}

GP<JB2Image> SharingPass(const JB2Image& image) {
  GP<JB2Image> result = EmptyLike(image);
  std::unordered_map<uint64_t, std::vector<int>> byHash;
  std::vector<int> mapped(image.get_shape_count(), -1);
  for (int i = 0; i < image.get_blit_count(); ++i) {
    JB2Blit blit = *image.get_blit(i);
    const int shapeno = static_cast<int>(blit.shapeno);
    const JB2Shape& shape = image.get_shape(shapeno);
    if (!shape.bits) continue;
    if (mapped[shapeno] < 0) {
      const uint64_t hash = BitmapHash(*shape.bits);
      std::vector<int>& candidates = byHash[hash];
      for (int candidate : candidates) {
        if (SameBitmap(*result->get_shape(candidate).bits, *shape.bits)) {
          mapped[shapeno] = candidate;
          break;
        }
      }
      if (mapped[shapeno] < 0) {
        JB2Shape copy;
        copy.parent = -1;
        copy.bits = shape.bits;
        copy.userdata = 0;
        mapped[shapeno] = result->add_shape(copy);
        candidates.push_back(mapped[shapeno]);
      }
    }
    blit.shapeno = static_cast<unsigned>(mapped[shapeno]);
    result->add_blit(blit);
  }
  return result;
}

GP<JB2Image> CleanMask(const JB2Image& image, unsigned set) {
  GP<JB2Image> cleaned;
  if (set & (kCleanTiles | kCleanSpecks)) cleaned = SizePass(image, set);
  if (set & kCleanSecondPass) cleaned = SmoothingPass(cleaned ? *cleaned : image);
  cleaned = ReadingOrderPass(cleaned ? *cleaned : image);
  cleaned = SharingPass(*cleaned);
  return cleaned;
}

}  // namespace djvu
