#include "JpegErrors.h"

#include <jerror.h>

#include <cerrno>
#include <cstring>

namespace leaf {

namespace {

JpegErrorManager& ManagerOf(j_common_ptr codec) {
  return *reinterpret_cast<JpegErrorManager*>(codec->err);
}

// Where the data of a file that ended early stops: the rows of the first
// scan read so far. A progressive file that ends in a later scan has data
// (if coarse) for every row.
uint64_t RowsWithData(const jpeg_decompress_struct& decoder) {
  if (decoder.input_scan_number > 1 || decoder.total_iMCU_rows == 0) return decoder.image_height;
  return uint64_t{decoder.input_iMCU_row} * decoder.image_height / decoder.total_iMCU_rows;
}

// The file ends, or the scan's coded data stops at a marker that is not a
// restart marker (after which the decoder could pick up again): the rest of
// the scan has no data.
bool EndsTheData(const jpeg_decompress_struct& decoder, int code) {
  constexpr int kFirstRestart = 0xD0, kLastRestart = 0xD7;
  if (code == JWRN_JPEG_EOF) return true;
  return code == JWRN_HIT_MARKER &&
         (decoder.unread_marker < kFirstRestart || decoder.unread_marker > kLastRestart);
}

void KeepFatalText(j_common_ptr codec) {
  JpegErrorManager& errors = ManagerOf(codec);
  (*codec->err->format_message)(codec, errors.fatal);
}

void KeepWarning(j_common_ptr codec, int level) {
  if (level >= 0) return;  // trace messages
  JpegErrorManager& errors = ManagerOf(codec);
  ++codec->err->num_warnings;
  if (errors.warnings++ == 0) (*codec->err->format_message)(codec, errors.firstWarning);
  if (codec->is_decompressor && !errors.dataEnded &&
      EndsTheData(*reinterpret_cast<j_decompress_ptr>(codec), codec->err->msg_code)) {
    errors.dataEnded = true;
    errors.rowsWithData = RowsWithData(*reinterpret_cast<j_decompress_ptr>(codec));
  }
}

[[noreturn]] void JumpBack(j_common_ptr codec) {
  // A destination that could not write (a full disk) says why in errno.
  ManagerOf(codec).systemError = codec->err->msg_code == JERR_FILE_WRITE ? errno : 0;
  KeepFatalText(codec);
  std::longjmp(ManagerOf(codec).jump, 1);
}

void WatchScans(j_common_ptr codec) {
  if (!codec->is_decompressor) return;
  const auto* decoder = reinterpret_cast<j_decompress_ptr>(codec);
  if (decoder->input_scan_number > kMaxJpegScans) {
    JpegErrorManager& errors = ManagerOf(codec);
    std::snprintf(errors.fatal, sizeof errors.fatal, "The JPEG file has more than %d scans",
                  kMaxJpegScans);
    std::longjmp(errors.jump, 1);
  }
}

}  // namespace

void AttachErrorManager(jpeg_common_struct& codec, JpegErrorManager& errors) {
  codec.err = jpeg_std_error(&errors.manager);
  errors.manager.output_message = KeepFatalText;
  errors.manager.emit_message = KeepWarning;
  errors.manager.error_exit = JumpBack;
  errors.fatal[0] = '\0';
  errors.systemError = 0;
  errors.firstWarning[0] = '\0';
  errors.warnings = 0;
  errors.dataEnded = false;
  errors.rowsWithData = 0;
}

void AttachScanWatch(jpeg_decompress_struct& decoder, JpegErrorManager& errors) {
  errors.progress = {};
  errors.progress.progress_monitor = WatchScans;
  decoder.progress = &errors.progress;
}

}  // namespace leaf
