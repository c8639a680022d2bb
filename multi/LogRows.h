// The rows of the Conversion Details list made from the sweeper's log.
#pragma once

#include <string>
#include <vector>

#include "ConversionLog.h"

namespace leaf {

enum LogColumn {
  kLogColumnName = 0,
  kLogColumnCreated,
  kLogColumnSize,
  kLogColumnTime,
  kLogColumnFactor,
  kLogColumnStatus,
};

// The output name, or "*" and the input name when nothing was written.
std::string LogRowName(const ConversionLogEntry& entry);

// "%d h %d min %d s" from an hour, "%d min %d s" from a minute, else "%d s".
std::string DurationText(long long seconds);

// Raster bytes over file bytes, in whole numbers; 0 when nothing was written.
long long CompressionFactor(const ConversionLogEntry& entry);

// The factor, or "NA" when nothing was written.
std::string FactorText(const ConversionLogEntry& entry);

// Sorts by a column (names by the output name, ignoring case).
void SortLogRows(std::vector<ConversionLogEntry>& rows, int column, bool ascending);

}  // namespace leaf
