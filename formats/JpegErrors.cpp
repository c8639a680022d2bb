#include "JpegErrors.h"

#include "image/Messages.h"

namespace leaf {

namespace {

JpegErrorManager& ManagerOf(j_common_ptr codec) {
  return *reinterpret_cast<JpegErrorManager*>(codec->err);
}

void CopyLibraryMessage(j_common_ptr codec) {
  char text[JMSG_LENGTH_MAX];
  (*codec->err->format_message)(codec, text);
  CopyMessage(text);
}

[[noreturn]] void JumpBack(j_common_ptr codec) {
  (*codec->err->output_message)(codec);
  std::longjmp(ManagerOf(codec).jump, 1);
}

void WatchScans(j_common_ptr codec) {
  if (!codec->is_decompressor) return;
  const auto* decoder = reinterpret_cast<j_decompress_ptr>(codec);
  if (decoder->input_scan_number > kMaxJpegScans) {
    SetMessage("The JPEG file has more than %d scans.", kMaxJpegScans);
    std::longjmp(ManagerOf(codec).jump, 1);
  }
}

}  // namespace

void AttachErrorManager(jpeg_common_struct& codec, JpegErrorManager& errors) {
  codec.err = jpeg_std_error(&errors.manager);
  errors.manager.output_message = CopyLibraryMessage;
  errors.manager.error_exit = JumpBack;
}

void AttachScanWatch(jpeg_decompress_struct& decoder, JpegErrorManager& errors) {
  errors.progress = {};
  errors.progress.progress_monitor = WatchScans;
  decoder.progress = &errors.progress;
}

}  // namespace leaf
