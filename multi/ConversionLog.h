// The sweeper's record of its conversions: the most recent 1000 entries in
// memory, appended by the sweeper and copied whole by whoever shows them.
#pragma once

#include <ctime>
#include <mutex>
#include <string>
#include <vector>

namespace leaf {

struct ConversionLogEntry {
  std::time_t start = 0;
  std::time_t end = 0;
  std::string inputName;   // relative to the input folder
  std::string outputName;  // file name of the output; empty when nothing was written
  long long outputSize = 0;
  int width = 0;
  int height = 0;
  int bitsPerPixel = 0;
  int status = 0;  // the ConversionStatus bits; 0 is success
};

class ConversionLog {
 public:
  static constexpr size_t kCapacity = 1000;

  // Stores the entry in slot count mod 1000 (overwriting the oldest once
  // full) and counts it.
  void Append(const ConversionLogEntry& entry);

  // The entries in slot order (at most 1000), copied under the lock.
  std::vector<ConversionLogEntry> Snapshot() const;

  // Entries ever written since the last purge.
  size_t count() const;

  // Forgets every entry.
  void Purge();

 private:
  mutable std::mutex mutex_;
  std::vector<ConversionLogEntry> slots_;
  size_t count_ = 0;
};

}  // namespace leaf
