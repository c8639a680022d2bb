#include <cstdlib>

#include "djvu_image.h"

void* _djvu_malloc(size_t n) { return std::malloc(n ? n : 1); }

void* _djvu_calloc(size_t count, size_t size) {
  return std::calloc(count ? count : 1, size ? size : 1);
}

void* _djvu_realloc(void* p, size_t n) { return std::realloc(p, n ? n : 1); }

void _djvu_free(void* p) { std::free(p); }
