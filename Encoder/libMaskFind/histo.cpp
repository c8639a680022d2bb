// Cell statistics: the smoothed histogram, extremes and crossing counts of
// every 12x12 cell.
#include <algorithm>

#include "grid.h"

namespace maskfind {

namespace {

const char kSource[] = "Encoder/libMaskFind/histo";
constexpr int kBlock = kCellSize + 1;  // smoothed samples per side: the cell and one beyond

// The first image row (or column) of cell index i: the last cell is moved
// back so that it ends at the image's edge.
int CellOrigin(int i, int extent) {
  const int origin = kCellSize * i;
  return origin + kCellSize >= extent ? extent - kCellSize : origin;
}

// S[r][c] = (3x3 sum around image pixel (y0 + r, x0 + c)) / 9 for r, c in 0..12.
void SmoothBlock(const work_image& image, int y0, int x0, int block[kBlock][kBlock]) {
  int column[kBlock][kBlock + 2];  // vertical 3-sums at columns x0 - 1 .. x0 + 13
  for (int r = 0; r < kBlock; ++r) {
    const uint8_t* above = image.row(y0 + r - 1) + x0 - 1;
    const uint8_t* here = image.row(y0 + r) + x0 - 1;
    const uint8_t* below = image.row(y0 + r + 1) + x0 - 1;
    for (int c = 0; c < kBlock + 2; ++c) column[r][c] = above[c] + here[c] + below[c];
  }
  for (int r = 0; r < kBlock; ++r) {
    for (int c = 0; c < kBlock; ++c) {
      const int value = (column[r][c] + column[r][c + 1] + column[r][c + 2]) / 9;
      if (value >= kLevels) {
        djvu_mask_error("Pixel value too large for allocated histogram", kSource, __LINE__);
      }
      block[r][c] = value;
    }
  }
}

// True when every smoothed sample of the block has one level.
bool IsFlat(const int block[kBlock][kBlock]) {
  int differ = 0;
  for (int r = 0; r < kBlock; ++r) {
    for (int c = 0; c < kBlock; ++c) differ |= block[r][c] ^ block[0][0];
  }
  return differ == 0;
}

// Adds weight over the levels t with lo <= t <= hi to a difference array.
void AddLevels(int* difference, int lo, int hi, int weight) {
  difference[lo] += weight;
  difference[hi + 1] -= weight;
}

}  // namespace

void cell_statistics(threshold_grid& grid, const work_image& image) {
  const int w = image.width(), h = image.height();
  int block[kBlock][kBlock];
  for (int i = 0; i < grid.cell_rows; ++i) {
    const int y0 = CellOrigin(i, h);
    for (int j = 0; j < grid.cell_cols; ++j) {
      const int x0 = CellOrigin(j, w);
      SmoothBlock(image, y0, x0, block);
      uint8_t* hist = grid.cell_hist.line(i, j);
      if (IsFlat(block)) {
        // Plain paper (or solid ink): one level, no crossings.
        const int level = block[0][0];
        hist[level] = static_cast<uint8_t>(kCellSize * kCellSize);
        grid.cell_min(i, j) = grid.cell_max(i, j) = level;
        continue;  // the crossing counts stay 0
      }
      int difference[kLevels + 1] = {};
      int lowest = kLevels, highest = -1;
      for (int r = 0; r < kCellSize; ++r) {
        for (int c = 0; c < kCellSize; ++c) {
          const int p = block[r][c], right = block[r][c + 1], below = block[r + 1][c];
          ++hist[p];
          lowest = std::min(lowest, p);
          highest = std::max(highest, p);
          // A neighbour lies on the other side of level t when t is in
          // [min, max - 1] of the two values; 1 for one such neighbour, 4 for both.
          const int rightLo = std::min(p, right), rightHi = std::max(p, right) - 1;
          const int belowLo = std::min(p, below), belowHi = std::max(p, below) - 1;
          if (rightLo <= rightHi) AddLevels(difference, rightLo, rightHi, 1);
          if (belowLo <= belowHi) AddLevels(difference, belowLo, belowHi, 1);
          const int bothLo = std::max(rightLo, belowLo), bothHi = std::min(rightHi, belowHi);
          if (bothLo <= bothHi) AddLevels(difference, bothLo, bothHi, 2);
        }
      }
      grid.cell_min(i, j) = lowest;
      grid.cell_max(i, j) = highest;
      uint8_t* cross = grid.cell_cross.line(i, j);
      int crossings = 0;
      for (int t = 0; t < kLevels; ++t) {
        crossings += difference[t];
        // Halved and kept in 8 bits; a busy cell saturates instead of wrapping.
        cross[t] = static_cast<uint8_t>(std::min(crossings / 2, 255));
      }
    }
  }
}

}  // namespace maskfind
