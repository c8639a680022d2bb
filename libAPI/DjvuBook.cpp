// A multipage document put together from single pages through the codec's
// document writer, the page data read back from the spool file as it goes.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "ByteStream.h"
#include "DataPool.h"
#include "DjVmDoc.h"
#include "GURL.h"
#include "PageJb2.h"
#include "ShapeMatch.h"
#include "SharedShapes.h"
#include "djvu_book.h"
#include "djvu_error.h"

struct djvu_book {
  // A file of the document in the spool.
  struct Page {
    off_t offset;
    size_t length;
    std::string name;
  };
  std::string spoolPath;
  int spool = -1;
  off_t spooled = 0;
  std::vector<Page> pages;
  // Shared dictionaries; dictionary i serves the pages from
  // i * djvu_book_pages_per_dictionary on.
  std::vector<Page> shared;
  bool sharing = false;

  ~djvu_book() {
    if (spool >= 0) ::close(spool);
    if (!spoolPath.empty()) ::unlink(spoolPath.c_str());
  }
};

namespace djvu {

namespace {

constexpr char kSource[] = "libAPI/DjvuBook";
constexpr char kMagic[] = "AT&T";

[[noreturn]] void Fail(const std::string& what, int line) { Throw(what.c_str(), kSource, line); }

djvu_book& Checked(djvu_book* book) {
  if (!book) Fail("djvu_book: no book given", __LINE__);
  return *book;
}

djvu_book* Create(const char* folder) {
  std::unique_ptr<djvu_book> book(new djvu_book);
  std::string pattern = std::string(folder && *folder ? folder : ".") + "/.pages-XXXXXX";
  const int fd = ::mkstemp(pattern.data());
  if (fd < 0) {
    Fail("Could not create a spool file in " + std::string(folder ? folder : ".") + ": " +
             std::strerror(errno),
         __LINE__);
  }
  book->spool = fd;
  book->spoolPath = pattern;
  return book.release();
}

void WriteSpool(djvu_book& book, const unsigned char* bytes, size_t length) {
  for (size_t done = 0; done < length;) {
    const ssize_t n = ::pwrite(book.spool, bytes + done, length - done, book.spooled);
    if (n <= 0)
      Fail(std::string("Could not write the spool file: ") + std::strerror(errno), __LINE__);
    done += static_cast<size_t>(n);
    book.spooled += n;
  }
}

// A file appended to the spool.
djvu_book::Page Spool(djvu_book& book, const unsigned char* bytes, size_t length,
                      const std::string& name) {
  // The codec keeps offsets into a document in an int.
  const off_t offset = book.spooled;
  if (length > static_cast<size_t>(INT_MAX - 1024) - static_cast<size_t>(offset)) {
    Fail("The document would be larger than 2 GB", __LINE__);
  }
  WriteSpool(book, bytes, length);
  return {offset, length, name};
}

void ReadSpool(const djvu_book& book, const djvu_book::Page& page, unsigned char* into) {
  for (size_t done = 0; done < page.length;) {
    const ssize_t n = ::pread(book.spool, into + done, page.length - done,
                              page.offset + static_cast<off_t>(done));
    if (n <= 0)
      Fail(std::string("Could not read the spool file: ") + std::strerror(errno), __LINE__);
    done += static_cast<size_t>(n);
  }
}

void AddPage(djvu_book& book, const void* file, size_t length, const char* name) {
  auto bytes = static_cast<const unsigned char*>(file);
  if (length >= 4 && !std::memcmp(bytes, kMagic, 4)) {
    bytes += 4;
    length -= 4;
  }
  if (length < 12 || std::memcmp(bytes, "FORM", 4) != 0 || std::memcmp(bytes + 8, "DJVU", 4)) {
    Fail("djvu_book: a page must be a FORM:DJVU file", __LINE__);
  }
  if (!name || !*name) Fail("djvu_book: a page needs a name", __LINE__);
  if (book.sharing) Fail("djvu_book: pages come before their shapes are shared", __LINE__);
  for (const djvu_book::Page& page : book.pages) {
    if (page.name == name) Fail(std::string("djvu_book: two pages are named ") + name, __LINE__);
  }
  book.pages.push_back(Spool(book, bytes, length, name));
}

// The document over the spooled pages; their data is read when written.
GP<DjVmDoc> Document(const djvu_book& book) {
  if (book.pages.empty()) Fail("djvu_book: the book has no pages", __LINE__);
  const GURL spool = GURL::Filename::UTF8(book.spoolPath.c_str());
  const GP<DjVmDoc> document = DjVmDoc::create();
  auto insert = [&](const djvu_book::Page& file, DjVmDir::File::FILE_TYPE type) {
    const GUTF8String name(file.name.c_str());
    document->insert_file(
        DataPool::create(spool, static_cast<int>(file.offset), static_cast<int>(file.length)), type,
        name, name);
  };
  for (size_t i = 0; i < book.pages.size(); ++i) {
    const size_t run = i / djvu_book_pages_per_dictionary;
    if (i % djvu_book_pages_per_dictionary == 0 && run < book.shared.size()) {
      insert(book.shared[run], DjVmDir::File::INCLUDE);
    }
    insert(book.pages[i], DjVmDir::File::PAGE);
  }
  return document;
}

// A stream into a stdio file that never raises: the codec's chunk writers
// patch sizes from their destructors, where an exception would end the
// program, so a failed write is noted and reported once the writer is done.
class FileSink : public ByteStream {
 public:
  explicit FileSink(std::FILE* file) : file_(file) {}
  size_t write(const void* buffer, size_t size) override {
    if (!failed_ && std::fwrite(buffer, 1, size, file_) != size) failed_ = errno ? errno : EIO;
    return size;
  }
  long tell() const override { return failed_ ? position_ : (position_ = std::ftell(file_)); }
  int seek(long offset, int whence, bool) override {
    if (!failed_ && std::fseek(file_, offset, whence) != 0) failed_ = errno ? errno : EIO;
    return 0;
  }
  void flush() override {
    if (!failed_ && std::fflush(file_) != 0) failed_ = errno ? errno : EIO;
  }
  // Raises the first failure, if any.
  void Check() {
    flush();
    if (failed_)
      Fail(std::string("Could not write the document: ") + std::strerror(failed_), __LINE__);
  }

