// Template part of djvu_error.h.
#pragma once

#include <new>

#include "GException.h"

namespace djvu {

template <typename Result, typename Body>
Result Guard(Result failureValue, Body&& body) {
  try {
    return body();
  } catch (const GException& exception) {
    ReportException(exception);
  } catch (const std::bad_alloc&) {
    ReportError("Failed to allocate memory", "libAPI/libdjvu", 0);
  }
  return failureValue;
}

}  // namespace djvu
