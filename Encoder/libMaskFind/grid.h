// Local threshold clustering: from a 6-bit working image to the runs of its
// dark marks.
//
// The page is cut into 12x12 cells; every 2x2 block of cells is a window.
// Each window's gray levels are clustered into a dark and a light class,
// windows holding one level only are relaxed from their neighbours, every
// cell picks the best-fitting of the windows that contain it and gets five
// thresholds around the centre of its two levels, and the runs are extracted
// with a hysteresis that follows the neighbourhood and the row above.
#pragma once

#include <cstdint>

#include "matrix.h"
#include "run_list.h"
#include "work_image.h"

namespace maskfind {

inline constexpr int kCellSize = 12;
inline constexpr int kLevels = 64;
inline constexpr int kThresholds = 5;

// Where a cell's thresholds are centred between its dark (0) and light (1)
// level: in the middle, or nearer the paper for the thin, light strokes of
// an enlarged low-resolution page.
inline constexpr float kCentreMiddle = 0.5f;
inline constexpr float kCentreNearPaper = 0.6f;

// Thresholds of a cell wholly dark (every pixel is below them) or wholly light.
inline constexpr int32_t kAllDark = 64;
inline constexpr int32_t kAllLight = -1;

struct threshold_grid {
  float fg_bonus = 0.6931472f;   // ln 2: bonus per dark pixel
  float fg_weight = 2.0f;        // the dark class's squared error counts fg_weight^2 times
  float crossing_cost = 60.0f;   // cost of a split level per halved crossing
  float centre = kCentreMiddle;  // of the thresholds, between the dark and light level
  matrix<uint8_t> cell_hist;     // [gy][gx][64]: smoothed pixels of the cell per level
  matrix<uint8_t> cell_cross;    // [gy][gx][64]: halved crossing count per level (saturated)
  matrix<int32_t> cell_min;      // [gy][gx]
  matrix<int32_t> cell_max;      // [gy][gx]
  matrix<int32_t>* cell_thresholds = nullptr;  // [gy][gx][5], the caller's
  int window_rows = 0;
  int window_cols = 0;
  int cell_rows = 0;
  int cell_cols = 0;
  matrix<float> win_fg;      // [gy-1][gx-1][1]: dark fraction, or label 0/1
  matrix<float> win_levels;  // [gy-1][gx-1][2]: dark level, light level
  matrix<float> row_prior;   // [gy][2]: dark and light level last chosen in the cell row
  matrix<float> col_prior;   // [gx][2]: the same per cell column
};

// Makes the grid's matrices for a w x h image; "out of memory" when they
// cannot be had.
void make_threshold_grid(threshold_grid& grid, int w, int h, matrix<int32_t>& thresholds);

// The four steps, each over the whole grid, in this order.
void cell_statistics(threshold_grid& grid, const work_image& image);
void cluster_windows(threshold_grid& grid);
void relax_uniform_windows(threshold_grid& grid);
void choose_cell_thresholds(threshold_grid& grid);

// Hysteresis run extraction with the cell thresholds; appends to runs and
// finishes the list with the image's size.
void extract_runs(const work_image& image, matrix<int32_t>& thresholds, run_list& runs);

// The whole stage. The image must be a working image, gray with one byte
// per pixel ("Not a grey image with 1 byte/pixel"); its border is filled
// by replicate_border first. Images narrower or lower than a cell are
// extended to a cell first. centre places the thresholds (see kCentreMiddle).
void grid(work_image& image, run_list& runs, float centre = kCentreMiddle);

}  // namespace maskfind
