#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "formats/DjvuReader.h"
#include "image/Messages.h"
#include "tests/support/Fixtures.h"
#include "tests/support/RunCli.h"
#include "tests/support/TempDir.h"

namespace leaf {
namespace {

using test::Contains;
using test::Quote;
using test::RunCli;

// A 300-dpi-like page: dark blocks of "text" on cream paper, as a PPM file.
std::string MakeTextPpm(const test::TempDir& dir) {
  const std::string path = dir.file("text.ppm");
  const int w = 180, h = 96;
  std::string ppm = "P6\n" + std::to_string(w) + " " + std::to_string(h) + "\n255\n";
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const int cx = x % 30, cy = y % 48;
      const bool ink = cx >= 6 && cx < 22 && cy >= 12 && cy < 36 && (cx < 10 || cy >= 31);
      ppm += static_cast<char>(ink ? 30 : 240);
      ppm += static_cast<char>(ink ? 10 : 232);
      ppm += static_cast<char>(ink ? 90 : 210);
    }
  }
  test::WriteText(path, ppm);
  return path;
}

int ChunkFlags(const std::string& path) {
  DibImage image;
  DjvuFileInfo info;
  EXPECT_TRUE(ProbeDjvuFile(image, path, info)) << LastMessage();
  return info.chunkFlags;
}

TEST(DjvuSaveCliTest, CompoundPageWithProgress) {
  test::TempDir dir;
  const std::string out = dir.file("deep/er/page.djvu");
  const test::CliResult r = RunCli("convert " + Quote(MakeTextPpm(dir)) + " " + Quote(out) +
                                   " --quality 50 --bg-dpi 50 --gamma 1.8 --progress");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "  0% Preparing foreground/background mask")) << r.out;
  EXPECT_TRUE(Contains(r.out, " 30% Processing color layer")) << r.out;
  EXPECT_TRUE(Contains(r.out, "100% Encoded document")) << r.out;
  EXPECT_TRUE(Contains(r.out, "wrote " + out + ": djvu, 180 x 96, 24 bits")) << r.out;
  EXPECT_EQ(ChunkFlags(out), kDjvuChunkMask | kDjvuChunkBackground | kDjvuChunkForeground);
}

TEST(DjvuSaveCliTest, TextOnlyFromTheSettingsFileOrTheCommandLine) {
  test::TempDir dir;
  const std::string in = MakeTextPpm(dir);
  const std::string ini = dir.file("Leafsmith.ini");
  test::WriteText(ini, "[DjVu]\nDjvuTextOnly=1\nDjvuUpsample=1\n");
  const std::string fromSettings = dir.file("a.djvu");
  test::CliResult r =
      RunCli("--settings " + Quote(ini) + " convert " + Quote(in) + " " + Quote(fromSettings));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ChunkFlags(fromSettings), kDjvuChunkMask);
  DibImage image;
  DjvuFileInfo info;
  ASSERT_TRUE(ProbeDjvuFile(image, fromSettings, info));
  EXPECT_EQ(info.width, 360);  // DjvuUpsample 1: twice the size

  const std::string fromOption = dir.file("b.djvu");
  r = RunCli("convert " + Quote(in) + " " + Quote(fromOption) +
             " --text-only --lossless --no-thicken --aggressive --filter-level 20 --foreback 0"
             " --no-color-filter --no-size-filter --no-inv-filter --upsample 1");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ChunkFlags(fromOption), kDjvuChunkMask);
}

