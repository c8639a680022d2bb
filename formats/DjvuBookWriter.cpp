#include "DjvuBookWriter.h"

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "AtomicFile.h"
#include "CodecErrorCapture.h"
#include "DjvuWriter.h"
#include "image/Messages.h"
#include "libAPI/djvu_book.h"

namespace leaf {

namespace {

// One page, read and encoded, or why it could not be.
struct EncodedPage {
  bool ok = false;
  std::vector<uint8_t> bytes;
  std::string message;
};

size_t AppendToVector(void* context, const void* buffer, size_t length) {
  auto& bytes = *static_cast<std::vector<uint8_t>*>(context);
  const auto* begin = static_cast<const uint8_t*>(buffer);
  bytes.insert(bytes.end(), begin, begin + length);
  return length;
}

// Encodes one page on the calling thread.
EncodedPage EncodeImage(DibImage& page, const DjvuSaveParameters& parameters) {
  EncodedPage result;
  try {
    const CodecErrorCapture reports;
    ClearMessage();
    result.ok = EncodeDjvu(page, parameters.upsample, parameters.textOnly, parameters.mask,
                           parameters.encode, AppendToVector, &result.bytes, parameters.ocr);
    if (!result.ok) {
      result.message = *LastMessage() ? LastMessage() : reports.first();
      if (result.message.empty()) result.message = "Failed to save the image!";
    }
  } catch (const std::bad_alloc&) {
    result = EncodedPage{false, {}, "Not enough memory to encode the page."};
  }
  return result;
}

// Reads and encodes one page on the calling thread.
EncodedPage EncodePage(const DjvuPageSource& source, int index,
                       const DjvuSaveParameters& parameters) {
  try {
    DibImage page;
    ClearMessage();
    if (!source(index, page)) {
      return {false, {}, *LastMessage() ? LastMessage() : "Failed to open the image!"};
    }
    return EncodeImage(page, parameters);
  } catch (const std::bad_alloc&) {
    return {false, {}, "Not enough memory to read the page."};
  }
}

// Hands pages out to the workers in order and takes the encoded ones back
// in order. A worker may start a page only while fewer than window pages
// are started and not yet taken, which bounds the memory in flight.
class PagePipeline {
 public:
  PagePipeline(int pageCount, int window) : pageCount_(pageCount), window_(window) {}

  // The next page to encode; -1 when every page is started or the pipeline
  // stopped. Waits while the window is full.
  int NextToEncode() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] {
      return stopped_ || nextToStart_ >= pageCount_ || nextToStart_ < nextToTake_ + window_;
    });
    if (stopped_ || nextToStart_ >= pageCount_) return -1;
    return nextToStart_++;
  }

  void Finished(int index, EncodedPage page) {
    std::lock_guard<std::mutex> lock(mutex_);
    ready_[index] = std::move(page);
    changed_.notify_all();
  }

  // Waits for the page (the next one in order) and takes it.
  EncodedPage Take(int index) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return ready_.count(index) != 0; });
    EncodedPage page = std::move(ready_[index]);
    ready_.erase(index);
    nextToTake_ = index + 1;
    changed_.notify_all();
    return page;
  }

  void Stop() {
    std::lock_guard<std::mutex> lock(mutex_);
    stopped_ = true;
    changed_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  const int pageCount_;
  const int window_;
  int nextToStart_ = 0;
  int nextToTake_ = 0;
  bool stopped_ = false;
  std::map<int, EncodedPage> ready_;
};

// Worker threads over a pipeline; stopped and joined however the writing ends.
class Workers {
 public:
  Workers(int count, PagePipeline& pipeline, const DjvuPageSource& source,
          const DjvuSaveParameters& parameters)
      : pipeline_(pipeline) {
    for (int t = 0; t < count; ++t) {
      threads_.emplace_back([&pipeline, &source, &parameters] {
        for (int index; (index = pipeline.NextToEncode()) >= 0;) {
          pipeline.Finished(index, EncodePage(source, index, parameters));
        }
      });
    }
  }
  ~Workers() {
    pipeline_.Stop();
    for (std::thread& thread : threads_) thread.join();
  }
  Workers(const Workers&) = delete;
  Workers& operator=(const Workers&) = delete;

 private:
  PagePipeline& pipeline_;
  std::vector<std::thread> threads_;
};

struct BookDeleter {
  void operator()(djvu_book* book) const { djvu_book_free(book); }
};
using Book = std::unique_ptr<djvu_book, BookDeleter>;

