#include "colour_runs.h"

#include <algorithm>
#include <cstdio>

namespace maskfind {

namespace {

const char kSource[] = "Encoder/libMaskFind/ncca";

int32_t Root(storage<int32_t>& parent, int32_t label) {
  while (parent[static_cast<size_t>(label)] != label) label = parent[static_cast<size_t>(label)];
  return label;
}

}  // namespace

int label_components(const run* runs, int n, int32_t* labels) {
  storage<int32_t> parent(256);
  int32_t next = 0;
  int above = 0, aboveEnd = 0;  // runs of the row above the current one
  int rowStart = 0;
  for (int i = 0; i < n; ++i) {
    const run& r = runs[i];
    if (i > 0 && r.y != runs[i - 1].y) {
      if (r.y < runs[i - 1].y) {
        std::fprintf(stderr, "runy[%d]=%d >= runy[%d]=%d\n", i - 1, runs[i - 1].y, i, r.y);
        djvu_mask_error("Y overflow", kSource, __LINE__);
      }
      if (r.y == runs[i - 1].y + 1) {
        above = rowStart;
        aboveEnd = i;
      } else {
        above = aboveEnd = i;
      }
      rowStart = i;
    }
    // Runs above that end before this one cannot touch any later run of this row.
    while (above < aboveEnd && runs[above].x2 < r.x1) ++above;
    int32_t label = -1;
    for (int k = above; k < aboveEnd && runs[k].x1 <= r.x2; ++k) {
      const int32_t other = Root(parent, labels[k]);
      if (label < 0) {
        label = other;
      } else if (other != label) {
        const int32_t small = std::min(label, other), big = std::max(label, other);
        parent[static_cast<size_t>(big)] = small;
        label = small;
      }
    }
    if (label < 0) {
      parent.grow_to_hold(static_cast<size_t>(next));
      label = next++;
      parent[static_cast<size_t>(label)] = label;
    }
    labels[i] = label;
  }
  // Roots are the smallest labels of their components: numbering them in
  // increasing label order numbers components by their first run.
  storage<int32_t> number(static_cast<size_t>(std::max(next, 1)));
  int32_t components = 0;
  for (int32_t label = 0; label < next; ++label) {
    const int32_t root = Root(parent, label);
    number[static_cast<size_t>(label)] =
        root == label ? components++ : number[static_cast<size_t>(root)];
  }
  for (int i = 0; i < n; ++i) labels[i] = number[static_cast<size_t>(labels[i])];
  return components;
}

colour_runs colour_runs::from_list(const run_list& list) {
  if (list.columns < 4)
    djvu_mask_error("build-bidmap: runsize must be > RUN_ID", kSource, __LINE__);
  colour_runs set;
  set.width = list.width;
  set.height = list.height;
  set.runs.resize(static_cast<size_t>(std::max(list.count, 1)));
  for (int i = 0; i < list.count; ++i) {
    const int32_t* r = list.run(i);
    set.runs[static_cast<size_t>(i)] = {r[RUN_Y], r[RUN_X1], r[RUN_X2], -1};
  }
  set.run_count = list.count;
  return set;
}

void colour_runs::analyse() {
  const size_t n = static_cast<size_t>(std::max(run_count, 1));
  storage<int32_t> labels(n);
  count = label_components(runs.data(), run_count, labels.data());
  table.resize(static_cast<size_t>(std::max(count, 1)));
  for (int c = 0; c < count; ++c) table[static_cast<size_t>(c)] = component{};
  for (int i = 0; i < run_count; ++i) {
    run& r = runs[static_cast<size_t>(i)];
    r.id = labels[static_cast<size_t>(i)];
    table[static_cast<size_t>(r.id)].add(r);
  }
  int32_t total = 0;
  for (int c = 0; c < count; ++c) {
    table[static_cast<size_t>(c)].first = total;
    total += table[static_cast<size_t>(c)].runs;
  }
  if (total != run_count) djvu_mask_error("internal error in CC analysis", kSource, __LINE__);
  // Placing the runs in index order keeps every component's list sorted.
  order.resize(n);
  storage<int32_t> cursor(static_cast<size_t>(std::max(count, 1)));
  for (int c = 0; c < count; ++c)
    cursor[static_cast<size_t>(c)] = table[static_cast<size_t>(c)].first;
  for (int i = 0; i < run_count; ++i) {
    order[static_cast<size_t>(cursor[static_cast<size_t>(runs[static_cast<size_t>(i)].id)]++)] = i;
  }
  order_count = run_count;
  // Row index for the mask-map queries.
  rows_.resize(static_cast<size_t>(height) + 2);
  int i = 0;
  for (int y = 0; y <= height; ++y) {
    while (i < run_count && runs[static_cast<size_t>(i)].y < y) ++i;
    rows_[static_cast<size_t>(y)] = i;
  }
  rows_[static_cast<size_t>(height) + 1] = run_count;
}

int colour_runs::append_component(const int32_t* run_indices, int n) {
  component c;
  c.first = order_count;
  for (int k = 0; k < n; ++k) {
    order.grow_to_hold(static_cast<size_t>(order_count));
    order[static_cast<size_t>(order_count++)] = run_indices[k];
    c.add(runs[static_cast<size_t>(run_indices[k])]);
  }
  table.grow_to_hold(static_cast<size_t>(count));
  table[static_cast<size_t>(count)] = c;
  return count++;
}

int colour_runs::row_begin(int y) const {
  if (y < 0) return 0;
  if (y > height) return run_count;
  return rows_[static_cast<size_t>(y)];
}

bool colour_runs::free_at(int y, int x) const {
  if (y < 0 || y >= height) return true;
  int lo = row_begin(y), hi = row_begin(y + 1);
  // The last run of the row starting at or before x.
  while (lo < hi) {
    const int mid = (lo + hi) / 2;
    if (runs[static_cast<size_t>(mid)].x1 <= x) {
      lo = mid + 1;
    } else {
      hi = mid;
    }
  }
  return lo == row_begin(y) || runs[static_cast<size_t>(lo - 1)].x2 < x;
}

void copy_runs_with_decision(const colour_runs& set, int decision, run_list& list) {
  for (int c = 0; c < set.count; ++c) {
    const component& comp = set.table_at(c);
    if (comp.decision != decision) continue;
    const int32_t* indices = set.runs_of(c);
    for (int k = 0; k < comp.runs; ++k) {
      const run& r = set.run_at(indices[k]);
      list.append(r.y, r.x1, r.x2, c);
    }
  }
}

}  // namespace maskfind
