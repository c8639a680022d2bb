// libjpeg's standard error manager with its message methods replaced: a
// fatal error keeps the library's text and jumps back to the caller instead
// of ending the process, and warnings (damaged data the decoder works
// around) are counted and kept for the reader to pass on.
#pragma once

#include <csetjmp>
#include <cstdint>
#include <cstdio>

#include "JpegLib.h"

namespace leaf {

// Progressive files with more scans than this are refused: a crafted file with
// thousands of tiny scans would otherwise take minutes to decode.
inline constexpr int kMaxJpegScans = 500;

struct JpegErrorManager {
  jpeg_error_mgr manager;      // first member: libjpeg hands back a pointer to it
  jpeg_progress_mgr progress;  // watches the scan count while decoding
  std::jmp_buf jump;
  char fatal[JMSG_LENGTH_MAX];         // the text of the error that stopped libjpeg
  int systemError;                     // errno when a file write stopped it, else 0
  char firstWarning[JMSG_LENGTH_MAX];  // the first warning's text
  long warnings;                       // how many warnings were given
  // Set when the file ends before the picture does: rowsWithData of the
  // picture's rows have (some) data in the file.
  bool dataEnded;
  uint64_t rowsWithData;
};

// Fills the manager and attaches it to a compressor or decompressor; called
// before jpeg_create_*, which keeps the error manager but clears the rest.
void AttachErrorManager(jpeg_common_struct& codec, JpegErrorManager& errors);

// Attaches the scan watch to a created decompressor.
void AttachScanWatch(jpeg_decompress_struct& decoder, JpegErrorManager& errors);

// Runs step with libjpeg fatal errors caught: false when one occurred (its
// text is in errors.fatal). The step must hold no objects with destructors
// across libjpeg calls, because a fatal error leaves it by longjmp.
template <typename Step>
bool RunGuarded(JpegErrorManager& errors, Step&& step) {
  if (setjmp(errors.jump) != 0) return false;
  step();
  return true;
}

}  // namespace leaf
