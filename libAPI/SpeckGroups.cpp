#include "SpeckGroups.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "GBitmap.h"

namespace djvu {

namespace {

struct Box {
  int left, bottom, right, top;  // inclusive
};

// A speck's blit and box, and the box of its group while it is the group's
// root.
struct Speck {
  int blit;
  Box box;
  Box group;
  int parent;
};

int Gap(int lowEnd, int highStart) { return highStart - lowEnd - 1; }

bool Near(const Box& a, const Box& b) {
  const int dx = std::max(Gap(a.right, b.left), Gap(b.right, a.left));
  const int dy = std::max(Gap(a.top, b.bottom), Gap(b.top, a.bottom));
  return dx <= kSpeckGroupGap && dy <= kSpeckGroupGap;
}

int Root(std::vector<Speck>& specks, int i) {
  while (specks[static_cast<size_t>(i)].parent != i) {
    Speck& s = specks[static_cast<size_t>(i)];
    s.parent = specks[static_cast<size_t>(s.parent)].parent;
    i = s.parent;
  }
  return i;
}

// Joins the groups of a and b when their boxes together stay small enough;
// the root keeps the group's box.
void Join(std::vector<Speck>& specks, int a, int b) {
  a = Root(specks, a);
  b = Root(specks, b);
  if (a == b) return;
  Box& ga = specks[static_cast<size_t>(std::min(a, b))].group;
  const Box& gb = specks[static_cast<size_t>(std::max(a, b))].group;
  const Box joined{std::min(ga.left, gb.left), std::min(ga.bottom, gb.bottom),
                   std::max(ga.right, gb.right), std::max(ga.top, gb.top)};
  if (joined.right - joined.left >= kSpeckGroupSide ||
      joined.top - joined.bottom >= kSpeckGroupSide) {
    return;
  }
  specks[static_cast<size_t>(std::max(a, b))].parent = std::min(a, b);
  ga = joined;
}

uint64_t Cell(int x, int y) {
  constexpr int kCell = 16;
  return (static_cast<uint64_t>(static_cast<uint32_t>(x / kCell)) << 32) |
         static_cast<uint32_t>(y / kCell);
}

std::vector<Speck> FindSpecks(const JB2Image& image) {
  std::vector<Speck> specks;
  for (int i = 0; i < image.get_blit_count(); ++i) {
    const JB2Blit& blit = *image.get_blit(i);
    const JB2Shape& shape = image.get_shape(static_cast<int>(blit.shapeno));
    if (!shape.bits) continue;
    const int w = static_cast<int>(shape.bits->columns());
    const int h = static_cast<int>(shape.bits->rows());
    if (w > kGroupedSpeckSide || h > kGroupedSpeckSide) continue;
    const int n = static_cast<int>(specks.size());
    const Box box{blit.left, blit.bottom, blit.left + w - 1, blit.bottom + h - 1};
    specks.push_back(Speck{i, box, box, n});
  }
  return specks;
}

void GroupNeighbours(std::vector<Speck>& specks) {
  std::unordered_map<uint64_t, std::vector<int>> cells;
  constexpr int kReach = kGroupedSpeckSide + kSpeckGroupGap + 16;
  for (int i = 0; i < static_cast<int>(specks.size()); ++i) {
    const Box& s = specks[static_cast<size_t>(i)].box;
    for (int y = std::max(0, s.bottom - kReach); y <= s.top + kReach; y += 16) {
      for (int x = std::max(0, s.left - kReach); x <= s.right + kReach; x += 16) {
        const auto found = cells.find(Cell(x, y));
        if (found == cells.end()) continue;
        for (int j : found->second) {
          if (Near(s, specks[static_cast<size_t>(j)].box)) Join(specks, i, j);
        }
      }
    }
    cells[Cell(s.left, s.bottom)].push_back(i);
  }
}

// The pixels of a group's specks in one bitmap of the group's box.
GP<GBitmap> GroupBitmap(const JB2Image& image, const std::vector<Speck>& specks,
                        const std::vector<int>& members, const Box& box) {
  GP<GBitmap> bits = GBitmap::create(box.top - box.bottom + 1, box.right - box.left + 1);
  for (int m : members) {
    const Speck& speck = specks[static_cast<size_t>(m)];
    const Box& s = speck.box;
    const GBitmap& from =
        *image.get_shape(static_cast<int>(image.get_blit(speck.blit)->shapeno)).bits;
    for (int y = 0; y < static_cast<int>(from.rows()); ++y) {
      for (int x = 0; x < static_cast<int>(from.columns()); ++x) {
        if (from[y][x]) (*bits)[s.bottom - box.bottom + y][s.left - box.left + x] = 1;
      }
    }
  }
  return bits;
}

}  // namespace

GP<JB2Image> GroupSpecks(const JB2Image& image) {
  std::vector<Speck> specks = FindSpecks(image);
  GroupNeighbours(specks);
  std::vector<std::vector<int>> members(specks.size());
  for (int i = 0; i < static_cast<int>(specks.size()); ++i) {
    members[static_cast<size_t>(Root(specks, i))].push_back(i);
  }
  // What becomes of each blit: -1 copied, -2 dropped (a later member of a
  // group), else the root of the group it stands for.
  std::vector<int> fate(static_cast<size_t>(image.get_blit_count()), -1);
  for (int root = 0; root < static_cast<int>(specks.size()); ++root) {
    const std::vector<int>& group = members[static_cast<size_t>(root)];
    if (group.size() < 2) continue;
    for (int m : group) fate[static_cast<size_t>(specks[static_cast<size_t>(m)].blit)] = -2;
    fate[static_cast<size_t>(specks[static_cast<size_t>(group.front())].blit)] = root;
  }

  GP<JB2Image> result = JB2Image::create();
  result->set_dimension(image.get_width(), image.get_height());
  std::vector<int> copies(static_cast<size_t>(image.get_shape_count()), -1);
  for (int i = 0; i < image.get_blit_count(); ++i) {
    JB2Blit blit = *image.get_blit(i);
    const int f = fate[static_cast<size_t>(i)];
    if (f == -2) continue;
    JB2Shape shape;
    shape.parent = -1;
    shape.userdata = 0;
    if (f >= 0) {
      const Box& box = specks[static_cast<size_t>(f)].group;
      shape.bits = GroupBitmap(image, specks, members[static_cast<size_t>(f)], box);
      blit.left = static_cast<unsigned short>(box.left);
      blit.bottom = static_cast<unsigned short>(box.bottom);
      blit.shapeno = static_cast<unsigned>(result->add_shape(shape));
    } else {
      int& copy = copies[blit.shapeno];
      if (!image.get_shape(static_cast<int>(blit.shapeno)).bits) continue;
      if (copy < 0) {
        shape.bits = image.get_shape(static_cast<int>(blit.shapeno)).bits;
        copy = result->add_shape(shape);
      }
      blit.shapeno = static_cast<unsigned>(copy);
    }
    result->add_blit(blit);
  }
  return result;
}

}  // namespace djvu