 private:
  std::FILE* file_;
  int failed_ = 0;
  mutable long position_ = 0;
};

// Runs write over a sink into the file and reports a failed write.
template <typename Write>
void WriteInto(std::FILE* file, Write write) {
  if (!file) Fail("djvu_book: no file to write", __LINE__);
  const GP<FileSink> sink = new FileSink(file);
  write(GP<ByteStream>(static_cast<FileSink*>(sink)));
  sink->Check();
}

// A file of the document on its own, "AT&T" in front.
void WriteFile(const djvu_book& book, const djvu_book::Page& file, const GP<ByteStream>& out) {
  out->writall(kMagic, 4);
  std::vector<unsigned char> buffer(file.length);
  ReadSpool(book, file, buffer.data());
  out->writall(buffer.data(), buffer.size());
}

const djvu_book::Page& FileAt(const std::vector<djvu_book::Page>& files, int index,
                              const char* what) {
  if (index < 0 || index >= static_cast<int>(files.size())) {
    Fail(std::string("djvu_book: there is no such ") + what, __LINE__);
  }
  return files[static_cast<size_t>(index)];
}

// The shapes of pages [first, end) shared in one dictionary, the pages
// rewritten to include it.
void ShareRun(djvu_book& book, size_t first, size_t end, const std::string& name, bool lossy) {
  std::vector<size_t> shared;
  std::vector<GP<JB2Image>> shapes;
  std::vector<int> reach;
  for (size_t i = first; i < end; ++i) {
    PageBytes bytes(book.pages[i].length);
    ReadSpool(book, book.pages[i], bytes.data());
    const PageShapes page = ReadPageShapes(bytes);
    if (!page.shapes) continue;
    page.shapes->compress();
    shared.push_back(i);
    shapes.push_back(page.shapes);
    reach.push_back(lossy && MatchesLossily(page.dpi) ? GlyphReach(page.dpi) : 0);
  }
  if (shared.size() < 2) return;
  const SharedPages result = ShareShapes(shapes, reach);
  if (!result.dictionary) return;
  const PageBytes dictionary = DictionaryFile(*result.dictionary);
  book.shared.push_back(Spool(book, dictionary.data(), dictionary.size(), name));
  for (size_t k = 0; k < shared.size(); ++k) {
    djvu_book::Page& page = book.pages[shared[k]];
    PageBytes bytes(page.length);
    ReadSpool(book, page, bytes.data());
    const PageBytes rewritten = WithSharedShapes(bytes, *result.pages[k], name);
    page = Spool(book, rewritten.data(), rewritten.size(), page.name);
  }
}

void ShareBookShapes(djvu_book& book, const char* prefix, bool lossy) {
  if (book.sharing) Fail("djvu_book: the shapes are shared already", __LINE__);
  book.sharing = true;
  const size_t run = djvu_book_pages_per_dictionary;
  for (size_t first = 0; first < book.pages.size(); first += run) {
    char number[16];
    std::snprintf(number, sizeof number, "%04zu.djbz", book.shared.size() + 1);
    const std::string name = std::string(prefix ? prefix : "") + number;
    for (const djvu_book::Page& page : book.pages) {
      if (page.name == name) Fail("djvu_book: a page is named " + name, __LINE__);
    }
    ShareRun(book, first, std::min(book.pages.size(), first + run), name, lossy);
  }
}

}  // namespace

}  // namespace djvu

