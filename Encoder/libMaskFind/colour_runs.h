// colour_runs: a run set with its 4-connected components, the unit the
// component filter analyses, decides and copies.
#pragma once

#include <cstdint>

#include "run_list.h"
#include "storage.h"

namespace maskfind {

struct run {
  int32_t y, x1, x2, id;
};

// One row of the component table; the comments give the column numbers.
struct component {
  int32_t runs = 0;               // 0: number of runs
  int32_t first = 0;              // 1: index of its first run in the by-component order
  int32_t unused = 0;             // 2
  int32_t area = 0;               // 3
  int32_t min_x = 10000000;       // 4
  int32_t min_y = 10000000;       // 5
  int32_t max_x = 0;              // 6
  int32_t max_y = 0;              // 7
  int32_t decision = 1;           // 8: 1 kept, 0 dropped, -1 rejected as a region
  int32_t cost = 0;               // 9
  int32_t colour[3] = {0, 0, 0};  // 10..12

  void add(const run& r) {
    ++runs;
    area += r.x2 - r.x1 + 1;
    if (r.x1 < min_x) min_x = r.x1;
    if (r.y < min_y) min_y = r.y;
    if (r.x2 > max_x) max_x = r.x2;
    if (r.y > max_y) max_y = r.y;
  }
  int width() const { return max_x - min_x + 1; }
  int height() const { return max_y - min_y + 1; }
};

inline constexpr int kDecisionKept = 1;
inline constexpr int kDecisionDropped = 0;
inline constexpr int kDecisionRegion = -1;
// Dropped whole, but pieces of it (split off by erosion) were kept: it is
// marks, and the paper between them is no light mark.
inline constexpr int kDecisionSplit = -2;

// Labels the 4-connected components of runs given in row order (rows
// increasing, runs of a row left to right and disjoint): a run joins the
// runs of the row above whose columns overlap its own; diagonal contact does
// not join. Components are numbered 0, 1, 2, ... in the order of their first
// run. Fills labels[0..n) and returns the number of components.
int label_components(const run* runs, int n, int32_t* labels);

class colour_runs {
 public:
  int32_t width = 0;
  int32_t height = 0;
  storage<run> runs;  // row order
  int run_count = 0;
  storage<component> table;
  int count = 0;           // components in the table
  storage<int32_t> order;  // run indices grouped by component
  int order_count = 0;

  // A set holding a copy of a run list's runs.
  static colour_runs from_list(const run_list& list);

  void append_run(const run& r) {
    runs.grow_to_hold(static_cast<size_t>(run_count));
    runs[static_cast<size_t>(run_count++)] = r;
  }

  // Finds the components: RUN_ID of every run, the table (columns 0, 1, 3..8)
  // and the by-component order, each component's runs in row order. "Y
  // overflow" when the runs are not in row order.
  void analyse();

  // Appends a component made of the given runs of this set (indices in row
  // order) with its statistics; returns its number.
  int append_component(const int32_t* run_indices, int n);

  // The run indices of component c, in row order.
  const int32_t* runs_of(int c) const { return order.data() + table_at(c).first; }
  component& at(int c) { return table[static_cast<size_t>(c)]; }
  const component& table_at(int c) const { return table[static_cast<size_t>(c)]; }
  const run& run_at(int i) const { return runs[static_cast<size_t>(i)]; }

  // Runs of row y: indices [row_begin(y), row_begin(y + 1)). Valid after analyse().
  int row_begin(int y) const;
  // True when pixel (y, x) lies in no run of the set.
  bool free_at(int y, int x) const;

 private:
  storage<int32_t> rows_;  // first run of each row, height + 1 entries
};

// Copies every run of the set's components with the given decision into
// list (appending), with RUN_ID = component number.
void copy_runs_with_decision(const colour_runs& set, int decision, run_list& list);

}  // namespace maskfind
