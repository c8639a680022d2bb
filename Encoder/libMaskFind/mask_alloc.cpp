#include "mask_alloc.h"

#include <atomic>
#include <cstdint>
#include <mutex>

#include "mask_error.h"
#include "page_heap.h"

namespace {

constexpr djvu_mask_alloc_hooks kHeap = {maskfind::page_malloc, maskfind::page_realloc,
                                         maskfind::page_free};

std::mutex g_hooksMutex;
djvu_mask_alloc_hooks g_hooks = kHeap;
std::atomic<std::FILE*> g_trace{nullptr};

djvu_mask_alloc_hooks Hooks() {
  std::lock_guard<std::mutex> lock(g_hooksMutex);
  return g_hooks;
}

unsigned Address(const void* block) {
  return static_cast<unsigned>(reinterpret_cast<uintptr_t>(block));
}

void Trace(const char* what, const void* block, size_t bytes, const char* file, int line) {
  if (std::FILE* stream = g_trace.load()) {
    std::fprintf(stream, "%x\t%s\t%d\t%s:%d\n", Address(block), what, static_cast<int>(bytes), file,
                 line);
  }
}

}  // namespace

djvu_mask_alloc_hooks djvu_mask_set_alloc_hooks(const djvu_mask_alloc_hooks* hooks) {
  std::lock_guard<std::mutex> lock(g_hooksMutex);
  const djvu_mask_alloc_hooks previous = g_hooks;
  g_hooks = hooks ? *hooks : kHeap;
  return previous;
}

std::FILE* djvu_mask_set_trace(std::FILE* stream) { return g_trace.exchange(stream); }

void* _djvu_mask_malloc(size_t bytes, const char* file, int line) {
  void* block = Hooks().allocate(bytes);
  Trace("malloc", block, bytes, file, line);
  return block;
}

void* _djvu_mask_realloc(void* block, size_t bytes, const char* file, int line) {
  Trace("refree", block, bytes, file, line);
  void* grown = Hooks().reallocate(block, bytes);
  Trace("realloc", grown, bytes, file, line);
  return grown;
}

void _djvu_mask_free(void* block, const char* file, int line) {
  if (!block) return;
  Trace("free", block, 0, file, line);
  Hooks().release(block);
}

namespace maskfind {

void* mask_allocate(size_t bytes, const char* file, int line) {
  void* block = Hooks().allocate(bytes);
  if (!block) djvu_mask_error("Memory Exhausted", file, line);
  return block;
}

void mask_release(void* block) {
  if (block) Hooks().release(block);
}

}  // namespace maskfind
