// The largest picture the program makes, counted in pixels: readers refuse
// files that declare more, and operations that enlarge a picture refuse to
// go beyond it. Like an image tool's resource limits it is one process-wide
// setting, taken from the settings at start-up.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace leaf {

class DibImage;

// Enough for a 600-dpi A0 colour scan (about 20000 x 28000) with margins.
inline constexpr int kDefaultMegapixelLimit = 700;
inline constexpr int kLargestMegapixelLimit = 2000;

// Tells the user how to raise the limit to the given number of megapixels
// ("set MaxMegapixels to 900 in the settings").
using PixelLimitHint = std::function<std::string(int64_t megapixels)>;

// Sets the limit (clamped to 1..kLargestMegapixelLimit megapixels) and, when
// given, how the front end lets the user raise it. Call before any worker
// thread starts.
void SetPixelLimit(int megapixels, PixelLimitHint hint = nullptr);

// The limit in megapixels.
int MegapixelLimit();

// True when a picture of width x height pixels is within the limit (sizes
// that are not positive are left to the caller's own checks). Otherwise the
// failure names the size, the limit and how to raise it.
bool CheckPixelLimit(const DibImage& image, int64_t width, int64_t height);

}  // namespace leaf
