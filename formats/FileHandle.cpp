#include "FileHandle.h"

#include <sys/stat.h>

namespace leaf {

long long RemainingBytes(std::FILE* file) {
  struct stat info;
  if (fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode)) return -1;
  const long position = std::ftell(file);
  if (position < 0) return -1;
  return static_cast<long long>(info.st_size) - position;
}

}  // namespace leaf
