#include <gtest/gtest.h>
#include <tiffio.h>

#include <cctype>
#include <filesystem>

#include "tests/support/Fixtures.h"
#include "tests/support/RunCli.h"
#include "tests/support/TempDir.h"
#include "tests/support/TiffFixtures.h"

namespace leaf {
namespace {

using test::Contains;
using test::Quote;
using test::RunCli;

std::string Convert(const std::string& in, const std::string& out,
                    const std::string& options = "") {
  const test::CliResult r = RunCli("convert " + Quote(in) + " " + Quote(out) + " " + options);
  EXPECT_EQ(r.status, 0) << r.err;
  return r.out;
}

// A colourful 24-bit page as a PPM file.
std::string MakeColourPpm(const test::TempDir& dir) {
  const std::string path = dir.file("colour.ppm");
  std::string ppm = "P6\n64 48\n255\n";
  for (int y = 0; y < 48; ++y) {
    for (int x = 0; x < 64; ++x) {
      ppm += static_cast<char>(x * 4);
      ppm += static_cast<char>(y * 5);
      ppm += static_cast<char>((x * y) & 255);
    }
  }
  test::WriteText(path, ppm);
  return path;
}

TEST(CliFormatsTest, TiffPagesAreChosenAndCounted) {
  test::TempDir dir;
  std::vector<test::TiffRecipe> pages(3);
  for (uint32_t i = 0; i < 3; ++i) pages[i].width = 5 + i;
  const std::string tif = dir.file("pages.tif");
  test::WriteTiff(tif, pages);
  auto r = RunCli("info " + Quote(tif));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "pages:       3")) << r.out;
  EXPECT_TRUE(Contains(Convert(tif, dir.file("p2.bmp"), "--page 2"), "bmp, 6 x 4, 8 bits"));
  EXPECT_TRUE(Contains(Convert(tif, dir.file("p9.pgm"), "--page 9"), "pnm, 5 x 4, 8 bits"));
  r = RunCli("convert " + Quote(tif) + " " + Quote(dir.file("out.tif")));
  EXPECT_EQ(r.status, 2);  // TIFF is not written
}

// PNG is read and written like the other types, by name, by --type and by
// its content on standard input.
TEST(CliFormatsTest, PngConvertsBothWays) {
  test::TempDir dir;
  const std::string ppm = MakeColourPpm(dir);
  const std::string png = dir.file("page.png");
  EXPECT_TRUE(Contains(Convert(ppm, png), "png, 64 x 48, 24 bits"));
  auto r = RunCli("info " + Quote(png));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "type:        png")) << r.out;
  EXPECT_TRUE(Contains(Convert(png, dir.file("page.djvu")), "djvu, 64 x 48, 24 bits"));
  EXPECT_TRUE(
      Contains(Convert(png, dir.file("gray.out"), "--type png --gray"), "png, 64 x 48, 8 bits"));
  r = RunCli("convert - " + Quote(dir.file("again.ppm")) + " < " + Quote(png));
  ASSERT_EQ(r.status, 0) << r.err;
  Convert(ppm, dir.file("direct.ppm"));
  EXPECT_EQ(test::ReadBytes(dir.file("again.ppm")), test::ReadBytes(dir.file("direct.ppm")));
}

TEST(CliFormatsTest, WarningsGoToStderrAndStrictMakesThemFailures) {
  test::TempDir dir;
  const std::string tif = dir.file("pages.tif");
  test::WriteTiff(tif, std::vector<test::TiffRecipe>(2));
  const std::string out = dir.file("out.pgm");
  auto r = RunCli("convert " + Quote(tif) + " " + Quote(out) + " --page 5");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(r.err, "warning: " + tif + ": There is no page 5: the file has 2 pages."))
      << r.err;
  std::filesystem::remove(out);
  r = RunCli("convert " + Quote(tif) + " " + Quote(out) + " --page 5 --strict");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err, "refused because of the warning above (--strict)")) << r.err;
  EXPECT_FALSE(test::FileExists(out));

  // The pixel limit, and what to give to raise it.
  const std::string pgm = dir.file("big.pgm");
  test::WriteText(pgm, "P5\n1100 1000\n255\n" + std::string(1100 * 1000, '\x80'));
  r = RunCli("info --max-megapixels 1 " + Quote(pgm));
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err,
                       "more than the limit of 1 megapixels. To allow it, give "
                       "--max-megapixels 2, or set MaxMegapixels=2"))
      << r.err;
  EXPECT_EQ(RunCli("convert " + Quote(pgm) + " " + Quote(out) + " --max-megapixels 2").status, 0);
  r = RunCli("convert " + Quote(pgm) + " " + Quote(dir.file("out.xyz")));
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(Contains(r.err, "give it a name ending in .djvu, .djv, .iw44")) << r.err;
}

