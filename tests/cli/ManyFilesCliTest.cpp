#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/PnmFixtures.h"
#include "tests/support/RunCli.h"
#include "tests/support/TempDir.h"

namespace leaf {
namespace {

using test::AllFilesBelow;
using test::Contains;
using test::Quote;
using test::RunCli;
using test::TempDir;

std::string Cli() { return Quote(LEAF_CLI_PATH); }

TEST(BatchCli, ConvertsAFolderReportsFailuresAndKeepsEarlierOutputs) {
  TempDir dir;
  for (const char* name : {"a", "b", "c"}) {
    test::WriteGrayPgm(dir.file(std::string("in/") + name + ".pgm"), name[0]);
  }
  test::WriteText(dir.file("in/bad.pgm"), "P5\n3 3\n255\nxx");
  test::WriteText(dir.file("in/notes.txt"), "not a picture");
  const std::string batch = "batch --to pnm --jobs 2 --out " + Quote(dir.file("out")) + " ";
  auto r = RunCli(batch + Quote(dir.file("in")));
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err, "bad.pgm")) << r.err;
  EXPECT_TRUE(Contains(r.out, "4 files: 3 converted, 1 failed")) << r.out;
  EXPECT_TRUE(Contains(r.out, "-> " + dir.file("out/a.pgm"))) << "a line per file off a terminal";
  EXPECT_EQ(AllFilesBelow(dir.file("out")), (std::vector<std::string>{"a.pgm", "b.pgm", "c.pgm"}));

  r = RunCli(batch + Quote(dir.file("in/a.pgm")) + " " + Quote(dir.file("in/b.pgm")));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(AllFilesBelow(dir.file("out")).size(), 5u);
  EXPECT_TRUE(test::FileExists(dir.file("out/a-1.pgm")));
  r = RunCli(batch + "--replace " + Quote(dir.file("in/a.pgm")));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(AllFilesBelow(dir.file("out")).size(), 5u);
}

TEST(BatchCli, EditsAndThumbnailsApplyToEveryFile) {
  TempDir dir;
  test::WriteGrayPgm(dir.file("p.pgm"), 1, 40, 20);
  test::WriteGrayPgm(dir.file("q.pgm"), 2, 40, 20);
  auto r = RunCli("batch --to bmp --rotate left --thumbnails --out " + Quote(dir.file("out")) +
                  " " + Quote(dir.file("p.pgm")) + " " + Quote(dir.file("q.pgm")));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(AllFilesBelow(dir.file("out")),
            (std::vector<std::string>{"p.bmp", "p.jpg", "q.bmp", "q.jpg"}));
  r = RunCli("info " + Quote(dir.file("out/q.bmp")));
  EXPECT_TRUE(Contains(r.out, "20 x 40")) << r.out;

  // A label below each page, naming its file.
  r = RunCli("batch --to bmp --label '$filename' --label-position below --label-size 8 --out " +
             Quote(dir.file("labelled")) + " " + Quote(dir.file("p.pgm")));
  ASSERT_EQ(r.status, 0) << r.err;
  r = RunCli("info " + Quote(dir.file("labelled/p.bmp")));
  EXPECT_TRUE(Contains(r.out, "40 x ") && !Contains(r.out, "40 x 20")) << r.out;
}

