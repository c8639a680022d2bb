// leafsmith-cli scan against SANE's virtual test scanner.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "formats/ImageFiles.h"
#include "tests/support/RunCli.h"
#include "tests/support/SaneTestBackend.h"
#include "tests/support/TempDir.h"

namespace leaf {
namespace {

using test::Contains;
using test::PixelsFor;
using test::Quote;
using test::RunCli;

class ScanCliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SKIP_WITHOUT_SANE_TEST_BACKEND(backend_);
    // The test backend leaks a buffer whenever a pass ends; in the tool's
    // own process it cannot be told apart from ours (the scanner tests
    // check our code for leaks with the backend kept loaded).
    const char* asan = std::getenv("ASAN_OPTIONS");
    savedAsan_ = asan ? asan : "";
    setenv("ASAN_OPTIONS", (savedAsan_ + ":detect_leaks=0").c_str(), 1);
  }
  void TearDown() override { setenv("ASAN_OPTIONS", savedAsan_.c_str(), 1); }

  static DibImage Read(const std::string& path) {
    DibImage image;
    EXPECT_TRUE(ReadImageFile(image, path, FileTypeForReading(path))) << path;
    return image;
  }

  test::SaneTestBackend backend_;
  test::TempDir dir_;
  std::string savedAsan_;
};

TEST_F(ScanCliTest, ListsTheScanners) {
  const auto r = RunCli("scan --list");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "test:0"));
  EXPECT_TRUE(Contains(r.out, "test:1"));
  EXPECT_TRUE(Contains(RunCli("scan --help").out, "--bg-dpi N")) << "convert's options";
}

TEST_F(ScanCliTest, OneCommandScansAPageIntoASmallDjvuFile) {
  const std::string out = dir_.file("page.djvu");
  const auto r = RunCli("scan " + Quote(out) + " --mode color --resolution 150 --option " +
                        Quote("test-picture=Color pattern"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "wrote " + out + ": djvu, 472 x 590, 24 bits"));
  // Below 200 dpi the DjVu encoder enlarges a colour page twice, from the
  // resolution the scan gave the page.
  const DibImage page = Read(out);
  EXPECT_EQ(page.raster.width, 2 * PixelsFor(80, 150));
  EXPECT_EQ(page.raster.xResolution, 300) << "the scan's resolution is the page's";
}

TEST_F(ScanCliTest, EveryModeGivesItsDepthAndEditsApply) {
  struct Case {
    const char* mode;
    const char* file;
    int bits;
  };
  const Case cases[] = {{"color", "c.ppm", 24}, {"grey", "g.bmp", 8}, {"lineart", "l.pbm", 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    const std::string out = dir_.file(c.file);
    const auto r = RunCli("scan " + Quote(out) + " --mode " + c.mode +
                          " --resolution 100 --area 5,5,40,30 --rotate right");
    ASSERT_EQ(r.status, 0) << r.err;
    const DibImage page = Read(out);
    EXPECT_EQ(page.raster.bitsPerPixel, c.bits);
    EXPECT_EQ(page.raster.width, PixelsFor(30, 100)) << "turned a quarter";
    EXPECT_EQ(page.raster.height, PixelsFor(40, 100));
  }
}

TEST_F(ScanCliTest, TheFeederFillsNumberedFiles) {
  const std::string out = dir_.file("batch/scan.jpg");
  const auto r = RunCli("scan " + Quote(out) + " --source adf --resolution 20 --jpeg-quality 50");
  ASSERT_EQ(r.status, 0) << r.err;
  for (int page = 1; page <= 10; ++page) {
    char name[32];
    std::snprintf(name, sizeof name, "batch/scan-%04d.jpg", page);
    EXPECT_TRUE(Contains(r.out, "wrote " + dir_.file(name))) << name;
    EXPECT_TRUE(test::FileExists(dir_.file(name)));
  }
  EXPECT_FALSE(test::FileExists(out));
  EXPECT_FALSE(test::FileExists(dir_.file("batch/scan-0011.jpg")));
}

TEST_F(ScanCliTest, TheFeederIntoADjvuFileMakesOneDocument) {
  const std::string out = dir_.file("book.djvu");
  const auto r = RunCli("scan " + Quote(out) + " --source adf --resolution 20 --mode lineart");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "page 10 scanned"));
  EXPECT_TRUE(Contains(r.out, "wrote " + out + ": djvu document, 10 pages"));
  DibImage probe;
  EXPECT_EQ(CountPages(probe, out, kFileDjvu), 10);
  EXPECT_FALSE(test::FileExists(dir_.file("book-0001.djvu")));
}

