// A multipage document put together from single pages through the codec's
// document writer, the page data read back from the spool file as it goes.
#include <fcntl.h>
#include <unistd.h>

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
#include "djvu_book.h"
#include "djvu_error.h"

struct djvu_book {
  struct Page {
    off_t offset;
    size_t length;
    std::string name;
  };
  std::string spoolPath;
  int spool = -1;
  off_t spooled = 0;
  std::vector<Page> pages;

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
  for (const djvu_book::Page& page : book.pages) {
    if (page.name == name) Fail(std::string("djvu_book: two pages are named ") + name, __LINE__);
  }
  // The codec keeps offsets into a document in an int.
  const off_t offset = book.spooled;
  if (length > static_cast<size_t>(INT_MAX - 1024) - static_cast<size_t>(offset)) {
    Fail("The document would be larger than 2 GB", __LINE__);
  }
  WriteSpool(book, bytes, length);
  book.pages.push_back({offset, length, name});
}

// The document over the spooled pages; their data is read when written.
GP<DjVmDoc> Document(const djvu_book& book) {
  if (book.pages.empty()) Fail("djvu_book: the book has no pages", __LINE__);
  const GURL spool = GURL::Filename::UTF8(book.spoolPath.c_str());
  const GP<DjVmDoc> document = DjVmDoc::create();
  for (const djvu_book::Page& page : book.pages) {
    const GUTF8String name(page.name.c_str());
    document->insert_file(
        DataPool::create(spool, static_cast<int>(page.offset), static_cast<int>(page.length)),
        DjVmDir::File::PAGE, name, name);
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

void WritePage(const djvu_book& book, int index, const GP<ByteStream>& out) {
  if (index < 0 || index >= static_cast<int>(book.pages.size())) {
    Fail("djvu_book: there is no such page", __LINE__);
  }
  const djvu_book::Page& page = book.pages[static_cast<size_t>(index)];
  out->writall(kMagic, 4);
  std::vector<unsigned char> buffer(std::min<size_t>(page.length, 1 << 16));
  for (size_t done = 0; done < page.length;) {
    const size_t want = std::min(buffer.size(), page.length - done);
    const ssize_t n =
        ::pread(book.spool, buffer.data(), want, page.offset + static_cast<off_t>(done));
    if (n <= 0)
      Fail(std::string("Could not read the spool file: ") + std::strerror(errno), __LINE__);
    out->writall(buffer.data(), static_cast<size_t>(n));
    done += static_cast<size_t>(n);
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
    djvu::WriteInto(file, [&](const GP<ByteStream>& out) { djvu::WritePage(checked, page, out); });
    return 0;
  });
}
