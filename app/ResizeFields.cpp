#include "ResizeFields.h"

#include <algorithm>
#include <cmath>

namespace leaf {

namespace {

// floor(value + 0.5), kept within what a side can be.
int Rounded(double value) {
  return static_cast<int>(std::clamp(std::floor(value + 0.5), 0.0, 1e9));
}

int Side(double value) { return std::clamp(Rounded(value), 1, kMaxResizeSide); }

}  // namespace

void ResizeFields::typeWidth(int value) {
  if (value <= 0 || startWidth <= 0) return;
  width = std::min(value, kMaxResizeSide);
  widthPercent = Rounded(width * 100.0 / startWidth);
  if (!keepAspect) return;
  heightPercent = widthPercent;
  height = Side(static_cast<double>(startHeight) * width / startWidth);
}

void ResizeFields::typeHeight(int value) {
  if (value <= 0 || startHeight <= 0) return;
  height = std::min(value, kMaxResizeSide);
  heightPercent = Rounded(height * 100.0 / startHeight);
  if (!keepAspect) return;
  widthPercent = heightPercent;
  width = Side(static_cast<double>(height) * startWidth / startHeight);
}

void ResizeFields::typeWidthPercent(int value) {
  if (value <= 0) return;
  widthPercent = value;
  width = Side(static_cast<double>(startWidth) * value * 0.01);
  if (!keepAspect) return;
  heightPercent = value;
  height = Side(static_cast<double>(startHeight) * value * 0.01);
}

void ResizeFields::typeHeightPercent(int value) {
  if (value <= 0) return;
  heightPercent = value;
  const long long truncated = static_cast<long long>(startHeight) * value / 100;
  height = static_cast<int>(std::clamp<long long>(truncated, 1, kMaxResizeSide));
  if (!keepAspect) return;
  widthPercent = value;
  width = Side(static_cast<double>(startWidth) * value * 0.01);
}

}  // namespace leaf
