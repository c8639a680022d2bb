// The stopping points of the wavelet chunks: how many slices each of the
// four progressive chunks of a background or photo ends at, from a quality
// and the subsampling of the layer.
#pragma once

#include <array>

#include "IW44Image.h"

namespace djvu {

inline constexpr int kScheduleChunks = 4;

struct Iw44Schedule {
  std::array<IWEncoderParms, kScheduleChunks> chunks;
  bool madeFromDefault = false;  // quality 0 stood for the default 75
};

// quality 0..100 (0 means 75; above 100 counts as 100); subsample 1..12
// (clamped; 0 counts as 1): coarser layers start from more slices.
Iw44Schedule MakeIw44Schedule(unsigned quality, int subsample);

}  // namespace djvu
