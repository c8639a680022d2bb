// djvu_mask and its segmentation driver: options, working resolution,
// bands, packing, failures, and a whole page.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "Encoder/libMaskFind/mask_alloc.h"
#include "Encoder/libMaskFind/mask_error.h"
#include "libAPI/DjVuMaskFind.h"
#include "libAPI/djvu_error.h"
#include "libAPI/djvu_mask.h"

namespace {

std::vector<std::string> g_reports;
void Collect(const char* message, const char*, int) { g_reports.push_back(message); }

struct Progress {
  std::string text;
  int percent;
  void* arg;
};
std::vector<Progress> g_progress;
void CollectProgress(const char* text, int percent, void* arg) {
  g_progress.push_back({text, percent, arg});
}

class DjvuMaskTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_reports.clear();
    g_progress.clear();
    djvu_set_error_handler(Collect);
  }
  void TearDown() override {
    djvu_set_error_handler(nullptr);
    djvu_set_progress_handler(nullptr);
  }
};

struct RunImageFree {
  void operator()(djvu_run_image* run) const { djvu_run_image_free(run); }
};
using MaskPtr = std::unique_ptr<djvu_run_image, RunImageFree>;

// A page over its own bytes; value(x, y) counts y from the top.
struct Page {
  std::vector<uint8_t> bytes;
  djvu_pixel_image image{};
  Page(int w, int h, unsigned flags, const std::function<int(int x, int y)>& value) {
    const bool gray = flags & DJVU_GRAY;
    const int pixsize = gray ? 1 : 3;
    bytes.assign(static_cast<size_t>(w) * h * pixsize, 0);
    for (int y = 0; y < h; ++y) {
      const int stored = (flags & DJVU_BOTTOMUP) ? h - 1 - y : y;
      for (int x = 0; x < w; ++x) {
        for (int c = 0; c < pixsize; ++c) {
          bytes[(static_cast<size_t>(stored) * w + x) * pixsize + c] =
              static_cast<uint8_t>(value(x, y));
        }
      }
    }
    image.flags = flags;
    image.w = static_cast<unsigned>(w);
    image.h = static_cast<unsigned>(h);
    image.pixsize = static_cast<unsigned>(pixsize);
    image.rowsize = static_cast<unsigned>(w * pixsize);
    image.data = bytes.data();
  }
};

// Black bars (text-like strokes) on white.
int Bars(int x, int y) {
  const bool stroke = (y % 30 >= 10 && y % 30 < 22) && (x % 16 >= 4 && x % 16 < 8);
  return stroke ? 0 : 255;
}

// The mask as rows of '#' (black) and '.', top row first.
std::vector<std::string> Unpack(const djvu_run_image& mask) {
  std::vector<std::string> rows(mask.h, std::string(mask.w, '?'));
  size_t pixel = 0;
  for (unsigned i = 0; i < mask.nruns; ++i) {
    const char c = (mask.runs[i] & 0x80) ? '#' : '.';
    for (int k = 0; k <= (mask.runs[i] & 0x7F); ++k, ++pixel) {
      if (pixel < size_t{mask.w} * mask.h) rows[pixel / mask.w][pixel % mask.w] = c;
    }
  }
  EXPECT_EQ(pixel, size_t{mask.w} * mask.h);
  return rows;
}

djvu_mask_options ApplicationOptions() {
  djvu_mask_options o = djvu_mask_default_options();
  o.double_below_dpi = o.triple_below_dpi = 0;
  return o;
}

