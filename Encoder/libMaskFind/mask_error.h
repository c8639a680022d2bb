// The mask finder's fatal-error function and its hooks.
//
// Every error inside the mask finder ends the band in hand: the driver
// releases what it built and djvu_mask returns its failure value. What is
// reported on the way out depends on the hooks (both off by default):
//  - an installed error hook receives (message, source file, line);
//  - otherwise, with the throw switch on, the line number is thrown as an int
//    (for embedders that want to catch it themselves; the driver catches it);
//  - otherwise "DjVu Mask Error: '%s' at %s(%d)\r\n" goes to standard error.
// The band is abandoned in every case: the stages never carry on with a
// result that an error has made meaningless.
#pragma once

#include <exception>

typedef void (*djvu_mask_error_hook)(const char* message, const char* file, int line);

// Installs the error hook for the whole process; returns the previous one.
// Null switches it off.
djvu_mask_error_hook djvu_mask_set_error_hook(djvu_mask_error_hook hook);

// Switches the throwing of line numbers on or off; returns the previous state.
bool djvu_mask_set_throw(bool on);

// Reports and abandons the band. Never returns.
[[noreturn]] void djvu_mask_error(const char* message, const char* file, int line);

// As djvu_mask_error with a printf-style message.
[[noreturn]] void djvu_mask_errorf(const char* file, int line, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

namespace maskfind {

// Unwinds a band after its error was reported (hook or standard error).
struct mask_failure : std::exception {
  explicit mask_failure(int line) : line(line) {}
  const char* what() const noexcept override { return "mask finder failure"; }
  int line;
};

}  // namespace maskfind
