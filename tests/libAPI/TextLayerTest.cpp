// The hidden text layer written by djvu_page_add_text, read back through the
// document reader and, when installed, DjVuLibre's own djvutxt and djvused.
#include <gtest/gtest.h>

#include <vector>

#include "EncodedFile.h"
#include "libAPI/djvu_document.h"
#include "libAPI/djvu_text.h"
#include "tests/support/RunCli.h"
#include "tests/support/TempDir.h"

namespace leaf::test {
namespace {

constexpr unsigned kWidth = 200, kHeight = 100;

std::vector<unsigned char> BilevelPage() {
  const TestMask mask(kWidth, kHeight, 300,
                      [](unsigned x, unsigned y) { return x > 20 && x < 60 && y > 20 && y < 40; });
  std::vector<unsigned char> bytes;
  const djvu_encode_options options = djvu_encode_options_default();
  EXPECT_EQ(djvu_encode(&options, &mask.image, nullptr, AppendOutput, &bytes), 0);
  return bytes;
}

djvu_text_zone Zone(int kind, int left, int bottom, int right, int top, std::string text = {},
                    std::vector<djvu_text_zone> children = {}) {
  return {kind, left, bottom, right, top, std::move(text), std::move(children)};
}

// Two paragraphs: "Hello world" over "again", then "bye".
djvu_text_zone PageZones() {
  using W = std::vector<djvu_text_zone>;
  const djvu_text_zone first = Zone(DJVU_ZONE_PARAGRAPH, 10, 50, 150, 90, {},
                                    W{Zone(DJVU_ZONE_LINE, 10, 70, 150, 90, {},
                                           W{Zone(DJVU_ZONE_WORD, 10, 70, 60, 90, "Hello"),
                                             Zone(DJVU_ZONE_WORD, 70, 70, 150, 90, "world")}),
                                      Zone(DJVU_ZONE_LINE, 10, 50, 80, 65, {},
                                           W{Zone(DJVU_ZONE_WORD, 10, 50, 80, 65, "again")})});
  const djvu_text_zone second = Zone(
      DJVU_ZONE_PARAGRAPH, 10, 10, 50, 30, {},
      W{Zone(DJVU_ZONE_LINE, 10, 10, 50, 30, {}, W{Zone(DJVU_ZONE_WORD, 10, 10, 50, 30, "bye")})});
  return Zone(DJVU_ZONE_PAGE, 0, 0, kWidth, kHeight, {},
              W{Zone(DJVU_ZONE_REGION, 10, 10, 150, 90, {}, W{first, second})});
}

std::vector<unsigned char> WithText(const std::vector<unsigned char>& page,
                                    const djvu_text_zone& root) {
  std::vector<unsigned char> out;
  EXPECT_EQ(djvu_page_add_text(page.data(), page.size(), root, AppendOutput, &out), 0);
  return out;
}

djvu_page_text ReadText(const TempDir& dir, const std::vector<unsigned char>& bytes) {
  const std::string path = dir.file("page.djvu");
  WriteBytes(path, std::vector<uint8_t>(bytes.begin(), bytes.end()));
  djvu_document* document = djvu_document_open(path.c_str());
  djvu_page_text text;
  EXPECT_NE(document, nullptr);
  if (document) {
    EXPECT_EQ(djvu_document_page_text(document, 0, &text), 0);
  }
  djvu_document_free(document);
  return text;
}

TEST(TextLayerTest, WordsAndBoxesReadBackAfterThePageChunks) {
  const std::vector<unsigned char> page = BilevelPage();
  const std::vector<unsigned char> bytes = WithText(page, PageZones());
  const IffFile iff = ParseIff(bytes);
  ASSERT_EQ(iff.formType, "DJVU");
  EXPECT_EQ(iff.ids(), (std::vector<std::string>{"INFO", "Sjbz", "TXTz"}));
  EXPECT_EQ(djvu_text_word_count(PageZones()), 4u);

  TempDir dir;
  const djvu_page_text text = ReadText(dir, bytes);
  ASSERT_EQ(text.words.size(), 4u);
  const char* expected[] = {"Hello", "world", "again", "bye"};
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(text.words[i].text, expected[i]);
  EXPECT_EQ(text.words[1].left, 70);
  EXPECT_EQ(text.words[1].bottom, 70);
  EXPECT_EQ(text.words[1].right, 150);
  EXPECT_EQ(text.words[1].top, 90);
  EXPECT_EQ(text.text,
            "Hello world\nagain\n\x1f"
            "bye\n\x1f\x1d");

  if (HaveProgram("djvutxt") && HaveProgram("djvused")) {
    const std::string path = Quote(dir.file("page.djvu"));
    EXPECT_EQ(RunCommand("djvutxt " + path).out.substr(0, 17), "Hello world\nagain");
    const CliResult sexpr = RunCommand("djvused -e print-txt " + path);
    EXPECT_TRUE(Contains(sexpr.out, "(word 70 70 150 90 \"world\")")) << sexpr.out;
    EXPECT_TRUE(Contains(sexpr.out, "(para 10 10 50 30")) << sexpr.out;
  }
}

TEST(TextLayerTest, NewTextReplacesTheOldAndNoWordsLeaveNoText) {
  const std::vector<unsigned char> once = WithText(BilevelPage(), PageZones());
  const std::vector<unsigned char> twice =
      WithText(once, Zone(DJVU_ZONE_PAGE, 0, 0, kWidth, kHeight));
  EXPECT_EQ(ParseIff(twice).ids(), (std::vector<std::string>{"INFO", "Sjbz"}));
  TempDir dir;
  EXPECT_TRUE(ReadText(dir, twice).words.empty());
}

TEST(TextLayerTest, RefusesWhatIsNotAPageOrNotAZoneTree) {
  const LayerReports reports;
  std::vector<unsigned char> out;
  const std::vector<unsigned char> page = BilevelPage();
  const std::string junk = "AT&TFORM\0\0\0\4DJVM";
  EXPECT_EQ(djvu_page_add_text(junk.data(), junk.size(), PageZones(), AppendOutput, &out), -1);
  EXPECT_EQ(djvu_page_add_text(nullptr, 0, PageZones(), AppendOutput, &out), -1);
  djvu_text_zone wordOnTop = PageZones();
  wordOnTop.kind = DJVU_ZONE_WORD;
  EXPECT_EQ(djvu_page_add_text(page.data(), page.size(), wordOnTop, AppendOutput, &out), -1);
  djvu_text_zone upsideDown = PageZones();
  upsideDown.children[0].children[0].kind = DJVU_ZONE_PAGE;
  EXPECT_EQ(djvu_page_add_text(page.data(), page.size(), upsideDown, AppendOutput, &out), -1);
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(reports.errors().size(), 4u);
}

}  // namespace
}  // namespace leaf::test
