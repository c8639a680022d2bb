#include "FileHandle.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace leaf {

namespace {

bool IsFolder(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

std::string WhyUnreadable(const std::string& path) {
  if (IsFolder(path)) return "it is a folder";
  FileHandle file = OpenForReading(path.c_str());
  return file ? std::string() : std::strerror(errno);
}

FileHandle OpenInputFile(const DibImage& image, const std::string& path) {
  if (IsFolder(path)) {
    image.Fail("Cannot open %s: it is a folder, not an image file.", path.c_str());
    return nullptr;
  }
  FileHandle file = OpenForReading(path.c_str());
  if (!file) image.Fail("Cannot open %s: %s.", path.c_str(), std::strerror(errno));
  return file;
}

long long RemainingBytes(std::FILE* file) {
  struct stat info;
  if (fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode)) return -1;
  const long position = std::ftell(file);
  if (position < 0) return -1;
  return static_cast<long long>(info.st_size) - position;
}

}  // namespace leaf
