#include "ShapeCompare.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <vector>

namespace djvu {

namespace {

// Bits of the last word of a row that lie inside the width.
uint64_t LastWordMask(int width) {
  const int used = width & 63;
  return used == 0 ? ~uint64_t{0} : (uint64_t{1} << used) - 1;
}

// source drawn on an empty width x height canvas with its pixel (0, 0) at
// (left, top).
PackedBitmap Canvas(const PackedBitmap& source, int left, int top, int width, int height) {
  PackedBitmap canvas(width, height);
  const uint64_t last = LastWordMask(width);
  for (int y = 0; y < height; ++y) {
    uint64_t* out = canvas.row(y);
    for (int k = 0; k < canvas.words(); ++k) out[k] = source.Fetch(y - top, 64 * k - left);
    out[canvas.words() - 1] &= last;
  }
  return canvas;
}

// Every pixel within one pixel (8 neighbours) of ink becomes ink.
PackedBitmap Dilated(const PackedBitmap& in) {
  const int words = in.words();
  const uint64_t last = LastWordMask(in.width());
  std::vector<uint64_t> wide(static_cast<size_t>(words) * in.height());
  for (int y = 0; y < in.height(); ++y) {
    const uint64_t* r = in.row(y);
    uint64_t* w = &wide[static_cast<size_t>(y) * words];
    for (int k = 0; k < words; ++k) {
      const uint64_t fromLeft = k > 0 ? r[k - 1] >> 63 : 0;
      const uint64_t fromRight = k + 1 < words ? r[k + 1] << 63 : 0;
      w[k] = r[k] | (r[k] << 1) | fromLeft | (r[k] >> 1) | fromRight;
    }
    w[words - 1] &= last;
  }
  PackedBitmap out(in.width(), in.height());
  for (int y = 0; y < in.height(); ++y) {
    uint64_t* o = out.row(y);
    for (int dy = -1; dy <= 1; ++dy) {
      if (y + dy < 0 || y + dy >= in.height()) continue;
      const uint64_t* w = &wide[static_cast<size_t>(y + dy) * words];
      for (int k = 0; k < words; ++k) o[k] |= w[k];
    }
  }
  return out;
}

PackedBitmap DilatedBy(PackedBitmap bits, int reach) {
  for (int i = 0; i < reach; ++i) bits = Dilated(bits);
  return bits;
}

PackedBitmap Complement(const PackedBitmap& in) {
  PackedBitmap out(in.width(), in.height());
  const uint64_t last = LastWordMask(in.width());
  for (int y = 0; y < in.height(); ++y) {
    for (int k = 0; k < in.words(); ++k) out.row(y)[k] = ~in.row(y)[k];
    out.row(y)[in.words() - 1] &= last;
  }
  return out;
}

// Every pixel of a not in b lies within reach of a's paper and of b's ink.
bool OnlyOutlinesDiffer(const PackedBitmap& a, const PackedBitmap& b,
                        const PackedBitmap& aPaperNear, const PackedBitmap& bInkNear) {
  for (int y = 0; y < a.height(); ++y) {
    for (int k = 0; k < a.words(); ++k) {
      const uint64_t onlyA = a.row(y)[k] & ~b.row(y)[k];
      if (onlyA & ~aPaperNear.row(y)[k]) return false;
      if (onlyA & ~bInkNear.row(y)[k]) return false;
    }
  }
  return true;
}

// The ink of a canvas one byte per pixel, with the XOR of another canvas
// labelled into 8-connected pieces.
class Differences {
 public:
  Differences(const PackedBitmap& a, const PackedBitmap& b)
      : width_(a.width()),
        height_(a.height()),
        ink_(static_cast<size_t>(width_) * height_),
        label_(ink_.size(), 0) {
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x) {
        ink_[Index(x, y)] = a.at(x, y) ? 1 : 0;
        if (a.at(x, y) != b.at(x, y)) label_[Index(x, y)] = -1;
      }
    }
  }

