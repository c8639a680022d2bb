#include "PackedBitmap.h"

#include <algorithm>
#include <bit>

namespace djvu {

namespace {

// The counting loops are compiled twice: for any x86-64 processor, where
// std::popcount is a library call, and for those with the POPCNT
// instruction (all but the oldest), chosen once at run time.
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define LEAF_POPCNT_DISPATCH 1
#endif

[[gnu::always_inline]] inline int CountOutline(const PackedBitmap& bits) {
  int outline = 0;
  const int height = bits.height(), words = bits.words();
  for (int y = 0; y < height; ++y) {
    const uint64_t* r = bits.row(y);
    for (int k = 0; k < words; ++k) {
      const uint64_t up = y > 0 ? bits.row(y - 1)[k] : 0;
      const uint64_t down = y + 1 < height ? bits.row(y + 1)[k] : 0;
      const uint64_t leftOfEach = (r[k] << 1) | (k > 0 ? r[k - 1] >> 63 : 0);
      const uint64_t rightOfEach = (r[k] >> 1) | (k + 1 < words ? r[k + 1] << 63 : 0);
      outline += std::popcount(r[k] & ~(up & down & leftOfEach & rightOfEach));
    }
  }
  return outline;
}

[[gnu::always_inline]] inline int CountDiffering(const PackedBitmap& a, const PackedBitmap& b,
                                                 int dx, int dy, int limit) {
  const int x0 = std::min(0, dx);
  const int x1 = std::max(a.width(), b.width() + dx);
  const int y0 = std::min(0, dy);
  const int y1 = std::max(a.height(), b.height() + dy);
  int count = 0;
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; x += 64) {
      count += std::popcount(a.Fetch(y, x) ^ b.Fetch(y - dy, x - dx));
    }
    if (count > limit) return count;
  }
  return count;
}

#ifdef LEAF_POPCNT_DISPATCH
bool HasPopcnt() {
  static const bool has = __builtin_cpu_supports("popcnt");
  return has;
}

[[gnu::target("popcnt")]] int CountOutlineWithPopcnt(const PackedBitmap& bits) {
  return CountOutline(bits);
}

[[gnu::target("popcnt")]] int CountDifferingWithPopcnt(const PackedBitmap& a, const PackedBitmap& b,
                                                       int dx, int dy, int limit) {
  return CountDiffering(a, b, dx, dy, limit);
}
#endif

}  // namespace

PackedBitmap::PackedBitmap(int width, int height)
    : width_(std::max(0, width)),
      height_(std::max(0, height)),
      words_((width_ + 63) / 64),
      bits_(static_cast<size_t>(words_) * height_, 0) {}

PackedBitmap::PackedBitmap(const GBitmap& bits)
    : PackedBitmap(static_cast<int>(bits.columns()), static_cast<int>(bits.rows())) {
  for (int y = 0; y < height_; ++y) {
    const unsigned char* in = bits[height_ - 1 - y];
    uint64_t* out = row(y);
    for (int x = 0; x < width_; ++x) {
      if (in[x]) out[x >> 6] |= uint64_t{1} << (x & 63);
    }
  }
  CountInk();
}

void PackedBitmap::CountInk() {
  ink_ = 0;
  for (uint64_t word : bits_) ink_ += std::popcount(word);
}

int PackedBitmap::OutlinePixels() const {
#ifdef LEAF_POPCNT_DISPATCH
  if (HasPopcnt()) return CountOutlineWithPopcnt(*this);
#endif
  return CountOutline(*this);
}

uint64_t PackedBitmap::Fetch(int y, int x) const {
  if (y < 0 || y >= height_ || x >= width_ || x <= -64) return 0;
  const uint64_t* r = row(y);
  // Floor division, so that negative columns fall in word -1.
  const int k = x >= 0 ? x >> 6 : -((-x + 63) >> 6);
  const int shift = x - k * 64;
  const uint64_t low = k >= 0 ? r[k] : 0;
  if (shift == 0) return low;
  const uint64_t high = k + 1 < words_ ? r[k + 1] : 0;
  return (low >> shift) | (high << (64 - shift));
}

GP<GBitmap> PackedBitmap::ToGBitmap() const {
  GP<GBitmap> bits = GBitmap::create(height_, width_);
  for (int y = 0; y < height_; ++y) {
    unsigned char* out = (*bits)[height_ - 1 - y];
    for (int x = 0; x < width_; ++x) out[x] = at(x, y) ? 1 : 0;
  }
  return bits;
}

int DifferingPixels(const PackedBitmap& a, const PackedBitmap& b, int dx, int dy, int limit) {
#ifdef LEAF_POPCNT_DISPATCH
  if (HasPopcnt()) return CountDifferingWithPopcnt(a, b, dx, dy, limit);
#endif
  return CountDiffering(a, b, dx, dy, limit);
}

}  // namespace djvu
