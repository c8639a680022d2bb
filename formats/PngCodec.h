// What the PNG reader and writer share: libpng's error handling turned into
// texts the program reports, and its warnings counted.
#pragma once

#include <png.h>

#include <csetjmp>
#include <string>

namespace leaf {

// Kept while libpng works on one file; its error function jumps back to the
// caller's setjmp (png_jmpbuf) after keeping the text.
struct PngReports {
  std::string error;         // the text of the error that stopped libpng
  int systemError = 0;       // errno when a write failed
  std::string firstWarning;  // the first warning's text
  long warnings = 0;

  // "the first warning (and 3 more)".
  std::string Summary() const;
};

// libpng's error and warning functions; the error pointer must be the reports.
void KeepPngError(png_structp png, png_const_charp text);
void KeepPngWarning(png_structp png, png_const_charp text);

}  // namespace leaf
