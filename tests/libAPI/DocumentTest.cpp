#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "libAPI/DecodedPage.h"
#include "libAPI/djvu_document.h"
#include "tests/libAPI/CodecErrorCapture.h"
#include "tests/libAPI/RenderedPages.h"
#include "tests/support/DjvuPages.h"
#include "tests/support/TempDir.h"

namespace leaf::test {
namespace {

// DjVuLibre's documentation: real books, with shared dictionaries, hidden
// text and outlines. Tests that read them skip when they are not installed.
const std::string kDocFolder = "/usr/share/doc/libdjvulibre-dev/";

// The indirect fixture copied where the test may take files away.
std::string CopyIndirect(const TempDir& dir) {
  const std::string folder = dir.file("indirect");
  std::filesystem::copy(Fixture("indirect"), folder);
  return folder;
}

class DocumentTest : public CodecErrorCapture {
 protected:
  // Every page decodes and renders as DjVuLibre's own viewer shows it.
  void ExpectPagesLikeTheCodec(const std::string& path, djvu_document* document,
                               std::vector<int> pages, int subsample) {
    for (int page : pages) {
      SCOPED_TRACE(path + " page " + std::to_string(page + 1));
      HalfCoded decoded(djvu_document_decode_page(document, page));
      ASSERT_NE(decoded, nullptr) << (t_codecMessages.empty() ? "" : t_codecMessages.back());
      EXPECT_EQ(decoded->page_index, page);
      EXPECT_EQ(decoded->document_pages, djvu_document_page_count(document));
      const ReferenceImage reference =
          RenderReference(path, subsample, ReferenceMode::kColor, false, page);
      ASSERT_GT(reference.width, 0);
      Pixels ours = RenderWhole(decoded.get(), subsample, DJVU_LAYER_COLOR);
      ASSERT_NE(ours, nullptr);
      // Bilevel and gray pages come back gray; the reference is colour.
      if (ours->flags & DJVU_GRAY) {
        ASSERT_EQ(static_cast<int>(ours->w), reference.width);
        ASSERT_EQ(static_cast<int>(ours->h), reference.height);
        for (int y = 0; y < reference.height; y += 7) {
          for (int x = 0; x < reference.width; x += 5) {
            ASSERT_NEAR(Sample(ours.get(), x, y, 0), reference.at(x, y, 1), 1) << x << "," << y;
          }
        }
      } else {
        ExpectSamePixels(ours.get(), reference);
      }
    }
  }