TEST_F(DjvuMaskTest, RefusesAMissingPageAndForebackWithEveryFilterOff) {
  EXPECT_EQ(djvu_mask(nullptr, nullptr), nullptr);
  Page page(40, 40, DJVU_GRAY | DJVU_BOTTOMUP, Bars);
  djvu_mask_options o = ApplicationOptions();
  o.multi_forback = 10;
  o.flags = NO_COLOR_FILTER | NO_SIZE_FILTER | NO_INV_FILTER;
  EXPECT_EQ(djvu_mask(&o, &page.image), nullptr);
  ASSERT_EQ(g_reports.size(), 2u);
  EXPECT_EQ(g_reports[0], "djvu_mask: djvu_pixel_image is required");
  EXPECT_EQ(g_reports[1], "Atleast one mask is requred if multi_forback > 0 ");
  o.flags = NO_COLOR_FILTER | NO_SIZE_FILTER;
  MaskPtr mask(djvu_mask(&o, &page.image));
  EXPECT_NE(mask, nullptr);
}

TEST_F(DjvuMaskTest, PlanFollowsTheResolutionAndTheOptions) {
  Page page(200, 100, DJVU_GRAY | DJVU_BOTTOMUP, Bars);
  const djvu_mask_options defaults = djvu_mask_default_options();
  djvu::MaskPlan plan = djvu::PlanMask(defaults, page.image);
  EXPECT_EQ(plan.resolution, 300u);
  EXPECT_EQ(plan.factor, 1u);
  EXPECT_GE(plan.step, plan.height);  // one band
  page.image.flags |= DJVU_HAS_DPI;
  page.image.xres = page.image.yres = 150;
  plan = djvu::PlanMask(defaults, page.image);
  EXPECT_EQ(plan.factor, 2u);  // below 225
  EXPECT_EQ(plan.width, 400u);
  page.image.xres = page.image.yres = 100;
  EXPECT_EQ(djvu::PlanMask(defaults, page.image).factor, 3u);  // below 125
  EXPECT_EQ(djvu::PlanMask(ApplicationOptions(), page.image).factor, 1u);
  page.image.xres = 0;  // a resolution of 0 tells nothing
  EXPECT_EQ(djvu::PlanMask(ApplicationOptions(), page.image).resolution, 300u);

  // Anisotropic: 200 x 100 at 150 x 300 dpi is 400 x 100 at 300 dpi.
  page.image.xres = 150;
  page.image.yres = 300;
  plan = djvu::PlanMask(ApplicationOptions(), page.image);
  EXPECT_TRUE(plan.anisotropic);
  EXPECT_EQ(plan.resolution, 300u);
  EXPECT_EQ(plan.width, 400u);
  EXPECT_EQ(plan.height, 100u);

  // Bands of one inch on a colour letter page: B = 300, n = 11, S = 240.
  Page letter(1, 1, DJVU_BGR | DJVU_BOTTOMUP, Bars);
  letter.image.w = 2550;
  letter.image.h = 3300;
  djvu_mask_options banded = ApplicationOptions();
  banded.band_inches = 1;
  plan = djvu::PlanMask(banded, letter.image);
  EXPECT_EQ(plan.bandHeight, 300u);
  EXPECT_EQ(plan.step, 240u);
  // Bands shorter than twice the overlap still move on: 2000 x 3000 at
  // 72 dpi gives bands of 72 rows, whose step would round down to 0.
  letter.image.w = 2000;
  letter.image.h = 3000;
  letter.image.flags |= DJVU_HAS_DPI;
  letter.image.xres = letter.image.yres = 72;
  plan = djvu::PlanMask(banded, letter.image);
  EXPECT_EQ(plan.bandHeight, 72u);
  EXPECT_EQ(plan.step, 48u);
  letter.image.flags &= ~unsigned{DJVU_HAS_DPI};
  // A narrow gray page cannot have bands thinner than about 349525 bytes.
  letter.image.flags = DJVU_GRAY;
  letter.image.w = 200;
  EXPECT_EQ(djvu::PlanMask(banded, letter.image).bandHeight, (9600u + 349525u) / 200u - 48u);
}

std::vector<int> Bytes(const djvu_run_image& mask) {
  return std::vector<int>(mask.runs, mask.runs + mask.nruns);
}

