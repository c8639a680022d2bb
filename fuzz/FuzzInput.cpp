#include "FuzzInput.h"

#include <stdlib.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

namespace leaf::fuzz {

MemoryFile::MemoryFile(const uint8_t* data, size_t size, const char* extension) {
  fd_ = memfd_create("fuzz-input", MFD_CLOEXEC);
  if (fd_ < 0) std::abort();
  for (size_t done = 0; done < size;) {
    const ssize_t n = write(fd_, data + done, size - done);
    if (n <= 0) std::abort();
    done += static_cast<size_t>(n);
  }
  // The readers look at the name's extension only through the caller; the
  // descriptor path is what they open.
  (void)extension;
  path_ = "/proc/self/fd/" + std::to_string(fd_);
}

MemoryFile::~MemoryFile() {
  if (fd_ >= 0) close(fd_);
}

const std::string& ScratchDirectory() {
  static const std::string directory = [] {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "leafsmith-fuzz-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    return pattern;
  }();
  return directory;
}

}  // namespace leaf::fuzz
