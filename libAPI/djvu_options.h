// Option records begin with their own byte size; the layer copies at most
// that many bytes of a caller's record over its defaults, so that callers
// built against a shorter record keep working.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>

// Fills a caller's buffer of size bytes with a record's defaults:
// - no buffer: returns a new layer-heap (_djvu_malloc) copy of the defaults;
// - size >= defaultsSize: copies the whole record;
// - 5 <= size < defaultsSize: copies size bytes and sets the record's size
//   word to size;
// - size <= 4: copies nothing and returns null.
void* djvu_options_copy(void* buffer, size_t size, const void* defaults, size_t defaultsSize);

namespace djvu {

// The defaults with the caller's record copied over them for as many bytes
// as its size word says (at most the whole record). Null: the defaults.
template <typename Options>
Options TakeOptions(const Options* caller, const Options& defaults) {
  Options options = defaults;
  if (caller) {
    unsigned size;
    std::memcpy(&size, caller, sizeof size);
    std::memcpy(&options, caller, std::min<size_t>(size, sizeof(Options)));
  }
  return options;
}

}  // namespace djvu
