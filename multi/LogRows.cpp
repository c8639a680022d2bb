#include "LogRows.h"

#include <algorithm>

#include "FolderListing.h"

namespace leaf {

std::string LogRowName(const ConversionLogEntry& entry) {
  return entry.outputName.empty() ? "*" + entry.inputName : entry.outputName;
}

std::string DurationText(long long seconds) {
  if (seconds < 0) seconds = 0;
  const std::string s = std::to_string(seconds % 60) + " s";
  if (seconds >= 3600) {
    return std::to_string(seconds / 3600) + " h " + std::to_string(seconds / 60 % 60) + " min " + s;
  }
  if (seconds >= 60) return std::to_string(seconds / 60) + " min " + s;
  return s;
}

long long CompressionFactor(const ConversionLogEntry& entry) {
  if (entry.outputSize <= 0) return 0;
  return static_cast<long long>(entry.bitsPerPixel) * entry.width * entry.height /
         (8 * entry.outputSize);
}

std::string FactorText(const ConversionLogEntry& entry) {
  return entry.outputSize <= 0 ? "NA" : std::to_string(CompressionFactor(entry));
}

void SortLogRows(std::vector<ConversionLogEntry>& rows, int column, bool ascending) {
  const auto compare = [column](const ConversionLogEntry& a, const ConversionLogEntry& b) {
    const auto order = [](auto x, auto y) { return x < y ? -1 : x > y ? 1 : 0; };
    switch (column) {
      case kLogColumnCreated: return order(a.start, b.start);
      case kLogColumnSize: return order(a.outputSize, b.outputSize);
      case kLogColumnTime: return order(a.end - a.start, b.end - b.start);
      case kLogColumnFactor: return order(CompressionFactor(a), CompressionFactor(b));
      case kLogColumnStatus: return order(a.status, b.status);
      default: return CompareIgnoringCase(a.outputName, b.outputName);
    }
  };
  std::stable_sort(rows.begin(), rows.end(),
                   [&](const ConversionLogEntry& a, const ConversionLogEntry& b) {
                     const int result = compare(a, b);
                     return ascending ? result < 0 : result > 0;
                   });
}

}  // namespace leaf