int ThreadsFor(const DjvuBookOptions& options, int pageCount) {
  const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  return std::clamp(options.threads > 0 ? options.threads : cores, 1, pageCount);
}

bool FailWith(const char* format, const std::string& name, const std::string& reason) {
  SetMessage(format, name.c_str(), reason.c_str());
  return false;
}

// Writes one file through a temporary file that is left closed beside it.
bool WritePending(AtomicFile& file, const std::function<int(std::FILE*)>& write) {
  if (!file.Open()) return FailWith("Could not create %s: %s", file.path(), file.Reason());
  const CodecErrorCapture reports;
  if (write(file.stream()) != 0) {
    return FailWith("Could not write %s: %s", file.path(),
                    reports.first().empty() ? std::strerror(errno) : reports.first());
  }
  if (!file.Close()) return FailWith("Could not write %s: %s", file.path(), file.Reason());
  return true;
}

bool CommitAll(std::vector<std::unique_ptr<AtomicFile>>& files) {
  for (const std::unique_ptr<AtomicFile>& file : files) {
    if (!file->Commit()) {
      return FailWith("Could not write %s: %s", file->path(), file->Reason());
    }
  }
  return true;
}

bool WriteBundled(djvu_book* book, const std::string& path) {
  std::vector<std::unique_ptr<AtomicFile>> files;
  files.push_back(std::make_unique<AtomicFile>(path));
  if (!WritePending(*files.back(),
                    [&](std::FILE* stream) { return djvu_book_write_bundled(book, stream); })) {
    return false;
  }
  return CommitAll(files);
}

// Every page file and the index are written completely before any of them
// takes the place of an existing file; the index comes last.
bool WriteIndirect(djvu_book* book, const std::string& indexPath, int pageCount) {
  const std::filesystem::path folder = std::filesystem::path(indexPath).parent_path();
  std::vector<std::unique_ptr<AtomicFile>> files;
  for (int page = 0; page < pageCount; ++page) {
    const std::string name = DjvuPageName(indexPath, page, pageCount, true);
    files.push_back(std::make_unique<AtomicFile>((folder / name).string()));
    if (!WritePending(*files.back(), [&](std::FILE* stream) {
          return djvu_book_write_page(book, page, stream);
        })) {
      return false;
    }
  }
  for (int shared = 0; shared < djvu_book_shared_count(book); ++shared) {
    files.push_back(
        std::make_unique<AtomicFile>((folder / djvu_book_shared_name(book, shared)).string()));
    if (!WritePending(*files.back(), [&](std::FILE* stream) {
          return djvu_book_write_shared(book, shared, stream);
        })) {
      return false;
    }
  }
  files.push_back(std::make_unique<AtomicFile>(indexPath));
  if (!WritePending(*files.back(),
                    [&](std::FILE* stream) { return djvu_book_write_index(book, stream); })) {
    return false;
  }
  return CommitAll(files);
}

bool WriteSinglePage(const EncodedPage& page, const std::string& path) {
  std::vector<std::unique_ptr<AtomicFile>> files;
  files.push_back(std::make_unique<AtomicFile>(path));
  if (!WritePending(*files.back(), [&](std::FILE* stream) {
        return WriteAll(stream, page.bytes.data(), page.bytes.size()) ? 0 : -1;
      })) {
    return false;
  }
  return CommitAll(files);
}

}  // namespace

std::string DjvuPageName(const std::string& indexPath, int index, int pageCount, bool indirect) {
  const size_t digits = std::max<size_t>(4, std::to_string(pageCount).size());
  std::string number = std::to_string(index + 1);
  if (number.size() < digits) number.insert(0, digits - number.size(), '0');
  const std::string name = "p" + number + ".djvu";
  if (!indirect) return name;
  return std::filesystem::path(indexPath).stem().string() + "-" + name;
}

std::string DjvuSharedShapesPrefix(const std::string& indexPath, bool indirect) {
  if (!indirect) return "shapes";
  return std::filesystem::path(indexPath).stem().string() + "-shapes";
}

