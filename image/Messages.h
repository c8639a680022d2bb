// The per-thread message buffer that holds the text of the most recent failure.
#pragma once

#include <cstdarg>
#include <cstddef>

namespace leaf {

inline constexpr size_t kMessageBufferSize = 1024;

// The calling thread's buffer (1024 bytes, always NUL-terminated).
char* MessageBuffer();

// The text of the calling thread's most recent failure.
const char* LastMessage();

// Formats into the calling thread's buffer, truncating at 1023 characters.
void SetMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));
void SetMessageV(const char* format, va_list args);

// Copies a text (at most 1023 characters) into the buffer.
void CopyMessage(const char* text);

void ClearMessage();

}  // namespace leaf
