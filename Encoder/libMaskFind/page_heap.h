// The mask finder's heap of page-sized buffers. A block of at least
// kPageBlockBytes is mapped on its own, in whole huge pages, and marked for
// transparent huge pages, so that a page's buffer is faulted in 2 MB at a
// time rather than 4 KB (a fault costs microseconds, more on a virtual
// machine); smaller blocks come from the process heap. page_realloc and
// page_free tell the two apart. Thread-safe.
#pragma once

#include <cstddef>

namespace maskfind {

inline constexpr size_t kHugePageBytes = size_t{2} << 20;
inline constexpr size_t kPageBlockBytes = kHugePageBytes;

// Null when the memory cannot be had.
void* page_malloc(size_t bytes);
// Keeps the front of the block, like realloc; null (the block unchanged)
// when the memory cannot be had.
void* page_realloc(void* block, size_t bytes);
void page_free(void* block);

// Marks the whole huge pages inside the bytes at block (memory of any heap,
// not yet touched) for transparent huge pages.
void advise_huge_pages(void* block, size_t bytes);

}  // namespace maskfind
