#include "PngCodec.h"

#include <cerrno>

namespace leaf {

std::string PngReports::Summary() const {
  if (warnings <= 1) return firstWarning;
  return firstWarning + " (and " + std::to_string(warnings - 1) + " more)";
}

void KeepPngError(png_structp png, png_const_charp text) {
  auto* reports = static_cast<PngReports*>(png_get_error_ptr(png));
  reports->systemError = errno;
  reports->error = text ? text : "";
  png_longjmp(png, 1);
}

void KeepPngWarning(png_structp png, png_const_charp text) {
  auto* reports = static_cast<PngReports*>(png_get_error_ptr(png));
  if (reports->warnings++ == 0) reports->firstWarning = text ? text : "";
}

}  // namespace leaf
