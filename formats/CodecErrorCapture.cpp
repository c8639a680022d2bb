#include "CodecErrorCapture.h"

#include "image/Messages.h"

namespace leaf {

namespace {

thread_local CodecErrorCapture* t_capture = nullptr;

}  // namespace

CodecErrorCapture::CodecErrorCapture()
    : previousHandler_(djvu_set_error_handler(Keep)), previousCapture_(t_capture) {
  t_capture = this;
}

CodecErrorCapture::~CodecErrorCapture() {
  t_capture = previousCapture_;
  djvu_set_error_handler(previousHandler_);
}

std::string CodecErrorCapture::Cause(const char* fallback) const {
  std::string cause = first_.empty() ? fallback : first_;
  // Failure texts add their own full stop.
  while (!cause.empty() && (cause.back() == '.' || cause.back() == '\n' || cause.back() == '\r' ||
                            cause.back() == ' ')) {
    cause.pop_back();
  }
  return cause;
}

void CodecErrorCapture::Keep(const char* message, const char*, int) {
  if (t_capture && t_capture->first_.empty() && message) t_capture->first_ = message;
}

void AddCause(const DibImage& image, const CodecErrorCapture& errors) {
  std::string text = LastMessage();
  while (!text.empty() && (text.back() == '.' || text.back() == '!')) text.pop_back();
  image.Fail("%s: %s.", text.c_str(), errors.Cause("").c_str());
}

}  // namespace leaf
