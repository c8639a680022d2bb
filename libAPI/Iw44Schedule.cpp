#include "Iw44Schedule.h"

#include <algorithm>

namespace djvu {

namespace {

// 62 + round(10 * log3(k)) for k = 1..12.
constexpr int kBaseSlices[12] = {62, 68, 72, 75, 77, 78, 80, 81, 82, 83, 84, 85};

}  // namespace

Iw44Schedule MakeIw44Schedule(unsigned quality, int subsample) {
  Iw44Schedule schedule;
  const int base = kBaseSlices[std::clamp(subsample, 1, 12) - 1];
  if (quality == 0) {
    quality = 75;
    schedule.madeFromDefault = true;
  }
  int effective;
  if (quality > 100) {
    effective = 100;
  } else if (quality > 75) {
    effective = 2 * static_cast<int>(quality) - 100;
  } else {
    effective = 2 * static_cast<int>(quality) / 3;
  }
  const int slices[kScheduleChunks] = {base + effective / 25, base + effective / 4,
                                       base + effective / 3, base + effective / 2};
  for (int i = 0; i < kScheduleChunks; ++i) {
    schedule.chunks[i].slices = slices[i];
    schedule.chunks[i].bytes = 0;
    schedule.chunks[i].decibels = 0;
  }
  return schedule;
}

}  // namespace djvu