TEST(BatchCli, UsageErrors) {
  TempDir dir;
  test::WriteGrayPgm(dir.file("p.pgm"), 1);
  const std::string file = " " + Quote(dir.file("p.pgm"));
  const std::string out = " --out " + Quote(dir.file("out"));
  const std::pair<std::string, std::string> cases[] = {
      {"batch" + out + file, "--to"},
      {"batch --to djvu" + file, "--out"},
      {"batch --to djvu" + out, "files"},
      {"batch --to tiff" + out + file, "unknown output type"},
      {"batch --to djvu --jobs 0" + out + file, "--jobs"},
      {"batch --to djvu --label-bold" + out + file, "add --label TEXT"},
      {"sweep --to djvu --in a --out a --archive b", "same"},
      {"sweep --to djvu --in a --out b", "--archive"},
      {"sweep --to djvu --in a --out b --archive c extra", "no file names"},
  };
  for (const auto& [arguments, message] : cases) {
    const auto r = RunCli(arguments);
    EXPECT_EQ(r.status, 2) << arguments;
    EXPECT_TRUE(Contains(r.err, message)) << arguments << ": " << r.err;
  }
  const auto help = RunCli("batch --help");
  EXPECT_TRUE(Contains(help.out, "--jobs") && Contains(help.out, "--rotate")) << help.out;
  EXPECT_TRUE(Contains(RunCli("sweep --help").out, "--archive"));
}

TEST(SweepCli, OnceConvertsLogsAndArchives) {
  TempDir dir;
  test::WriteGrayPgm(dir.file("in/a/b.pgm"), 1);
  test::WriteText(dir.file("in/c.pgm"), "P5\n");
  const std::string folders = " --in " + Quote(dir.file("in")) + " --out " +
                              Quote(dir.file("out")) + " --archive " + Quote(dir.file("old"));
  const auto r = RunCli("sweep --to pnm --once --settle 0" + folders);
  EXPECT_EQ(r.status, 1) << "a file failed";
  EXPECT_TRUE(Contains(r.out, "a/b.pgm -> b.pgm")) << r.out;
  EXPECT_TRUE(Contains(r.out, "c.pgm -> -")) << r.out;
  EXPECT_TRUE(Contains(r.out, "load failed")) << r.out;
  EXPECT_EQ(AllFilesBelow(dir.file("out")), std::vector<std::string>{"a/b.pgm"});
  EXPECT_EQ(AllFilesBelow(dir.file("old")),
            (std::vector<std::string>{"finished/a/b.pgm", "finished/c.pgm"}));
}

TEST(SweepCli, TermStopsTheSweeperCleanly) {
  TempDir dir;
  test::WriteGrayPgm(dir.file("in/p.pgm"), 1);
  const std::string script =
      "(XDG_CONFIG_HOME=" + Quote(dir.path()) + " " + Cli() + " sweep --to pnm --settle 0 --in " +
      Quote(dir.file("in")) + " --out " + Quote(dir.file("out")) + " --archive " +
      Quote(dir.file("old")) + " & pid=$!; " + "for i in $(seq 600); do [ -e " +
      Quote(dir.file("old/finished/p.pgm")) + " ] && break; sleep 0.1; done; " +
      "kill -TERM $pid; wait $pid; echo status=$?)";
  const auto r = test::RunCommand(script);
  EXPECT_TRUE(Contains(r.out, "status=0")) << r.out << r.err;
  EXPECT_TRUE(Contains(r.out, "p.pgm -> p.pgm"));
  EXPECT_EQ(AllFilesBelow(dir.file("out")), std::vector<std::string>{"p.pgm"});
}

// The recipe for archives larger than one machine, with two local job slots
// standing in for the machines.
TEST(BatchCli, GnuParallelSpreadsABatch) {
  if (!test::HaveProgram("parallel")) GTEST_SKIP() << "GNU parallel is not installed";
  TempDir dir;
  for (int i = 0; i < 10; ++i) {
    test::WriteGrayPgm(dir.file("in/page" + std::to_string(i) + ".pgm"), i);
  }
  const std::string script = "cd " + Quote(dir.path()) +
                             " && export XDG_CONFIG_HOME=" + Quote(dir.path()) +
                             " && find in -name '*.pgm' | parallel --will-cite " + "-j2 -n 3 " +
                             Cli() + " batch --to pnm --jobs 1 --out out";
  const auto r = test::RunCommand(script);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(AllFilesBelow(dir.file("out")).size(), 10u);
  EXPECT_EQ(AllFilesBelow(dir.file("in")).size(), 10u) << "batch leaves its inputs";
}

}  // namespace
}  // namespace leaf