TEST_F(DjvuMaskTest, PackingCountsRunsAcrossRowEndsAndAppendsBands) {
  djvu_run_image mask{};
  maskfind::run_list none(4);
  none.finish(300, 1);
  djvu::pack_band_mask(mask, std::move(none), 300, 0, 0);
  EXPECT_EQ(Bytes(mask), (std::vector<int>{0x7F, 0x7F, 0x2B}));  // 300 white
  maskfind::run_list black(4);
  black.append(0, 0, 127);
  black.finish(128, 1);
  djvu::pack_band_mask(mask, std::move(black), 128, 0, 0);
  EXPECT_EQ(Bytes(mask), (std::vector<int>{0x7F, 0x7F, 0x2B, 0xFF}));  // appended
  _djvu_free(mask.runs);

  djvu_run_image rows{};
  maskfind::run_list two(4);
  two.finish(100, 2);
  djvu::pack_band_mask(rows, std::move(two), 100, 0, 1);
  EXPECT_EQ(Bytes(rows), (std::vector<int>{0x7F, 0x47}));  // one white run of 200
  _djvu_free(rows.runs);

  // Row b comes first: a run on the band's last row starts the stream.
  djvu_run_image order{};
  maskfind::run_list top(4);
  top.append(1, 0, 1);
  top.append(5, 0, 0);  // outside the packed rows: skipped
  top.finish(4, 6);
  djvu::pack_band_mask(order, std::move(top), 4, 0, 1);
  EXPECT_EQ(Bytes(order), (std::vector<int>{0x81, 0x05}));
  _djvu_free(order.runs);

  // Overlapping runs, given in any order, cover their pixels once.
  djvu_run_image overlap{};
  maskfind::run_list crossing(4);
  crossing.append(0, 3, 8);
  crossing.append(0, 0, 5);
  crossing.append(0, 2, 4);
  crossing.finish(10, 1);
  djvu::pack_band_mask(overlap, std::move(crossing), 10, 0, 0);
  EXPECT_EQ(Bytes(overlap), (std::vector<int>{0x88, 0x00}));
  _djvu_free(overlap.runs);
}

TEST_F(DjvuMaskTest, FindsTheStrokesOfAPageInEveryLayout) {
  djvu_set_progress_handler(CollectProgress);
  int arg = 0;
  djvu_mask_options o = ApplicationOptions();
  o.progress_arg = &arg;
  Page bottomUp(96, 90, DJVU_GRAY | DJVU_BOTTOMUP, Bars);
  MaskPtr mask(djvu_mask(&o, &bottomUp.image));
  ASSERT_NE(mask, nullptr);
  EXPECT_EQ(mask->w, 96u);
  EXPECT_EQ(mask->h, 90u);
  EXPECT_EQ(mask->xres, 300u);
  EXPECT_EQ(mask->yres, 300u);
  EXPECT_EQ(mask->runtype, static_cast<unsigned>(DJVU_RUN_BW));
  const std::vector<std::string> rows = Unpack(*mask);
  for (int y = 0; y < 90; ++y) {
    for (int x = 0; x < 96; ++x) {
      ASSERT_EQ(rows[y][x], Bars(x, y) == 0 ? '#' : '.') << x << "," << y;
    }
  }
  ASSERT_EQ(g_progress.size(), 2u);
  EXPECT_EQ(g_progress[0].text, "Preparing foreground/background mask");
  EXPECT_EQ(g_progress[0].percent, 0);
  EXPECT_EQ(g_progress[1].percent, 100);
  EXPECT_EQ(g_progress[1].arg, &arg);

  for (unsigned flags : {DJVU_GRAY | DJVU_TOPDOWN, DJVU_RGB | DJVU_TOPDOWN,
                         DJVU_BGR | DJVU_BOTTOMUP | DJVU_HAS_DPI}) {
    Page other(96, 90, flags, Bars);
    other.image.xres = other.image.yres = 300;
    MaskPtr same(djvu_mask(&o, &other.image));
    ASSERT_NE(same, nullptr);
    EXPECT_EQ(Unpack(*same), rows) << flags;
  }
  EXPECT_TRUE(g_reports.empty());
}

