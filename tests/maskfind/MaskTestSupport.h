// Helpers for the mask finder's tests: small images, run lists, and a hook
// that collects the library's error reports.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "Encoder/libMaskFind/colour_runs.h"
#include "Encoder/libMaskFind/mask_error.h"
#include "Encoder/libMaskFind/run_list.h"
#include "Encoder/libMaskFind/work_image.h"

namespace maskfind::test {

// Collects the mask finder's error reports while alive.
class ErrorCollector {
 public:
  ErrorCollector();
  ~ErrorCollector();
  const std::vector<std::string>& messages() const;
  bool saw(const std::string& message) const;
};

// A working image of w x h 6-bit pixels given by value(x, y).
work_image MakeWorkImage(int w, int h, const std::function<int(int x, int y)>& value);

// An 8-bit image (gray, or RGB with the same value in each byte) over a
// buffer the caller keeps; rows in memory order.
struct PlainImage {
  std::vector<uint8_t> bytes;
  djvu_pixel_image image{};
};
PlainImage MakeGrayImage(int w, int h, const std::function<int(int x, int y)>& value);
PlainImage MakeRgbImage(int w, int h, const std::function<int(int x, int y)>& value);

// A run list from (y, x1, x2) triples in row order.
run_list MakeRuns(const std::vector<std::array<int, 3>>& runs, int w, int h);
// The runs of a mask drawn as text rows ('#' marks a pixel).
run_list RunsFromArt(const std::vector<std::string>& art);

}  // namespace maskfind::test
