#include <gtest/gtest.h>

#include "formats/Bmp.h"
#include "tests/support/Fixtures.h"
#include "tests/support/RunCli.h"
#include "tests/support/TempDir.h"

namespace leaf {
namespace {

using test::Contains;
using test::Quote;
using test::RunCli;

// A 3 x 2 gray PGM with values 10 20 30 / 40 50 60.
std::string WriteSmallPgm(const test::TempDir& dir) {
  const std::string path = dir.file("in.pgm");
  std::string pgm = "P5\n3 2\n255\n";
  for (int v : {10, 20, 30, 40, 50, 60}) pgm.push_back(static_cast<char>(v));
  test::WriteText(path, pgm);
  return path;
}

// Converts with the options and reads the BMP back; the picture as rows.
std::vector<std::vector<uint32_t>> Convert(const test::TempDir& dir, const std::string& options,
                                           DibImage& image) {
  const std::string out = dir.file("out.bmp");
  const auto r = RunCli("convert " + Quote(WriteSmallPgm(dir)) + " " + Quote(out) + " " + options);
  EXPECT_EQ(r.status, 0) << r.err;
  image.Release(true);
  if (!ReadBmp(image, out)) return {};
  std::vector<std::vector<uint32_t>> rows(image.raster.height);
  for (int y = 0; y < image.raster.height; ++y) {
    for (int x = 0; x < image.raster.width; ++x)
      rows[y].push_back(test::PixelAt(image.raster, x, y));
  }
  return rows;
}

using Rows = std::vector<std::vector<uint32_t>>;

TEST(EditOptionsTest, TransformsApplyInTheOrderGiven) {
  test::TempDir dir;
  DibImage image;
  EXPECT_EQ(Convert(dir, "--rotate left", image), (Rows{{30, 60}, {20, 50}, {10, 40}}));
  EXPECT_EQ(Convert(dir, "--rotate right", image), (Rows{{40, 10}, {50, 20}, {60, 30}}));
  EXPECT_EQ(Convert(dir, "--rotate 180", image), (Rows{{60, 50, 40}, {30, 20, 10}}));
  EXPECT_EQ(Convert(dir, "--flip --mirror", image), (Rows{{60, 50, 40}, {30, 20, 10}}));
  EXPECT_EQ(Convert(dir, "--crop 1,0,2,0 --rotate right", image), (Rows{{20}, {30}}));
  EXPECT_EQ(Convert(dir, "--rotate right --crop 0,0,1,0", image), (Rows{{40, 10}}));
}

TEST(EditOptionsTest, ColourDepthAndSizeEdits) {
  test::TempDir dir;
  DibImage image;
  EXPECT_EQ(Convert(dir, "--negative", image), (Rows{{10, 20, 30}, {40, 50, 60}}));
  EXPECT_EQ(test::PaletteColor(image.raster, 10), 0xF5F5F5u);
  EXPECT_EQ(Convert(dir, "--resize 6x4:single", image), (Rows{{10, 10, 20, 20, 30, 30},
                                                              {10, 10, 20, 20, 30, 30},
                                                              {40, 40, 50, 50, 60, 60},
                                                              {40, 40, 50, 50, 60, 60}}));
  EXPECT_EQ(Convert(dir, "--enlarge 5x3:7:#000000", image),
            (Rows{{0, 0, 0, 0, 0}, {10, 20, 30, 0, 0}, {40, 50, 60, 0, 0}}));
  EXPECT_EQ(Convert(dir, "--enlarge 4x2:9", image), (Rows{{255, 10, 20, 30}, {255, 40, 50, 60}}));
  EXPECT_EQ(Convert(dir, "--thumbnail 1x1:average", image), (Rows{{35}}));
  EXPECT_EQ(Convert(dir, "--gray", image), (Rows{{10, 20, 30}, {40, 50, 60}}));
}

TEST(EditOptionsTest, BadValuesAreUsageErrorsAndFailuresNameTheEdit) {
  test::TempDir dir;
  const std::string in = WriteSmallPgm(dir), out = dir.file("out.bmp");
  const std::string io = Quote(in) + " " + Quote(out) + " ";
  EXPECT_EQ(RunCli("convert " + io + "--rotate up").status, 2);
  EXPECT_EQ(RunCli("convert " + io + "--resize 10").status, 2);
  EXPECT_EQ(RunCli("convert " + io + "--resize 10x0").status, 2);
  EXPECT_EQ(RunCli("convert " + io + "--resize 10x10:sharp").status, 2);
  EXPECT_EQ(RunCli("convert " + io + "--crop 1,2,3").status, 2);
  EXPECT_EQ(RunCli("convert " + io + "--enlarge 9x9:5:#12345").status, 2);
  auto r = RunCli("convert " + io + "--crop 0,0,3,1");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err, "Failed to crop the image! (Selection out of bounds.)")) << r.err;
  r = RunCli("convert " + io + "--enlarge 2x2");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err, "Failed to enlarge!")) << r.err;
  EXPECT_FALSE(test::FileExists(out));
  r = RunCli("convert --help");
  EXPECT_TRUE(Contains(r.out, "--thumbnail"));
  EXPECT_TRUE(Contains(r.out, "--rotate DIR"));
}

}  // namespace
}  // namespace leaf
