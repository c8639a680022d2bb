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

using test::Contains;
using test::Quote;
using test::RunCli;
using test::RunCommand;

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
Pbm Decode(const test::TempDir& dir, const std::string& djvu, int page = 1) {
  const std::string out = dir.file("decoded.pbm");
  const std::string command =
      "ddjvu -format=pbm -page=" + std::to_string(page) + " " + Quote(djvu) + " " + Quote(out);
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

// Pages printed in one face share their glyphs (the first two pages here
// the very same prints): the document codes them once, in a dictionary the
// pages include, and still decodes exactly.
TEST(BilevelDjvuCliTest, PagesOfADocumentShareOneDictionary) {
  test::TempDir dir;
  std::vector<test::GlyphSpec> text;
  for (char c = 'a'; c <= 'z'; ++c) text.push_back({std::string(1, c)});
  std::string inputs;
  uintmax_t separate = 0;
  for (unsigned number = 1; number <= 3; ++number) {
    const unsigned seed = number < 3 ? 1 : 2;
    const test::GlyphPage page = test::RenderGlyphPage(text, "DejaVu Sans", 10, 300, 2, seed);
    const std::string pbm = dir.file("page" + std::to_string(number) + ".pbm");
    WritePbm(pbm, page);
    inputs += Quote(pbm) + " ";
    const std::string single = dir.file("single.djvu");
    ASSERT_EQ(RunCli("convert " + Quote(pbm) + " " + Quote(single)).status, 0);
    separate += std::filesystem::file_size(single);
  }
  const std::string bundled = dir.file("book.djvu");
  test::CliResult r = RunCli("convert " + inputs + Quote(bundled));
  ASSERT_EQ(r.status, 0) << r.err;
  const test::CliResult dump = RunCommand("djvudump " + Quote(bundled));
  EXPECT_TRUE(Contains(dump.out, "Djbz")) << dump.out;
  EXPECT_TRUE(Contains(dump.out, "INCL")) << dump.out;
  EXPECT_LT(std::filesystem::file_size(bundled), separate * 4 / 5);

  const std::string folder = dir.file("indirect");
  r = RunCli("convert " + inputs + Quote(folder + "/index.djvu") + " --indirect " + Quote(folder));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(std::filesystem::exists(folder + "/index-shapes0001.djbz"));
  for (const std::string& document : {bundled, folder + "/index.djvu"}) {
    for (int page = 1; page <= 3; ++page) {
      ExpectSamePixels(ReadPbm(dir.file("page" + std::to_string(page) + ".pbm")),
                       Decode(dir, document, page), document + " page " + std::to_string(page));
    }
  }

  // Lossy: smaller still, and every page still decodes.
  const std::string lossy = dir.file("lossy.djvu");
  ASSERT_EQ(RunCli("convert " + inputs + Quote(lossy) + " --aggressive").status, 0);
  EXPECT_LT(std::filesystem::file_size(lossy), std::filesystem::file_size(bundled));
  for (int page = 1; page <= 3; ++page) EXPECT_GT(Decode(dir, lossy, page).width, 0);
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
