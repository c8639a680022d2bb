// Window clustering: the best two-class split of every 2x2-cell window.
#include <algorithm>
#include <cmath>

#include "grid.h"

namespace maskfind {

namespace {

const char kSource[] = "Encoder/libMaskFind/cluster";

void ClusterWindow(threshold_grid& grid, int u, int v) {
  int first = kLevels, last = -1;
  for (int i = u; i <= u + 1; ++i) {
    for (int j = v; j <= v + 1; ++j) {
      first = std::min(first, static_cast<int>(grid.cell_min(i, j)));
      last = std::max(last, static_cast<int>(grid.cell_max(i, j)));
    }
  }
  float& fraction = grid.win_fg(u, v, 0);
  float& darkLevel = grid.win_levels(u, v, 0);
  float& lightLevel = grid.win_levels(u, v, 1);
  if (first == last) {
    fraction = 0;
    darkLevel = lightLevel = static_cast<float>(first);
    return;
  }
  if (last >= kLevels) djvu_mask_error("last>=MAX_HISTO", kSource, __LINE__);
  if (last - first + 1 > kLevels) djvu_mask_error("diff>MAX_HISTO", kSource, __LINE__);

  const int d = last - first;
  int count[kLevels], cross[kLevels];
  for (int k = 0; k <= d; ++k) {
    count[k] = cross[k] = 0;
    for (int i = u; i <= u + 1; ++i) {
      for (int j = v; j <= v + 1; ++j) {
        count[k] += grid.cell_hist.line(i, j)[first + k];
        cross[k] += grid.cell_cross.line(i, j)[first + k];
      }
    }
  }
  // Running sums n, s, q of the counts, first and second moments (levels
  // relative to first). They stay exact integers in single precision.
  float n[kLevels] = {}, s[kLevels] = {}, q[kLevels] = {};
  float sumN = 0, sumS = 0, sumQ = 0;
  for (int k = 0; k <= d; ++k) {
    sumN += static_cast<float>(count[k]);
    sumS += static_cast<float>(count[k] * k);
    sumQ += static_cast<float>(count[k] * k * k);
    n[k] = sumN;
    s[k] = sumS;
    q[k] = sumQ;
  }
  const float N = n[d], S = s[d];
  const float dark2 = grid.fg_weight * grid.fg_weight;  // 4
  const float dark2Less1 = dark2 - 1;                   // 3
  float best = S * S / N;
  int winner = -1;
  float winnerNd = 0, winnerMd = 0, winnerMl = 0;
  for (int k = 0; k < d; ++k) {
    if (count[k] == 0) continue;
    const float Nd = n[k], Sd = s[k], Qd = q[k];
    const float Nl = N - Nd, Sl = S - Sd;
    const float Md = Sd / Nd, Ml = Sl / Nl;
    const float score = dark2 * Md * Sd - dark2Less1 * Qd + Ml * Sl + Nd * grid.fg_bonus -
                        grid.crossing_cost * static_cast<float>(cross[k]) -
                        0.1f * N * (Ml + 10 - Md);
    if (score > best) {  // ties keep the lower split
      best = score;
      winner = k;
      winnerNd = Nd;
      winnerMd = Md;
      winnerMl = Ml;
    }
  }
  if (winner >= 0) {
    fraction = winnerNd / N;
    darkLevel = static_cast<float>(first) + winnerMd;
    lightLevel = static_cast<float>(first) + winnerMl;
  } else {
    fraction = 0;
    darkLevel = lightLevel = S / N + static_cast<float>(first);
  }
}

}  // namespace

void cluster_windows(threshold_grid& grid) {
  for (int u = 0; u < grid.window_rows; ++u) {
    for (int v = 0; v < grid.window_cols; ++v) ClusterWindow(grid, u, v);
  }
}

}  // namespace maskfind
