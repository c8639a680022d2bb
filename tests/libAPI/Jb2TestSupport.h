// Small helpers for tests that build JB2 pages by hand or expect the codec
// layer to throw.
#pragma once

#include <functional>
#include <string>

#include "GBitmap.h"
#include "GException.h"
#include "JB2Image.h"

namespace leaf::test {

// Adds a w x h solid shape with its lower left corner at (left, bottom).
inline void AddBox(JB2Image& image, int left, int bottom, int w, int h) {
  JB2Shape shape;
  shape.parent = -1;
  shape.bits = GBitmap::create(h, w);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) (*shape.bits)[y][x] = 1;
  }
  JB2Blit blit;
  blit.left = static_cast<unsigned short>(left);
  blit.bottom = static_cast<unsigned short>(bottom);
  blit.shapeno = static_cast<unsigned>(image.add_shape(shape));
  image.add_blit(blit);
}

// The cause of the GException that body throws; empty when it throws none.
inline std::string ThrownMessage(const std::function<void()>& body) {
  try {
    body();
  } catch (const GException& exception) {
    return exception.get_cause();
  }
  return "";
}

}  // namespace leaf::test
