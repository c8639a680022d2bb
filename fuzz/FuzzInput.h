// Hands fuzz input to readers that take a path: the bytes go into an
// in-memory file reached through /proc/self/fd.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace leaf::fuzz {

class MemoryFile {
 public:
  MemoryFile(const uint8_t* data, size_t size, const char* extension);
  ~MemoryFile();
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;
  const std::string& path() const { return path_; }

 private:
  int fd_ = -1;
  std::string path_;
};

// A directory for outputs, made once per process.
const std::string& ScratchDirectory();

}  // namespace leaf::fuzz
