#include "filter_cc.h"

#include <algorithm>

#include "main_filter.h"

namespace maskfind {

namespace {

bool ByRowThenColumn(const run& a, const run& b) { return a.y != b.y ? a.y < b.y : a.x1 < b.x1; }

// Appends row y's union of the sorted stretches in[0..n), minus the runs of
// the set's row y, to out.
void SubtractRow(const colour_runs& set, int y, const run* in, int n, run_list& out) {
  const int begin = set.row_begin(y), end = set.row_begin(y + 1);
  int k = begin;
  int i = 0;
  while (i < n) {
    // One stretch of the union: overlapping or touching stretches join.
    int32_t x1 = in[i].x1, x2 = in[i].x2;
    for (++i; i < n && in[i].x1 <= x2 + 1; ++i) x2 = std::max(x2, in[i].x2);
    // Cut the set's runs out of [x1, x2].
    while (k < end && set.run_at(k).x2 < x1) ++k;
    int32_t from = x1;
    for (int j = k; j < end && set.run_at(j).x1 <= x2; ++j) {
      const run& r = set.run_at(j);
      if (r.x1 > from) out.append(y, from, r.x1 - 1);
      from = std::max(from, r.x2 + 1);
    }
    if (from <= x2) out.append(y, from, x2);
  }
}

// Gives every run without a group the group of the first touching run with
// one in the neighbouring row (the row above for direction +1, walking down;
// the row below for -1, walking up).
void AdoptNeighbourGroups(const component_rows& rows, storage<int32_t>& group, int direction) {
  const int firstRow = direction > 0 ? rows.min_y() : rows.max_y();
  const int lastRow = direction > 0 ? rows.max_y() : rows.min_y();
  for (int y = firstRow + direction; y != lastRow + direction; y += direction) {
    int m = 0, mn = 0;
    const run* row = rows.row(y, m);
    const run* near = rows.row(y - direction, mn);
    const int rowStart = rows.row_start(y), nearStart = rows.row_start(y - direction);
    for (int k = 0; k < m; ++k) {
      int32_t& mine = group[static_cast<size_t>(rowStart + k)];
      if (mine >= 0) continue;
      for (int j = 0; j < mn; ++j) {
        const int32_t theirs = group[static_cast<size_t>(nearStart + j)];
        if (theirs >= 0 && near[j].x1 <= row[k].x2 && near[j].x2 >= row[k].x1) {
          mine = theirs;
          break;
        }
      }
    }
  }
}

}  // namespace

int split_component(const band_pixels& image, colour_runs& set, int c, filter_params& params,
                    decide_scratch& scratch) {
  component_rows& rows = scratch.rows;
  rows.load(set, c);
  const int n = rows.size();
  storage<run> eroded(static_cast<size_t>(n));
  storage<int32_t> source(static_cast<size_t>(n));  // index into the component's runs
  int kept = 0;
  for (int y = rows.min_y(); y <= rows.max_y(); ++y) {
    int m = 0;
    rows.row(y, m);
    for (int k = 0; k < m; ++k) {
      span e;
      if (!eroded_run(rows, y, k, e)) continue;
      eroded[static_cast<size_t>(kept)] = {y, e.x1, e.x2, -1};
      source[static_cast<size_t>(kept)] = rows.row_start(y) + k;
      ++kept;
    }
  }
  storage<int32_t> eroded_group(static_cast<size_t>(std::max(kept, 1)));
  const int groups = label_components(eroded.data(), kept, eroded_group.data());
  if (groups < 2) return 0;
  // Every run takes the group of its eroded run. Runs whose eroded run
  // vanished (stroke ends, thin parts, bridges) join the group of a touching
  // run of the row above, else of the row below, so that the pieces keep
  // their outlines; a bridge goes with the piece it meets first.
  storage<int32_t> group(static_cast<size_t>(n));
  for (int k = 0; k < n; ++k) group[static_cast<size_t>(k)] = -1;
  for (int e = 0; e < kept; ++e) {
    group[static_cast<size_t>(source[static_cast<size_t>(e)])] =
        eroded_group[static_cast<size_t>(e)];
  }
  AdoptNeighbourGroups(rows, group, +1);
  AdoptNeighbourGroups(rows, group, -1);
  // The set's run indices of the component, in row order, as the pieces take them.
  storage<int32_t> members(static_cast<size_t>(n));
  const int32_t* indices = set.runs_of(c);
  storage<int32_t> all(static_cast<size_t>(n));
  for (int k = 0; k < n; ++k) all[static_cast<size_t>(k)] = indices[k];
  for (int g = 0; g < groups; ++g) {
    int count = 0;
    for (int k = 0; k < n; ++k) {
      if (group[static_cast<size_t>(k)] == g) {
        members[static_cast<size_t>(count++)] = all[static_cast<size_t>(k)];
      }
    }
    const int piece = set.append_component(members.data(), count);
    decide_component(image, set, piece, params, scratch);
  }
  return groups;
}

void dark_pass(const band_pixels& image, colour_runs& set, filter_params& params,
               decide_scratch& scratch) {
  const int components = set.count;
  set.table.resize(static_cast<size_t>(std::max(2 * components, 1)));
  for (int c = 0; c < components; ++c) {
    decide_component(image, set, c, params, scratch);
    const component& comp = set.at(c);
    if (comp.decision == kDecisionDropped &&
        (comp.max_y - comp.min_y) + (comp.max_x - comp.min_x) > kSplitExtent) {
      const int first = set.count;
      split_component(image, set, c, params, scratch);
      for (int piece = first; piece < set.count; ++piece) {
        if (set.at(piece).decision == kDecisionKept) set.at(c).decision = kDecisionSplit;
      }
    }
  }
}

void interior_light_runs(const colour_runs& set, run_list& out) {
  storage<run> stretches;
  int n = 0;
  for (int c = 0; c < set.count; ++c) {
    const component& comp = set.table_at(c);
    if (comp.decision >= kDecisionKept || comp.decision == kDecisionSplit ||
        comp.runs <= kInverseMinRuns) {
      continue;
    }
    const int32_t* indices = set.runs_of(c);
    for (int k = 1; k < comp.runs; ++k) {
      const run& left = set.run_at(indices[k - 1]);
      const run& right = set.run_at(indices[k]);
      if (left.y != right.y || right.x1 <= left.x2 + 1) continue;
      stretches.grow_to_hold(static_cast<size_t>(n));
      stretches[static_cast<size_t>(n++)] = {left.y, left.x2 + 1, right.x1 - 1, -1};
    }
  }
  std::sort(stretches.data(), stretches.data() + n, ByRowThenColumn);
  for (int i = 0; i < n;) {
    int j = i;
    while (j < n && stretches[static_cast<size_t>(j)].y == stretches[static_cast<size_t>(i)].y) ++j;
    SubtractRow(set, stretches[static_cast<size_t>(i)].y, &stretches[static_cast<size_t>(i)], j - i,
                out);
    i = j;
  }
  out.finish(set.width, set.height);
}

void run_filter_cc(const djvu_pixel_image& image, const run_list& threshold, run_list& output,
                   const filter_params& params0, const filter_params& params1) {
  const band_pixels pixels(image, params0.gamma);
  decide_scratch scratch;
  filter_params dark = params0;
  colour_runs darkSet = colour_runs::from_list(threshold);
  darkSet.analyse();
  dark_pass(pixels, darkSet, dark, scratch);
  copy_runs_with_decision(darkSet, kDecisionKept, output);

  if (!params0.no_inv_filter) {
    // Light marks on dark ground: the light stretches inside the large
    // components the dark pass did not keep, judged at the raised level.
    run_list light(1000);
    interior_light_runs(darkSet, light);
    if (light.count > 0) {
      filter_params inverse = params1;
      colour_runs lightSet = colour_runs::from_list(light);
      lightSet.analyse();
      for (int c = 0; c < lightSet.count; ++c) {
        decide_component(pixels, lightSet, c, inverse, scratch);
      }
      copy_runs_with_decision(lightSet, kDecisionKept, output);
    }
  }
  output.finish(static_cast<int32_t>(image.w), static_cast<int32_t>(image.h));
}

void main_filter(const djvu_pixel_image& image, const run_list& threshold, run_list& output,
                 const filter_params& params0, const filter_params& params1) {
  output.count = 0;
  run_filter_cc(image, threshold, output, params0, params1);
}

}  // namespace maskfind
