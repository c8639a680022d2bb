#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "GBitmap.h"
#include "GException.h"
#include "libAPI/RunImage.h"
#include "tests/libAPI/Jb2TestSupport.h"

namespace {

using leaf::test::ThrownMessage;

using djvu::RunImage;

djvu_run_image MakeRunImage(unsigned w, unsigned h, std::vector<unsigned char>& bytes,
                            unsigned runtype = DJVU_RUN_BW) {
  const unsigned size = runtype == DJVU_RUN_BW ? 1 : runtype == DJVU_RUN_GRAY ? 2 : 4;
  djvu_run_image image{};
  image.w = w;
  image.h = h;
  image.nruns = static_cast<unsigned>(bytes.size() / size);
  image.runs = bytes.data();
  image.runtype = runtype;
  return image;
}

// Bilevel runs of a picture given as text rows, top row first ('#' = black).
std::vector<unsigned char> BwRuns(const std::vector<std::string>& rows) {
  std::vector<unsigned char> bytes;
  for (const std::string& row : rows) {
    for (char c : row) {
      const unsigned char white = c == '#' ? 0 : 0x80;
      if (!bytes.empty() && (bytes.back() & 0x80) == white && (bytes.back() & 0x7F) < 127) {
        ++bytes.back();
      } else {
        bytes.push_back(white);
      }
    }
  }
  return bytes;
}

// The ink runs (y counted from the bottom, x1, x2) decoded from run records,
// and the polarity: with a colour page the smaller class is the ink.
TEST(RunImageTest, RecordsDecodeToTheRunsOfTheInk) {
  using Runs = std::vector<std::array<int, 3>>;
  struct Case {
    const char* what;
    unsigned w, h, runtype;
    std::vector<unsigned char> bytes;
    bool noPage;
    int polarity;
    Runs expected;
  } cases[] = {
      // 3 black, 2 white, 3 white: across row ends from the top row.
      {"across row ends", 4, 2, DJVU_RUN_BW, {0x02, 0x81, 0x82}, true, 0, {{1, 0, 2}}},
      // 2 white, 4 black, 2 white: split at the row end.
      {"wrapping ink", 4, 2, DJVU_RUN_BW, {0x81, 0x03, 0x81}, true, 0, {{1, 2, 3}, {0, 0, 1}}},
      {"white mark, with a page",
       4,
       3,
       DJVU_RUN_BW,
       BwRuns({"####", "#..#", "####"}),
       false,
       1,
       {{1, 1, 2}}},
      {"white mark, without",
       4,
       3,
       DJVU_RUN_BW,
       BwRuns({"####", "#..#", "####"}),
       true,
       0,
       {{2, 0, 3}, {1, 0, 0}, {1, 3, 3}, {0, 0, 3}}},
      // Gray: 2 pixels of 100 (dark), 2 of 200.
      {"gray", 4, 1, DJVU_RUN_GRAY, {1, 100, 1, 200}, true, 0, {{0, 0, 1}}},
      // Pure red is dark (77 * 255 < 32768), yellow is light.
      {"colour", 4, 1, DJVU_RUN_COLOR, {0, 255, 0, 0, 2, 255, 255, 0}, true, 0, {{0, 0, 0}}},
      // With a colour page the lighter, smaller class becomes the ink.
      {"mostly dark colour",
       4,
       1,
       DJVU_RUN_COLOR,
       {2, 0, 0, 0, 0, 255, 255, 255},
       false,
       1,
       {{0, 3, 3}}},
  };
  for (Case& c : cases) {
    RunImage runs(MakeRunImage(c.w, c.h, c.bytes, c.runtype), c.noPage);
    Runs found;
    for (const auto& run : runs.runs()) found.push_back({run.y, run.x1, run.x2});
    EXPECT_EQ(found, c.expected) << c.what;
    EXPECT_EQ(runs.polarity(), c.polarity) << c.what;
  }
}

TEST(RunImageTest, RefusesBadInput) {
  std::vector<unsigned char> bytes{0x00};
  djvu_run_image image = MakeRunImage(1, 1, bytes);
  image.runtype = 3;
  EXPECT_EQ(ThrownMessage([&] { RunImage runs(image, true); }), "Unknown runtype");
  RunImage empty(4, 4);
  EXPECT_EQ(ThrownMessage([&] { empty.AddRun(-1, 0, 1); }), "Negative Cordinates in Run");
  EXPECT_EQ(ThrownMessage([&] { empty.AnalyzeComponents(6); }),
            "Only 4-connectivity and 8-connectivity are supported");
  // Ink past the end of the page is refused, paper there is ignored.
  std::vector<unsigned char> tooLong{0x83, 0x81};
  EXPECT_EQ(ThrownMessage([&] { RunImage runs(MakeRunImage(2, 2, tooLong), true); }), "");
  std::vector<unsigned char> inkPastEnd{0x83, 0x01};
  EXPECT_EQ(ThrownMessage([&] { RunImage runs(MakeRunImage(2, 2, inkPastEnd), true); }),
            "Negative Cordinates in Run");
}

TEST(RunImageTest, AdjacentRunOnTheSameRowIsExtended) {
  RunImage runs(10, 2);
  runs.AddRun(1, 2, 4);
  runs.AddRun(1, 5, 7);
  runs.AddRun(1, 9, 9);
  runs.AddRun(0, 0, 0);
  ASSERT_EQ(runs.runs().size(), 3u);
  EXPECT_EQ(runs.runs()[0].x1, 2);
  EXPECT_EQ(runs.runs()[0].x2, 7);
}

TEST(RunImageTest, CornerTouchingPixelsJoinOnlyWithEightConnectivity) {
  RunImage eight(4, 4);
  eight.AddRun(1, 1, 1);
  eight.AddRun(0, 2, 2);
  eight.AnalyzeComponents(8);
  EXPECT_EQ(eight.components().size(), 1u);
  RunImage four(4, 4);
  four.AddRun(1, 1, 1);
  four.AddRun(0, 2, 2);
  four.AnalyzeComponents(4);
  EXPECT_EQ(four.components().size(), 2u);
}

TEST(RunImageTest, ComponentsGetBoxesAndRunRanges) {
  // A "U" and a separate bar, rows given top first.
  std::vector<unsigned char> bytes = BwRuns({
      "#..#....",
      "#..#.###",
      "####....",
  });
  RunImage runs(MakeRunImage(8, 3, bytes), true);
  runs.AnalyzeComponents(8);
  ASSERT_EQ(runs.components().size(), 2u);
  int seen = 0;
  for (const RunImage::Component& c : runs.components()) {
    EXPECT_EQ(c.number, &c - runs.components().data() + 1);
    for (size_t r = c.firstRun; r < c.endRun; ++r) EXPECT_EQ(runs.runs()[r].cc, c.number);
    if (c.xmin == 0) {
      EXPECT_EQ(c.xmax, 4);
      EXPECT_EQ(c.ymin, 0);
      EXPECT_EQ(c.ymax, 3);
      EXPECT_EQ(c.endRun - c.firstRun, 5u);
      ++seen;
    } else {
      EXPECT_EQ(c.xmin, 5);
      EXPECT_EQ(c.xmax, 8);
      EXPECT_EQ(c.ymin, 1);
      EXPECT_EQ(c.ymax, 2);
      ++seen;
    }
  }
  EXPECT_EQ(seen, 2);
}

TEST(RunImageTest, ManyBranchesJoinIntoOneComponent) {
  // A comb: teeth joined only by the bottom row, found late by the sweep.
  RunImage comb(64, 10);
  for (int y = 9; y >= 1; --y) {
    for (int x = 0; x < 64; x += 4) comb.AddRun(y, x, x);
  }
  comb.AddRun(0, 0, 63);
  comb.AnalyzeComponents(4);
  ASSERT_EQ(comb.components().size(), 1u);
  EXPECT_EQ(comb.components()[0].endRun, comb.runs().size());
}

TEST(RunImageTest, DotInsideALetterMergesUnlessTheSizesAreTooFar) {
  // A 20x20 letter box with a 2x2 dot inside (area ratio 100).
  RunImage near(40, 40);
  near.AddRun(0, 0, 19);
  near.AddRun(19, 0, 19);
  for (int y = 1; y < 19; ++y) near.AddRun(y, 0, 0);
  near.AddRun(5, 10, 11);
  near.AddRun(6, 10, 11);
  near.AnalyzeComponents(8);
  ASSERT_EQ(near.components().size(), 2u);
  near.MergeOverlapping(85);
  EXPECT_EQ(near.components().size(), 1u);

  // A 30x30 box is 225 times the dot: kept apart.
  RunImage far(40, 40);
  far.AddRun(0, 0, 29);
  far.AddRun(29, 0, 29);
  for (int y = 1; y < 29; ++y) far.AddRun(y, 0, 0);
  far.AddRun(5, 10, 11);
  far.AddRun(6, 10, 11);
  far.MergeOverlapping(85);
  EXPECT_EQ(far.components().size(), 2u);
}

// Two L-shaped marks, 100 x 10 boxes, whose boxes overlap by 100 - shift
// columns but whose pixels never touch.
RunImage OverlappingPair(int shift) {
  RunImage pair(200, 10);
  pair.AddRun(9, 0, 99);  // A: top bar and left stem
  for (int y = 0; y < 9; ++y) pair.AddRun(y, 0, 0);
  pair.AddRun(0, shift, shift + 99);  // B: bottom bar and right stem
  for (int y = 1; y < 10; ++y) pair.AddRun(y, shift + 99, shift + 99);
  pair.AnalyzeComponents(8);
  return pair;
}

TEST(RunImageTest, OverlapBelowThePercentageIsNotMerged) {
  RunImage at84 = OverlappingPair(16);
  ASSERT_EQ(at84.components().size(), 2u);
  at84.MergeOverlapping(85);
  EXPECT_EQ(at84.components().size(), 2u);
  RunImage at85 = OverlappingPair(15);
  at85.MergeOverlapping(85);
  ASSERT_EQ(at85.components().size(), 1u);
  EXPECT_EQ(at85.components()[0].xmax, 115);
  EXPECT_EQ(at85.components()[0].endRun, at85.runs().size());
}

TEST(RunImageTest, JB2ImageHasOneShapePerComponent) {
  std::vector<unsigned char> bytes = BwRuns({
      "##......",
      "##...#..",
      ".....##.",
  });
  RunImage runs(MakeRunImage(8, 3, bytes), true);
  GP<JB2Image> image = runs.MakeJB2Image();
  EXPECT_TRUE(runs.analyzed());
  EXPECT_EQ(image->get_width(), 8);
  EXPECT_EQ(image->get_height(), 3);
  ASSERT_EQ(image->get_shape_count(), 2);
  ASSERT_EQ(image->get_blit_count(), 2);
  GP<GBitmap> page = image->get_bitmap();
  const char* expected[] = {".....##.", "##...#..", "##......"};  // bottom row first
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 8; ++x) {
      EXPECT_EQ((*page)[y][x] != 0, expected[y][x] == '#') << x << "," << y;
    }
  }
  for (int s = 0; s < 2; ++s) EXPECT_EQ(image->get_shape(s).parent, -1);
}

TEST(RunImageTest, PageWithoutInkHasNoShapes) {
  std::vector<unsigned char> bytes(10, 0xFF);
  RunImage runs(MakeRunImage(32, 40, bytes), true);
  GP<JB2Image> image = runs.MakeJB2Image();
  EXPECT_EQ(image->get_shape_count(), 0);
  EXPECT_EQ(image->get_blit_count(), 0);
}

}  // namespace
