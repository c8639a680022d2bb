// Collects what the DjVu coding layer reports on the calling thread, so that
// a failed load names its reason in the message buffer instead of printing
// it.
#pragma once

#include <string>

#include "libAPI/djvu_error.h"

namespace leaf {

class CodecReports {
 public:
  CodecReports();
  ~CodecReports();
  CodecReports(const CodecReports&) = delete;
  CodecReports& operator=(const CodecReports&) = delete;

  // The first report since construction; empty when there was none.
  const std::string& first() const { return first_; }

 private:
  static void Collect(const char* message, const char* file, int line);

  djvu_error_handler previousHandler_;
  CodecReports* previousCapture_;
  std::string first_;
};

}  // namespace leaf
