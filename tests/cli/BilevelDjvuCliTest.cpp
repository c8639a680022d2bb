// Black-and-white pages saved as DjVu: coded losslessly unless aggressive
// coding is asked for, so that DjVuLibre's ddjvu decodes exactly the page
// that was saved, pixel for pixel.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/GlyphPages.h"
#include "tests/support/RunCli.h"
#include "tests/support/TempDir.h"

namespace leaf {
namespace {

using test::Quote;
using test::RunCli;

struct Pbm {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rows;  // packed, 1 = black
};

void WritePbm(const std::string& path, const test::GlyphPage& page) {
  const int stride = (page.width + 7) / 8;
  std::string data = "P4\n" + std::to_string(page.width) + " " + std::to_string(page.height) + "\n";
  std::string rows(static_cast<size_t>(stride) * page.height, '\0');
  for (int y = 0; y < page.height; ++y) {
    for (int x = 0; x < page.width; ++x) {
      if (page.at(x, y)) rows[static_cast<size_t>(y) * stride + x / 8] |= char(0x80 >> (x % 8));
    }
  }
  test::WriteText(path, data + rows);
}

Pbm ReadPbm(const std::string& path) {
  const std::vector<uint8_t> bytes = test::ReadBytes(path);
  Pbm pbm;
  std::istringstream header(
      std::string(bytes.begin(), bytes.begin() + std::min<size_t>(64, bytes.size())));
  std::string magic;
  header >> magic >> pbm.width >> pbm.height;
  if (magic != "P4") return {};
  const size_t start = static_cast<size_t>(header.tellg()) + 1;
  pbm.rows.assign(bytes.begin() + static_cast<std::ptrdiff_t>(start), bytes.end());
  return pbm;
}

// Decodes a DjVu page with ddjvu into a PBM file.
Pbm Decode(const test::TempDir& dir, const std::string& djvu) {
  const std::string out = dir.file("decoded.pbm");
  const std::string command = "ddjvu -format=pbm " + Quote(djvu) + " " + Quote(out);
  if (std::system(command.c_str()) != 0) return {};
  return ReadPbm(out);
}

void ExpectSamePixels(const Pbm& a, const Pbm& b, const std::string& what) {
  ASSERT_EQ(a.width, b.width) << what;
  ASSERT_EQ(a.height, b.height) << what;
  ASSERT_EQ(a.rows.size(), b.rows.size()) << what;
  EXPECT_TRUE(a.rows == b.rows) << what << " decodes with different pixels";
}

TEST(BilevelDjvuCliTest, ScannedLookingPagesDecodeExactly) {
  test::TempDir dir;
  const std::vector<test::GlyphSpec> text = {{"a"}, {"e"}, {"s"}, {"rn"}, {"m"}, {"1"}, {"l"}};
  for (int dpi : {150, 300, 600}) {
    const test::GlyphPage page = test::RenderGlyphPage(text, "DejaVu Serif", 10, dpi, 8, 3);
    const std::string pbm = dir.file("page.pbm");
    WritePbm(pbm, page);
    const std::string djvu = dir.file("page.djvu");
    const test::CliResult r = RunCli("convert " + Quote(pbm) + " " + Quote(djvu));
    ASSERT_EQ(r.status, 0) << r.err;
    ExpectSamePixels(ReadPbm(pbm), Decode(dir, djvu), std::to_string(dpi) + " dpi");

    // Aggressive coding changes pixels, for a smaller file.
    const std::string lossy = dir.file("lossy.djvu");
    ASSERT_EQ(RunCli("convert " + Quote(pbm) + " " + Quote(lossy) + " --aggressive").status, 0);
    EXPECT_LT(std::filesystem::file_size(lossy), std::filesystem::file_size(djvu)) << dpi;
  }
}

// The bilevel pages of the shared corpus, when it is there.
TEST(BilevelDjvuCliTest, CorpusPagesDecodeExactly) {
  const std::string corpus = LEAF_CORPUS_DIR;
  if (!std::filesystem::exists(corpus + "/feyn.tif")) GTEST_SKIP() << "no corpus in " << corpus;
  test::TempDir dir;
  for (const char* name : {"feyn", "pageseg1"}) {
    const std::string pbm = dir.file(std::string(name) + ".pbm");
    const std::string djvu = dir.file(std::string(name) + ".djvu");
    ASSERT_EQ(RunCli("convert " + Quote(corpus + "/" + name + ".tif") + " " + Quote(pbm)).status,
              0);
    const test::CliResult r = RunCli("convert " + Quote(pbm) + " " + Quote(djvu) + " --lossless");
    ASSERT_EQ(r.status, 0) << r.err;
    ExpectSamePixels(ReadPbm(pbm), Decode(dir, djvu), name);
  }
}

}  // namespace
}  // namespace leaf
