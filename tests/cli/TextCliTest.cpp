// convert --ocr and the text command: pages made searchable, read back by
// DjVuLibre's tools and by leafsmith-cli text; other encoders' text; the
// messages for a missing language and for files without text.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "tests/support/RunCli.h"
#include "tests/support/TempDir.h"
#include "tests/support/TextPages.h"

namespace leaf {
namespace {

using test::Contains;
using test::Quote;
using test::RunCli;
using test::RunCommand;

std::string Lines() {
  std::string all;
  for (const std::string& line : test::SampleLines()) all += line + "\n";
  return all;
}

size_t LineCount(const std::string& text) {
  return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
}

TEST(TextCliTest, BilevelPageSavedWithOcrIsSearchableEverywhere) {
  test::TempDir dir;
  const test::TextPage page = test::RenderTextPage(test::SampleLines(), 12, 300);
  test::WritePnm(page, dir.file("page.pbm"), true);
  const std::string out = dir.file("page.djvu");
  const test::CliResult convert =
      RunCli("convert " + Quote(dir.file("page.pbm")) + " " + Quote(out) + " --ocr --progress");
  ASSERT_EQ(convert.status, 0) << convert.err;
  EXPECT_TRUE(Contains(convert.out, "Text layer: " + std::to_string(page.words.size()) + " words"))
      << convert.out;

  const test::CliResult text = RunCli("text " + Quote(out));
  EXPECT_EQ(text.status, 0) << text.err;
  std::string lines = text.out;
  lines.erase(std::unique(lines.begin(), lines.end(),
                          [](char a, char b) { return a == '\n' && b == '\n'; }),
              lines.end());
  EXPECT_EQ(lines, Lines());
  const test::CliResult boxes = RunCli("text " + Quote(out) + " --page 1 --boxes");
  EXPECT_EQ(LineCount(boxes.out), page.words.size());
  std::istringstream first(boxes.out);
  int number = 0, left = 0, bottom = 0, right = 0, top = 0;
  std::string word;
  first >> number >> left >> bottom >> right >> top >> word;
  EXPECT_EQ(number, 1);
  EXPECT_EQ(word, "Searchable");
  EXPECT_GE(
      test::BoxOverlap(left, page.height - top, right, page.height - bottom, page.words[0].left,
                       page.words[0].top, page.words[0].right, page.words[0].bottom),
      0.8);

  if (test::HaveProgram("djvutxt") && test::HaveProgram("djvused")) {
    EXPECT_TRUE(Contains(RunCommand("djvutxt " + Quote(out)).out, "hidden under the picture"));
    const test::CliResult sexpr = RunCommand("djvused -e print-txt " + Quote(out));
    EXPECT_TRUE(Contains(sexpr.out, "(line ")) << sexpr.out;
    EXPECT_TRUE(Contains(sexpr.out, "\"copy\"")) << sexpr.out;
  }
}

TEST(TextCliTest, OcrMistakesAreRefusedBeforeAnythingIsWritten) {
  test::TempDir dir;
  test::WriteBytes(dir.file("tiny.pgm"),
                   {'P', '5', ' ', '2', ' ', '1', ' ', '2', '5', '5', '\n', 0, 255});
  const std::string in = Quote(dir.file("tiny.pgm"));
  const test::CliResult missing =
      RunCli("convert " + in + " " + Quote(dir.file("a.djvu")) + " --ocr --ocr-lang eng+qqx");
  EXPECT_EQ(missing.status, 1);
  EXPECT_TRUE(Contains(missing.err, "install the Debian package tesseract-ocr-qqx")) << missing.err;
  EXPECT_FALSE(test::FileExists(dir.file("a.djvu")));
  EXPECT_EQ(RunCli("convert " + in + " " + Quote(dir.file("a.jpg")) + " --ocr").status, 2);
  const test::CliResult unsafe =
      RunCli("convert " + in + " " + Quote(dir.file("a.djvu")) + " --ocr --ocr-lang ../../x");
  EXPECT_EQ(unsafe.status, 2);
  EXPECT_TRUE(Contains(unsafe.err, "not a list of languages")) << unsafe.err;
  EXPECT_EQ(RunCli("batch --to jpeg --out " + Quote(dir.file("o")) + " --ocr " + in).status, 2);
  EXPECT_EQ(RunCli("scan " + Quote(dir.file("s.jpg")) + " --ocr").status, 2);
}

TEST(TextCliTest, TextOfOtherEncodersAndOfPagesWithout) {
  const std::string book = Quote(std::string(LEAF_SOURCE_DIR) + "/tests/data/djvu/book.djvu");
  const test::CliResult all = RunCli("text " + book);
  EXPECT_EQ(all.status, 0);
  EXPECT_EQ(all.out.substr(0, 12), "Hello world\n");
  const test::CliResult boxes = RunCli("text " + book + " --boxes");
  EXPECT_TRUE(Contains(boxes.out, "1 60 ")) << boxes.out;
  const test::CliResult none = RunCli("text " + book + " --page 2");
  EXPECT_EQ(none.status, 0);
  EXPECT_EQ(none.out, "");
  EXPECT_TRUE(Contains(none.err, "the page has no hidden text")) << none.err;
  EXPECT_EQ(RunCli("text " + book + " --page 99").status, 1);
  const std::string jpeg = Quote(std::string(LEAF_SOURCE_DIR) + "/samples/sample-page.pgm");
  const test::CliResult notDjvu = RunCli("text " + jpeg);
  EXPECT_EQ(notDjvu.status, 1);
  EXPECT_FALSE(notDjvu.err.empty());
  EXPECT_EQ(RunCli("text").status, 2);
}

TEST(TextCliTest, CorpusPagesOfOtherEncodersShowTheirText) {
  const std::string corpus = LEAF_CORPUS_DIR;
  for (const char* name : {"djvu3spec-p5.djvu", "book-p3.djvu"}) {
    const std::string path = corpus + "/" + name;
    if (!test::FileExists(path)) GTEST_SKIP() << "no corpus at " << corpus;
    const test::CliResult text = RunCli("text " + Quote(path));
    EXPECT_EQ(text.status, 0) << text.err;
    EXPECT_GT(text.out.size(), 500u) << name;
    EXPECT_GT(LineCount(RunCli("text " + Quote(path) + " --boxes").out), 100u) << name;
  }
}

}  // namespace
}  // namespace leaf