  TempDir dir_;
};

TEST_F(DocumentTest, EveryKindOfDocumentOpensPageByPage) {
  struct Case {
    const char* file;
    int kind;
    int pages;
    const char* secondName;
  };
  const Case cases[] = {
      {"book.djvu", DJVU_DOCUMENT_BUNDLED, 3, "compound.djvu"},
      {"indirect/index.djvu", DJVU_DOCUMENT_INDIRECT, 3, "compound.djvu"},
      {"rotated.djvu", DJVU_DOCUMENT_BUNDLED, 3, "compound.djvu"},
      {"compound.djvu", DJVU_DOCUMENT_SINGLE_PAGE, 1, ""},
      {"colour.iw44", DJVU_DOCUMENT_SINGLE_PAGE, 1, ""},
  };
  for (const Case& c : cases) {
    const std::string path = Fixture(c.file);
    Document document(djvu_document_open(path.c_str()));
    ASSERT_NE(document, nullptr) << c.file;
    EXPECT_EQ(djvu_document_kind(document.get()), c.kind) << c.file;
    ASSERT_EQ(djvu_document_page_count(document.get()), c.pages) << c.file;
    EXPECT_EQ(djvu_document_page_name(document.get(), c.pages - 1 < 1 ? 0 : 1), c.secondName);
    std::vector<int> pages;
    for (int p = 0; p < c.pages; ++p) pages.push_back(p);
    ExpectPagesLikeTheCodec(path, document.get(), pages, 1);
  }
  EXPECT_TRUE(t_codecMessages.empty());
}

TEST_F(DocumentTest, PagesAreTurnedAsTheirInfoChunkSays) {
  Document document(djvu_document_open(Fixture("rotated.djvu").c_str()));
  ASSERT_NE(document, nullptr);
  const struct {
    int rotation;
    unsigned width, height;
  } expected[] = {{0, 120, 90}, {1, 90, 120}, {2, 120, 90}};
  for (int page = 0; page < 3; ++page) {
    djvu_page_info info{};
    ASSERT_EQ(djvu_document_page_info(document.get(), page, &info), 0);
    EXPECT_EQ(info.rotation, expected[page].rotation);
    EXPECT_EQ(info.width, expected[page].width);
    EXPECT_EQ(info.height, expected[page].height);
    HalfCoded decoded(djvu_document_decode_page(document.get(), page));
    ASSERT_NE(decoded, nullptr);
    EXPECT_EQ(decoded->page_width, expected[page].width);
    EXPECT_EQ(decoded->page_height, expected[page].height);
  }
  // Reductions of the turned pages too (the pixels were compared at full
  // size with every other document above).
  ExpectPagesLikeTheCodec(Fixture("rotated.djvu"), document.get(), {1, 2}, 2);
}

TEST_F(DocumentTest, DirectoryNamesTitlesOutlineAndHiddenText) {
  Document document(djvu_document_open(Fixture("book.djvu").c_str()));
  ASSERT_NE(document, nullptr);
  EXPECT_EQ(djvu_document_page_name(document.get(), 0), "bilevel.djvu");
  EXPECT_EQ(djvu_document_page_title(document.get(), 0), "Cover page");
  EXPECT_EQ(djvu_document_page_title(document.get(), 2), "photo.djvu");
  EXPECT_EQ(djvu_document_page_name(document.get(), 3), "");

  const std::vector<djvu_outline_entry> outline = djvu_document_outline(document.get());
  ASSERT_EQ(outline.size(), 3u);
  EXPECT_EQ(outline[0].title, "Cover");
  EXPECT_EQ(outline[0].page, 0);
  EXPECT_EQ(outline[1].target, "#compound.djvu");
  EXPECT_EQ(outline[1].page, 1);
  EXPECT_EQ(outline[2].level, 1);
  EXPECT_EQ(outline[2].page, 2);

  djvu_page_text text;
  ASSERT_EQ(djvu_document_page_text(document.get(), 0, &text), 0);
  ASSERT_EQ(text.words.size(), 2u);
  EXPECT_EQ(text.words[1].text, "world");
  EXPECT_EQ(text.words[1].left, 60);
  EXPECT_EQ(text.words[1].top, 80);
  EXPECT_NE(text.text.find("Hello"), std::string::npos);
  ASSERT_EQ(djvu_document_page_text(document.get(), 1, &text), 0);
  EXPECT_TRUE(text.text.empty());

  EXPECT_EQ(djvu_document_page_chunks(document.get(), 1),
            (std::vector<std::string>{"INFO", "Sjbz", "FG44", "BG44", "BG44", "BG44", "BG44"}));
  EXPECT_TRUE(t_codecMessages.empty());
}

TEST_F(DocumentTest, SharedDictionariesAreIncludedBundledOrBeside) {
  const std::string folder = dir_.file("expanded");
  std::filesystem::create_directory(folder);
  const std::string bundle = dir_.file("shared.djvu");
  WriteBytes(bundle, MakeSharedDictionaryBook(4, 150, 100, 300, folder));
  for (const std::string& path : {bundle, folder + "/index.djvu"}) {
    Document document(djvu_document_open(path.c_str()));
    ASSERT_NE(document, nullptr) << path;
    ASSERT_EQ(djvu_document_page_count(document.get()), 4);
    EXPECT_EQ(djvu_document_page_chunks(document.get(), 2),
              (std::vector<std::string>{"INFO", "INCL", "Djbz", "Sjbz"}));
    ExpectPagesLikeTheCodec(path, document.get(), {0, 3}, 1);
  }

  // Without the dictionary the pages cannot be drawn: each says which it is.
  std::filesystem::remove(folder + "/dict.iff");
  Document document(djvu_document_open((folder + "/index.djvu").c_str()));
  ASSERT_NE(document, nullptr);
  t_codecMessages.clear();
  EXPECT_EQ(HalfCoded(djvu_document_decode_page(document.get(), 1)), nullptr);
  ASSERT_EQ(t_codecMessages.size(), 1u);
  EXPECT_EQ(t_codecMessages[0].rfind("Page 2 of 4 (p2.djvu): ", 0), 0u) << t_codecMessages[0];
}

TEST_F(DocumentTest, DamagedDocumentsShowThePagesThatCanBeShown) {
  const std::string indirect = CopyIndirect(dir_);
  std::filesystem::remove(indirect + "/compound.djvu");
  const std::string fifo = dir_.file("fifo");
  std::filesystem::create_directory(fifo);
  std::filesystem::copy(Fixture("indirect"), fifo, std::filesystem::copy_options::recursive);
  std::filesystem::remove(fifo + "/photo.djvu");
  ASSERT_EQ(mkfifo((fifo + "/photo.djvu").c_str(), 0600), 0);
  WriteBytes(fifo + "/compound.djvu", {});

  struct Case {
    std::string path;
    std::vector<bool> shown;  // page by page
    std::string message;      // of the first page that is not shown
  };
  const Case cases[] = {
      {indirect + "/index.djvu",
       {true, false, true},
       "Page 2 of 3 (compound.djvu): Failed to open 'compound.djvu': No such file or directory."},
      // A pipe named as a page would block the reader forever; an empty
      // file is no page either.
      {fifo + "/index.djvu",
       {true, false, false},
       "Page 2 of 3 (compound.djvu): 'compound.djvu' is empty or not a regular file."},
      // Page 2 starts inside its FORM, page 3 past the end of the file.
      {Fixture("lying-dirm.djvu"), {true, false, false}, "Page 2 of 3 (compound.djvu): "},
      // The page's include cannot be had, but it holds all it shows itself.
      {Fixture("incl.djvu"), {true}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    t_codecMessages.clear();
    Document document(djvu_document_open(c.path.c_str()));
    ASSERT_NE(document, nullptr);
    ASSERT_EQ(djvu_document_page_count(document.get()), static_cast<int>(c.shown.size()));
    std::string first;
    for (size_t page = 0; page < c.shown.size(); ++page) {
      t_codecMessages.clear();
      HalfCoded decoded(djvu_document_decode_page(document.get(), static_cast<int>(page)));
      EXPECT_EQ(decoded != nullptr, c.shown[page]) << "page " << page + 1;
      if (!decoded && first.empty() && !t_codecMessages.empty()) first = t_codecMessages[0];
    }
    EXPECT_EQ(first.rfind(c.message, 0), 0u) << first;
  }

  t_codecMessages.clear();
  Document empty(djvu_document_open(Fixture("no-pages.djvu").c_str()));
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(djvu_document_page_count(empty.get()), 0);
  EXPECT_EQ(HalfCoded(djvu_document_decode_page(empty.get(), 0)), nullptr);
  Document book(djvu_document_open(Fixture("book.djvu").c_str()));
  EXPECT_EQ(HalfCoded(djvu_document_decode_page(book.get(), 3)), nullptr);
  EXPECT_EQ(HalfCoded(djvu_document_decode_page(book.get(), -1)), nullptr);
  djvu_page_info info;
  EXPECT_EQ(djvu_document_page_info(book.get(), 7, &info), -1);
  EXPECT_EQ(djvu_document_open(dir_.file("missing.djvu").c_str()), nullptr);
  EXPECT_EQ(djvu_document_open(dir_.path().c_str()), nullptr);
  EXPECT_EQ(t_codecMessages[0], "The document has no pages.");
  EXPECT_EQ(t_codecMessages[1], "There is no page 4: the document has 3 pages.");
  EXPECT_EQ(t_codecMessages[2], "There is no page 0: the document has 3 pages.");
  EXPECT_EQ(t_codecMessages[3], "There is no page 8: the document has 3 pages.");
  EXPECT_EQ(t_codecMessages.size(), 6u);
}

TEST_F(DocumentTest, DecodedPagesOutliveTheirDocumentAndAreNotKept) {
  Document document(djvu_document_open(Fixture("book.djvu").c_str()));
  ASSERT_NE(document, nullptr);
  HalfCoded page(djvu_document_decode_page(document.get(), 1));
  ASSERT_NE(page, nullptr);
  // Nothing of a page stays with the document once the page is let go.
  const GP<DjVuDocument> codec = document->document;
  EXPECT_NE(codec->get_djvu_file(1, true), nullptr);
  page.reset();
  // The codec's decoding thread lets go of the file a moment after the page
  // is finished, later still on a busy machine: wait for it, within reason.
  for (int i = 0; i < 500 && codec->get_djvu_file(1, true) != nullptr; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(codec->get_djvu_file(1, true), nullptr);

  page.reset(djvu_document_decode_page(document.get(), 2));
  document.reset();
  Pixels pixels = RenderWhole(page.get(), 2, DJVU_LAYER_COLOR);
  EXPECT_NE(pixels, nullptr);
}

TEST_F(DocumentTest, DjvuLibresOwnBooksOpenPageByPage) {
  struct Case {
    const char* file;
    int pages;
    int page;  // a page to compare with the codec's rendering
    const char* title;
  };
  const Case cases[] = {
      {"djvu3spec.djvu", 71, 4, "p0005.djvu"},
      {"djvulibre-book-en.djvu", 57, 20, "p0021.djvu"},
      {"djvulibre-book-ru.djvu", 48, 1, "pdf page 0002"},
  };
  for (const Case& c : cases) {
    const std::string path = kDocFolder + c.file;
    if (!FileExists(path)) GTEST_SKIP() << path << " is not installed";
    Document document(djvu_document_open(path.c_str()));
    ASSERT_NE(document, nullptr) << path;
    EXPECT_EQ(djvu_document_page_count(document.get()), c.pages);
    EXPECT_EQ(djvu_document_page_title(document.get(), c.page), c.title);
    ExpectPagesLikeTheCodec(path, document.get(), {c.page}, 4);
    djvu_page_text text;
    ASSERT_EQ(djvu_document_page_text(document.get(), c.page, &text), 0);
    EXPECT_GT(text.words.size(), 50u) << c.file;
    EXPECT_FALSE(djvu_document_outline(document.get()).empty()) << c.file;
  }
  EXPECT_TRUE(t_codecMessages.empty());
}

}  // namespace
}  // namespace leaf::test