bool SaveDjvuBook(const std::string& path, int pageCount, const DjvuPageSource& source,
                  const DjvuSaveParameters& parameters, const DjvuBookOptions& options) {
  if (pageCount <= 0) {
    SetMessage("There are no pages to save.");
    return false;
  }
  const DibImage reporter;
  MadeFolders folders;
  if (!folders.MakeFor(reporter, path)) return false;
  const int threads = ThreadsFor(options, pageCount);
  PagePipeline pipeline(pageCount, 2 * threads);
  Book book;
  EncodedPage first;
  {
    const Workers workers(threads, pipeline, source, parameters);
    if (pageCount > 1 || options.indirect) {
      const CodecErrorCapture reports;
      const std::string folder = std::filesystem::path(path).parent_path().string();
      book.reset(djvu_book_create(folder.empty() ? "." : folder.c_str()));
      if (!book) return FailWith("Could not write %s: %s", path, reports.first());
    }
    for (int index = 0; index < pageCount; ++index) {
      EncodedPage page = pipeline.Take(index);
      if (!page.ok) {
        SetMessage("Page %d of %d: %s", index + 1, pageCount, page.message.c_str());
        return false;
      }
      if (book) {
        const CodecErrorCapture reports;
        const std::string name = DjvuPageName(path, index, pageCount, options.indirect);
        if (djvu_book_add_page(book.get(), page.bytes.data(), page.bytes.size(), name.c_str())) {
          return FailWith("Could not write %s: %s", path, reports.first());
        }
      } else {
        first = std::move(page);
      }
      if (options.progress) options.progress(index + 1, pageCount);
    }
  }
  if (!book) {
    const bool written = WriteSinglePage(first, path);
    if (written) folders.Keep();
    return written;
  }
  {
    const CodecErrorCapture reports;
    const bool lossy = (parameters.encode.flags & DJVU_AGGRESSIVE) != 0;
    const std::string prefix = DjvuSharedShapesPrefix(path, options.indirect);
    if (djvu_book_share_shapes(book.get(), prefix.c_str(), lossy ? 1 : 0)) {
      return FailWith("Could not write %s: %s", path, reports.first());
    }
  }
  const bool written = options.indirect ? WriteIndirect(book.get(), path, pageCount)
                                        : WriteBundled(book.get(), path);
  if (written) folders.Keep();
  return written;
}

struct DjvuBookBuilder::State {
  Book book;
  EncodedPage first;  // kept until a second page makes a book of it
};

DjvuBookBuilder::DjvuBookBuilder(std::string path, DjvuSaveParameters parameters)
    : path_(std::move(path)), parameters_(parameters), state_(std::make_unique<State>()) {}

DjvuBookBuilder::~DjvuBookBuilder() = default;

namespace {

bool AddToBook(djvu_book* book, const std::string& path, const EncodedPage& page, int index) {
  const CodecErrorCapture reports;
  const std::string name = DjvuPageName(path, index, index + 1, false);
  if (djvu_book_add_page(book, page.bytes.data(), page.bytes.size(), name.c_str())) {
    return FailWith("Could not write %s: %s", path, reports.first());
  }
  return true;
}

}  // namespace

bool DjvuBookBuilder::Add(DibImage& page) {
  EncodedPage encoded = EncodeImage(page, parameters_);
  if (!encoded.ok) {
    SetMessage("Page %d: %s", pages_ + 1, encoded.message.c_str());
    return false;
  }
  if (pages_ == 0) {
    state_->first = std::move(encoded);
    ++pages_;
    return true;
  }
  if (!state_->book) {
    const DibImage reporter;
    MadeFolders folders;
    if (!folders.MakeFor(reporter, path_)) return false;
    folders.Keep();  // the book's spool files live there until Finish
    const CodecErrorCapture reports;
    const std::string folder = std::filesystem::path(path_).parent_path().string();
    state_->book.reset(djvu_book_create(folder.empty() ? "." : folder.c_str()));
    if (!state_->book) return FailWith("Could not write %s: %s", path_, reports.first());
    if (!AddToBook(state_->book.get(), path_, state_->first, 0)) return false;
    state_->first = {};
  }
  if (!AddToBook(state_->book.get(), path_, encoded, pages_)) return false;
  ++pages_;
  return true;
}

bool DjvuBookBuilder::Finish() {
  if (pages_ == 0) {
    SetMessage("There are no pages to save.");
    return false;
  }
  const DibImage reporter;
  MadeFolders folders;
  if (!folders.MakeFor(reporter, path_)) return false;
  if (state_->book) {
    const CodecErrorCapture reports;
    const bool lossy = (parameters_.encode.flags & DJVU_AGGRESSIVE) != 0;
    const std::string prefix = DjvuSharedShapesPrefix(path_, false);
    if (djvu_book_share_shapes(state_->book.get(), prefix.c_str(), lossy ? 1 : 0)) {
      return FailWith("Could not write %s: %s", path_, reports.first());
    }
  }
  const bool written = !state_->book ? WriteSinglePage(state_->first, path_)
                                     : WriteBundled(state_->book.get(), path_);
  if (written) folders.Keep();
  return written;
}

}  // namespace leaf
