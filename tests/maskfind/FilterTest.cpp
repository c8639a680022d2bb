// The component filter: components, dilated and eroded runs, the region
// test, the coding cost, the split and the passes.
#include <gtest/gtest.h>

#include <cstdio>

#include "Encoder/libMaskFind/filter_cc.h"
#include "Encoder/libMaskFind/main_filter.h"
#include "MaskTestSupport.h"

namespace maskfind {
namespace {

colour_runs Analysed(const run_list& list) {
  colour_runs set = colour_runs::from_list(list);
  set.analyse();
  return set;
}

TEST(ComponentsTest, FourConnectedWithUnionBySmallerLabel) {
  const run_list runs = test::RunsFromArt({
      "##..##", ".####.", "......", "#.....",
      ".#....",  // touches the row above only diagonally
  });
  colour_runs set = Analysed(runs);
  ASSERT_EQ(set.count, 3);
  EXPECT_EQ(set.run_at(0).id, 0);
  EXPECT_EQ(set.run_at(1).id, 0);  // merged through row 1
  EXPECT_EQ(set.run_at(2).id, 0);
  EXPECT_EQ(set.run_at(3).id, 1);
  EXPECT_EQ(set.run_at(4).id, 2);
  const component& c = set.table_at(0);
  EXPECT_EQ(c.runs, 3);
  EXPECT_EQ(c.area, 8);
  EXPECT_EQ(c.min_x, 0);
  EXPECT_EQ(c.max_x, 5);
  EXPECT_EQ(c.max_y, 1);
  EXPECT_EQ(c.decision, 1);
  EXPECT_EQ(set.table_at(2).first, 4);
  EXPECT_TRUE(set.free_at(0, 2));
  EXPECT_FALSE(set.free_at(1, 4));
  EXPECT_TRUE(set.free_at(4, 0));
}

TEST(ComponentsTest, RunsOutOfRowOrderAreRefused) {
  const run_list runs = test::MakeRuns({{2, 0, 1}, {1, 0, 1}}, 4, 4);
  colour_runs set = colour_runs::from_list(runs);
  test::ErrorCollector errors;
  testing::internal::CaptureStderr();
  EXPECT_THROW(set.analyse(), mask_failure);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "runy[0]=2 >= runy[1]=1\n");
  EXPECT_TRUE(errors.saw("Y overflow"));
}

TEST(DileroTest, DilatedRunsGrowByOneAndSwallowNeighboursOnePixelAway) {
  const run row[] = {{0, 2, 4, 0}, {0, 6, 8, 0}, {0, 12, 12, 0}, {0, 19, 19, 0}};
  EXPECT_EQ(dilated_run(row, 4, 0, 20).x1, 1);
  EXPECT_EQ(dilated_run(row, 4, 0, 20).x2, 8);  // 6 = 4 + 2: through the next run
  EXPECT_EQ(dilated_run(row, 4, 1, 20).x1, 2);  // 4 = 6 - 2: back over the previous one
  EXPECT_EQ(dilated_run(row, 4, 1, 20).x2, 9);
  EXPECT_EQ(dilated_run(row, 4, 2, 20).x1, 11);
  EXPECT_EQ(dilated_run(row, 4, 3, 20).x2, 19);  // clamped to the image
  const run edge[] = {{0, 0, 3, 0}};
  EXPECT_EQ(dilated_run(edge, 1, 0, 20).x1, 0);
}

TEST(DileroTest, ErodedRunsKeepInteriorPixelsAndShrinkLongOnesMore) {
  colour_runs block = Analysed(test::RunsFromArt({
      ".......",
      "#######",
      "#######",
      "#######",
      ".......",
  }));
  component_rows rows;
  rows.load(block, 0);
  span e{};
  EXPECT_FALSE(eroded_run(rows, 1, 0, e));  // no row above inside the component
  ASSERT_TRUE(eroded_run(rows, 2, 0, e));
  EXPECT_EQ(e.x1, 1);
  EXPECT_EQ(e.x2, 5);
  colour_runs wide = Analysed(test::MakeRuns({{0, 0, 39}, {1, 0, 39}, {2, 0, 39}}, 40, 3));
  rows.load(wide, 0);
  ASSERT_TRUE(eroded_run(rows, 1, 0, e));
  EXPECT_EQ(e.x1, 3);  // interior 1..38, minus 1 (spans > 9), minus 1 more (> 20)
  EXPECT_EQ(e.x2, 36);
}

TEST(CostTest, FormulaAndPenaltiesForThinComponents) {
  filter_params p = make_filter_params(0, 0, 0, false);
  const float values[5] = {100, 300, 50, 10, 20};  // items 13, 16, 19, 22, 25
  for (int n = 0; n < 5; ++n)
    for (int c = 0; c < 3; ++c) p.items[3 * n + c] = values[n];
  p.samples = 10;
  p.dilated_length = 30;  // r = (30 + 10) / 20 = 2
  p.runs = 5;
  p.width = p.height = 3;
  p.area = 10;
  // 1.5 (10 + 20) + 2 * 100 + 5 + 200 - (300 + 50) = 100 (weights add to 1)
  EXPECT_NEAR(total_coding_cost(p, false), 100, 1);
  EXPECT_EQ(total_coding_cost(p, true), 300);  // one channel: 400 instead of 200
  p.width = p.height = p.area = 1;
  EXPECT_EQ(total_coding_cost(p, true), 1500);  // a single pixel pays 3 x 400
  p.width = 2;
  EXPECT_EQ(total_coding_cost(p, true), 1100);
}

TEST(CostTest, AnItemNotSetIsFatal) {
  filter_params p = make_filter_params(0, 0, 0, false);
  test::ErrorCollector errors;
  testing::internal::CaptureStderr();
  EXPECT_THROW(total_coding_cost(p, false), mask_failure);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "13 -1.000000 -1.000000 -1.000000\n");
  EXPECT_TRUE(errors.saw("total_coding cost uses an item that has not been set"));
}

