#include "DjvuQuickSet.h"

namespace leaf {

namespace {

struct QuickSetPreset {
  int noThick, lossless, aggressive, upsample;
};

// Low-resolution sources are enlarged 3 times and coded without thickening
// and losslessly, so that their thin strokes survive.
constexpr QuickSetPreset kPresets[] = {
    {0, 0, 0, 0},  // high: automatic, which leaves 200 dpi and up as they are
    {0, 0, 0, 1},  // medium: enlarged 2x
    {1, 1, 0, 2},  // low: enlarged 3x
};

}  // namespace

bool ApplyDjvuQuickSet(AppSettings& settings, int preset) {
  if (preset < kQuickSetHigh || preset > kQuickSetLow) return false;
  const QuickSetPreset& p = kPresets[preset];
  settings.djvuNoThick = p.noThick;
  settings.djvuLossless = p.lossless;
  settings.djvuAggressive = p.aggressive;
  settings.djvuUpsample = p.upsample;
  return true;
}

}  // namespace leaf