TEST_F(DjvuMaskTest, ResolutionScalesTheMask) {
  Page page(100, 50, DJVU_GRAY | DJVU_BOTTOMUP | DJVU_HAS_DPI, Bars);
  page.image.xres = 200;
  page.image.yres = 100;
  MaskPtr square(djvu_mask(nullptr, &page.image));  // defaults: f = 2 below 225 dpi
  ASSERT_NE(square, nullptr);
  EXPECT_EQ(square->w, 200u);
  EXPECT_EQ(square->h, 200u);
  EXPECT_EQ(square->xres, 400u);
  page.image.xres = page.image.yres = 600;
  MaskPtr fine(djvu_mask(nullptr, &page.image));
  ASSERT_NE(fine, nullptr);
  EXPECT_EQ(fine->w, 100u);
  EXPECT_EQ(fine->xres, 600u);  // the page's own resolution, not the option's 300
}

// Bands of an inch give the mask of one pass: on a letter-wide page (with
// progress at every band), and on a wide colour page at 25 dpi, whose 65-row
// bands step by 48 rows (the plan's formula gives 0).
TEST_F(DjvuMaskTest, BandsCoverEveryRowOnceAndAgreeWithOnePass) {
  const auto text = [](int x, int y) { return Bars(x, y + 3); };
  struct Case {
    unsigned w, h, dpi, step;
    std::vector<int> percents;
  } cases[] = {{2550, 700, 0, 0, {0, 27, 54, 82, 100}},  // S = 192
               {1770, 180, 25, 48, {}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.w);
    Page page(c.w, c.h, DJVU_BGR | DJVU_BOTTOMUP | (c.dpi ? unsigned{DJVU_HAS_DPI} : 0u), text);
    page.image.xres = page.image.yres = c.dpi;
    djvu_mask_options whole = ApplicationOptions();
    djvu_mask_options banded = whole;
    banded.band_inches = 1;
    if (c.step) {
      EXPECT_EQ(djvu::PlanMask(banded, page.image).step, c.step);
    }
    g_progress.clear();
    djvu_set_progress_handler(CollectProgress);
    MaskPtr bands(djvu_mask(&banded, &page.image));
    ASSERT_NE(bands, nullptr);
    if (!c.percents.empty()) {
      std::vector<int> percents;
      for (const Progress& p : g_progress) percents.push_back(p.percent);
      EXPECT_EQ(percents, c.percents);
    }
    MaskPtr once(djvu_mask(&whole, &page.image));
    ASSERT_NE(once, nullptr);
    EXPECT_EQ(Unpack(*bands), Unpack(*once));
  }
}

TEST_F(DjvuMaskTest, TinyAndEmptyPages) {
  for (auto [w, h] : {std::pair{1, 1}, std::pair{5, 3}, std::pair{11, 40}}) {
    Page page(w, h, DJVU_GRAY | DJVU_BOTTOMUP, [](int x, int y) { return (x + y) % 2 ? 0 : 255; });
    MaskPtr mask(djvu_mask(nullptr, &page.image));
    ASSERT_NE(mask, nullptr);
    EXPECT_EQ(mask->w, static_cast<unsigned>(w));
    EXPECT_EQ(mask->h, static_cast<unsigned>(h));
    EXPECT_EQ(Unpack(*mask).size(), static_cast<size_t>(h));
  }
}