// A white gray page with black rectangles [x1, x2] x [y1, y2].
test::PlainImage Page(int w, int h, const std::vector<std::array<int, 4>>& boxes) {
  return test::MakeGrayImage(w, h, [&](int x, int y) {
    for (const auto& b : boxes) {
      if (x >= b[0] && x <= b[1] && y >= b[2] && y <= b[3]) return 0;
    }
    return 255;
  });
}

run_list BoxRuns(const std::vector<std::array<int, 4>>& boxes, int w, int h) {
  std::vector<std::array<int, 3>> runs;
  for (int y = 0; y < h; ++y) {
    for (const auto& b : boxes) {
      if (y >= b[2] && y <= b[3]) runs.push_back({y, b[0], b[1]});
    }
  }
  return test::MakeRuns(runs, w, h);
}

TEST(DecideTest, KeepsAComponentWhoseCostIsBelowTheLevel) {
  const std::vector<std::array<int, 4>> boxes = {{10, 14, 10, 30}};  // a black stroke
  test::PlainImage page = Page(40, 40, boxes);
  colour_runs set = Analysed(BoxRuns(boxes, 40, 40));
  band_pixels pixels(page.image, 1.0f);
  decide_scratch scratch;
  filter_params p = make_filter_params(0, 0, 0, false);
  decide_component(pixels, set, 0, p, scratch);
  const int cost = set.at(0).cost;
  EXPECT_LT(cost, 0);
  EXPECT_EQ(set.at(0).decision, kDecisionKept);
  EXPECT_EQ(set.at(0).colour[0], 0);  // the median of the samples is the ink
  EXPECT_EQ(p.area, 105);
  EXPECT_EQ(p.runs, 21);
  EXPECT_EQ(p.width, 5);
  EXPECT_EQ(p.height, 21);
  EXPECT_EQ(p.samples, 105);         // capped at the area
  EXPECT_EQ(p.dilated_length, 147);  // 21 runs of 7
  p.level = cost;                    // a cost equal to the level is dropped
  decide_component(pixels, set, 0, p, scratch);
  EXPECT_EQ(set.at(0).decision, kDecisionDropped);
  p.level = cost + 1;
  decide_component(pixels, set, 0, p, scratch);
  EXPECT_EQ(set.at(0).decision, kDecisionKept);
}

TEST(DecideTest, FaintSpecksCostMoreThanDarkStrokes) {
  test::PlainImage page =
      test::MakeGrayImage(40, 40, [](int x, int y) { return x == 20 && y == 20 ? 200 : 255; });
  colour_runs set = Analysed(test::MakeRuns({{20, 20, 20}}, 40, 40));
  band_pixels pixels(page.image, 1.0f);
  decide_scratch scratch;
  filter_params p = make_filter_params(0, 0, 0, false);
  decide_component(pixels, set, 0, p, scratch);
  EXPECT_GT(set.at(0).cost, 1200);
  EXPECT_EQ(set.at(0).decision, kDecisionDropped);
}

