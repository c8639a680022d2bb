// The DjVu Quick set: the advanced DjVu parameters that suit a source's
// resolution, 0 high (300 DPI and up), 1 medium (100-299), 2 low (below 100).
#pragma once

#include "AppSettings.h"

namespace leaf {

inline constexpr int kQuickSetNone = -1;
inline constexpr int kQuickSetHigh = 0;
inline constexpr int kQuickSetMedium = 1;
inline constexpr int kQuickSetLow = 2;

// Sets character thickening, the lossless mask, noise removal and the
// upsampling of the preset; false (nothing changed) for none or an unknown one.
bool ApplyDjvuQuickSet(AppSettings& settings, int preset);

}  // namespace leaf
