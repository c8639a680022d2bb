#include <gtest/gtest.h>

#include <filesystem>

#include "formats/Bmp.h"
#include "tests/support/Fixtures.h"
#include "tests/support/RunCli.h"
#include "tests/support/TempDir.h"

namespace leaf {
namespace {

using test::Contains;
using test::Quote;
using test::RunCli;

std::string Fixture(const std::string& name) {
  return Quote(std::string(LEAF_SOURCE_DIR) + "/tests/data/djvu/" + name);
}

TEST(DjvuCliTest, InfoShowsTheProbeAndThePageDescription) {
  auto r = RunCli("info " + Fixture("compound.djvu") + " " + Fixture("gray.iw44"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "form:        DJVU"));
  EXPECT_TRUE(Contains(r.out, "size:        120 x 90"));
  EXPECT_TRUE(Contains(r.out, "resolution:  300 dpi"));
  EXPECT_TRUE(Contains(r.out, "chunks:      mask background foreground (flags 7)"));
  EXPECT_TRUE(Contains(r.out, "header kind: 1"));
  EXPECT_TRUE(Contains(r.out, "FG44  IW44 foreground colors"));
  EXPECT_TRUE(Contains(r.out, "form:        BM44"));
  EXPECT_TRUE(Contains(r.out, "header kind: 2"));
}

TEST(DjvuCliTest, InfoListsThePagesOfADocument) {
  auto r = RunCli("info --page 2 " + Fixture("rotated.djvu"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "document:    bundled document, 3 pages")) << r.out;
  EXPECT_TRUE(Contains(r.out, "page 1:      120 x 90, 300 dpi, bilevel.djvu \"Cover page\""))
      << r.out;
  EXPECT_TRUE(Contains(
      r.out, "page 2:      90 x 120, 300 dpi, turned 90 degrees counter-clockwise, compound.djvu"));
  EXPECT_TRUE(Contains(r.out, "page 3:      120 x 90, 150 dpi, turned upside down, photo.djvu"));
  EXPECT_TRUE(Contains(r.out, "outline:     3 bookmarks"));
  EXPECT_TRUE(Contains(r.out, "page 2 of 3:"));
  EXPECT_TRUE(Contains(r.out, "chunks:      mask background foreground (flags 7)"));

  // A page whose file is missing is named; the others are still listed.
  test::TempDir dir;
  const std::string folder = dir.file("indirect");
  std::filesystem::copy(std::string(LEAF_SOURCE_DIR) + "/tests/data/djvu/indirect", folder);
  std::filesystem::remove(folder + "/photo.djvu");
  r = RunCli("info " + Quote(folder + "/index.djvu"));
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.out, "document:    indirect document, 3 pages")) << r.out;
  EXPECT_TRUE(Contains(r.out, "page 2:      120 x 90, 300 dpi, compound.djvu")) << r.out;
  EXPECT_TRUE(Contains(r.out,
                       "page 3:      cannot be read: Page 3 of 3 (photo.djvu): Failed to "
                       "open 'photo.djvu': No such file or directory."))
      << r.out;
  EXPECT_TRUE(Contains(r.err, "some pages of")) << r.err;
}

TEST(DjvuCliTest, PageChoosesThePageOfADocument) {
  test::TempDir dir;
  const std::string out = dir.file("page.bmp");
  auto r = RunCli("render " + Fixture("rotated.djvu") + " " + Quote(out) + " --page 2");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "bmp, 90 x 120, 24 bits")) << r.out;
  r = RunCli("convert " + Fixture("indirect/index.djvu") + " " + Quote(out) + " --page 3");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "bmp, 120 x 90, 24 bits")) << r.out;
  r = RunCli("mask " + Fixture("book.djvu") + " " + Quote(dir.file("mask.pbm")) + " --page 2");
  ASSERT_EQ(r.status, 0) << r.err;
  r = RunCli("render " + Fixture("book.djvu") + " " + Quote(out) + " --page 4");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err, "There is no page 4: ")) << r.err;
  EXPECT_TRUE(Contains(r.err, "book.djvu has 3 pages.")) << r.err;
  EXPECT_EQ(RunCli("render " + Fixture("book.djvu") + " " + Quote(out) + " --page 0").status, 2);
}

// A page turned upside down (djvused set-rotation 2 writes 2 into INFO's
// last byte) is as large as ever: that byte is no size factor.
TEST(DjvuCliTest, InfoShowsTheFullSizeOfARotatedPage) {
  test::TempDir dir;
  std::vector<uint8_t> bytes =
      test::ReadBytes(std::string(LEAF_SOURCE_DIR) + "/tests/data/djvu/compound.djvu");
  ASSERT_EQ(std::string(bytes.begin() + 16, bytes.begin() + 20), "INFO");
  const std::string path = dir.file("turned.djvu");
  for (const uint8_t rotation : {2, 3}) {
    bytes[24 + 9] = rotation;
    test::WriteBytes(path, bytes);
    const auto r = RunCli("info " + Quote(path));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(Contains(r.out, "page:        120 x 90, image 120 x 90")) << r.out;
  }
}

TEST(DjvuCliTest, RenderWritesTheChosenLayerAtTheZoomLevel) {
  test::TempDir dir;
  const std::string out = dir.file("page.bmp");
  auto r = RunCli("render " + Fixture("compound.djvu") + " " + Quote(out) + " --zoom -1");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "bmp, 60 x 45, 24 bits")) << r.out;

  r = RunCli("render " + Fixture("compound.djvu") + " " + Quote(out) + " --layer mask --depth 8");
  ASSERT_EQ(r.status, 0) << r.err;
  DibImage image;
  ASSERT_TRUE(ReadBmp(image, out));
  EXPECT_EQ(image.raster.bitsPerPixel, 8);
  EXPECT_EQ(test::PixelAt(image.raster, 15, 15), 0u);  // ink of the mask
  EXPECT_EQ(test::PixelAt(image.raster, 0, 0), 255u);

  r = RunCli("convert " + Fixture("colour.iw44") + " " + Quote(out));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "bmp, 120 x 90, 24 bits")) << r.out;

  EXPECT_EQ(RunCli("render " + Fixture("compound.djvu") + " " + Quote(out) + " --layer x").status,
            2);
  EXPECT_EQ(RunCli("render " + Fixture("compound.djvu") + " " + Quote(out) + " --zoom -100").status,
            2);
  EXPECT_EQ(RunCli("render " + Quote(out) + " " + Quote(out)).status, 2);
  r = RunCli("render " + Fixture("lying-dirm.djvu") + " " + Quote(out) + " --page 3");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err, "Page 3 of 3 (photo.djvu): ")) << r.err;
}

}  // namespace
}  // namespace leaf
