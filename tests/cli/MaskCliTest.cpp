#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tests/support/Fixtures.h"
#include "tests/support/RunCli.h"
#include "tests/support/TempDir.h"

namespace leaf {
namespace {

using test::Contains;
using test::Quote;
using test::RunCli;

// A 160 x 160 gray page: a black bar on white, and a black box with a
// white bar inside it (light marks on dark ground).
std::string WritePage(const test::TempDir& dir) {
  test::BmpRecipe recipe;
  recipe.width = 160;
  recipe.height = 160;
  recipe.bits = 8;
  recipe.pixel = [](int x, int y) -> uint32_t {
    if (x >= 10 && x <= 40 && y >= 4 && y <= 8) return 0;
    const bool box = x >= 5 && x <= 154 && y >= 15 && y <= 154;
    const bool bar = x >= 60 && x <= 89 && y >= 70 && y <= 79;
    return box && !bar ? 0 : 255;
  };
  const std::string path = dir.file("page.bmp");
  test::WriteBytes(path, test::MakeBmpFile(recipe));
  return path;
}

// Black pixels of a P4 file written by the tool, and its size.
struct Pbm {
  int w = 0, h = 0;
  std::vector<uint8_t> bits;
  bool black(int x, int y) const { return bits[y * ((w + 7) / 8) + x / 8] & (0x80 >> (x % 8)); }
};
Pbm ReadPbm(const std::string& path) {
  const auto bytes = test::ReadBytes(path);
  Pbm pbm;
  int consumed = 0;
  EXPECT_EQ(std::sscanf(reinterpret_cast<const char*>(bytes.data()), "P4\n%d %d\n%n", &pbm.w,
                        &pbm.h, &consumed),
            2);
  pbm.bits.assign(bytes.begin() + consumed, bytes.end());
  EXPECT_EQ(pbm.bits.size(), static_cast<size_t>((pbm.w + 7) / 8 * pbm.h));
  return pbm;
}

TEST(MaskCliTest, WritesTheMaskAsPbmWithBlackForeground) {
  test::TempDir dir;
  const std::string page = WritePage(dir), out = dir.file("mask.pbm");
  auto r = RunCli("mask " + Quote(page) + " " + Quote(out));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "wrote " + out + ": mask, 160 x 160, 300 dpi")) << r.out;
  Pbm mask = ReadPbm(out);
  ASSERT_EQ(mask.w, 160);
  ASSERT_EQ(mask.h, 160);
  EXPECT_TRUE(mask.black(25, 6));    // the bar
  EXPECT_FALSE(mask.black(2, 2));    // paper
  EXPECT_FALSE(mask.black(20, 40));  // the box is a dark region...
  EXPECT_TRUE(mask.black(75, 75));   // ...holding a light mark

  // Without the inverse filter (option or setting) the box itself is the mark.
  r = RunCli("mask " + Quote(page) + " " + Quote(out) + " --no-inv-filter");
  ASSERT_EQ(r.status, 0) << r.err;
  mask = ReadPbm(out);
  EXPECT_TRUE(mask.black(20, 40));
  EXPECT_FALSE(mask.black(75, 75));
  const std::string ini = dir.file("no-inv.ini");
  test::WriteText(ini, "[DjVu]\nDjvuNoInvFilter=1\n");
  r = RunCli("--settings " + Quote(ini) + " mask " + Quote(page) + " " + Quote(out));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(ReadPbm(out).black(20, 40));
  // With every filter off the threshold mask comes back as it is.
  r = RunCli("mask " + Quote(page) + " " + Quote(out) +
             " --no-color-filter --no-size-filter --no-inv-filter --filter-level -200");
  ASSERT_EQ(r.status, 0) << r.err;
  mask = ReadPbm(out);
  EXPECT_TRUE(mask.black(20, 40));
  EXPECT_TRUE(mask.black(25, 6));
}

TEST(MaskCliTest, UsageAndFailures) {
  test::TempDir dir;
  const std::string page = WritePage(dir), out = dir.file("mask.pbm");
  EXPECT_EQ(RunCli("mask " + Quote(page)).status, 2);
  EXPECT_EQ(RunCli("mask " + Quote(page) + " " + Quote(out) + " --filter-level 300").status, 2);
  EXPECT_EQ(RunCli("mask " + Quote(page) + " " + Quote(out) + " --foreback").status, 2);
  EXPECT_EQ(RunCli("mask " + Quote(page) + " " + Quote(out) + " --bogus").status, 2);
  auto r = RunCli("mask --help");
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(Contains(r.out, "--no-inv-filter"));
  r = RunCli("mask " + Quote(dir.file("missing.bmp")) + " " + Quote(out));
  EXPECT_EQ(r.status, 1);
  EXPECT_FALSE(test::FileExists(out));
  // Missing folders are made, as for every save; a file in the way fails.
  r = RunCli("mask " + Quote(page) + " " + Quote(dir.file("new/dir/m.pbm")));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(test::FileExists(dir.file("new/dir/m.pbm")));
  r = RunCli("mask " + Quote(page) + " " + Quote(page + "/m.pbm"));
  EXPECT_EQ(r.status, 1);
  EXPECT_FALSE(r.err.empty());
  // The split into tonal halves runs too.
  r = RunCli("mask " + Quote(page) + " " + Quote(out) + " --foreback 128");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(ReadPbm(out).black(25, 6));
}

}  // namespace
}  // namespace leaf
