// Text labels from the command line: stamped without a display, where the
// options say, in the colours they give.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <optional>

#include "formats/Bmp.h"
#include "tests/support/Fixtures.h"
#include "tests/support/RunCli.h"
#include "tests/support/TempDir.h"

namespace leaf {
namespace {

using test::Contains;
using test::Quote;
using test::RunCli;

// Runs every test without a display, and with a platform asked for that
// would need one: the labels must not depend on either.
class LabelCliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
      const char* value = std::getenv(name);
      saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
      unsetenv(name);
    }
    setenv("QT_QPA_PLATFORM", "xcb", 1);
  }
  void TearDown() override {
    for (const auto& [name, value] : saved_) {
      if (value) {
        setenv(name.c_str(), value->c_str(), 1);
      } else {
        unsetenv(name.c_str());
      }
    }
  }

  // A white 24-bit page of 300 x 200 at 300 dpi.
  std::string writePage() {
    test::BmpRecipe recipe;
    recipe.width = 300;
    recipe.height = 200;
    recipe.bits = 24;
    recipe.pixel = [](int, int) { return 0xFFFFFFu; };
    const std::string path = dir.file("scan0042.bmp");
    test::WriteBytes(path, test::MakeBmpFile(recipe));
    return path;
  }

  // Converts with the options and reads the result back.
  test::CliResult convert(const std::string& options, DibImage& out) {
    const std::string path = dir.file("out.bmp");
    const test::CliResult r =
        RunCli("convert " + Quote(writePage()) + " " + Quote(path) + " " + options);
    out.Release(true);
    if (r.status == 0) {
      EXPECT_TRUE(ReadBmp(out, path)) << r.err;
    }
    return r;
  }

  test::TempDir dir;
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

// The box around the pixels of a colour.
struct Box {
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
  bool empty() const { return right < 0; }
};

Box BoxOf(const DibRaster& r, uint32_t colour) {
  Box box;
  for (int y = 0; y < r.height; ++y) {
    for (int x = 0; x < r.width; ++x) {
      if (test::PixelAt(r, x, y) != colour) continue;
      box.left = std::min(box.left, x);
      box.top = std::min(box.top, y);
      box.right = std::max(box.right, x);
      box.bottom = std::max(box.bottom, y);
    }
  }
  return box;
}

TEST_F(LabelCliTest, LabelsGrowThePageOrGoInsideWhereTheOptionsSay) {
  DibImage out;
  auto r = convert(
      "--label '$filename' --label-position below --label-color '#FF0000' "
      "--label-background '#00FF00' --label-size 20",
      out);
  ASSERT_EQ(r.status, 0) << r.err;
  ASSERT_EQ(out.raster.width, 300);
  ASSERT_GT(out.raster.height, 215);  // a strip of at least the letters' height
  const int strip = out.raster.height - 200;
  const Box text = BoxOf(out.raster, 0xFF0000);
  ASSERT_FALSE(text.empty());
  EXPECT_GE(text.top, 200);  // the text is in the strip under the page
  EXPECT_EQ(test::PixelAt(out.raster, 0, 200 + strip / 2), 0x00FF00u);  // the label's ground
  EXPECT_EQ(test::PixelAt(out.raster, 150, 100), 0xFFFFFFu);            // the page

  r = convert("--label 'X' --label-position right --label-size 30 --label-color '#0000FF'", out);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(out.raster.height, 200);
  EXPECT_GT(out.raster.width, 310);
  EXPECT_GE(BoxOf(out.raster, 0x0000FF).left, 300);

  // Inside, bottom right, 10 pixels from the edges, only the letters drawn.
  r = convert(
      "--label 'Hello' --label-anchor bottom-right --label-padding 10 --label-transparent "
      "--label-color '#000000' --label-background '#FFFFFF' --label-size 24",
      out);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(out.raster.width, 300);
  EXPECT_EQ(out.raster.height, 200);
  const Box inside = BoxOf(out.raster, 0x000000);
  ASSERT_FALSE(inside.empty());
  EXPECT_LE(inside.right, 289);
  EXPECT_GT(inside.right, 240);
  EXPECT_LE(inside.bottom, 189);
  EXPECT_GT(inside.bottom, 150);
}

TEST_F(LabelCliTest, FaultsAreReported) {
  DibImage out;
  struct Case {
    const char* options;
    int status;
    const char* message;
  } cases[] = {
      {"--label-position above", 2, "add --label TEXT"},
      {"--label x --label-position middle", 2, "--label-position takes above, below"},
      {"--label x --label-color red", 2, "--label-color takes a colour #RRGGBB"},
      {"--label x --label-size 0", 2, "--label-size takes a whole number from 1"},
      {"--label x --label-padding 1,2,3", 2, "--label-padding takes H or H,V"},
      {"--label 'a very long label that is wider than the page' --label-size 40 "
       "--label-position above",
       1, "Failed to stamp the text label! (Inserted image out of bounds in the original.)"},
      {"--label ''", 1, "The text label has no text."},
  };
  for (const Case& c : cases) {
    const auto r = convert(c.options, out);
    EXPECT_EQ(r.status, c.status) << c.options;
    EXPECT_TRUE(Contains(r.err, c.message)) << c.options << ": " << r.err;
  }
  const auto help = RunCli("convert --help");
  EXPECT_TRUE(Contains(help.out, "--label-anchor")) << help.out;
}

}  // namespace
}  // namespace leaf
