// RAII ownership of libtiff handles and buffers.
#pragma once

#include <tiffio.h>

#include <cstdint>
#include <cstring>
#include <memory>

namespace leaf {

struct TiffCloser {
  void operator()(TIFF* tiff) const {
    if (tiff) TIFFClose(tiff);
  }
};
using TiffHandle = std::unique_ptr<TIFF, TiffCloser>;

struct TiffMemoryRelease {
  void operator()(void* memory) const { _TIFFfree(memory); }
};

// A zeroed buffer from libtiff's allocator; empty when it cannot be had.
template <typename T>
std::unique_ptr<T[], TiffMemoryRelease> AllocateTiffBuffer(size_t count) {
  if (count == 0 || count > SIZE_MAX / sizeof(T)) return nullptr;
  std::unique_ptr<T[], TiffMemoryRelease> buffer(
      static_cast<T*>(_TIFFmalloc(static_cast<tmsize_t>(count * sizeof(T)))));
  if (buffer) std::memset(buffer.get(), 0, count * sizeof(T));
  return buffer;
}

}  // namespace leaf
