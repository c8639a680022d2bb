#include "CodecReports.h"

namespace leaf {

namespace {

thread_local CodecReports* t_capture = nullptr;

}  // namespace

CodecReports::CodecReports()
    : previousHandler_(djvu_set_error_handler(Collect)), previousCapture_(t_capture) {
  t_capture = this;
}

CodecReports::~CodecReports() {
  t_capture = previousCapture_;
  djvu_set_error_handler(previousHandler_);
}

void CodecReports::Collect(const char* message, const char*, int) {
  if (t_capture && t_capture->first_.empty() && message) t_capture->first_ = message;
}

}  // namespace leaf
