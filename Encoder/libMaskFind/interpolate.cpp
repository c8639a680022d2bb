// Relaxation of uniform windows and the choice of every cell's thresholds.
#include <algorithm>
#include <cmath>

#include "grid.h"

namespace maskfind {

namespace {

// Neighbour values of one window: fraction (or label) W, dark level L, light level U.
struct window_view {
  threshold_grid& grid;
  float& W(int u, int v) { return grid.win_fg(u, v, 0); }
  float L(int u, int v) { return grid.win_levels(u, v, 0); }
  float U(int u, int v) { return grid.win_levels(u, v, 1); }
  bool uniform(int u, int v) { return L(u, v) == U(u, v); }
};

// Forward pass: an inner uniform window takes the label its upper and left
// neighbours (already relaxed) vote for; the strength of the vote is kept.
void RelaxForward(window_view& win, matrix<float>& support) {
  const float weight = win.grid.fg_weight;  // 2
  const int lastRow = win.grid.window_rows - 1, lastCol = win.grid.window_cols - 1;
  for (int u = 0; u <= lastRow; ++u) {
    for (int v = 0; v <= lastCol; ++v) {
      if (!win.uniform(u, v)) continue;
      if (u == 0 || v == 0 || u == lastRow || v == lastCol) {
        win.W(u, v) = 0;
        continue;
      }
      const float x = win.L(u, v);
      const float s =
          (win.W(u - 1, v + 1) + win.W(u - 1, v - 1)) / 2 + win.W(u, v - 1) + win.W(u - 1, v);
      const float f =
          ((win.W(u - 1, v - 1) * win.L(u - 1, v - 1) + win.W(u - 1, v + 1) * win.L(u - 1, v + 1)) /
               2 +
           win.L(u, v - 1) * win.W(u, v - 1) + win.W(u - 1, v) * win.L(u - 1, v)) /
          (s + 0.1f);
      const float b = (((1 - win.W(u - 1, v + 1)) * win.U(u - 1, v + 1) +
                        (1 - win.W(u - 1, v - 1)) * win.U(u - 1, v - 1)) /
                           2 +
                       (1 - win.W(u - 1, v)) * win.U(u - 1, v) +
                       (1 - win.W(u, v - 1)) * win.U(u, v - 1) + 6.4f) /
                      ((3 - s) + 0.1f);
      if ((weight * f + b) / (weight + 1) >= x) {
        win.W(u, v) = 1;
        support(u, v) = s;
      } else {
        win.W(u, v) = 0;
        support(u, v) = 3 - s;
      }
    }
  }
}

// Backward pass: the mirrored neighbours (right and below) may overturn the
// forward label when their vote is clearly stronger than the forward one.
void RelaxBackward(window_view& win, matrix<float>& support) {
  const float weight = win.grid.fg_weight;
  const int lastRow = win.grid.window_rows - 1, lastCol = win.grid.window_cols - 1;
  for (int u = lastRow; u >= 1; --u) {
    for (int v = lastCol; v >= 1; --v) {
      if (!win.uniform(u, v)) continue;
      if (u == lastRow || v == lastCol) {
        win.W(u, v) = 0;
        continue;
      }
      const float x = win.L(u, v);
      const float s =
          (win.W(u + 1, v + 1) + win.W(u + 1, v - 1)) / 2 + win.W(u, v + 1) + win.W(u + 1, v);
      if (s == 0) {
        win.W(u, v) = 0;
        continue;
      }
      const float f =
          ((win.W(u + 1, v - 1) * win.L(u + 1, v - 1) + win.W(u + 1, v + 1) * win.L(u + 1, v + 1)) /
               2 +
           win.L(u, v + 1) * win.W(u, v + 1) + win.W(u + 1, v) * win.L(u + 1, v) - 6.4f) /
          (s + 0.1f);
      const float b = (((1 - win.W(u + 1, v - 1)) * win.U(u + 1, v - 1) +
                        (1 - win.W(u + 1, v + 1)) * win.U(u + 1, v + 1)) /
                           2 +
                       (1 - win.W(u, v + 1)) * win.U(u, v + 1) +
                       (1 - win.W(u + 1, v)) * win.U(u + 1, v) + 12.8f) /
                      ((3 - s) + 0.1f);
      const float t = support(u, v);
      if ((weight * f + b) / (weight + 1) >= x) {
        if (2 * t < s) win.W(u, v) = 1;
      } else if (t / 2 < 3 - s) {
        win.W(u, v) = 0;
      }
    }
  }
}

// Sums of h(v), h(v) v and h(v) v^2 over levels from..to of a cell histogram.
struct moments {
  float n = 0, s = 0, q = 0;
};
moments Moments(const uint8_t* hist, int from, int to) {
  moments m;
  for (int v = from; v <= to; ++v) {
    m.n += static_cast<float>(hist[v]);
    m.s += static_cast<float>(hist[v] * v);
    m.q += static_cast<float>(hist[v] * v * v);
  }
  return m;
}

struct choice {
  float c0 = 0, c1 = 0, label = 0;
};

// Scores every window containing cell (i, j) against the cell's own
// histogram and returns the best (ties keep the earlier window).
choice ChooseWindow(threshold_grid& grid, int i, int j, float darkPrior, float lightPrior) {
  const float dark2 = grid.fg_weight * grid.fg_weight, dark2Less1 = dark2 - 1;
  const uint8_t* hist = grid.cell_hist.line(i, j);
  const int first = grid.cell_min(i, j), last = grid.cell_max(i, j);
  const moments all = Moments(hist, first, last - 1);  // the highest level is left out
  const float N = all.n, S1 = all.s, S2 = all.q;
  float best = -1e9f;
  choice chosen;
  for (int u = std::max(i - 1, 0); u <= std::min(i + 1, grid.cell_rows - 1) - 1; ++u) {
    for (int v = std::max(j - 1, 0); v <= std::min(j + 1, grid.cell_cols - 1) - 1; ++v) {
      const float c0 = grid.win_levels(u, v, 0), c1 = grid.win_levels(u, v, 1);
      const float W = grid.win_fg(u, v, 0);
      const int t = static_cast<int>(2 * c0 + c1) / 3;
      float score, label = W;
      if (c0 == c1) {
        const float prior = W != 0 ? darkPrior : lightPrior;
        score = (2 * S1 - c1 * N) * c1 - 0.2f * N * std::fabs(c1 - prior);
      } else if (t < first) {
        score = (2 * S1 - c1 * N) * c1 - 0.2f * N * std::fabs(c1 - lightPrior);
        label = 0;
      } else if (t >= last) {
        score = dark2 * (2 * S1 - c0 * N) * c0 - dark2Less1 * S2 + N * grid.fg_bonus -
                0.2f * N * std::fabs(c0 - darkPrior);
        label = 1;
      } else {
        const moments dark = Moments(hist, first, t);
        const float Nl = N - dark.n, Sl = S1 - dark.s;
        score = dark2 * (2 * dark.s - dark.n * c0) * c0 - dark2Less1 * dark.q +
                (2 * Sl - Nl * c1) * c1 + dark.n * grid.fg_bonus -
                grid.crossing_cost * static_cast<float>(grid.cell_cross.line(i, j)[t]) -
                0.2f * (dark.n * std::fabs(c0 - darkPrior) + Nl * std::fabs(c1 - lightPrior));
      }
      if (score > best) {
        best = score;
        chosen = {c0, c1, label};
      }
    }
  }
  return chosen;
}

}  // namespace

void relax_uniform_windows(threshold_grid& grid) {
  matrix<float> support(std::max(grid.window_rows, 0), std::max(grid.window_cols, 0));
  window_view win{grid};
  RelaxForward(win, support);
  RelaxBackward(win, support);
}

void choose_cell_thresholds(threshold_grid& grid) {
  for (int i = 0; i < grid.cell_rows; ++i) grid.row_prior(i, 0) = 0, grid.row_prior(i, 1) = 63;
  for (int j = 0; j < grid.cell_cols; ++j) grid.col_prior(j, 0) = 0, grid.col_prior(j, 1) = 63;
  // The spacing of the five thresholds: crossing_cost * 4 / (fg_weight * 20) = 6.
  const int step = static_cast<int>(grid.crossing_cost * 4 / (grid.fg_weight * 20));
  matrix<int32_t>& thresholds = *grid.cell_thresholds;
  for (int i = 0; i < grid.cell_rows; ++i) {
    for (int j = 0; j < grid.cell_cols; ++j) {
      const float darkPrior = (grid.row_prior(i, 0) + grid.col_prior(j, 0)) / 2;
      const float lightPrior = (grid.row_prior(i, 1) + grid.col_prior(j, 1)) / 2;
      const choice c = ChooseWindow(grid, i, j, darkPrior, lightPrior);
      const int label = static_cast<int>(c.label);
      int32_t* k = thresholds.line(i, j);
      if (c.c0 != c.c1) {
        const int centre = static_cast<int>(std::floor(c.c0 + (c.c1 - c.c0) * grid.centre + 0.5f));
        for (int n = 0; n < kThresholds; ++n) k[n] = centre + (n - 2) * step;
        grid.row_prior(i, 0) = grid.col_prior(j, 0) = c.c0;
        grid.row_prior(i, 1) = grid.col_prior(j, 1) = c.c1;
      } else if (label == 1) {
        for (int n = 0; n < kThresholds; ++n) k[n] = kAllDark;
        grid.row_prior(i, 0) = grid.col_prior(j, 0) = c.c0;
      } else {
        for (int n = 0; n < kThresholds; ++n) k[n] = kAllLight;
        grid.row_prior(i, 1) = grid.col_prior(j, 1) = c.c1;
      }
    }
  }
}

}  // namespace maskfind
