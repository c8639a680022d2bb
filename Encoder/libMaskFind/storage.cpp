#include "storage.h"

#include <atomic>
#include <cstdio>
#include <cstring>

namespace maskfind {

namespace {
std::atomic<long> g_outOfRange{0};
}

const char* short_file(const char* path) {
  if (!path) return "";
  if (const char* inside = std::strstr(path, "Encoder/")) return inside;
  if (const char* inside = std::strstr(path, "libAPI/")) return inside;
  const char* slash = std::strrchr(path, '/');
  return slash ? slash + 1 : path;
}

void report_out_of_range(const where_t& where, int dims, size_t storage_size, const int index[2],
                         const int size[2]) {
  ++g_outOfRange;
  std::fprintf(stderr, "MATRX_PTR_OFF: %s:%d dims=%d size=%d\n dim 0 %d>=%d\n  dim 1 %d>=%d\n",
               short_file(where.file_name()), where.line_number(), dims,
               static_cast<int>(storage_size), index[0], size[0], index[1], size[1]);
}

long out_of_range_count() { return g_outOfRange.load(); }

}  // namespace maskfind