// A 100-dpi colour page is enlarged three times by default (or with
// "--upsample auto") and the choice is printed with the progress; "--upsample
// 1" keeps it as it is.
TEST(DjvuSaveCliTest, LowResolutionPagesAreEnlargedUnlessTold) {
  test::TempDir dir;
  test::BmpRecipe recipe;
  recipe.width = 60;
  recipe.height = 48;
  recipe.bits = 24;
  recipe.pixelsPerMetre = 3937;  // 100 dpi
  recipe.pixel = [](int x, int y) { return x % 10 < 3 && y % 16 < 12 ? 0x202060u : 0xF0E8D0u; };
  const std::string in = dir.file("scan.bmp");
  test::WriteBytes(in, test::MakeBmpFile(recipe));
  struct Case {
    const char* option;
    int width;
    const char* said;
  } cases[] = {
      {"", 180, "Upsampling: 3x, the page has 100 dpi"},
      {" --upsample auto", 180, "Upsampling: 3x, the page has 100 dpi"},
      {" --upsample 1", 60, "Upsampling: none as set, the page has 100 dpi"},
      {" --upsample 2", 120, "Upsampling: 2x as set, the page has 100 dpi"},
  };
  for (const Case& c : cases) {
    const std::string out = dir.file("page.djvu");
    const test::CliResult r =
        RunCli("convert " + Quote(in) + " " + Quote(out) + " --progress" + c.option);
    ASSERT_EQ(r.status, 0) << c.option << ": " << r.err;
    EXPECT_TRUE(Contains(r.out, std::string("  0% ") + c.said)) << r.out;
    DibImage image;
    DjvuFileInfo info;
    ASSERT_TRUE(ProbeDjvuFile(image, out, info)) << LastMessage();
    EXPECT_EQ(info.width, c.width) << c.option;
  }
  EXPECT_EQ(
      RunCli("convert " + Quote(in) + " " + Quote(dir.file("x.djvu")) + " --upsample x").status, 2);
}

TEST(DjvuSaveCliTest, Iw44WithItsOwnSettings) {
  test::TempDir dir;
  const std::string out = dir.file("photo.iw44");
  const test::CliResult r = RunCli("convert " + Quote(MakeTextPpm(dir)) + " " + Quote(out) +
                                   " --iw44-quality 30 --crcb 2 --iw44-gamma 2.0");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ChunkFlags(out), kDjvuChunkColorIw44);
}

TEST(DjvuSaveCliTest, OutOfRangeValuesAreUsageErrors) {
  test::TempDir dir;
  const std::string in = MakeTextPpm(dir);
  for (const char* option :
       {"--bg-dpi 75", "--quality 10", "--upsample 5", "--crcb 3", "--gamma 0",
        "--filter-level 300", "--foreback 256", "--iw44-quality 101", "--iw44-gamma 11"}) {
    const test::CliResult r =
        RunCli("convert " + Quote(in) + " " + Quote(dir.file("x.djvu")) + " " + option);
    EXPECT_EQ(r.status, 2) << option;
  }
  EXPECT_FALSE(std::filesystem::exists(dir.file("x.djvu")));
}

// Every corpus page becomes a compound page, a text-only page and an IW44
// file that read back at the page's size.
TEST(DjvuSaveCliTest, CorpusPagesSaveAsDjvuAndIw44) {
  const std::filesystem::path corpus = LEAF_CORPUS_DIR;
  if (!std::filesystem::is_directory(corpus)) GTEST_SKIP() << "no corpus at " << corpus;
  test::TempDir dir;
  int pages = 0;
  for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
    const std::string ext = entry.path().extension().string();
    if (ext != ".jpg" && ext != ".tif" && ext != ".pgm") continue;
    ++pages;
    const std::string in = entry.path().string();
    for (const char* target : {"page.djvu", "text.djvu", "photo.iw44"}) {
      const std::string out = dir.file(target);
      const std::string extra = std::string(target) == "text.djvu" ? " --text-only" : "";
      const test::CliResult r = RunCli("convert " + Quote(in) + " " + Quote(out) + extra);
      ASSERT_EQ(r.status, 0) << in << " -> " << target << ": " << r.err;
      DibImage image;
      ASSERT_TRUE(ReadDjvu(image, out, 0, 24, -3, 2.2)) << in << " -> " << target;
    }
  }
  EXPECT_GT(pages, 0);
}

}  // namespace
}  // namespace leaf
