#include "mask_error.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>

namespace {

std::atomic<djvu_mask_error_hook> g_errorHook{nullptr};
std::atomic<bool> g_throwLine{false};

}  // namespace

djvu_mask_error_hook djvu_mask_set_error_hook(djvu_mask_error_hook hook) {
  return g_errorHook.exchange(hook);
}

bool djvu_mask_set_throw(bool on) { return g_throwLine.exchange(on); }

void djvu_mask_error(const char* message, const char* file, int line) {
  if (!message) message = "";
  if (!file) file = "";
  if (const djvu_mask_error_hook hook = g_errorHook.load()) {
    hook(message, file, line);
  } else if (g_throwLine.load()) {
    throw line;
  } else {
    std::fprintf(stderr, "DjVu Mask Error: '%s' at %s(%d)\r\n", message, file, line);
  }
  throw maskfind::mask_failure(line);
}

void djvu_mask_errorf(const char* file, int line, const char* format, ...) {
  char message[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(message, sizeof message, format, args);
  va_end(args);
  djvu_mask_error(message, file, line);
}