// A 200 x 200 box with a light bar (columns 100..109) through 20 of its rows.
struct BoxWithBar {
  static constexpr int kSize = 210;
  test::PlainImage page = test::MakeGrayImage(kSize, kSize, [](int x, int y) {
    const bool box = x >= 5 && x <= 204 && y >= 5 && y <= 204;
    const bool bar = x >= 100 && x <= 109 && y >= 50 && y < 70;
    return box && !bar ? 0 : 255;
  });
  run_list threshold{16};
  BoxWithBar() {
    for (int y = 5; y <= 204; ++y) {
      if (y >= 50 && y < 70) {
        threshold.append(y, 5, 99);
        threshold.append(y, 110, 204);
      } else {
        threshold.append(y, 5, 204);
      }
    }
    threshold.finish(kSize, kSize);
  }
};

TEST(DecideTest, ALargeDenseComponentIsARegionUnlessNoInvFilter) {
  BoxWithBar box;
  colour_runs set = Analysed(box.threshold);
  band_pixels pixels(box.page.image, 1.0f);
  decide_scratch scratch;
  filter_params p = make_filter_params(0, 0, 0, false);
  decide_component(pixels, set, 0, p, scratch);
  EXPECT_EQ(set.at(0).decision, kDecisionRegion);
  EXPECT_EQ(p.boundary_a, 600);  // 2 per row + 200 enclosed
  EXPECT_EQ(p.boundary_b, 200);
  filter_params costed = make_filter_params(0, 0, kNoInvFilter, false);
  decide_component(pixels, set, 0, costed, scratch);
  EXPECT_NE(set.at(0).decision, kDecisionRegion);
}

TEST(MainFilterTest, FindsLightMarksInsideADarkRegion) {
  BoxWithBar box;
  run_list out(16);
  main_filter(box.page.image, box.threshold, out, make_filter_params(0, 0, 0, false),
              make_filter_params(1, 0, 0, false));
  EXPECT_EQ(out.width, BoxWithBar::kSize);
  ASSERT_EQ(out.count, 20);  // exactly the bar
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(out.run(i)[RUN_Y], 50 + i);
    EXPECT_EQ(out.run(i)[RUN_X1], 100);
    EXPECT_EQ(out.run(i)[RUN_X2], 109);
  }
  // Without the inverse pass the box is costed like any mark; nothing light comes back.
  run_list plain(16);
  main_filter(box.page.image, box.threshold, plain, make_filter_params(0, 0, kNoInvFilter, false),
              make_filter_params(1, 0, kNoInvFilter, false));
  for (int i = 0; i < plain.count; ++i) {
    EXPECT_FALSE(plain.run(i)[RUN_X1] >= 100 && plain.run(i)[RUN_X2] <= 109);
  }
}

TEST(MainFilterTest, EmptyThresholdMaskGivesAnEmptyMask) {
  test::PlainImage page = Page(30, 20, {});
  run_list none = test::MakeRuns({}, 30, 20);
  run_list out(16);
  main_filter(page.image, none, out, make_filter_params(0, 0, 0, false),
              make_filter_params(1, 0, 0, false));
  EXPECT_EQ(out.count, 0);
  EXPECT_EQ(out.width, 30);
  EXPECT_EQ(out.height, 20);
}

TEST(InteriorLightRunsTest, GapsOfDroppedComponentsMinusEveryRun) {
  // A frame of 12 rows whose rows 2..9 have a gap 3..12; a separate
  // component sits inside the gap on row 5 (columns 6..7).
  std::vector<std::array<int, 3>> runs;
  for (int y = 0; y < 12; ++y) {
    if (y >= 2 && y <= 9) {
      runs.push_back({y, 0, 2});
      if (y == 5) runs.push_back({y, 6, 7});
      runs.push_back({y, 13, 15});
    } else {
      runs.push_back({y, 0, 15});
    }
  }
  colour_runs set = Analysed(test::MakeRuns(runs, 16, 12));
  ASSERT_EQ(set.count, 2);
  set.at(0).decision = kDecisionDropped;
  set.at(1).decision = kDecisionKept;
  run_list light(4);
  interior_light_runs(set, light);
  ASSERT_EQ(light.count, 9);
  EXPECT_EQ(light.run(3)[RUN_Y], 5);
  EXPECT_EQ(light.run(3)[RUN_X2], 5);
  EXPECT_EQ(light.run(4)[RUN_X1], 8);
  EXPECT_EQ(light.run(4)[RUN_X2], 12);
  set.at(0).decision = kDecisionKept;  // kept components are not looked into
  run_list none(4);
  interior_light_runs(set, none);
  EXPECT_EQ(none.count, 0);
}

