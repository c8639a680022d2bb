// The local threshold stage: grid set-up, the four steps, run extraction.
#include "grid.h"

#include <algorithm>
#include <cstring>

namespace maskfind {

namespace {

const char kSource[] = "Encoder/libMaskFind/grid";

int CellCount(int extent) { return (extent + kCellSize - 1) / kCellSize; }

bool SizeAll(threshold_grid& grid, int gy, int gx, matrix<int32_t>& thresholds) {
  const int wy = std::max(gy - 1, 0), wx = std::max(gx - 1, 0);
  return grid.cell_hist.try_size({gy, gx, kLevels}, 3) &&
         grid.cell_cross.try_size({gy, gx, kLevels}, 3) && grid.cell_min.try_size({gy, gx, 1}, 2) &&
         grid.cell_max.try_size({gy, gx, 1}, 2) && thresholds.try_size({gy, gx, kThresholds}, 3) &&
         grid.win_fg.try_size({wy, wx, 1}, 3) && grid.win_levels.try_size({wy, wx, 2}, 3) &&
         grid.row_prior.try_size({gy, 2, 1}, 2) && grid.col_prior.try_size({gx, 2, 1}, 2);
}

// The pair of thresholds (start, end) for a pixel, from the cell's five
// thresholds k: (k1, k2) normally, (k2, k3) under a run of the row above;
// then one entry up when the right and lower neighbours are both dark
// against the centre, one down when both are light.
inline int PairIndex(bool underRun, int below, int right, int centre) {
  int index = underRun ? 2 : 1;
  const bool belowDark = below < centre, rightDark = right < centre;
  if (belowDark && rightDark) {
    ++index;
  } else if (!belowDark && !rightDark) {
    --index;
  }
  return index;  // start = k[index], end = k[index + 1]
}

}  // namespace

void make_threshold_grid(threshold_grid& grid, int w, int h, matrix<int32_t>& thresholds) {
  const int gy = CellCount(h), gx = CellCount(w);
  if (!SizeAll(grid, gy, gx, thresholds)) djvu_mask_error("out of memory", kSource, __LINE__);
  grid.cell_thresholds = &thresholds;
  grid.cell_rows = gy;
  grid.cell_cols = gx;
  grid.window_rows = std::max(gy - 1, 0);
  grid.window_cols = std::max(gx - 1, 0);
}

void extract_runs(const work_image& image, matrix<int32_t>& thresholds, run_list& runs) {
  const int w = image.width(), h = image.height();
  runs.count = 0;
  int previousFirst = 0, previousEnd = 0;  // runs of row y - 1 in the list
  for (int y = 0; y + 1 < h; ++y) {
    const uint8_t* row = image.row(y);
    const uint8_t* next = image.row(y + 1);
    const int32_t* cellRow = thresholds.line(y / kCellSize, 0);
    const int rowFirst = runs.count;
    int above = previousFirst;  // first run of the row above not yet left behind
    bool inside = false;
    int start = 0;
    for (int x = 0; x < w; ++x) {
      const int32_t* k = cellRow + (x / kCellSize) * kThresholds;
      if (!inside && k[2] == kAllLight) {  // the rest of the cell is light
        x = kCellSize * (x / kCellSize + 1) - 1;
        continue;
      }
      while (above < previousEnd && runs.run(above)[RUN_X2] < x) ++above;
      const bool underRun = above < previousEnd && runs.run(above)[RUN_X1] <= x;
      const int pair = PairIndex(underRun, next[x], row[x + 1], k[2]);
      const int p = row[x];
      if (!inside) {
        if (p < k[pair]) {
          inside = true;
          start = x;
        }
      } else if (p >= k[pair + 1]) {
        inside = false;
        runs.append(y, start, x - 1);
      }
    }
    if (inside) runs.append(y, start, w - 1);
    previousFirst = rowFirst;
    previousEnd = runs.count;
  }
  runs.finish(w, h);
}

void grid(work_image& source, run_list& runs, float centre) {
  const djvu_pixel_image& info = source.image;
  if (!(info.flags & DJVU_GRAY) || info.pixsize != 1) {
    djvu_mask_error("Not a grey image with 1 byte/pixel", kSource, __LINE__);
  }
  const int w = source.width(), h = source.height();
  runs.count = 0;
  if (w == 0 || h == 0) {
    runs.finish(w, h);
    return;
  }
  // The cell statistics read one cell plus a 3x3 neighbourhood back from
  // the far edge: smaller images are extended to a full cell (repeating
  // their last column and row) so that nothing is read beyond the border.
  // Runs in the extension are cut off afterwards.
  work_image padded;
  work_image* image = &source;
  if (w < kCellSize || h < kCellSize) {
    padded = make_work_image(std::max(w, kCellSize), std::max(h, kCellSize));
    for (int y = 0; y < padded.height(); ++y) {
      const uint8_t* in = source.row(std::min(y, h - 1));
      uint8_t* out = padded.row(y);
      for (int x = 0; x < padded.width(); ++x) out[x] = in[std::min(x, w - 1)];
    }
    image = &padded;
  }
  replicate_border(*image);
  threshold_grid threshold;
  threshold.centre = centre;
  matrix<int32_t> thresholds;
  make_threshold_grid(threshold, image->width(), image->height(), thresholds);
  cell_statistics(threshold, *image);
  cluster_windows(threshold);
  relax_uniform_windows(threshold);
  choose_cell_thresholds(threshold);
  extract_runs(*image, thresholds, runs);
  if (image != &source) {
    int kept = 0;
    for (int i = 0; i < runs.count; ++i) {
      const int32_t* r = runs.run(i);
      if (r[RUN_Y] >= h || r[RUN_X1] >= w) continue;
      int32_t* out = runs.run(kept++);
      const int32_t y = r[RUN_Y], x1 = r[RUN_X1], x2 = std::min(r[RUN_X2], w - 1), id = r[RUN_ID];
      out[RUN_Y] = y;
      out[RUN_X1] = x1;
      out[RUN_X2] = x2;
      out[RUN_ID] = id;
    }
    runs.count = kept;
    runs.finish(w, h);
  }
}

}  // namespace maskfind