// A scan's resolution reaches every format it is saved in: TIFF without a
// ResolutionUnit tag counts in inches, pixels per centimetre become dots per
// inch in a DjVu page, and a page with only an aspect ratio still saves.
TEST(CliFormatsTest, TiffResolutionsReachEveryFormat) {
  test::TempDir dir;
  struct Case {
    const char* what;
    int unit;
    bool writeUnit;
    float resolution;
    const char* shown;  // by info, for JPEG and BMP
    const char* djvu;   // by info, for DjVu
  };
  const Case cases[] = {
      {"no unit tag", RESUNIT_INCH, false, 300, "300 x 300 dpi", "resolution:  300 dpi"},
      {"per centimetre", RESUNIT_CENTIMETER, true, 118, "300 x 300 dpi", "resolution:  300 dpi"},
      {"aspect ratio", RESUNIT_NONE, true, 1, "0 x 0 dpi", "resolution:  300 dpi"},
  };
  for (const Case& c : cases) {
    test::TiffRecipe recipe;
    recipe.width = 40;
    recipe.height = 30;
    recipe.resolutionUnit = c.unit;
    recipe.writeResolutionUnit = c.writeUnit;
    recipe.xResolution = recipe.yResolution = c.resolution;
    const std::string tif = dir.file("scan.tif");
    test::WriteTiff(tif, {recipe});
    for (const char* name : {"scan.jpg", "scan.bmp", "scan.djvu"}) {
      const std::string out = dir.file(name);
      Convert(tif, out);
      const test::CliResult r = RunCli("info " + Quote(out));
      ASSERT_EQ(r.status, 0) << c.what << " " << name << ": " << r.err;
      const bool djvu = std::string(name).ends_with(".djvu");
      EXPECT_TRUE(Contains(r.out, djvu ? c.djvu : c.shown)) << c.what << " " << name << r.out;
    }
  }
}

TEST(CliFormatsTest, JpegOptionsOverrideTheSettingsFileAndReadDepth) {
  test::TempDir dir;
  const std::string ppm = MakeColourPpm(dir);
  const auto size = [&](const std::string& name) {
    return std::filesystem::file_size(dir.file(name));
  };
  Convert(ppm, dir.file("q95.jpg"), "--jpeg-quality 95 --jpeg-optimize --jpeg-dct float");
  Convert(ppm, dir.file("q10.jpg"), "--jpeg-quality 10 --jpeg-smooth 20");
  EXPECT_LT(size("q10.jpg"), size("q95.jpg"));

  const std::string ini = dir.file("low.ini");
  test::WriteText(ini, "[JPEG]\nJpegQty=10\nJpegSmooth=20\n");
  auto r = RunCli("--settings " + Quote(ini) + " convert " + Quote(ppm) + " " +
                  Quote(dir.file("settings.jpg")));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(test::ReadBytes(dir.file("settings.jpg")), test::ReadBytes(dir.file("q10.jpg")));

  // Reading for a shallow display, and writing PNM.
  const std::string jpg = dir.file("q95.jpg");
  EXPECT_TRUE(Contains(Convert(jpg, dir.file("deep.bmp")), "bmp, 64 x 48, 24 bits"));
  EXPECT_TRUE(Contains(Convert(jpg, dir.file("shallow.bmp"), "--display-depth 8 --jpeg-dct fast"),
                       "bmp, 64 x 48, 8 bits"));
  EXPECT_TRUE(Contains(Convert(jpg, dir.file("page.ppm")), "pnm, 64 x 48, 24 bits"));

  EXPECT_EQ(RunCli("convert " + Quote(ppm) + " x.jpg --jpeg-quality 101").status, 2);
  EXPECT_EQ(RunCli("convert " + Quote(ppm) + " x.jpg --jpeg-dct slow").status, 2);
  EXPECT_EQ(RunCli("convert " + Quote(ppm) + " x.jpg --display-depth 0").status, 2);
}

// "W x H" from the tool's report of what it wrote.
std::string SizeIn(const std::string& wrote) {
  const size_t x = wrote.find(" x ");
  if (x == std::string::npos) return "";
  size_t begin = x, end = x + 3;
  while (begin > 0 && std::isdigit(static_cast<unsigned char>(wrote[begin - 1]))) --begin;
  while (end < wrote.size() && std::isdigit(static_cast<unsigned char>(wrote[end]))) ++end;
  return wrote.substr(begin, end - begin);
}

// Every sample page opens, converts to each writable type, and that converts back.
TEST(CliFormatsTest, CorpusPagesConvertToEveryWritableTypeAndBack) {
  const std::filesystem::path corpus = LEAF_CORPUS_DIR;
  if (!std::filesystem::is_directory(corpus)) GTEST_SKIP() << "no corpus at " << corpus;
  test::TempDir dir;
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
    const std::string ext = entry.path().extension().string();
    if (ext != ".jpg" && ext != ".tif" && ext != ".bmp" && ext != ".pgm" && ext != ".ppm" &&
        ext != ".pbm") {
      continue;
    }
    ++files;
    const std::string in = entry.path().string();
    auto r = RunCli("info " + Quote(in));
    ASSERT_EQ(r.status, 0) << in << r.err;
    for (const char* type : {"bmp", "ppm", "jpg"}) {
      const std::string out = dir.file("out." + std::string(type));
      const std::string size = SizeIn(Convert(in, out));
      EXPECT_FALSE(size.empty()) << in;
      // Back to the input's own type, or to BMP for TIFF, which is not written.
      const std::string back = Convert(out, dir.file("back" + (ext == ".tif" ? ".bmp" : ext)));
      EXPECT_EQ(SizeIn(back), size) << in << " -> " << type << " -> back";
    }
  }
  EXPECT_GT(files, 0);
}

}  // namespace
}  // namespace leaf
