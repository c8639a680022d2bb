#include "TimeEstimate.h"

#include <cstdio>

namespace leaf {

TimeEstimate EstimateTime(long long elapsedSeconds, long long totalBytes, long long doneBytes) {
  TimeEstimate estimate;
  if (doneBytes <= 0 || elapsedSeconds < 0) return estimate;
  estimate.known = true;
  // Whole-number arithmetic as the progress line shows it; the product stays
  // far below the limit for any real run.
  estimate.total =
      static_cast<long long>(static_cast<long double>(elapsedSeconds) * totalBytes / doneBytes);
  if (estimate.total < elapsedSeconds) estimate.total = elapsedSeconds;
  estimate.left = estimate.total - elapsedSeconds;
  return estimate;
}

std::string ClockText(long long seconds) {
  if (seconds < 0) seconds = 0;
  char text[48];
  std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60,
                seconds % 60);
  return text;
}

std::string ElapsedAndLeftText(long long elapsedSeconds, const TimeEstimate& estimate) {
  return "Elapsed: " + ClockText(elapsedSeconds) +
         "   Time left: " + (estimate.known ? ClockText(estimate.left) : std::string());
}

}  // namespace leaf
