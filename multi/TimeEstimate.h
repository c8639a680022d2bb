// The elapsed and remaining time of a run, estimated from the bytes of the
// files done against the bytes of all of them.
#pragma once

#include <string>

namespace leaf {

struct TimeEstimate {
  bool known = false;   // false until some bytes are done
  long long total = 0;  // seconds
  long long left = 0;
};

// total = elapsed x totalBytes / doneBytes (whole seconds, truncated).
TimeEstimate EstimateTime(long long elapsedSeconds, long long totalBytes, long long doneBytes);

// "h:mm:ss".
std::string ClockText(long long seconds);

// "Elapsed: h:mm:ss   Time left: h:mm:ss" (the time left blank while unknown).
std::string ElapsedAndLeftText(long long elapsedSeconds, const TimeEstimate& estimate);

}  // namespace leaf
