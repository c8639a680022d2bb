// The local threshold stage step by step, on small images and hand-set grids.
#include <gtest/gtest.h>

#include "Encoder/libMaskFind/grid.h"
#include "MaskTestSupport.h"

namespace maskfind {
namespace {

struct Grid {
  threshold_grid grid;
  matrix<int32_t> thresholds;
  Grid(int w, int h) { make_threshold_grid(grid, w, h, thresholds); }
};

TEST(CellStatisticsTest, UniformCellHasOneLevelAndNoCrossings) {
  work_image image = test::MakeWorkImage(12, 12, [](int, int) { return 20; });
  replicate_border(image);
  Grid g(12, 12);
  cell_statistics(g.grid, image);
  EXPECT_EQ(g.grid.cell_min(0, 0), 20);
  EXPECT_EQ(g.grid.cell_max(0, 0), 20);
  EXPECT_EQ(g.grid.cell_hist(0, 0, 20), 144);
  for (int t = 0; t < 64; ++t) ASSERT_EQ(g.grid.cell_cross(0, 0, t), 0);
}

TEST(CellStatisticsTest, VerticalEdgeIsSmoothedAndCrossedOncePerRow) {
  // Columns 0..5 black, 6..11 white. Smoothed rows read
  // 0 0 0 0 0 21 42 63 63 63 63 63 (and 63 one beyond).
  work_image image = test::MakeWorkImage(12, 12, [](int x, int) { return x < 6 ? 0 : 63; });
  replicate_border(image);
  Grid g(12, 12);
  cell_statistics(g.grid, image);
  EXPECT_EQ(g.grid.cell_hist(0, 0, 0), 60);
  EXPECT_EQ(g.grid.cell_hist(0, 0, 21), 12);
  EXPECT_EQ(g.grid.cell_hist(0, 0, 42), 12);
  EXPECT_EQ(g.grid.cell_hist(0, 0, 63), 60);
  EXPECT_EQ(g.grid.cell_min(0, 0), 0);
  EXPECT_EQ(g.grid.cell_max(0, 0), 63);
  // Each row crosses every level 0..62 once (weight 1), 12 rows, halved.
  for (int t = 0; t < 63; ++t) ASSERT_EQ(g.grid.cell_cross(0, 0, t), 6) << t;
  EXPECT_EQ(g.grid.cell_cross(0, 0, 63), 0);
}

TEST(CellStatisticsTest, BusyCellSaturatesItsCrossingCount) {
  // A checkerboard smooths to 28 / 35 alternating: every pixel differs
  // from both neighbours at levels 28..34, 4 x 144 = 576 crossings, halved 288.
  work_image image = test::MakeWorkImage(36, 36, [](int x, int y) { return (x + y) % 2 ? 63 : 0; });
  replicate_border(image);
  Grid g(36, 36);
  cell_statistics(g.grid, image);
  EXPECT_EQ(g.grid.cell_hist(1, 1, 28), 72);
  EXPECT_EQ(g.grid.cell_hist(1, 1, 35), 72);
  EXPECT_EQ(g.grid.cell_cross(1, 1, 27), 0);
  for (int t = 28; t <= 34; ++t) EXPECT_EQ(g.grid.cell_cross(1, 1, t), 255) << t;
  EXPECT_EQ(g.grid.cell_cross(1, 1, 35), 0);
}

TEST(CellStatisticsTest, RejectsValuesBeyondSixBits) {
  work_image image = test::MakeWorkImage(12, 12, [](int, int) { return 200; });
  replicate_border(image);
  Grid g(12, 12);
  test::ErrorCollector errors;
  EXPECT_THROW(cell_statistics(g.grid, image), mask_failure);
  EXPECT_TRUE(errors.saw("Pixel value too large for allocated histogram"));
}

// One window (2 x 2 cells) whose four cells hold the given counts.
void FillCells(Grid& g, const std::vector<std::pair<int, int>>& levels, int crossLevel = -1) {
  for (int i = 0; i < 2; ++i) {
    for (int j = 0; j < 2; ++j) {
      int lo = 64, hi = -1;
      for (auto [level, count] : levels) {
        g.grid.cell_hist(i, j, level) = static_cast<uint8_t>(count);
        lo = std::min(lo, level);
        hi = std::max(hi, level);
      }
      g.grid.cell_min(i, j) = lo;
      g.grid.cell_max(i, j) = hi;
      if (crossLevel >= 0) g.grid.cell_cross(i, j, crossLevel) = 1;
    }
  }
}

TEST(ClusterWindowsTest, SplitsTwoLevelsAtTheDarkOne) {
  // 4 x 36 pixels at 10, 4 x 108 at 50: the split after level 10 scores
  // 40 * 17280 + 144 ln 2 - 0.1 * 576 * 50 = 688419.8 > 17280^2 / 576.
  Grid g(24, 24);
  FillCells(g, {{10, 36}, {50, 108}});
  cluster_windows(g.grid);
  EXPECT_FLOAT_EQ(g.grid.win_fg(0, 0, 0), 0.25f);
  EXPECT_FLOAT_EQ(g.grid.win_levels(0, 0, 0), 10.0f);
  EXPECT_FLOAT_EQ(g.grid.win_levels(0, 0, 1), 50.0f);
}

TEST(ClusterWindowsTest, CrossingsCanPreventASplit) {
  // Levels 30 and 32, 288 pixels each: the split scores 660.4 - 60 E
  // against 576 for none, so one crossing per cell (E = 4) prevents it.
  Grid split(24, 24);
  FillCells(split, {{30, 144}, {32, 144}});
  cluster_windows(split.grid);
  EXPECT_FLOAT_EQ(split.grid.win_fg(0, 0, 0), 0.5f);
  Grid uniform(24, 24);
  FillCells(uniform, {{30, 144}, {32, 144}}, 30);
  cluster_windows(uniform.grid);
  EXPECT_FLOAT_EQ(uniform.grid.win_fg(0, 0, 0), 0.0f);
  EXPECT_FLOAT_EQ(uniform.grid.win_levels(0, 0, 0), 31.0f);  // the mean
  EXPECT_FLOAT_EQ(uniform.grid.win_levels(0, 0, 1), 31.0f);
}

TEST(ClusterWindowsTest, OneLevelIsUniform) {
  Grid g(24, 24);
  FillCells(g, {{63, 144}});
  cluster_windows(g.grid);
  EXPECT_EQ(g.grid.win_fg(0, 0, 0), 0.0f);
  EXPECT_EQ(g.grid.win_levels(0, 0, 0), 63.0f);
  EXPECT_EQ(g.grid.win_levels(0, 0, 1), 63.0f);
}

// A 3 x 3 window grid (4 x 4 cells).
struct Windows : Grid {
  Windows() : Grid(48, 48) {}
  void set(int u, int v, float w, float dark, float light) {
    grid.win_fg(u, v, 0) = w;
    grid.win_levels(u, v, 0) = dark;
    grid.win_levels(u, v, 1) = light;
  }
  void fill(float w, float dark, float light) {
    for (int u = 0; u < 3; ++u)
      for (int v = 0; v < 3; ++v) set(u, v, w, dark, light);
  }
  float W(int u, int v) { return grid.win_fg(u, v, 0); }
};

TEST(RelaxationTest, UniformWindowFollowsDarkNeighboursOnBothPasses) {
  // Neighbours 90 % dark at level 10 (light 50): forward s = 2.7,
  // f = 27 / 2.8, b = 21.4 / 0.4, (2 f + b) / 3 = 24.3 >= 10: dark; the
  // backward vote agrees (28.1 >= 10) and 2 t = 5.4 is not below 2.7.
  Windows w;
  w.fill(0.9f, 10, 50);
  w.set(1, 1, 0, 10, 10);
  relax_uniform_windows(w.grid);
  EXPECT_EQ(w.W(1, 1), 1.0f);
}

// Among light windows every window stays light; the outer ring is light
// whatever its neighbours.
TEST(RelaxationTest, LightNeighboursAndTheOuterRingStayLight) {
  Windows light;
  light.fill(0, 40, 40);
  relax_uniform_windows(light.grid);
  for (int u = 0; u < 3; ++u)
    for (int v = 0; v < 3; ++v) EXPECT_EQ(light.W(u, v), 0.0f);
  Windows ring;
  ring.fill(0.9f, 10, 50);
  ring.set(0, 1, 0, 10, 10);
  ring.set(2, 2, 0, 10, 10);
  relax_uniform_windows(ring.grid);
  EXPECT_EQ(ring.W(0, 1), 0.0f);
  EXPECT_EQ(ring.W(2, 2), 0.0f);
}

TEST(RelaxationTest, BackwardPassOverturnsAWeakLightVote) {
  // Forward: neighbours 60 % dark at 40 (light 50), x = 45: s = 1.8,
  // (2 * 37.89 + 51.08) / 3 = 42.3 < 45, light with support 1.2.
  // Backward: neighbours 90 % dark at 50 (light 60): s' = 2.7,
  // (2 * 45.93 + 77) / 3 = 56.3 >= 45 and 2 * 1.2 < 2.7: dark.
  Windows w;
  w.fill(0.6f, 40, 50);
  w.set(1, 2, 0.9f, 50, 60);
  w.set(2, 0, 0.9f, 50, 60);
  w.set(2, 1, 0.9f, 50, 60);
  w.set(2, 2, 0.9f, 50, 60);
  w.set(1, 1, 0, 45, 45);
  relax_uniform_windows(w.grid);
  EXPECT_EQ(w.W(1, 1), 1.0f);
  // The same forward vote with light neighbours after it stays light.
  Windows stay;
  stay.fill(0.6f, 40, 50);
  stay.set(1, 2, 0, 60, 60);
  stay.set(2, 0, 0, 60, 60);
  stay.set(2, 1, 0, 60, 60);
  stay.set(2, 2, 0, 60, 60);
  stay.set(1, 1, 0, 45, 45);
  relax_uniform_windows(stay.grid);
  EXPECT_EQ(stay.W(1, 1), 0.0f);
}

TEST(CellThresholdTest, TwoLevelWindowGivesFiveThresholdsAroundItsCentre) {
  // Levels 10 and 50: split level t = trunc(70 / 3) = 23, centre
  // floor(30.5) = 30, step 6.
  Grid g(24, 24);
  FillCells(g, {{10, 36}, {50, 108}});
  g.grid.win_fg(0, 0, 0) = 0.25f;
  g.grid.win_levels(0, 0, 0) = 10;
  g.grid.win_levels(0, 0, 1) = 50;
  choose_cell_thresholds(g.grid);
  for (int i = 0; i < 2; ++i) {
    for (int j = 0; j < 2; ++j) {
      const int32_t* k = g.thresholds.line(i, j);
      EXPECT_EQ(std::vector<int32_t>(k, k + 5), (std::vector<int32_t>{18, 24, 30, 36, 42}));
    }
  }
  EXPECT_EQ(g.grid.row_prior(1, 0), 10.0f);
  EXPECT_EQ(g.grid.col_prior(1, 1), 50.0f);
}

TEST(CellThresholdTest, UniformWindowsMakeWhollyDarkOrWhollyLightCells) {
  Grid dark(24, 24);
  FillCells(dark, {{5, 144}});
  dark.grid.win_fg(0, 0, 0) = 1;
  dark.grid.win_levels(0, 0, 0) = dark.grid.win_levels(0, 0, 1) = 5;
  choose_cell_thresholds(dark.grid);
  EXPECT_EQ(dark.thresholds(1, 1, 0), 64);
  EXPECT_EQ(dark.thresholds(1, 1, 4), 64);
  EXPECT_EQ(dark.grid.row_prior(1, 0), 5.0f);
  EXPECT_EQ(dark.grid.row_prior(1, 1), 63.0f);

  Grid light(24, 24);
  FillCells(light, {{63, 144}});
  light.grid.win_levels(0, 0, 0) = light.grid.win_levels(0, 0, 1) = 63;
  choose_cell_thresholds(light.grid);
  EXPECT_EQ(light.thresholds(0, 0, 2), -1);

  // A single cell row has no window at all: light.
  Grid row(24, 12);
  choose_cell_thresholds(row.grid);
  EXPECT_EQ(row.thresholds(0, 1, 2), -1);
}

// A 24 x 24 white image with every cell at thresholds 18, 24, 30, 36, 42.
struct Extraction {
  work_image image = test::MakeWorkImage(24, 24, [](int, int) { return 63; });
  matrix<int32_t> thresholds{2, 2, 5};
  run_list runs{16};
  Extraction() {
    for (int i = 0; i < 2; ++i)
      for (int j = 0; j < 2; ++j)
        for (int n = 0; n < 5; ++n) thresholds(i, j, n) = 18 + 6 * n;
  }
  void set(int x, int y, int v) { image.row(y)[x] = static_cast<uint8_t>(v); }
  std::vector<std::array<int, 3>> extract() {
    extract_runs(image, thresholds, runs);
    std::vector<std::array<int, 3>> out;
    for (int i = 0; i < runs.count; ++i) {
      out.push_back({runs.run(i)[RUN_Y], runs.run(i)[RUN_X1], runs.run(i)[RUN_X2]});
    }
    return out;
  }
};

TEST(RunExtractionTest, NeighboursShiftThePair) {
  Extraction light;  // neighbours light: pair (18, 24), 24 does not start a run
  light.set(5, 5, 24);
  light.set(6, 5, 40);
  light.set(5, 6, 45);
  EXPECT_TRUE(light.extract().empty());

  Extraction dark;  // neighbours dark: pair (30, 36), 24 starts a run
  dark.set(5, 5, 24);
  dark.set(6, 5, 10);
  dark.set(5, 6, 12);
  // Row 6 runs under row 5's run: its pixel 12 is judged at (24, 30).
  EXPECT_EQ(dark.extract(), (std::vector<std::array<int, 3>>{{5, 5, 6}, {6, 5, 5}}));
  EXPECT_EQ(dark.runs.width, 24);
  EXPECT_EQ(dark.runs.height, 24);
}

TEST(RunExtractionTest, UnderARunOfTheRowAboveThePairIsMoreLenient) {
  Extraction alone;  // 27 with disagreeing neighbours: pair (24, 30), no run
  alone.set(5, 5, 27);
  alone.set(5, 6, 0);
  EXPECT_EQ(alone.extract(), (std::vector<std::array<int, 3>>{{6, 5, 5}}));
  Extraction under;
  for (int x = 3; x <= 8; ++x) under.set(x, 4, 0);
  under.set(5, 5, 27);
  under.set(5, 6, 0);
  // Under the run of row 4 the pair is (30, 36): 27 starts a run.
  EXPECT_EQ(under.extract(), (std::vector<std::array<int, 3>>{{4, 3, 8}, {5, 5, 5}, {6, 5, 5}}));
}

TEST(RunExtractionTest, LightCellsAreSkippedAndTheLastRowHasNoRuns) {
  Extraction e;
  for (int n = 0; n < 5; ++n) e.thresholds(0, 0, n) = -1;
  e.set(5, 5, 0);                                // in the light cell: skipped
  e.set(15, 5, 0);                               // in cell (0, 1): a run
  for (int x = 0; x < 24; ++x) e.set(x, 23, 0);  // the last row
  EXPECT_EQ(e.extract(), (std::vector<std::array<int, 3>>{{5, 15, 15}}));
}

TEST(GridTest, FindsABlackSquareOnWhite) {
  work_image image = test::MakeWorkImage(
      48, 48, [](int x, int y) { return x >= 18 && x <= 27 && y >= 18 && y <= 27 ? 0 : 63; });
  run_list runs(16);
  grid(image, runs);
  ASSERT_EQ(runs.count, 10);
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(runs.run(i)[RUN_Y], 18 + i);
    EXPECT_EQ(runs.run(i)[RUN_X1], 18);
    EXPECT_EQ(runs.run(i)[RUN_X2], 27);
  }
}

// An "e" at the scale of an enlarged page: a black ring (two pixels wide)
// with a three-row bar of mid-light gray (level 38 of 63) across its
// inside. Centred in the middle of the cells' two levels the thresholds
// leave the bar out; nearer the paper they take it in.
TEST(GridTest, ThresholdsNearerThePaperTakeInLightStrokes) {
  const auto page = [](int x, int y) {
    const bool inside = x >= 14 && x <= 33 && y >= 14 && y <= 33;
    const bool ring = x >= 12 && x <= 35 && y >= 12 && y <= 35 && !inside;
    if (ring) return 0;
    return inside && y >= 22 && y <= 24 ? 38 : 63;
  };
  const auto barRows = [&](float centre) {
    work_image image = test::MakeWorkImage(48, 48, page);
    run_list runs(16);
    grid(image, runs, centre);
    int rows = 0;  // rows whose runs cover the middle of the bar
    for (int i = 0; i < runs.count; ++i) {
      const int32_t* r = runs.run(i);
      rows += r[RUN_X1] <= 24 && r[RUN_X2] >= 24 && r[RUN_Y] >= 22 && r[RUN_Y] <= 24;
    }
    return rows;
  };
  EXPECT_EQ(barRows(kCentreMiddle), 0);
  EXPECT_EQ(barRows(kCentreNearPaper), 3);
}

TEST(GridTest, WhitePageAndTinyPagesGiveNoRunsAndReadNothingOutside) {
#ifdef MASKFIND_CHECKED
  const long before = out_of_range_count();
#endif
  work_image white = test::MakeWorkImage(40, 30, [](int, int) { return 63; });
  run_list runs(16);
  grid(white, runs);
  EXPECT_EQ(runs.count, 0);
  // Smaller than a cell: extended, so nothing beyond the border is read.
  for (auto [w, h] : {std::pair{5, 5}, std::pair{1, 1}, std::pair{30, 3}}) {
    work_image tiny = test::MakeWorkImage(w, h, [](int x, int y) { return (x + y) % 3 ? 63 : 0; });
    run_list small(4);
    grid(tiny, small);
    EXPECT_EQ(small.width, w);
    EXPECT_EQ(small.height, h);
    for (int i = 0; i < small.count; ++i) {
      EXPECT_LT(small.run(i)[RUN_X2], w);
      EXPECT_LT(small.run(i)[RUN_Y], h);
    }
  }
#ifdef MASKFIND_CHECKED
  EXPECT_EQ(out_of_range_count(), before);
#endif
}

TEST(GridTest, RefusesAnImageThatIsNotOneByteGray) {
  work_image image = make_work_image(12, 12);
  image.image.pixsize = 3;
  run_list runs(4);
  test::ErrorCollector errors;
  EXPECT_THROW(grid(image, runs), mask_failure);
  EXPECT_TRUE(errors.saw("Not a grey image with 1 byte/pixel"));
}

}  // namespace
}  // namespace maskfind
