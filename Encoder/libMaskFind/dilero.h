// Dilated and eroded runs of one component, computed from its run table.
//
// Both work on a per-row map of the component's own pixels, read straight
// from its runs (a pixel is marked when a run of the component covers it,
// interior-marked when it and its four neighbours are all marked):
//  - dilated run of [x1, x2] in row y: from one past the nearest unmarked
//    position at or before x1 - 2 to one before the nearest unmarked
//    position at or after x2 + 2, clamped to the image. A run thus grows by
//    one pixel on each side and swallows a neighbour of the same component
//    that is only one pixel away;
//  - eroded run: from the first interior-marked pixel after x1 to the last
//    one before x2 (none: the run vanishes); then, when the result spans
//    more than 9, one pixel comes off each end, and when it still spans
//    more than 20, one more. Long runs shrink more, so thin bridges between
//    large parts vanish first.
#pragma once

#include <cstdint>

#include "colour_runs.h"
#include "storage.h"

namespace maskfind {

// The runs of one component by row, reused from component to component.
class component_rows {
 public:
  void load(const colour_runs& set, int c);

  int min_y() const { return min_y_; }
  int max_y() const { return max_y_; }
  int size() const { return n_; }
  const run& at(int k) const { return runs_[static_cast<size_t>(k)]; }
  // The component's runs of row y (count 0 outside its rows).
  const run* row(int y, int& count) const;
  // Index (into at()) of the first run of row y.
  int row_start(int y) const { return starts_[static_cast<size_t>(y - min_y_)]; }

 private:
  storage<run> runs_;
  storage<int32_t> starts_;  // rows min_y .. max_y + 1
  int n_ = 0, min_y_ = 0, max_y_ = -1;
};

struct span {
  int32_t x1, x2;
};

// Dilated run of the k-th run of its row (runs of the row in row[0..m)).
span dilated_run(const run* row, int m, int k, int image_width);

// Eroded run of the k-th run of row y; false when it vanishes.
bool eroded_run(const component_rows& rows, int y, int k, span& out);

}  // namespace maskfind
