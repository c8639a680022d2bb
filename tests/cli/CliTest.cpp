#include <gtest/gtest.h>
#include <sys/stat.h>

#include "formats/Bmp.h"
#include "tests/support/Fixtures.h"
#include "tests/support/RunCli.h"
#include "tests/support/TempDir.h"

namespace leaf {
namespace {

using test::Contains;
using test::Quote;
using test::RunCli;

TEST(CliTest, HelpVersionAndUsageErrors) {
  auto r = RunCli("--help");
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(Contains(r.out, "convert"));
  EXPECT_TRUE(Contains(r.out, "info"));
  r = RunCli("convert --help");
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(Contains(r.out, "--type"));
  r = RunCli("--version");
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(Contains(r.out, "leafsmith-cli "));
  EXPECT_EQ(RunCli("").status, 2);
  r = RunCli("frobnicate");
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(Contains(r.err, "unknown command"));
  EXPECT_EQ(RunCli("--bogus info x.bmp").status, 2);
  EXPECT_EQ(RunCli("convert a.bmp").status, 2);
  EXPECT_EQ(RunCli("convert a.bmp b.bmp --page zero").status, 2);
  EXPECT_EQ(RunCli("convert a.bmp b.xyz").status, 2);
  EXPECT_EQ(RunCli("--settings").status, 2);
}

TEST(CliTest, ConvertsPnmToBmpAndShowsInfo) {
  test::TempDir dir;
  const std::string in = dir.file("page.pgm"), out = dir.file("page.bmp");
  std::string pgm = "P5\n4 3\n255\n";
  for (int i = 0; i < 12; ++i) pgm.push_back(static_cast<char>(i * 20));
  test::WriteText(in, pgm);
  auto r = RunCli("convert " + Quote(in) + " " + Quote(out));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "wrote " + out + ": bmp, 4 x 3, 8 bits"));
  DibImage image;
  ASSERT_TRUE(ReadBmp(image, out));
  EXPECT_EQ(test::PixelAt(image.raster, 1, 1), 100u);

  r = RunCli("info " + Quote(out) + " " + Quote(in));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "size:        4 x 3"));
  EXPECT_TRUE(Contains(r.out, "min-is-black (gray ramp)"));
  EXPECT_TRUE(Contains(r.out, "type:        pnm"));
}

TEST(CliTest, FailuresGoToStderrWithStatusOne) {
  test::TempDir dir;
  const std::string bad = dir.file("bad.bmp");
  test::WriteText(bad, "BMxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx");
  auto r = RunCli("info " + Quote(bad));
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err, "bad.bmp")) << r.err;
  r = RunCli("convert " + Quote(dir.file("missing.pgm")) + " " + Quote(dir.file("x.bmp")));
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err, "missing.pgm: No such file or directory.")) << r.err;
  EXPECT_FALSE(test::FileExists(dir.file("x.bmp")));
  r = RunCli("info " + Quote(dir.file("notes.txt")));
  EXPECT_EQ(r.status, 1);
}

TEST(CliTest, SettingsCommandWritesACompleteProfile) {
  test::TempDir dir;
  const std::string ini = dir.file("my.ini");
  test::WriteText(ini, "[JPEG]\nJpegQty=55\n");
  auto r = RunCli("--settings " + Quote(ini) + " settings --write");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "JpegQty=55"));
  const auto bytes = test::ReadBytes(ini);
  const std::string text(bytes.begin(), bytes.end());
  EXPECT_TRUE(Contains(text, "JpegQty=55"));
  EXPECT_TRUE(Contains(text, "DisplayGamma=2.2"));
}

TEST(CliTest, StandardStreamsWriteProtectedFilesAndFullDisks) {
  test::TempDir dir;
  const std::string gray = "P5\n3 2\n255\n" + std::string(6, '\x40');
  const std::string pgm = dir.file("in.pgm");
  test::WriteText(pgm, gray);
  // "-" reads standard input, its type told by the content, and writes
  // standard output; the report goes to stderr then.
  auto r = RunCli("convert - - --type pnm < " + Quote(pgm));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, gray);
  EXPECT_TRUE(Contains(r.err, "wrote -: pnm, 3 x 2, 8 bits\n")) << r.err;  // no "0 bytes"

  const std::string out = dir.file("out.bmp");
  test::WriteText(out, "keep");
  ASSERT_EQ(chmod(out.c_str(), 0444), 0);
  r = RunCli("convert " + Quote(pgm) + " " + Quote(out));
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err, out + " is write-protected; give --force to replace it")) << r.err;
  EXPECT_EQ(test::ReadBytes(out).size(), 4u);
  EXPECT_EQ(RunCli("convert " + Quote(pgm) + " " + Quote(out) + " --force").status, 0);
  EXPECT_GT(test::ReadBytes(out).size(), 4u);

  r = RunCli("convert " + Quote(pgm) + " /dev/full --type bmp");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err, "Cannot write /dev/full: No space left on device.")) << r.err;
}

}  // namespace
}  // namespace leaf
