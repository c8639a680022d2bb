// libjpeg's standard error manager with two methods replaced: library texts go
// to the message buffer, and a fatal error jumps back to the caller instead of
// ending the process.
#pragma once

#include <csetjmp>
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
};

// Fills the manager and attaches it to a compressor or decompressor; called
// before jpeg_create_*, which keeps the error manager but clears the rest.
void AttachErrorManager(jpeg_common_struct& codec, JpegErrorManager& errors);

// Attaches the scan watch to a created decompressor.
void AttachScanWatch(jpeg_decompress_struct& decoder, JpegErrorManager& errors);

// Runs step with libjpeg fatal errors caught: false when one occurred (its
// text has been copied to the message buffer). The step must hold no objects
// with destructors across libjpeg calls, because a fatal error leaves it by
// longjmp.
template <typename Step>
bool RunGuarded(JpegErrorManager& errors, Step&& step) {
  if (setjmp(errors.jump) != 0) return false;
  step();
  return true;
}

}  // namespace leaf
