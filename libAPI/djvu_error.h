// Error and progress reporting of the coding layer.
//
// Inside, failures raise DjVuLibre's GException (message, source file, line);
// every public entry point catches it, reports it and returns its failure
// value. A report goes to the installed error handler, or with none to
// standard error as "DjVu Error: '%s' at %s(%d)\r\n".
//
// Handlers are kept per thread: a background conversion or the sweeper
// installs its own handlers on its own thread, and a save on the interface
// thread never reports into a worker's progress callback (or the reverse).
#pragma once

#include <string>

#include "GException.h"

typedef void (*djvu_error_handler)(const char* message, const char* file, int line);
typedef void (*djvu_progress_handler)(const char* text, int percent, void* progress_arg);

// Install a handler for the calling thread; returns the previous one. Null
// restores the default (standard error) / switches progress reports off.
djvu_error_handler djvu_set_error_handler(djvu_error_handler handler);
djvu_progress_handler djvu_set_progress_handler(djvu_progress_handler handler);

namespace djvu {

// Reports through the calling thread's error handler, or to standard error.
void ReportError(const char* message, const char* file, int line);

// Reports a caught exception; one without a message reports "Invalid exception".
// The codec's message identifiers are turned into readable text.
void ReportException(const GException& exception);

// The codec's message (an identifier such as "\003ByteStream.EOF", or text)
// as a reader wants it: looked up, without the catalogue number ("[1-15109]")
// and the function name ("(IWPixmap::decode_chunk)") in front, on one line.
std::string CodecText(const char* message);

// Calls the calling thread's progress handler when one is installed.
void ReportProgress(const char* text, int percent, void* progressArg);

// Raises a GException with the message, the layer's source name (such as
// "libAPI/PixImage") and the line.
[[noreturn]] void Throw(const char* message, const char* sourceFile, int line);

// Runs body and returns its result; a GException (or an allocation failure)
// is reported and gives failureValue instead.
template <typename Result, typename Body>
Result Guard(Result failureValue, Body&& body);

}  // namespace djvu

#include "djvu_error_guard.h"
