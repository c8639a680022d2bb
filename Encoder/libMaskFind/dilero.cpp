#include "dilero.h"

#include <algorithm>

namespace maskfind {

void component_rows::load(const colour_runs& set, int c) {
  const component& comp = set.table_at(c);
  const int32_t* indices = set.runs_of(c);
  n_ = comp.runs;
  runs_.grow_to_hold(static_cast<size_t>(std::max(n_, 1)));
  for (int k = 0; k < n_; ++k) runs_[static_cast<size_t>(k)] = set.run_at(indices[k]);
  min_y_ = n_ ? runs_[0].y : 0;
  max_y_ = n_ ? runs_[static_cast<size_t>(n_ - 1)].y : -1;
  starts_.grow_to_hold(static_cast<size_t>(max_y_ - min_y_ + 2));
  int k = 0;
  for (int y = min_y_; y <= max_y_ + 1; ++y) {
    while (k < n_ && runs_[static_cast<size_t>(k)].y < y) ++k;
    starts_[static_cast<size_t>(y - min_y_)] = k;
  }
}

const run* component_rows::row(int y, int& count) const {
  if (y < min_y_ || y > max_y_) {
    count = 0;
    return nullptr;
  }
  const int begin = row_start(y);
  count = row_start(y + 1) - begin;
  return &runs_[static_cast<size_t>(begin)];
}

span dilated_run(const run* row, int m, int k, int image_width) {
  const run& r = row[k];
  // Runs of a row are at least one pixel apart, so only the direct
  // neighbour can be reached from x1 - 2 or x2 + 2.
  int32_t x1 = r.x1 - 1, x2 = r.x2 + 1;
  if (k > 0 && row[k - 1].x2 == r.x1 - 2) x1 = row[k - 1].x1;
  if (k + 1 < m && row[k + 1].x1 == r.x2 + 2) x2 = row[k + 1].x2;
  return {std::max(x1, 0), std::min(x2, image_width - 1)};
}

namespace {

// The first (or last) column in [from, to] covered by a run of both rows
// a[0..na) and b[0..nb); false when there is none.
bool FirstCommon(const run* a, int na, const run* b, int nb, int from, int to, int& at) {
  int i = 0, j = 0;
  while (i < na && j < nb) {
    const int lo = std::max({a[i].x1, b[j].x1, from});
    const int hi = std::min({a[i].x2, b[j].x2, to});
    if (lo <= hi) {
      at = lo;
      return true;
    }
    if (a[i].x2 < b[j].x2) {
      ++i;
    } else {
      ++j;
    }
  }
  return false;
}

bool LastCommon(const run* a, int na, const run* b, int nb, int from, int to, int& at) {
  int i = na - 1, j = nb - 1;
  while (i >= 0 && j >= 0) {
    const int lo = std::max({a[i].x1, b[j].x1, from});
    const int hi = std::min({a[i].x2, b[j].x2, to});
    if (lo <= hi) {
      at = hi;
      return true;
    }
    if (a[i].x1 > b[j].x1) {
      --i;
    } else {
      --j;
    }
  }
  return false;
}

}  // namespace

bool eroded_run(const component_rows& rows, int y, int k, span& out) {
  int m = 0, na = 0, nb = 0;
  const run* row = rows.row(y, m);
  const run& r = row[k];
  const run* above = rows.row(y - 1, na);
  const run* below = rows.row(y + 1, nb);
  // Interior pixels of the run: strictly inside it (left and right
  // neighbours marked) and covered in the rows above and below.
  int first = 0, last = 0;
  if (!FirstCommon(above, na, below, nb, r.x1 + 1, r.x2 - 1, first)) return false;
  LastCommon(above, na, below, nb, r.x1 + 1, r.x2 - 1, last);
  if (last - first > 9) ++first, --last;
  if (last - first > 20) ++first, --last;
  out = {first, last};
  return true;
}

}  // namespace maskfind