djvu_book* djvu_book_create(const char* spool_folder) {
  return djvu::Guard<djvu_book*>(nullptr, [&] { return djvu::Create(spool_folder); });
}

void djvu_book_free(djvu_book* book) { delete book; }

int djvu_book_add_page(djvu_book* book, const void* file, size_t length, const char* name) {
  return djvu::Guard(-1, [&] {
    djvu::AddPage(djvu::Checked(book), file, length, name);
    return 0;
  });
}

int djvu_book_page_count(const djvu_book* book) {
  return book ? static_cast<int>(book->pages.size()) : 0;
}

int djvu_book_share_shapes(djvu_book* book, const char* prefix, int lossy) {
  return djvu::Guard(-1, [&] {
    djvu::ShareBookShapes(djvu::Checked(book), prefix, lossy != 0);
    return 0;
  });
}

int djvu_book_shared_count(const djvu_book* book) {
  return book ? static_cast<int>(book->shared.size()) : 0;
}

const char* djvu_book_shared_name(const djvu_book* book, int index) {
  if (!book || index < 0 || index >= static_cast<int>(book->shared.size())) return nullptr;
  return book->shared[static_cast<size_t>(index)].name.c_str();
}

int djvu_book_write_shared(djvu_book* book, int index, std::FILE* file) {
  return djvu::Guard(-1, [&] {
    const djvu_book& checked = djvu::Checked(book);
    const djvu_book::Page& shared = djvu::FileAt(checked.shared, index, "dictionary");
    djvu::WriteInto(file,
                    [&](const GP<ByteStream>& out) { djvu::WriteFile(checked, shared, out); });
    return 0;
  });
}

int djvu_book_write_bundled(djvu_book* book, std::FILE* file) {
  return djvu::Guard(-1, [&] {
    const GP<DjVmDoc> document = djvu::Document(djvu::Checked(book));
    djvu::WriteInto(file, [&](const GP<ByteStream>& out) { document->write(out); });
    return 0;
  });
}

int djvu_book_write_index(djvu_book* book, std::FILE* file) {
  return djvu::Guard(-1, [&] {
    const GP<DjVmDoc> document = djvu::Document(djvu::Checked(book));
    djvu::WriteInto(file, [&](const GP<ByteStream>& out) { document->write_index(out); });
    return 0;
  });
}

int djvu_book_write_page(djvu_book* book, int page, std::FILE* file) {
  return djvu::Guard(-1, [&] {
    const djvu_book& checked = djvu::Checked(book);
    const djvu_book::Page& chosen = djvu::FileAt(checked.pages, page, "page");
    djvu::WriteInto(file,
                    [&](const GP<ByteStream>& out) { djvu::WriteFile(checked, chosen, out); });
    return 0;
  });
}
