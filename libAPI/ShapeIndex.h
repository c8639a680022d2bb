// Shapes filed by their size, so that the shapes of about the same size as a
// new one are found without looking at all the others.
#pragma once

#include <algorithm>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace djvu {

class ShapeIndex {
 public:
  void Add(int width, int height, int id) { buckets_[Key(width, height)].push_back(id); }

  // Calls visit(id) for every shape filed at most dw columns and dh rows
  // from the given size, nearest sizes first; visit returns false to stop.
  template <typename Visit>
  void ForEachNear(int width, int height, int dw, int dh, Visit&& visit) const {
    for (int ring = 0; ring <= std::max(dw, dh); ++ring) {
      for (int h = height - std::min(ring, dh); h <= height + std::min(ring, dh); ++h) {
        for (int w = width - std::min(ring, dw); w <= width + std::min(ring, dw); ++w) {
          if (std::max(Distance(w, width), Distance(h, height)) != ring) continue;
          const auto found = buckets_.find(Key(w, h));
          if (found == buckets_.end()) continue;
          for (int id : found->second) {
            if (!visit(id)) return;
          }
        }
      }
    }
  }

 private:
  static int Distance(int a, int b) { return a > b ? a - b : b - a; }
  static uint64_t Key(int width, int height) {
    return (static_cast<uint64_t>(static_cast<uint32_t>(width)) << 32) |
           static_cast<uint32_t>(height);
  }

  std::unordered_map<uint64_t, std::vector<int>> buckets_;
};

}  // namespace djvu
