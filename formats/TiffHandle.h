// RAII ownership of libtiff handles and buffers, and what libtiff reports
// about one open file.
#pragma once

#include <tiffio.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "image/DibRaster.h"

namespace leaf {

struct TiffCloser {
  void operator()(TIFF* tiff) const {
    if (tiff) TIFFClose(tiff);
  }
};
using TiffHandle = std::unique_ptr<TIFF, TiffCloser>;

// libtiff's errors and warnings about one open file, kept with the handle so
// that threads reading different files never mix them. Warnings about tags
// libtiff does not know are left out: scanners write private tags.
struct TiffReports {
  std::string firstError;
  long errors = 0;
  std::string firstWarning;
  long warnings = 0;

  // The first error (else the first warning), with how many more there were.
  std::string Summary() const;
};

// Opens a file for reading with its reports attached (they must outlive the
// handle) and libtiff's allocations held to what a raster may hold.
TiffHandle OpenTiffFile(const std::string& path, TiffReports& reports);

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
