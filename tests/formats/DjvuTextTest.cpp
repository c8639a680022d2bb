// Saving DjVu pages with their recognised text, and reading the text of
// DjVu pages, ours and other encoders'.
#include <gtest/gtest.h>

#include <algorithm>

#include "formats/DjvuTexts.h"
#include "formats/ImageFiles.h"
#include "formats/SaveImageFile.h"
#include "image/Messages.h"
#include "tests/support/TempDir.h"
#include "tests/support/TextPages.h"

namespace leaf::test {
namespace {

TEST(DjvuTextTest, SeparatorsBecomeLineEndsAndParagraphsEmptyLines) {
  const struct {
    const char* text;
    const char* plain;
  } cases[] = {
      {"", ""},
      {"Hello world ", "Hello world\n"},
      {"one two\nthree\n\x1f"
       "four\n\x1f\x1d",
       "one two\nthree\n\nfour\n"},
      {"a\x0b"
       "b\x1d"
       "c",
       "a\n\nb\n\nc\n"},
      {"\n\n\x1f  lead \n", "lead\n"},
      {"line one  \nline two", "line one\nline two\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(PlainDjvuText(c.text), c.plain) << c.text;
}

TEST(DjvuTextTest, TextOfAnotherEncodersDocumentPageByPage) {
  const std::string book = std::string(LEAF_SOURCE_DIR) + "/tests/data/djvu/book.djvu";
  std::vector<DjvuPageWords> pages;
  ASSERT_TRUE(ReadDjvuTexts(book, pages)) << LastMessage();
  ASSERT_GE(pages.size(), 2u);
  EXPECT_EQ(pages[0].plain, "Hello world\n");
  ASSERT_EQ(pages[0].words.size(), 2u);
  EXPECT_EQ(pages[0].words[0].text, "Hello");
  EXPECT_EQ(pages[0].width, 120);
  EXPECT_TRUE(pages[1].words.empty());

  pages.clear();
  ASSERT_TRUE(ReadDjvuTexts(book, pages, 1));
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_TRUE(pages[0].plain.empty());
  EXPECT_FALSE(ReadDjvuTexts(book, pages, 99));
  EXPECT_NE(std::string(LastMessage()).find("there is no page 100"), std::string::npos);
  TempDir dir;
  WriteText(dir.file("not.djvu"), "plain text, not a DjVu file");
  EXPECT_FALSE(ReadDjvuTexts(dir.file("not.djvu"), pages));
}

class SavedTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    page_ = RenderTextPage(SampleLines(), 12, 300);
    WritePnm(page_, dir_.file("page.pgm"));
    ASSERT_TRUE(ReadImageFile(image_, dir_.file("page.pgm"), kFilePnm));
  }
  TempDir dir_;
  TextPage page_;
  DibImage image_;
};

TEST_F(SavedTextTest, EnlargedGrayPageCarriesItsWordsOnTheirInk) {
  SaveParameters parameters;
  parameters.djvu.upsample = -2;
  parameters.djvu.ocr.enabled = true;
  const std::string path = dir_.file("page.djvu");
  ASSERT_TRUE(SaveImageFile(path, kFileDjvu, image_, parameters)) << LastMessage();
  std::vector<DjvuPageWords> pages;
  ASSERT_TRUE(ReadDjvuTexts(path, pages));
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_EQ(pages[0].width, 2 * page_.width);
  // The recogniser decides where paragraphs begin; the lines are the page's.
  std::string lines = pages[0].plain;
  lines.erase(std::unique(lines.begin(), lines.end(),
                          [](char a, char b) { return a == '\n' && b == '\n'; }),
              lines.end());
  EXPECT_EQ(lines, SampleLines()[0] + "\n" + SampleLines()[1] + "\n" + SampleLines()[2] + "\n");
  ASSERT_EQ(pages[0].words.size(), page_.words.size());
  const int h = pages[0].height;
  for (size_t i = 0; i < page_.words.size(); ++i) {
    const djvu_text_word& w = pages[0].words[i];
    const TextPageWord& ink = page_.words[i];
    EXPECT_GE(BoxOverlap(w.left, h - w.top, w.right, h - w.bottom, 2 * ink.left, 2 * ink.top,
                         2 * ink.right, 2 * ink.bottom),
              0.8)
        << ink.text;
  }
}

TEST_F(SavedTextTest, AMissingLanguageFailsTheSaveAndLeavesTheOldFile) {
  const std::string path = dir_.file("page.djvu");
  WriteText(path, "old");
  SaveParameters parameters;
  parameters.djvu.ocr = {true, "eng+qqx"};
  EXPECT_FALSE(SaveImageFile(path, kFileDjvu, image_, parameters));
  EXPECT_NE(std::string(LastMessage()).find("tesseract-ocr-qqx"), std::string::npos)
      << LastMessage();
  EXPECT_EQ(ReadBytes(path), std::vector<uint8_t>({'o', 'l', 'd'}));
}

}  // namespace
}  // namespace leaf::test
