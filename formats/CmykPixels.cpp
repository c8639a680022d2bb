#include "CmykPixels.h"

#include <algorithm>

namespace leaf {

namespace {

uint8_t ColorFromInks(int ink, int black) {
  return static_cast<uint8_t>(255 - std::min(255, ink + black));
}

}  // namespace

void CmykToBgr(const uint8_t* cmyk, uint8_t* bgr, size_t count, bool inverted) {
  const int flip = inverted ? 255 : 0;
  for (size_t i = 0; i < count; ++i, cmyk += 4, bgr += 3) {
    const int c = cmyk[0] ^ flip, m = cmyk[1] ^ flip, y = cmyk[2] ^ flip, k = cmyk[3] ^ flip;
    bgr[0] = ColorFromInks(y, k);
    bgr[1] = ColorFromInks(m, k);
    bgr[2] = ColorFromInks(c, k);
  }
}

}  // namespace leaf
