// RAII ownership of C stdio streams.
#pragma once

#include <cstdio>
#include <memory>

namespace leaf {

struct FileCloser {
  void operator()(std::FILE* file) const {
    if (file) std::fclose(file);
  }
};

using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

inline FileHandle OpenForReading(const char* path) { return FileHandle(std::fopen(path, "rb")); }

// Bytes from the current position to the end of the file, or -1 when the
// stream cannot seek.
long long RemainingBytes(std::FILE* file);

}  // namespace leaf
