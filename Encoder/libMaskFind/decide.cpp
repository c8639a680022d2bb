// decide_component: region test, cost items and the comparison with the
// filter level.
#include "decide.h"

#include <algorithm>
#include <cmath>

namespace maskfind {

namespace {

const char kSource[] = "Encoder/libMaskFind/coding_cost";

enum profile_index { kFirstRow = 0, kAboveRow = 1, kLastRow = 2, kBelowRow = 3 };

float ChannelDistance(const float a[3], const float b[3], bool single) {
  if (single) return std::fabs(a[0] - b[0]);
  return std::fabs(a[0] - b[0]) + std::fabs(a[1] - b[1]) + std::fabs(a[2] - b[2]);
}

// Of the rows start, start + step, ... (four of them, inside the image),
// the free one whose pixel differs most from the boundary pixel; the first
// row examined when none differs; -1 when no row is inside the image.
int OutsideRow(const band_pixels& image, const colour_runs& set, int x, int boundary, int start,
               int step) {
  float edge[3], here[3];
  image.get(boundary, x, edge);
  int best = -1;
  float bestDifference = 0;
  for (int n = 0, y = start; n < 4; ++n, y += step) {
    if (y < 0 || y >= image.height()) continue;
    if (best < 0) best = y;
    if (!set.free_at(y, x)) continue;
    image.get(y, x, here);
    const float difference = ChannelDistance(here, edge, image.single_channel());
    if (difference > bestDifference) {
      bestDifference = difference;
      best = y;
    }
  }
  return best;
}

void Reset(filter_params& p, const component& comp) {
  p.area = comp.area;
  p.runs = comp.runs;
  p.width = comp.width();
  p.height = comp.height();
  p.samples = p.dilated_length = 0;
  p.boundary_a = p.boundary_b = 0;
  for (float& item : p.items) item = -1;
}

// Items 19 and 22 from the profiles: for every column, half the absolute
// second difference of (ground above, boundary rows, ground below) - the
// contrast across the upper and lower contour; and along the columns, half
// the absolute second difference of the ground pixels above and below the
// contour - how rough the ground next to the component is.
void ContourItems(const band_pixels& image, const component& comp, decide_scratch& s,
                  filter_params& p) {
  const int columns = comp.width();
  float* contrast = p.item(kItemContrast);
  float* surround = p.item(kItemSurround);
  for (int c = 0; c < 3; ++c) contrast[c] = surround[c] = 0;
  s.outside[0].grow_to_hold(static_cast<size_t>(3 * columns));
  s.outside[1].grow_to_hold(static_cast<size_t>(3 * columns));
  float* above = s.outside[0].data();
  float* below = s.outside[1].data();
  float first[3], last[3];
  for (int i = 0; i < columns; ++i) {
    const int x = comp.min_x + i;
    const int up = s.profile[kAboveRow][static_cast<size_t>(i)];
    const int down = s.profile[kBelowRow][static_cast<size_t>(i)];
    // A component touching the top or bottom of the band has ground on one
    // side only; that side stands for both.
    const int groundAbove = up >= 0 ? up : down, groundBelow = down >= 0 ? down : up;
    if (groundAbove < 0) {
      for (int c = 0; c < 3; ++c) above[3 * i + c] = below[3 * i + c] = -1;
      continue;
    }
    image.get(groundAbove, x, above + 3 * i);
    image.get(groundBelow, x, below + 3 * i);
    image.get(s.profile[kFirstRow][static_cast<size_t>(i)], x, first);
    image.get(s.profile[kLastRow][static_cast<size_t>(i)], x, last);
    for (int c = 0; c < 3; ++c) {
      contrast[c] += std::fabs(above[3 * i + c] - first[c] - last[c] + below[3 * i + c]) / 2;
    }
  }
  for (int i = 1; i + 1 < columns; ++i) {
    if (above[3 * (i - 1)] < 0 || above[3 * i] < 0 || above[3 * (i + 1)] < 0) continue;
    for (int c = 0; c < 3; ++c) {
      const int k = 3 * i + c;
      surround[c] += std::fabs(above[k - 3] - 2 * above[k] + above[k + 3]) / 2 +
                     std::fabs(below[k - 3] - 2 * below[k] + below[k + 3]) / 2;
    }
  }
}

// Items 16 and 25 and the colour samples, walking the dilated runs: each
// position is predicted from the mean of the pixel above and the previous
// position; the prediction errors (item 16) are what the component's edges
// would cost the background. Item 25 predicts the ground right of each run
// from the ground left of it and above right. The colour estimate takes the
// samples of the positions inside the run itself (at most `area` of them):
// the dilated ends are ground, and would pull a thin mark's colour towards
// the paper. The ratio of the walked length (word 30) to the samples (word
// 29) then tells how much of the walk was ground.
void DilatedRunItems(const band_pixels& image, const component& comp, decide_scratch& s,
                     filter_params& p) {
  float* texture = p.item(kItemTexture);
  float* rightEdge = p.item(kItemRightEdge);
  for (int c = 0; c < 3; ++c) texture[c] = rightEdge[c] = 0;
  const size_t capacity = static_cast<size_t>(comp.area);
  for (storage<float>& channel : s.samples) channel.grow_to_hold(capacity);
  size_t stored = 0;
  const int width = image.width();
  auto store = [&](const float value[3], const run& r, int x) {
    if (x < r.x1 || x > r.x2) return;
    if (stored >= capacity) djvu_mask_error("not enough list alocated", kSource, __LINE__);
    for (int c = 0; c < 3; ++c) s.samples[c][stored] = value[c];
    ++stored;
  };
  float a[3], b[3], L[3], R[3], Ar[3], prev[3], cur[3], A[3];
  const component_rows& rows = s.rows;
  for (int y = std::max(rows.min_y(), 1); y <= rows.max_y(); ++y) {
    int m = 0;
    const run* row = rows.row(y, m);
    for (int k = 0; k < m; ++k) {
      const run& r = row[k];
      const span d = dilated_run(row, m, k, width);
      p.dilated_length += d.x2 - d.x1 + 1;
      const int xr = std::max(std::min(r.x2 + 1, width - 2), 0);
      image.get(y, std::max(r.x1 - 2, 0), a);
      image.get(y, std::max(r.x1 - 1, 0), b);
      for (int c = 0; c < 3; ++c) L[c] = (a[c] + b[c]) / 2;
      image.get(y, xr, a);
      image.get(y, xr + 1, b);
      for (int c = 0; c < 3; ++c) R[c] = (a[c] + b[c]) / 2;
      image.get(y - 1, xr, a);
      image.get(y - 1, xr + 1, b);
      for (int c = 0; c < 3; ++c) {
        Ar[c] = (a[c] + b[c]) / 2;
        rightEdge[c] += std::fabs((Ar[c] + L[c]) / 2 - R[c]);
        prev[c] = L[c];
      }
      float here[3], next[3], up[3], upNext[3];
      image.get(y, d.x1, here);
      image.get(y - 1, d.x1, up);
      for (int x = d.x1; x < d.x2; ++x) {
        image.get(y, x + 1, next);
        image.get(y - 1, x + 1, upNext);
        for (int c = 0; c < 3; ++c) {
          cur[c] = (here[c] + next[c]) / 2;
          A[c] = (up[c] + upNext[c]) / 2;
          texture[c] += std::fabs((A[c] + prev[c]) / 2 - cur[c]);
          prev[c] = cur[c];
          here[c] = next[c];
          up[c] = upNext[c];
        }
        store(cur, r, x);
      }
      for (int c = 0; c < 3; ++c) {  // at x2': here and up hold column x2'
        cur[c] = here[c];
        texture[c] += std::fabs((up[c] + prev[c]) / 2 - cur[c]);
        prev[c] = cur[c];
      }
      store(cur, r, d.x2);
      for (int c = 0; c < 3; ++c) texture[c] += std::fabs((Ar[c] + prev[c]) / 2 - R[c]);
    }
  }
  p.samples = static_cast<int32_t>(stored);
}

// Item 13: per channel the (n/2 + 1)-th smallest sample.
void ColourItem(decide_scratch& s, component& comp, filter_params& p) {
  const size_t n = static_cast<size_t>(p.samples);
  float* colour = p.item(kItemColour);
  for (int c = 0; c < 3; ++c) {
    float* values = s.samples[c].data();
    std::nth_element(values, values + n / 2, values + n);
    colour[c] = values[n / 2];
    comp.colour[c] = static_cast<int32_t>(colour[c]);
  }
}

}  // namespace

void boundary_counts(const component_rows& rows, filter_params& p) {
  // The light boundary in row order, as a list of at most area_limit
  // pixels: left of each row's first run, the stretches enclosed between
  // its runs, right of its last run.
  const int64_t capacity = p.area_limit;
  int64_t collected = 0, enclosed = 0;
  for (int y = rows.min_y(); y <= rows.max_y() && collected < capacity; ++y) {
    int m = 0;
    const run* row = rows.row(y, m);
    if (m == 0) continue;
    ++collected;
    for (int k = 1; k < m && collected < capacity; ++k) {
      const int64_t gap = std::min<int64_t>(row[k].x1 - row[k - 1].x2 - 1, capacity - collected);
      collected += gap;
      enclosed += gap;
    }
    if (collected < capacity) ++collected;
  }
  p.boundary_a = static_cast<int32_t>(collected);
  p.boundary_b = static_cast<int32_t>(enclosed);
}

void find_profiles(const band_pixels& image, const colour_runs& set, const component& comp,
                   const component_rows& rows, decide_scratch& s) {
  const int columns = comp.width();
  for (storage<int32_t>& profile : s.profile) profile.grow_to_hold(static_cast<size_t>(columns));
  int32_t* first = s.profile[kFirstRow].data();
  int32_t* last = s.profile[kLastRow].data();
  for (int i = 0; i < columns; ++i) first[i] = last[i] = -1;
  for (int k = 0; k < rows.size(); ++k) {  // row order: the first visit is the top
    const run& r = rows.at(k);
    for (int x = r.x1; x <= r.x2; ++x) {
      const int i = x - comp.min_x;
      if (first[i] < 0) first[i] = r.y;
      last[i] = r.y;
    }
  }
  for (int i = 0; i < columns; ++i) {
    const int x = comp.min_x + i;
    int above = -1, below = -1;
    if (first[i] >= 0) {
      above = OutsideRow(image, set, x, first[i], first[i] - 4, 1);
      below = OutsideRow(image, set, x, last[i], last[i] + 1, 1);
    }
    s.profile[kAboveRow][static_cast<size_t>(i)] = above;
    s.profile[kBelowRow][static_cast<size_t>(i)] = below;
  }
}

void decide_component(const band_pixels& image, colour_runs& set, int c, filter_params& p,
                      decide_scratch& s) {
  component& comp = set.at(c);
  Reset(p, comp);
  comp.decision = kDecisionDropped;
  s.rows.load(set, c);
  if (!p.no_inv_filter) {
    boundary_counts(s.rows, p);
    if (comp.area > p.area_limit &&
        static_cast<float>(comp.area) >
            0.2f * static_cast<float>(comp.width()) * static_cast<float>(comp.height()) &&
        p.boundary_a >= p.min_boundary && p.region_factor * p.boundary_b < comp.area) {
      comp.decision = kDecisionRegion;
      return;
    }
  }
  if (comp.area > kLargestCostedArea) {
    comp.colour[0] = comp.colour[1] = 0;
    comp.colour[2] = 255;
    return;
  }
  find_profiles(image, set, comp, s.rows, s);
  ContourItems(image, comp, s, p);
  DilatedRunItems(image, comp, s, p);
  if (p.samples == 0) return;
  ColourItem(s, comp, p);
  comp.cost = total_coding_cost(p, image.single_channel());
  if (comp.cost < p.level) comp.decision = kDecisionKept;
}

}  // namespace maskfind
