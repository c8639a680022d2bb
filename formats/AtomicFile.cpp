#include "AtomicFile.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace leaf {

namespace {

std::atomic<unsigned> g_sequence{0};

// Names of the temporary files that exist right now, for the signal handler.
// A slot is free (0), being filled or emptied (1), or holds a name (2).
constexpr int kSlots = 64;
struct Slot {
  std::atomic<int> state{0};
  char name[PATH_MAX];
};
Slot g_slots[kSlots];

int Remember(const std::string& name) {
  if (name.size() >= PATH_MAX) return -1;
  for (int i = 0; i < kSlots; ++i) {
    int free = 0;
    if (!g_slots[i].state.compare_exchange_strong(free, 1)) continue;
    std::memcpy(g_slots[i].name, name.c_str(), name.size() + 1);
    g_slots[i].state.store(2);
    return i;
  }
  return -1;  // more writes at once than slots: this one is not cleaned up
}

void Forget(int slot) {
  if (slot >= 0) g_slots[slot].state.store(0);
}

void RemoveTemporariesAndDie(int signal) {
  for (Slot& slot : g_slots) {
    if (slot.state.load() == 2) ::unlink(slot.name);
  }
  ::signal(signal, SIG_DFL);
  ::raise(signal);
}

// Unnamed files are linked into place through /proc. Where they misbehave
// (or to see the named kind at work), LEAFSMITH_NAMED_TEMPORARIES=1 asks for
// named temporaries.
bool UnnamedTemporariesAllowed() {
  const char* named = std::getenv("LEAFSMITH_NAMED_TEMPORARIES");
  if (named && *named && std::strcmp(named, "0") != 0) return false;
  static const bool proc = ::access("/proc/self/fd", X_OK) == 0;
  return proc;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Cuts a UTF-8 text to at most `bytes` bytes without splitting a character.
std::string CutToBytes(const std::string& text, size_t bytes) {
  if (text.size() <= bytes) return text;
  size_t end = bytes;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return text.substr(0, end);
}

}  // namespace

std::string TemporaryNameFor(const std::string& path, unsigned sequence) {
  constexpr size_t kLongestName = NAME_MAX;
  char suffix[48];
  std::snprintf(suffix, sizeof suffix, ".part-%d-%u", static_cast<int>(getpid()), sequence);
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  return folder + CutToBytes(name, kLongestName - std::strlen(suffix)) + suffix;
}

std::string FollowLinks(const std::string& path) {
  constexpr int kMostLinks = 40;  // as the kernel's own limit on a path
  std::string current = path;
  for (int i = 0; i < kMostLinks; ++i) {
    struct stat info;
    if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return current;
    char link[PATH_MAX];
    const ssize_t n = ::readlink(current.c_str(), link, sizeof link - 1);
    if (n <= 0) return current;
    const std::string target(link, static_cast<size_t>(n));
    current = target[0] == '/' ? target : FolderOf(current) + "/" + target;
  }
  return current;
}

bool IsWriteProtected(const std::string& path) {
  const std::string target = FollowLinks(path);
  struct stat info;
  if (::stat(target.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  return (info.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0;
}

void RemoveTemporariesOnSignals() {
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction current {};
    if (::sigaction(signal, nullptr, &current) != 0 || current.sa_handler != SIG_DFL) continue;
    struct sigaction action {};
    action.sa_handler = RemoveTemporariesAndDie;
    sigemptyset(&action.sa_mask);
    ::sigaction(signal, &action, nullptr);
  }
}

AtomicFile::AtomicFile(std::string path) : path_(std::move(path)) {}

AtomicFile::~AtomicFile() { Discard(); }

const char* AtomicFile::Reason() const { return std::strerror(error_ ? error_ : EIO); }

bool AtomicFile::Failed() {
  if (error_ == 0) error_ = errno ? errno : EIO;
  return false;
}

bool AtomicFile::Open() {
  Discard();
  error_ = 0;
  existingMode_ = -1;
  if (path_ == "-") return OpenDirect(::dup(STDOUT_FILENO));
  target_ = FollowLinks(path_);
  struct stat existing;
  if (::stat(target_.c_str(), &existing) == 0) {
    if (S_ISDIR(existing.st_mode)) {
      error_ = EISDIR;
      return false;
    }
    // A device or a FIFO is written into; there is no file to replace.
    if (!S_ISREG(existing.st_mode)) {
      return OpenDirect(::open(target_.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY));
    }
    existingMode_ = static_cast<int>(existing.st_mode & 07777);
  }
  return (UnnamedTemporariesAllowed() && OpenUnnamed()) || OpenNamed();
}

bool AtomicFile::OpenDirect(int fd) {
  if (fd < 0) return Failed();
  stream_ = ::fdopen(fd, "wb");
  if (!stream_) {
    Failed();
    ::close(fd);
    return false;
  }
  kind_ = Kind::kDirect;
  return true;
}

bool AtomicFile::OpenUnnamed() {
  const int fd = ::open(FolderOf(target_).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  if (existingMode_ >= 0) ::fchmod(fd, static_cast<mode_t>(existingMode_));
  stream_ = ::fdopen(fd, "wb");
  if (!stream_) {
    ::close(fd);
    return false;
  }
  kind_ = Kind::kUnnamed;
  return true;
}

bool AtomicFile::OpenNamed() {
  int fd = -1;
  int slot = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temporary_ = TemporaryNameFor(target_, g_sequence.fetch_add(1));
    slot = Remember(temporary_);
    fd = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
      const int saved = errno;
      Forget(slot);
      errno = saved;
      if (errno != EEXIST) break;
    }
  }
  if (fd < 0) {
    temporary_.clear();
    return Failed();
  }
  if (existingMode_ >= 0) ::fchmod(fd, static_cast<mode_t>(existingMode_));
  stream_ = ::fdopen(fd, "wb");
  if (!stream_) {
    Failed();
    ::close(fd);
    ::unlink(temporary_.c_str());
    Forget(slot);
    temporary_.clear();
    return false;
  }
  slot_ = slot;
  kind_ = Kind::kNamed;
  return true;
}

bool AtomicFile::Write(const void* data, size_t size) {
  if (!stream_) return Failed();
  errno = 0;
  if (WriteAll(stream_, data, size)) return true;
  return Failed();
}

// Gives an unnamed file a temporary name beside the target, so that it
// outlives its descriptor: from then on it is a named temporary.
bool AtomicFile::LinkUnderTemporaryName() {
  char self[64];
  std::snprintf(self, sizeof self, "/proc/self/fd/%d", fileno(stream_));
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary_ = TemporaryNameFor(target_, g_sequence.fetch_add(1));
    slot_ = Remember(temporary_);
    if (::linkat(AT_FDCWD, self, AT_FDCWD, temporary_.c_str(), AT_SYMLINK_FOLLOW) == 0) {
      kind_ = Kind::kNamed;
      return true;
    }
    const int saved = errno;
    ForgetTemporary(false);
    if (saved != EEXIST) {
      errno = saved;
      return Failed();
    }
  }
  return Failed();
}

// Gives an open unnamed file the target's name: linked straight in when
// nothing is there, else under a temporary name that PutInPlace renames.
bool AtomicFile::LinkIntoPlace() {
  if (existingMode_ < 0) {
    char self[64];
    std::snprintf(self, sizeof self, "/proc/self/fd/%d", fileno(stream_));
    if (::linkat(AT_FDCWD, self, AT_FDCWD, target_.c_str(), AT_SYMLINK_FOLLOW) == 0) return true;
    if (errno != EEXIST) return Failed();
  }
  return LinkUnderTemporaryName();
}

// Renames a closed named temporary over the target.
bool AtomicFile::PutInPlace() {
  if (::rename(temporary_.c_str(), target_.c_str()) != 0) return Failed();
  ForgetTemporary(false);
  return true;
}

void AtomicFile::ForgetTemporary(bool remove) {
  if (remove && !temporary_.empty()) ::unlink(temporary_.c_str());
  Forget(slot_);
  slot_ = -1;
  temporary_.clear();
}

bool AtomicFile::Finish() {
  errno = 0;
  if (std::fflush(stream_) != 0) return Failed();
  // Only a file on disk is synced; a pipe or terminal has nothing to sync.
  return kind_ == Kind::kDirect || ::fsync(fileno(stream_)) == 0 || Failed();
}

// Closes the stream after `ok` steps; on failure everything written goes.
bool AtomicFile::CloseStream(bool ok) {
  if (std::fclose(stream_) != 0 && ok) ok = Failed();
  stream_ = nullptr;
  if (!ok) Discard();
  return ok;
}

bool AtomicFile::Close() {
  if (!stream_) return Failed();
  bool ok = Finish();
  if (ok && kind_ == Kind::kUnnamed) ok = LinkUnderTemporaryName();
  closed_ = CloseStream(ok);
  return closed_;
}

bool AtomicFile::Commit() {
  if (!closed_) {
    if (!stream_) return Failed();
    bool ok = Finish();
    if (ok && kind_ == Kind::kUnnamed) ok = LinkIntoPlace();
    if (!CloseStream(ok)) return false;
  }
  const bool ok = kind_ != Kind::kNamed || PutInPlace();
  Discard();
  return ok;
}

void AtomicFile::Discard() {
  if (stream_) {
    std::fclose(stream_);
    stream_ = nullptr;
  }
  ForgetTemporary(true);
  kind_ = Kind::kNone;
  closed_ = false;
}

bool FailToCreate(const DibImage& image, const AtomicFile& file) {
  return image.Fail("Cannot create %s: %s.", file.path().c_str(), file.Reason());
}

bool FailToWrite(const DibImage& image, const AtomicFile& file) {
  return image.Fail("Cannot write %s: %s.", file.path().c_str(), file.Reason());
}

bool WriteAll(std::FILE* stream, const void* data, size_t size) {
  return size == 0 || std::fwrite(data, 1, size, stream) == size;
}

}  // namespace leaf
