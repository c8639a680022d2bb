#include "band_pixels.h"

#include <cmath>
#include <mutex>

namespace maskfind {

const float* gamma_table(float gamma) {
  static float table[256];
  static std::once_flag built;
  std::call_once(built, [gamma] {
    for (int k = 0; k < 256; ++k) {
      table[k] = std::floor(255.0f * std::pow(static_cast<float>(k) / 255.0f, gamma) + 0.5f);
    }
  });
  return table;
}

}  // namespace maskfind
