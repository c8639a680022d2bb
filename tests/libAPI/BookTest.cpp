#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "libAPI/djvu_book.h"
#include "libAPI/djvu_document.h"
#include "tests/libAPI/CodecErrorCapture.h"
#include "tests/libAPI/RenderedPages.h"
#include "tests/support/TempDir.h"

namespace leaf::test {
namespace {

struct BookFree {
  void operator()(djvu_book* book) const { djvu_book_free(book); }
};
using Book = std::unique_ptr<djvu_book, BookFree>;
struct FileClose {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileClose>;

const char* const kSources[] = {"compound.djvu", "bilevel.djvu", "photo.djvu"};

class BookTest : public CodecErrorCapture {
 protected:
  // The three single-page fixtures as the pages of a book.
  Book MakeBook() {
    Book book(djvu_book_create(dir_.path().c_str()));
    EXPECT_NE(book, nullptr);
    for (const char* name : kSources) {
      const std::vector<uint8_t> page = ReadBytes(Fixture(name));
      EXPECT_EQ(djvu_book_add_page(book.get(), page.data(), page.size(), name), 0) << name;
    }
    return book;
  }

  // Files in the folder besides the book's spool (hidden, removed with it).
  std::vector<std::string> Listing() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
      names.push_back(entry.path().filename().string());
    }
    return names;
  }

  TempDir dir_;
};

TEST_F(BookTest, BundledAndIndirectDocumentsHoldThePagesInOrder) {
  Book book = MakeBook();
  ASSERT_EQ(djvu_book_page_count(book.get()), 3);
  const std::string bundled = dir_.file("book.djvu");
  {
    File file(std::fopen(bundled.c_str(), "wb"));
    ASSERT_EQ(djvu_book_write_bundled(book.get(), file.get()), 0);
  }
  const std::string folder = dir_.file("indirect");
  std::filesystem::create_directory(folder);
  for (int page = 0; page < 3; ++page) {
    File file(std::fopen((folder + "/" + kSources[page]).c_str(), "wb"));
    ASSERT_EQ(djvu_book_write_page(book.get(), page, file.get()), 0);
  }
  {
    File file(std::fopen((folder + "/index.djvu").c_str(), "wb"));
    ASSERT_EQ(djvu_book_write_index(book.get(), file.get()), 0);
  }
  book.reset();
  // The spool went with the book.
  EXPECT_EQ(Listing().size(), 2u);

  for (const std::string& path : {bundled, folder + "/index.djvu"}) {
    Document document(djvu_document_open(path.c_str()));
    ASSERT_NE(document, nullptr) << path;
    ASSERT_EQ(djvu_document_page_count(document.get()), 3);
    EXPECT_EQ(djvu_document_page_name(document.get(), 1), "bilevel.djvu");
    for (int page = 0; page < 3; ++page) {
      HalfCoded decoded(djvu_document_decode_page(document.get(), page));
      ASSERT_NE(decoded, nullptr);
      Pixels ours = RenderWhole(decoded.get(), 1, DJVU_LAYER_COLOR);
      ASSERT_NE(ours, nullptr);
      // Each page is the very file it was made from.
      HalfCoded original(djvu_document_decode_page(
          Document(djvu_document_open(Fixture(kSources[page]).c_str())).get(), 0));
      Pixels expected = RenderWhole(original.get(), 1, DJVU_LAYER_COLOR);
      ASSERT_EQ(ours->rowsize * ours->h, expected->rowsize * expected->h);
      EXPECT_EQ(std::memcmp(ours->data, expected->data, size_t{ours->rowsize} * ours->h), 0);
    }
  }
  EXPECT_TRUE(t_codecMessages.empty());
}

TEST_F(BookTest, RefusesWhatIsNotAPageAndReportsFailedWrites) {
  Book book = MakeBook();
  const std::vector<uint8_t> page = ReadBytes(Fixture("bilevel.djvu"));
  const std::vector<uint8_t> iw44 = ReadBytes(Fixture("gray.iw44"));
  EXPECT_EQ(djvu_book_add_page(book.get(), page.data(), page.size(), "photo.djvu"), -1);
  EXPECT_EQ(djvu_book_add_page(book.get(), iw44.data(), iw44.size(), "gray.djvu"), -1);
  EXPECT_EQ(djvu_book_add_page(book.get(), page.data(), page.size(), ""), -1);
  EXPECT_EQ(djvu_book_page_count(book.get()), 3);
  // A full disk ends the writing with a report, not in the middle of the codec.
  File full(std::fopen("/dev/full", "wb"));
  if (full) {
    EXPECT_EQ(djvu_book_write_bundled(book.get(), full.get()), -1);
    EXPECT_EQ(djvu_book_write_page(book.get(), 0, full.get()), -1);
  }
  EXPECT_EQ(djvu_book_write_page(book.get(), 3, full.get()), -1);
  Book empty(djvu_book_create(dir_.path().c_str()));
  EXPECT_EQ(djvu_book_write_index(empty.get(), full.get()), -1);
  EXPECT_EQ(djvu_book_create(dir_.file("missing/folder").c_str()), nullptr);
  std::vector<std::string> expected = {"djvu_book: two pages are named photo.djvu",
                                       "djvu_book: a page must be a FORM:DJVU file",
                                       "djvu_book: a page needs a name"};
  if (full) {
    expected.push_back("Could not write the document: No space left on device");
    expected.push_back("Could not write the document: No space left on device");
  }
  expected.push_back("djvu_book: there is no such page");
  expected.push_back("djvu_book: the book has no pages");
  ASSERT_EQ(t_codecMessages.size(), expected.size() + 1);
  t_codecMessages.pop_back();  // the spool folder's own message
  EXPECT_EQ(t_codecMessages, expected);
}

}  // namespace
}  // namespace leaf::test
