// Synthetic full-size pages for the benchmarks.
#pragma once

#include "image/DibImage.h"

namespace leaf::bench {

inline constexpr int kLetterWidth300 = 2550;
inline constexpr int kLetterHeight300 = 3300;

// A page of the given size and depth (1, 8 or 24) with text-like strokes on
// a light, slightly uneven background. The same arguments give the same page.
void MakePage(DibImage& image, int width, int height, int bits);

}  // namespace leaf::bench
