// RAII ownership of C stdio streams.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "image/DibImage.h"

namespace leaf {

struct FileCloser {
  void operator()(std::FILE* file) const {
    if (file) std::fclose(file);
  }
};

using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

inline FileHandle OpenForReading(const char* path) { return FileHandle(std::fopen(path, "rb")); }

// Opens a file to read an image from. When it cannot be opened, the failure
// says why (missing, no permission, a folder, ...) and the handle is empty.
FileHandle OpenInputFile(const DibImage& image, const std::string& path);

// The reason a file cannot be read, for messages: "No such file or
// directory", "it is a folder", ...; empty when it can be opened.
std::string WhyUnreadable(const std::string& path);

// Bytes from the current position to the end of the file, or -1 when the
// stream cannot seek.
long long RemainingBytes(std::FILE* file);

}  // namespace leaf
