#include "ConversionLog.h"

#include <algorithm>

namespace leaf {

void ConversionLog::Append(const ConversionLogEntry& entry) {
  std::lock_guard lock(mutex_);
  const size_t slot = count_ % kCapacity;
  if (slot < slots_.size()) {
    slots_[slot] = entry;
  } else {
    slots_.push_back(entry);
  }
  ++count_;
}

std::vector<ConversionLogEntry> ConversionLog::Snapshot() const {
  std::lock_guard lock(mutex_);
  return std::vector<ConversionLogEntry>(
      slots_.begin(), slots_.begin() + static_cast<long>(std::min(count_, kCapacity)));
}

size_t ConversionLog::count() const {
  std::lock_guard lock(mutex_);
  return count_;
}

void ConversionLog::Purge() {
  std::lock_guard lock(mutex_);
  slots_.clear();
  count_ = 0;
}

}  // namespace leaf