// A lattice of one-pixel rules every 12 pixels, 2600 x 2600: one component
// of more than a million pixels, dropped whole without costing; its rules
// come back as kept pieces of the split, and the paper between them must
// stay paper (it used to come back from the inverse pass as light marks, and
// the page was coded inside out).
TEST(MainFilterTest, ALargeSparseLatticeKeepsItsPaper) {
  constexpr int kSide = 2600, kStep = 12;
  const auto rule = [](int x, int y) { return x % kStep == 0 || y % kStep == 0; };
  test::PlainImage page =
      test::MakeGrayImage(kSide, kSide, [&](int x, int y) { return rule(x, y) ? 0 : 255; });
  run_list threshold(1000);
  for (int y = 0; y < kSide; ++y) {
    if (y % kStep == 0) {
      threshold.append(y, 0, kSide - 1);
    } else {
      for (int x = 0; x < kSide; x += kStep) threshold.append(y, x, x);
    }
  }
  threshold.finish(kSide, kSide);
  run_list out(16);
  main_filter(page.image, threshold, out, make_filter_params(0, 0, 0, false),
              make_filter_params(1, 0, 0, false));
  int64_t ink = 0, paper = 0;
  for (int i = 0; i < out.count; ++i) {
    const int32_t* r = out.run(i);
    for (int x = r[RUN_X1]; x <= r[RUN_X2]; ++x) (rule(x, r[RUN_Y]) ? ink : paper) += 1;
  }
  EXPECT_EQ(paper, 0);
  EXPECT_GT(ink, 1000000);
}

TEST(SplitTest, ErosionCutsAThinBridgeAndEveryRunFindsAPiece) {
  // Two 12 x 12 squares joined by a one-pixel-wide bridge of 8 rows.
  std::vector<std::array<int, 3>> runs;
  for (int y = 0; y < 32; ++y) {
    if (y < 12 || y >= 20) {
      runs.push_back({y, 0, 11});
    } else {
      runs.push_back({y, 5, 5});
    }
  }
  colour_runs set = Analysed(test::MakeRuns(runs, 40, 40));
  test::PlainImage page = Page(40, 40, {{0, 11, 0, 11}, {5, 5, 12, 19}, {0, 11, 20, 31}});
  band_pixels pixels(page.image, 1.0f);
  decide_scratch scratch;
  filter_params p = make_filter_params(0, 0, 0, false);
  EXPECT_EQ(split_component(pixels, set, 0, p, scratch), 2);
  ASSERT_EQ(set.count, 3);
  // The upper piece takes its square and the bridge; the lower one its square.
  EXPECT_EQ(set.at(1).runs, 20);
  EXPECT_EQ(set.at(1).min_y, 0);
  EXPECT_EQ(set.at(1).max_y, 19);
  EXPECT_EQ(set.at(2).runs, 12);
  EXPECT_EQ(set.at(2).min_y, 20);
  EXPECT_EQ(set.at(2).max_y, 31);
  EXPECT_NE(set.at(1).decision, kDecisionRegion);  // both decided

  colour_runs solid = Analysed(test::MakeRuns({{0, 0, 30}, {1, 0, 30}, {2, 0, 30}}, 40, 40));
  EXPECT_EQ(split_component(pixels, solid, 0, p, scratch), 0);
  EXPECT_EQ(solid.count, 1);
}

TEST(BandPixelsTest, GrayPixelsAreTheirOwnThreeChannels) {
  test::PlainImage page = test::MakeGrayImage(3, 2, [](int x, int y) { return 10 * y + x + 1; });
  band_pixels pixels(page.image, 1.0f);
  float v[3];
  pixels.get(1, 2, v);  // the very last byte of the buffer
  EXPECT_EQ(v[0], 13);
  EXPECT_EQ(v[1], 13);
  EXPECT_EQ(v[2], 13);
  pixels.get(5, -3, v);  // clamped to the image
  EXPECT_EQ(v[1], 11);
  test::PlainImage rgb = test::MakeRgbImage(2, 1, [](int x, int) { return 100 + x; });
  rgb.bytes[4] = 7;
  band_pixels colour(rgb.image, 1.0f);
  colour.get(0, 1, v);
  EXPECT_EQ(v[0], 101);
  EXPECT_EQ(v[1], 7);
}

}  // namespace
}  // namespace maskfind
