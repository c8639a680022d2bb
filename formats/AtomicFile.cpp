#include "AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>

namespace leaf {

namespace {

std::atomic<unsigned> g_sequence{0};

std::string TemporaryNameFor(const std::string& path) {
  char suffix[48];
  std::snprintf(suffix, sizeof suffix, ".part-%d-%u", static_cast<int>(getpid()),
                g_sequence.fetch_add(1));
  return path + suffix;
}

}  // namespace

AtomicFile::AtomicFile(std::string path) : path_(std::move(path)) {}

AtomicFile::~AtomicFile() { Discard(); }

bool AtomicFile::Open() {
  Discard();
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temporary_ = TemporaryNameFor(path_);
    fd = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    temporary_.clear();
    return false;
  }
  struct stat existing;
  if (::stat(path_.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
    ::fchmod(fd, existing.st_mode & 07777);
  }
  stream_ = ::fdopen(fd, "wb");
  if (!stream_) {
    const int saved = errno;
    ::close(fd);
    ::unlink(temporary_.c_str());
    temporary_.clear();
    errno = saved;
    return false;
  }
  return true;
}

bool AtomicFile::Close() {
  if (!stream_) return false;
  bool ok = std::fflush(stream_) == 0;
  ok = ok && ::fsync(fileno(stream_)) == 0;
  ok = (std::fclose(stream_) == 0) && ok;
  stream_ = nullptr;
  if (!ok) {
    const int saved = errno;
    ::unlink(temporary_.c_str());
    temporary_.clear();
    errno = saved;
  }
  return ok;
}

bool AtomicFile::Commit() {
  if (stream_ && !Close()) return false;
  if (temporary_.empty()) return false;
  const bool ok = ::rename(temporary_.c_str(), path_.c_str()) == 0;
  if (!ok) {
    const int saved = errno;
    ::unlink(temporary_.c_str());
    errno = saved;
  }
  temporary_.clear();
  return ok;
}

void AtomicFile::Discard() {
  if (stream_) {
    std::fclose(stream_);
    stream_ = nullptr;
  }
  if (!temporary_.empty()) {
    ::unlink(temporary_.c_str());
    temporary_.clear();
  }
}

bool WriteAll(std::FILE* stream, const void* data, size_t size) {
  return size == 0 || std::fwrite(data, 1, size, stream) == size;
}

}  // namespace leaf
