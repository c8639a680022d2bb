#include "Messages.h"

#include <cstdio>
#include <cstring>

namespace leaf {

namespace {
thread_local char t_message[kMessageBufferSize];
}

char* MessageBuffer() { return t_message; }

const char* LastMessage() { return t_message; }

void SetMessageV(const char* format, va_list args) {
  std::vsnprintf(t_message, kMessageBufferSize, format, args);
}

void SetMessage(const char* format, ...) {
  va_list args;
  va_start(args, format);
  SetMessageV(format, args);
  va_end(args);
}

void CopyMessage(const char* text) {
  std::snprintf(t_message, kMessageBufferSize, "%s", text ? text : "");
}

void ClearMessage() { t_message[0] = '\0'; }

}  // namespace leaf