TEST_F(ScanCliTest, TheSettingsChooseWhatTheCommandLineLeavesOpen) {
  const std::string ini = dir_.file("Leafsmith.ini");
  test::WriteText(ini, "[Scan]\nScanDevice=test:1\nScanMode=lineart\nScanResolution=60\n");
  const std::string out = dir_.file("s.pbm");
  auto r = RunCli("--settings " + Quote(ini) + " scan " + Quote(out));
  ASSERT_EQ(r.status, 0) << r.err;
  DibImage page = Read(out);
  EXPECT_EQ(page.raster.bitsPerPixel, 1);
  EXPECT_EQ(page.raster.width, PixelsFor(80, 60));
  r = RunCli("--settings " + Quote(ini) + " scan " + Quote(out) + " --mode gray");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Read(out).raster.bitsPerPixel, 8);
}

TEST_F(ScanCliTest, FailuresLeaveTheOutputAsItWas) {
  const std::string out = dir_.file("keep.pgm");
  test::WriteText(out, "old contents");
  struct Case {
    const char* arguments;
    int status;
    const char* says;
  };
  const Case cases[] = {
      {"--resolution 5000", 1, "it takes 1 dpi to 1200 dpi"},
      {"--device test:9", 1, "\"test:9\" was not found"},
      {"--mode sepia", 1, "no \"sepia\" mode"},
      {"--option read-return-value=SANE_STATUS_IO_ERROR", 1, "stopped in the middle of page 1"},
      {"--area 1,2,3", 2, "LEFT,TOP,WIDTH,HEIGHT"},
      {"--page 2", 2, "unknown option --page"},
      {"--resolution", 2, "needs a value"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    const auto r = RunCli("scan " + Quote(out) + " " + c.arguments);
    EXPECT_EQ(r.status, c.status);
    EXPECT_TRUE(Contains(r.err, c.says)) << r.err;
    const auto bytes = test::ReadBytes(out);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "old contents");
  }
  EXPECT_EQ(RunCli("scan").status, 2);
  EXPECT_EQ(RunCli("scan a.xyz").status, 2);
}

TEST_F(ScanCliTest, InterruptCancelsTheScanAndWritesNothing) {
  const std::string out = dir_.file("never.pgm"), log = dir_.file("log"), err = dir_.file("err");
  // A page of 14 s at the virtual scanner's slowest; interrupted once it has begun.
  const std::string command =
      "XDG_CONFIG_HOME=" + Quote(dir_.path()) + " " + Quote(LEAF_CLI_PATH) + " scan " + Quote(out) +
      " --resolution 600 --option read-delay=yes --option read-delay-duration=200000 --progress"
      " >" +
      Quote(log) + " 2>" + Quote(err) +
      " & p=$!; for i in $(seq 400); do "
      "grep -q 'Scanning page 1' " +
      Quote(log) +
      " && break; sleep 0.05; done; "
      "kill -INT $p; wait $p; exit $?";
  const int raw = std::system(("sh -c " + Quote(command)).c_str());
  ASSERT_TRUE(WIFEXITED(raw));
  EXPECT_EQ(WEXITSTATUS(raw), 1);
  const auto message = test::ReadBytes(err);
  EXPECT_TRUE(Contains(std::string(message.begin(), message.end()), "The scan was cancelled."));
  EXPECT_FALSE(test::FileExists(out));
}

TEST(ScanCliWithoutScanners, SaysSo) {
  const test::SaneTestBackend none(/*withTestBackend=*/false);
  auto r = RunCli("scan --list");
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(Contains(r.out, "No scanner was found."));
  test::TempDir dir;
  r = RunCli("scan " + Quote(dir.file("x.djvu")));
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err, "No scanner was found."));
}

}  // namespace
}  // namespace leaf
