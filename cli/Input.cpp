// Reading a command's input file, or standard input given as "-".
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "Command.h"
#include "image/Messages.h"

namespace leaf::cli {

namespace {

// Standard input copied into an in-memory file: the readers take a path, and
// some of them seek.
class StandardInputFile {
 public:
  StandardInputFile() : fd_(memfd_create("standard-input", MFD_CLOEXEC)) {}
  ~StandardInputFile() {
    if (fd_ >= 0) close(fd_);
  }
  StandardInputFile(const StandardInputFile&) = delete;
  StandardInputFile& operator=(const StandardInputFile&) = delete;

  // False, with errno set, when standard input cannot be read or kept.
  bool Load() {
    if (fd_ < 0) return false;
    char buffer[1 << 16];
    for (ssize_t n; (n = read(STDIN_FILENO, buffer, sizeof buffer)) != 0;) {
      if (n < 0) {
        if (errno == EINTR) continue;
        return false;
      }
      for (ssize_t done = 0; done < n;) {
        const ssize_t written = write(fd_, buffer + done, static_cast<size_t>(n - done));
        if (written < 0) return false;
        done += written;
      }
    }
    return true;
  }

  std::string path() const { return "/proc/self/fd/" + std::to_string(fd_); }

 private:
  int fd_;
};

// Reads path as type; warnings and the failure are shown under the name.
bool ReadAs(const std::string& path, FileTypeCode type, const std::string& name, DibImage& image,
            const ReadOptions& options, bool strict) {
  int warnings = 0;
  image.SetWarningCallback([&](const char* text) {
    std::fprintf(stderr, "leafsmith-cli: warning: %s: %s\n", name.c_str(), text);
    ++warnings;
  });
  ClearMessage();
  const bool read = ReadImageFile(image, path, type, options);
  image.SetWarningCallback(nullptr);
  if (!read) {
    if (!*LastMessage()) SetMessage("Failed to open the image!");
    return false;
  }
  if (strict && warnings > 0) {
    SetMessage("%s: refused because of the warning above (--strict)", name.c_str());
    return false;
  }
  return true;
}

bool ReadStandardInput(DibImage& image, const ReadOptions& options, bool strict) {
  StandardInputFile input;
  if (!input.Load()) {
    SetMessage("cannot read standard input: %s", std::strerror(errno));
    return false;
  }
  const FileTypeCode type = FileTypeFromContent(input.path());
  if (type == kFileUnknown) {
    SetMessage(
        "cannot tell the type of the data on standard input; it may be DjVu, IW44, BMP, PNM, "
        "JPEG, PNG or TIFF");
    return false;
  }
  return ReadAs(input.path(), type, "standard input", image, options, strict);
}

}  // namespace

bool ReadInput(const std::string& path, DibImage& image, const ReadOptions& options, bool strict) {
  if (path == "-") return ReadStandardInput(image, options, strict);
  const FileTypeCode type = FileTypeForReading(path);
  if (type == kFileUnknown) {
    SetMessage("cannot tell the type of %s from its name; the names of the files read end in %s",
               path.c_str(), ReadableExtensions().c_str());
    return false;
  }
  return ReadAs(path, type, path, image, options, strict);
}

bool OpenInput(const std::string& path, DibImage& image, const ReadOptions& options, bool strict) {
  ClearMessage();
  if (ReadInput(path, image, options, strict)) return true;
  ReportFailure("Failed to open the image!");
  return false;
}

}  // namespace leaf::cli