TEST_F(DjvuMaskTest, AFailingBandReleasesEverythingAndReturnsNull) {
  static int allocations = 0;
  static int failAt = 0;
  const djvu_mask_alloc_hooks failing = {
      [](size_t n) -> void* { return ++allocations >= failAt ? nullptr : std::malloc(n); },
      [](void* p, size_t n) { return std::realloc(p, n); }, [](void* p) { std::free(p); }};
  Page page(96, 90, DJVU_GRAY | DJVU_BOTTOMUP, Bars);
  for (int at : {1, 3, 8, 20}) {
    failAt = at;
    allocations = 0;
    djvu_mask_set_alloc_hooks(&failing);
    testing::internal::CaptureStderr();
    MaskPtr mask(djvu_mask(nullptr, &page.image));
    const std::string err = testing::internal::GetCapturedStderr();
    djvu_mask_set_alloc_hooks(nullptr);
    EXPECT_EQ(mask, nullptr) << at;
    EXPECT_NE(err.find("DjVu Mask Error: '"), std::string::npos) << err;
  }
  // With the throw switch the line number ends the band the same way.
  djvu_mask_set_throw(true);
  allocations = 0;
  failAt = 2;
  djvu_mask_set_alloc_hooks(&failing);
  MaskPtr thrown(djvu_mask(nullptr, &page.image));
  djvu_mask_set_alloc_hooks(nullptr);
  djvu_mask_set_throw(false);
  EXPECT_EQ(thrown, nullptr);
}

TEST_F(DjvuMaskTest, ColourBandWithoutByteOrderIsReported) {
  Page page(24, 24, DJVU_RGB, Bars);
  page.image.flags = 0;
  std::vector<std::string> messages;
  static std::vector<std::string>* sink = &messages;
  djvu_mask_set_error_hook([](const char* m, const char*, int) { sink->push_back(m); });
  EXPECT_THROW(djvu::find_band_mask(djvu_mask_default_options(), page.image),
               maskfind::mask_failure);
  djvu_mask_set_error_hook(nullptr);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "Rgb image has unknow color representation (neither RGB nor BGR)");
  // Through djvu_mask the layer's validation refuses it first.
  EXPECT_EQ(djvu_mask(nullptr, &page.image), nullptr);
  ASSERT_EQ(g_reports.size(), 1u);
  EXPECT_EQ(g_reports[0], "Pixel images must be one of GRAY, RGB, or BGR");
}

TEST_F(DjvuMaskTest, GrayPageInkAtTheEndOfTheBufferIsReadSafely) {
  // The bottom-right pixel is the last byte of a top-down gray buffer.
  Page page(30, 30, DJVU_GRAY | DJVU_TOPDOWN,
            [](int x, int y) { return x > 20 && y > 20 ? 0 : 255; });
  MaskPtr mask(djvu_mask(nullptr, &page.image));
  ASSERT_NE(mask, nullptr);
  EXPECT_EQ(Unpack(*mask)[25][25], '#');
}

TEST_F(DjvuMaskTest, CorpusNewspaperPageGivesASensibleMask) {
  std::ifstream file(std::string(LEAF_CORPUS_DIR) + "/tribune-page-4x.pgm", std::ios::binary);
  if (!file) GTEST_SKIP() << "corpus not present";
  std::string magic;
  int w = 0, h = 0, maxval = 0;
  file >> magic >> w >> h >> maxval;
  file.get();
  ASSERT_EQ(magic, "P5");
  std::vector<uint8_t> pixels(static_cast<size_t>(w) * h);
  file.read(reinterpret_cast<char*>(pixels.data()), static_cast<std::streamsize>(pixels.size()));
  djvu_pixel_image page{};
  page.flags = DJVU_GRAY | DJVU_TOPDOWN;
  page.w = static_cast<unsigned>(w);
  page.h = static_cast<unsigned>(h);
  page.pixsize = 1;
  page.rowsize = static_cast<unsigned>(w);
  page.data = pixels.data();
  const djvu_mask_options o = ApplicationOptions();
  MaskPtr mask(djvu_mask(&o, &page));
  ASSERT_NE(mask, nullptr);
  size_t black = 0;
  for (const std::string& row : Unpack(*mask)) black += std::count(row.begin(), row.end(), '#');
  const double share = static_cast<double>(black) / (static_cast<double>(w) * h);
  EXPECT_GT(share, 0.05);  // the text is there...
  EXPECT_LT(share, 0.35);  // ...and the photographs mostly are not
  MaskPtr again(djvu_mask(&o, &page));
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(Bytes(*again), Bytes(*mask));  // deterministic
}

}  // namespace
