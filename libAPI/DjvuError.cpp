#include <cstdio>

#include "DjVuMessage.h"
#include "GException.h"
#include "GString.h"
#include "djvu_error.h"

namespace {

thread_local djvu_error_handler t_errorHandler = nullptr;
thread_local djvu_progress_handler t_progressHandler = nullptr;

}  // namespace

djvu_error_handler djvu_set_error_handler(djvu_error_handler handler) {
  const djvu_error_handler previous = t_errorHandler;
  t_errorHandler = handler;
  return previous;
}

djvu_progress_handler djvu_set_progress_handler(djvu_progress_handler handler) {
  const djvu_progress_handler previous = t_progressHandler;
  t_progressHandler = handler;
  return previous;
}

namespace djvu {

void ReportError(const char* message, const char* file, int line) {
  if (!message || !*message) message = "Invalid exception";
  if (!file) file = "";
  if (t_errorHandler) {
    t_errorHandler(message, file, line);
  } else {
    std::fprintf(stderr, "DjVu Error: '%s' at %s(%d)\r\n", message, file, line);
  }
}

void ReportException(const GException& exception) {
  const char* cause = exception.get_cause();
  if (!cause || !*cause) {
    ReportError(nullptr, exception.get_file(), exception.get_line());
    return;
  }
  ReportError(CodecText(cause).c_str(), exception.get_file(), exception.get_line());
}

std::string CodecText(const char* message) {
  if (!message || !*message) return {};
  // The codec raises message identifiers ("\003ByteStream.EOF"); look up the text.
  const GUTF8String looked = DjVuMessage::LookUpUTF8(message);
  std::string text = looked.length() ? static_cast<const char*>(looked) : message;
  // A line the codec broke in two is joined with one space.
  for (size_t at; (at = text.find_first_of("\r\n")) != std::string::npos;) {
    const size_t next = text.find_first_not_of(" \r\n", at);
    text.replace(at, (next == std::string::npos ? text.size() : next) - at, " ");
  }
  auto dropLeading = [&text](char open, char close) {
    const size_t start = text.find_first_not_of(' ');
    if (start == std::string::npos || text[start] != open) return;
    const size_t end = text.find(close, start);
    if (end != std::string::npos) text.erase(0, text.find_first_not_of(' ', end + 1));
  };
  dropLeading('[', ']');
  dropLeading('(', ')');
  return text;
}

void ReportProgress(const char* text, int percent, void* progressArg) {
  if (t_progressHandler) t_progressHandler(text, percent, progressArg);
}

void Throw(const char* message, const char* sourceFile, int line) {
  throw GException(message, sourceFile, line);
}

}  // namespace djvu
