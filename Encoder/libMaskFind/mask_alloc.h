// The mask finder's allocation wrappers.
//
// Every buffer of the mask finder comes from three replaceable hooks
// (default: the process heap). The _djvu_mask_ family, used for array
// storage, can also write one trace line per call to a trace stream (none by
// default), naming the source file and line that asked.
#pragma once

#include <cstddef>
#include <cstdio>

struct djvu_mask_alloc_hooks {
  void* (*allocate)(size_t bytes);
  void* (*reallocate)(void* block, size_t bytes);
  void (*release)(void* block);
};

// Installs allocation hooks for the whole process (null: the process heap);
// returns the previous ones. Install them only while no mask is being made.
djvu_mask_alloc_hooks djvu_mask_set_alloc_hooks(const djvu_mask_alloc_hooks* hooks);

// Sets the trace stream (null: no trace); returns the previous one.
std::FILE* djvu_mask_set_trace(std::FILE* stream);

// Null on failure; the callers report in their own words.
void* _djvu_mask_malloc(size_t bytes, const char* file, int line);
void* _djvu_mask_realloc(void* block, size_t bytes, const char* file, int line);
void _djvu_mask_free(void* block, const char* file, int line);

namespace maskfind {

// Allocates or reports "Memory Exhausted" (fatal).
void* mask_allocate(size_t bytes, const char* file, int line);
void mask_release(void* block);

}  // namespace maskfind