  // Whether replacing a by b one piece of difference at a time never
  // changes the topology of the ink (its components less its holes): each
  // piece only moves an outline, none bridges a gap, fills or opens a hole,
  // cuts a stroke or adds or removes a mark.
  bool KeepTopology() {
    int pieces = 0;
    std::vector<int> stack;
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x) {
        if (label_[Index(x, y)] != -1) continue;
        ++pieces;
        int x0 = x, x1 = x, y0 = y, y1 = y;
        label_[Index(x, y)] = pieces;
        stack.assign(1, static_cast<int>(Index(x, y)));
        while (!stack.empty()) {
          const int i = stack.back();
          stack.pop_back();
          const int px = i % width_;
          const int py = i / width_;
          x0 = std::min(x0, px);
          x1 = std::max(x1, px);
          y0 = std::min(y0, py);
          y1 = std::max(y1, py);
          for (int ny = std::max(0, py - 1); ny <= std::min(height_ - 1, py + 1); ++ny) {
            for (int nx = std::max(0, px - 1); nx <= std::min(width_ - 1, px + 1); ++nx) {
              if (label_[Index(nx, ny)] != -1) continue;
              label_[Index(nx, ny)] = pieces;
              stack.push_back(static_cast<int>(Index(nx, ny)));
            }
          }
        }
        if (EulerChange(pieces, x0, y0, x1, y1) != 0) return false;
      }
    }
    return true;
  }

 private:
  size_t Index(int x, int y) const { return static_cast<size_t>(y) * width_ + x; }

  int Ink(int x, int y, int toggled) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
    const size_t i = Index(x, y);
    return ink_[i] ^ (label_[i] == toggled ? 1 : 0);
  }

  // Four times the Euler number (8-connected ink) of the 2 x 2 windows
  // whose top left corner lies in [x0, x1] x [y0, y1].
  int QuadSum(int x0, int y0, int x1, int y1, int toggled) const {
    int sum = 0;
    for (int y = y0; y <= y1; ++y) {
      for (int x = x0; x <= x1; ++x) {
        const int p = Ink(x, y, toggled), q = Ink(x + 1, y, toggled);
        const int r = Ink(x, y + 1, toggled), s = Ink(x + 1, y + 1, toggled);
        const int n = p + q + r + s;
        if (n == 1) sum += 1;
        if (n == 3) sum -= 1;
        if (n == 2 && p == s) sum -= 2;  // diagonal pair
      }
    }
    return sum;
  }

  // Change of the Euler number when the piece's pixels flip.
  static constexpr int kNone = -2;
  int EulerChange(int piece, int x0, int y0, int x1, int y1) const {
    return QuadSum(x0 - 1, y0 - 1, x1, y1, piece) - QuadSum(x0 - 1, y0 - 1, x1, y1, kNone);
  }

  int width_;
  int height_;
  std::vector<unsigned char> ink_;
  std::vector<int> label_;  // 0 same, -1 differs (unlabelled), >0 piece
};

bool Solid(const PackedBitmap& bits) {
  return (bits.ink() - bits.OutlinePixels()) * 100 >= kGlyphSolidPercent * bits.ink();
}

Placement Place(const PackedBitmap& a, const PackedBitmap& b, int dx, int dy, int limit) {
  return Placement{dx, dy, DifferingPixels(a, b, dx, dy, limit)};
}

}  // namespace

Placement RefinementPlacement(const PackedBitmap& shape, const PackedBitmap& parent, int limit) {
  return Place(shape, parent, (shape.width() - 1) / 2 - (parent.width() - 1) / 2,
               shape.height() / 2 - parent.height() / 2, limit);
}

Placement BestPlacement(const PackedBitmap& a, const PackedBitmap& b, int limit) {
  const int cx = (a.width() - 1) / 2 - (b.width() - 1) / 2;
  const int cy = (a.height() - 1) / 2 - (b.height() - 1) / 2;
  Placement best = Place(a, b, cx, cy, limit);
  for (int dy = cy - 1; dy <= cy + 1; ++dy) {
    for (int dx = cx - 1; dx <= cx + 1; ++dx) {
      if (dx == cx && dy == cy) continue;
      const Placement here = Place(a, b, dx, dy, std::min(limit, best.differing));
      if (here.differing < best.differing) best = here;
    }
  }
  return best;
}

bool SameGlyph(const PackedBitmap& a, const PackedBitmap& b, int dx, int dy, int reach) {
  reach = std::max(1, reach);
  const int margin = reach + 1;
  const int x0 = std::min(0, dx);
  const int y0 = std::min(0, dy);
  const int width = std::max(a.width(), b.width() + dx) - x0 + 2 * margin;
  const int height = std::max(a.height(), b.height() + dy) - y0 + 2 * margin;
  const PackedBitmap ca = Canvas(a, margin - x0, margin - y0, width, height);
  const PackedBitmap cb = Canvas(b, margin - x0 + dx, margin - y0 + dy, width, height);
  const PackedBitmap aPaperNear = DilatedBy(Complement(ca), reach);
  const PackedBitmap bPaperNear = DilatedBy(Complement(cb), reach);
  const PackedBitmap aInkNear = DilatedBy(ca, reach);
  const PackedBitmap bInkNear = DilatedBy(cb, reach);
  return OnlyOutlinesDiffer(ca, cb, aPaperNear, bInkNear) &&
         OnlyOutlinesDiffer(cb, ca, bPaperNear, aInkNear) && Differences(ca, cb).KeepTopology();
}

std::optional<Placement> GlyphPlacement(const PackedBitmap& a, const PackedBitmap& b, int reach,
                                        int limit) {
  limit = std::min(limit, a.ink() * kGlyphPercent / 100);
  if (!Solid(a) || !Solid(b)) return std::nullopt;
  if (std::abs(a.width() - b.width()) > kGlyphSizeSlack ||
      std::abs(a.height() - b.height()) > kGlyphSizeSlack || std::abs(a.ink() - b.ink()) > limit) {
    return std::nullopt;
  }
  const Placement p = BestPlacement(a, b, limit);
  if (p.differing > limit || !SameGlyph(a, b, p.dx, p.dy, reach)) return std::nullopt;
  return p;
}

}  // namespace djvu
