#include <cstdio>
#include <cstring>

#include "TiffHandle.h"

namespace leaf {

namespace {

// No single libtiff allocation (strip buffers, tag arrays) may exceed what a
// raster may hold.
constexpr tmsize_t kMaxLibraryAllocation = static_cast<tmsize_t>(kMaxBlockBytes);

// Private tags of scanners and editors: libtiff warns about every one it does
// not know, but they do the page no harm.
bool IsHarmless(const char* text) { return std::strstr(text, "Unknown field with tag") != nullptr; }

void Keep(std::string& first, long& count, const char* format, va_list args) {
  char text[1024];
  std::vsnprintf(text, sizeof text, format, args);
  if (count++ == 0) first = text;
}

int KeepError(TIFF*, void* reports, const char*, const char* format, va_list args) {
  auto& r = *static_cast<TiffReports*>(reports);
  Keep(r.firstError, r.errors, format, args);
  return 1;
}

int KeepWarning(TIFF*, void* reports, const char*, const char* format, va_list args) {
  auto& r = *static_cast<TiffReports*>(reports);
  va_list copy;
  va_copy(copy, args);
  char text[1024];
  std::vsnprintf(text, sizeof text, format, copy);
  va_end(copy);
  if (!IsHarmless(text)) Keep(r.firstWarning, r.warnings, format, args);
  return 1;
}

}  // namespace

TiffHandle OpenTiffFile(const std::string& path, TiffReports& reports) {
  TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
  if (!options) return nullptr;
  TIFFOpenOptionsSetMaxSingleMemAlloc(options, kMaxLibraryAllocation);
  TIFFOpenOptionsSetErrorHandlerExtR(options, KeepError, &reports);
  TIFFOpenOptionsSetWarningHandlerExtR(options, KeepWarning, &reports);
  TiffHandle tiff(TIFFOpenExt(path.c_str(), "r", options));
  TIFFOpenOptionsFree(options);
  return tiff;
}

std::string TiffReports::Summary() const {
  const std::string& first = errors ? firstError : firstWarning;
  const long more = errors + warnings - 1;
  if (more <= 0) return first;
  return first + " (and " + std::to_string(more) + " more)";
}

}  // namespace leaf
