// Size-prefixed option records: a caller's record is copied over the
// defaults for as many bytes as its first word says, never more than the
// layer's own record holds.
#pragma once

#include <algorithm>
#include <cstring>

namespace djvu {

template <typename Record>
Record WithDefaults(const Record* given, Record defaults) {
  if (given && given->size > 0) {
    std::memcpy(&defaults, given, std::min<size_t>(given->size, sizeof(Record)));
  }
  return defaults;
}

}  // namespace djvu
