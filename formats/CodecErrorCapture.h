// Keeps the coding layer's error reports on this thread while it lives,
// instead of letting them go to standard error with their source locations:
// the first report is the cause a failure text names.
#pragma once

#include <string>

#include "image/DibImage.h"
#include "libAPI/djvu_error.h"

namespace leaf {

class CodecErrorCapture {
 public:
  CodecErrorCapture();
  ~CodecErrorCapture();
  CodecErrorCapture(const CodecErrorCapture&) = delete;
  CodecErrorCapture& operator=(const CodecErrorCapture&) = delete;

  // The first report, or the fallback when there was none, without a final
  // full stop.
  std::string Cause(const char* fallback) const;
  bool HasCause() const { return !first_.empty(); }

  // The first report as it came; empty when there was none.
  const std::string& first() const { return first_; }

 private:
  static void Keep(const char* message, const char* file, int line);

  std::string first_;
  djvu_error_handler previousHandler_;
  CodecErrorCapture* previousCapture_;
};

// Adds the capture's cause to the failure text in the message buffer:
// "Failed to render strip 3 of 33: Unexpected End Of File.".
void AddCause(const DibImage& image, const CodecErrorCapture& errors);

}  // namespace leaf
