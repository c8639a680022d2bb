// Text recognition of generated pages of known words: the words, their
// boxes and the zones they are put in; the language lists and their checks.
#include <gtest/gtest.h>

#include <atomic>
#include <sstream>

#include "ocr/OcrModule.h"
#include "ocr/PageRecognition.h"
#include "tests/support/TextPages.h"

namespace leaf::test {
namespace {

TEST(OcrLanguagesTest, ListsAreSplitAndUnsafeNamesRefused) {
  const struct {
    const char* list;
    std::vector<std::string> names;
  } cases[] = {
      {"eng", {"eng"}},
      {"eng+deu", {"eng", "deu"}},
      {"chi_sim+script/Latin", {"chi_sim", "script/Latin"}},
      {"", {}},
      {"eng+", {}},
      {"+eng", {}},
      {"../etc/passwd", {}},
      {"/tmp/eng", {}},
      {"eng deu", {}},
      {"-eng", {}},
      {"script/../../x", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitOcrLanguages(c.list), c.names) << c.list;
}

TEST(OcrLanguagesTest, PackagesAreNamedAsDebianNamesThem) {
  EXPECT_EQ(OcrLanguagePackage("deu"), "tesseract-ocr-deu");
  EXPECT_EQ(OcrLanguagePackage("chi_sim"), "tesseract-ocr-chi-sim");
  EXPECT_EQ(OcrLanguagePackage("script/Latin"), "tesseract-ocr-script-latn");
  EXPECT_EQ(OcrLanguagePackage("deu_frak"), "tesseract-ocr-deu-frak");
}

TEST(OcrLanguagesTest, AMissingLanguageNamesItsPackage) {
  EXPECT_EQ(CheckOcrLanguages("eng"), "");
  const std::string missing = CheckOcrLanguages("eng+qqx");
  EXPECT_NE(missing.find("'qqx' is not installed"), std::string::npos) << missing;
  EXPECT_NE(missing.find("tesseract-ocr-qqx"), std::string::npos) << missing;
  EXPECT_NE(CheckOcrLanguages("eng/../../x").find("is not a list"), std::string::npos);
}

// Without its module the program still runs: recognition fails with the
// reason, whatever the module's file is missing for.
TEST(OcrModuleTest, AMissingModuleSaysTextRecognitionIsNotAvailable) {
  const OcrModuleCalls missing = LoadOcrModule("/nonexistent/lib/leafsmith/libleafsmith-ocr.so");
  EXPECT_EQ(missing.calls, nullptr);
  EXPECT_TRUE(
      missing.error.starts_with("Text recognition is not available: "
                                "/nonexistent/lib/leafsmith/libleafsmith-ocr.so"))
      << missing.error;
  EXPECT_NE(OcrModule().calls, nullptr) << OcrModule().error;
}

std::vector<std::string> AllWords(const std::vector<std::string>& lines) {
  std::vector<std::string> words;
  for (const std::string& line : lines) {
    std::istringstream in(line);
    for (std::string word; in >> word;) words.push_back(word);
  }
  return words;
}

void CollectWords(const djvu_text_zone& zone, std::vector<const djvu_text_zone*>& words) {
  if (zone.kind == DJVU_ZONE_WORD) words.push_back(&zone);
  for (const djvu_text_zone& child : zone.children) CollectWords(child, words);
}

size_t CountZones(const djvu_text_zone& zone, int kind) {
  size_t count = zone.kind == kind ? 1 : 0;
  for (const djvu_text_zone& child : zone.children) count += CountZones(child, kind);
  return count;
}

// The page as the coding layer holds it: gray top-down, or blue-green-red
// bottom-up as a BMP raster stores it.
struct PixelCopy {
  std::vector<unsigned char> bytes;
  djvu_pixel_image image{};
  PixelCopy(const TextPage& page, bool colourBottomUp) {
    image.w = static_cast<unsigned>(page.width);
    image.h = static_cast<unsigned>(page.height);
    image.xres = image.yres = static_cast<unsigned>(page.dpi);
    image.pixsize = colourBottomUp ? 3 : 1;
    image.rowsize = image.w * image.pixsize;
    image.flags =
        DJVU_HAS_DPI | (colourBottomUp ? DJVU_BGR | DJVU_BOTTOMUP : DJVU_GRAY | DJVU_TOPDOWN);
    bytes.resize(static_cast<size_t>(image.rowsize) * image.h);
    for (unsigned y = 0; y < image.h; ++y) {
      const unsigned row = colourBottomUp ? image.h - 1 - y : y;
      for (unsigned x = 0; x < image.w; ++x) {
        const unsigned char g = page.gray[static_cast<size_t>(y) * image.w + x];
        unsigned char* p = &bytes[static_cast<size_t>(row) * image.rowsize + x * image.pixsize];
        // Blue ink on yellowish paper in colour: the recogniser must see
        // the page as it is, in its true colours.
        if (colourBottomUp) {
          p[0] = static_cast<unsigned char>(g * 3 / 4 + 40);  // blue
          p[1] = static_cast<unsigned char>(g * 9 / 10);
          p[2] = g;
        } else {
          p[0] = g;
        }
      }
    }
    image.data = bytes.data();
  }
};

// The words read equal the words drawn, each box on its word's ink (scaled
// and from the bottom left), in one region, one paragraph, three lines.
void ExpectRecognised(const TextPage& page, const RecognisedText& result, int scale) {
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_EQ(result.page.kind, DJVU_ZONE_PAGE);
  EXPECT_EQ(result.page.right, page.width * scale);
  EXPECT_EQ(result.page.top, page.height * scale);
  EXPECT_EQ(CountZones(result.page, DJVU_ZONE_LINE), SampleLines().size());
  EXPECT_GE(CountZones(result.page, DJVU_ZONE_REGION), 1u);
  std::vector<const djvu_text_zone*> words;
  CollectWords(result.page, words);
  const std::vector<std::string> expected = AllWords(SampleLines());
  ASSERT_EQ(words.size(), expected.size());
  const int height = page.height * scale;
  for (size_t i = 0; i < words.size(); ++i) {
    EXPECT_EQ(words[i]->text, expected[i]);
    const TextPageWord& ink = page.words[i];
    const double overlap = BoxOverlap(words[i]->left, height - words[i]->top, words[i]->right,
                                      height - words[i]->bottom, ink.left * scale, ink.top * scale,
                                      ink.right * scale, ink.bottom * scale);
    EXPECT_GE(overlap, 0.8) << expected[i];
  }
}

class PageRecognitionTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { page_ = new TextPage(RenderTextPage(SampleLines(), 12, 300)); }
  static void TearDownTestSuite() { delete page_; }
  static TextPage* page_;
};
TextPage* PageRecognitionTest::page_ = nullptr;

TEST_F(PageRecognitionTest, GrayPageGivesItsWordsWithTheirBoxes) {
  const PixelCopy gray(*page_, false);
  ExpectRecognised(*page_, RecognisePage(gray.image, "eng"), 1);
}

TEST_F(PageRecognitionTest, ColourBottomUpPageEnlargedTwiceGivesTheSameWordsScaled) {
  const PixelCopy colour(*page_, true);
  ExpectRecognised(*page_, RecognisePage(colour.image, "eng", 2), 2);
}

TEST_F(PageRecognitionTest, StoppedOrMissingLanguageOrNoPageFailsWithAReason) {
  const PixelCopy gray(*page_, false);
  const std::atomic<bool> stop{true};
  RecognisedText stopped = RecognisePage(gray.image, "eng", 1, &stop);
  EXPECT_FALSE(stopped.ok);
  EXPECT_EQ(stopped.error, "The text recognition was stopped.");
  const RecognisedText missing = RecognisePage(gray.image, "qqx");
  EXPECT_FALSE(missing.ok);
  EXPECT_NE(missing.error.find("tesseract-ocr-qqx"), std::string::npos) << missing.error;
  EXPECT_FALSE(RecognisePage(djvu_pixel_image{}, "eng").ok);
}

}  // namespace
}  // namespace leaf::test
