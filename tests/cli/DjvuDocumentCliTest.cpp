#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "formats/Pnm.h"
#include "tests/support/Fixtures.h"
#include "tests/support/RunCli.h"
#include "tests/support/TempDir.h"
#include "tests/support/TiffFixtures.h"

namespace leaf {
namespace {

using test::Contains;
using test::Quote;
using test::RunCli;
using test::RunCommand;

// A three-page TIFF: two bilevel pages and a gray one, each 64 pixels wide
// plus its index.
std::string MakeScan(const test::TempDir& dir) {
  const std::string path = dir.file("scan.tif");
  std::vector<test::TiffRecipe> pages(3);
  for (size_t i = 0; i < pages.size(); ++i) {
    test::TiffRecipe& page = pages[i];
    page.width = 64 + static_cast<uint32_t>(i);
    page.height = 48;
    page.bitsPerSample = i == 2 ? 8 : 1;
    page.photometric = 0;  // min-is-white
    page.resolutionUnit = 2;
    page.xResolution = page.yResolution = 300;
    page.sample = [i](uint32_t x, uint32_t y, int) -> uint32_t {
      const bool ink = (x / 6 + y / 8 + i) % 3 == 0 && y > 8 && y < 40;
      return i == 2 ? (ink ? 230 : 20) : (ink ? 1 : 0);
    };
  }
  test::WriteTiff(path, pages);
  return path;
}

// What DjVuLibre's own tools make of a written document, page by page.
void ExpectToolsReadEveryPage(const std::string& path, int pages, const test::TempDir& dir) {
  if (!test::HaveProgram("ddjvu") || !test::HaveProgram("djvudump")) {
    GTEST_SKIP() << "DjVuLibre's tools are not installed";
  }
  const test::CliResult dump = RunCommand("djvudump " + Quote(path));
  ASSERT_EQ(dump.status, 0) << dump.err;
  EXPECT_TRUE(Contains(dump.out, std::to_string(pages) + " pages)")) << dump.out;
  for (int page = 1; page <= pages; ++page) {
    const std::string out = dir.file("page.pnm");
    const test::CliResult r = RunCommand("ddjvu -scale=300 -page=" + std::to_string(page) + " " +
                                         Quote(path) + " " + Quote(out));
    ASSERT_EQ(r.status, 0) << "page " << page << ": " << r.err;
    DibImage image;
    ASSERT_TRUE(ReadPnm(image, out));
    EXPECT_EQ(image.raster.width, 63 + page);
  }
}

TEST(DjvuDocumentCliTest, AllPagesOfATiffMakeOneDocument) {
  test::TempDir dir;
  const std::string scan = MakeScan(dir);
  const std::string out = dir.file("book.djvu");
  auto r = RunCli("convert " + Quote(scan) + " " + Quote(out) + " --all-pages --jobs 2 --progress");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "page 3 of 3 encoded")) << r.out;
  EXPECT_TRUE(Contains(r.out, "wrote " + out + ": djvu document, 3 pages, ")) << r.out;
  r = RunCli("info " + Quote(out));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "page 3:      66 x 48, 300 dpi, p0003.djvu")) << r.out;
  ExpectToolsReadEveryPage(out, 3, dir);
}

TEST(DjvuDocumentCliTest, SeveralInputsMakeOneDocumentBundledOrIndirect) {
  test::TempDir dir;
  const std::string scan = MakeScan(dir);
  // Page 2 of the TIFF, then a page of another format, then page 2 again.
  const std::string bmp = dir.file("page.bmp");
  ASSERT_EQ(RunCli("convert " + Quote(scan) + " " + Quote(bmp) + " --page 3").status, 0);
  const std::string inputs = Quote(scan) + " " + Quote(bmp) + " " + Quote(scan);
  auto r = RunCli("convert " + inputs + " " + Quote(dir.file("three.djvu")) + " --page 2");
  ASSERT_EQ(r.status, 0) << r.err;
  r = RunCli("info " + Quote(dir.file("three.djvu")));
  EXPECT_TRUE(Contains(r.out, "page 1:      65 x 48")) << r.out;
  EXPECT_TRUE(Contains(r.out, "page 2:      66 x 48")) << r.out;
  EXPECT_TRUE(Contains(r.out, "page 3:      65 x 48")) << r.out;

  const std::string folder = dir.file("web");
  r = RunCli("convert " + Quote(scan) + " " + Quote(dir.file("ignored/book.djvu")) +
             " --all-pages --indirect " + Quote(folder));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "wrote " + folder +
                                  "/book.djvu: indirect djvu document, 3 pages "
                                  "in 4 files, "))
      << r.out;
  EXPECT_TRUE(test::FileExists(folder + "/book-p0002.djvu"));
  EXPECT_FALSE(test::FileExists(dir.file("ignored")));
  ExpectToolsReadEveryPage(folder + "/book.djvu", 3, dir);
}

TEST(DjvuDocumentCliTest, DocumentsRefuseWhatCannotBeDone) {
  test::TempDir dir;
  const std::string scan = MakeScan(dir);
  const std::string out = dir.file("book.djvu");
  // Several pages make a DjVu document only.
  EXPECT_EQ(
      RunCli("convert " + Quote(scan) + " " + Quote(scan) + " " + Quote(dir.file("x.bmp"))).status,
      2);
  EXPECT_EQ(
      RunCli("convert " + Quote(scan) + " " + Quote(dir.file("x.jpg")) + " --all-pages").status, 2);
  EXPECT_EQ(RunCli("convert " + Quote(scan) + " " + Quote(out) + " --all-pages --page 2").status,
            2);
  EXPECT_EQ(RunCli("convert " + Quote(scan) + " " + Quote(out) + " --all-pages --jobs 0").status,
            2);
  // A page that cannot be read names its file; nothing is written.
  const std::string missing = dir.file("missing.pgm");
  auto r = RunCli("convert " + Quote(scan) + " " + Quote(missing) + " " + Quote(out));
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err, "Page 2 of 2: " + missing + ": ")) << r.err;
  r = RunCli("convert " + Quote(scan) + " " + Quote(dir.file("notes.txt")) + " " + Quote(out));
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err, "cannot tell the type of")) << r.err;
  EXPECT_FALSE(test::FileExists(out));
}

}  // namespace
}  // namespace leaf
