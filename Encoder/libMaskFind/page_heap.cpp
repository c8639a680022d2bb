#include "page_heap.h"

#include <malloc.h>
#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_map>

namespace maskfind {

namespace {

// The mapped blocks and their sizes.
class MappedBlocks {
 public:
  void Add(void* block, size_t bytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    sizes_[block] = bytes;
  }
  // The size of a mapped block, removed from the list; 0 for another block.
  size_t Take(void* block) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto found = sizes_.find(block);
    if (found == sizes_.end()) return 0;
    const size_t bytes = found->second;
    sizes_.erase(found);
    return bytes;
  }

 private:
  std::mutex mutex_;
  std::unordered_map<void*, size_t> sizes_;
};

MappedBlocks& Mapped() {
  static MappedBlocks blocks;
  return blocks;
}

// A block of bytes (rounded up to whole huge pages) starting on a huge
// page boundary; its mapped length goes to length.
void* Map(size_t bytes, size_t& length) {
  if (bytes > SIZE_MAX - 2 * kHugePageBytes) return nullptr;
  length = (bytes + kHugePageBytes - 1) & ~(kHugePageBytes - 1);
  const size_t spanned = length + kHugePageBytes;
  void* span = mmap(nullptr, spanned, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (span == MAP_FAILED) return nullptr;
  const uintptr_t start = reinterpret_cast<uintptr_t>(span);
  const uintptr_t aligned = (start + kHugePageBytes - 1) & ~(kHugePageBytes - 1);
  if (aligned > start) munmap(span, aligned - start);
  const size_t after = spanned - (aligned - start) - length;
  if (after > 0) munmap(reinterpret_cast<void*>(aligned + length), after);
  void* block = reinterpret_cast<void*>(aligned);
  advise_huge_pages(block, length);
  return block;
}

}  // namespace

void* page_malloc(size_t bytes) {
  if (bytes < kPageBlockBytes) return std::malloc(bytes ? bytes : 1);
  size_t length = 0;
  void* block = Map(bytes, length);
  if (block) Mapped().Add(block, length);
  return block;
}

void* page_realloc(void* block, size_t bytes) {
  if (!block) return page_malloc(bytes);
  const size_t mapped = Mapped().Take(block);
  if (mapped == 0 && bytes < kPageBlockBytes) return std::realloc(block, bytes ? bytes : 1);
  // A new block and a copy of the front.
  void* grown = page_malloc(bytes);
  if (!grown) {
    if (mapped != 0) Mapped().Add(block, mapped);
    return nullptr;
  }
  const size_t old = mapped != 0 ? mapped : malloc_usable_size(block);
  std::memcpy(grown, block, std::min(old, bytes));
  if (mapped != 0) {
    munmap(block, mapped);
  } else {
    std::free(block);
  }
  return grown;
}

void advise_huge_pages(void* block, size_t bytes) {
  const uintptr_t start = reinterpret_cast<uintptr_t>(block);
  const uintptr_t first = (start + kHugePageBytes - 1) & ~(kHugePageBytes - 1);
  const uintptr_t end = (start + bytes) & ~(kHugePageBytes - 1);
  // Advice only: without huge pages the memory works as well.
  if (end > first) madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
}

void page_free(void* block) {
  if (!block) return;
  if (const size_t mapped = Mapped().Take(block)) {
    munmap(block, mapped);
  } else {
    std::free(block);
  }
}

}  // namespace maskfind
