#include "ZoomLevel.h"

#include <algorithm>
#include <cmath>

namespace leaf {

int ClampZoom(int zoom) { return std::clamp(zoom, kMinZoom, kMaxZoom); }

int ZoomPercent(int zoom) {
  zoom = ClampZoom(zoom);
  if (zoom >= 0) return (zoom + 1) * 100;
  return static_cast<int>(std::floor(100.0 / (1 - zoom) + 0.5));
}

int ZoomForBoxEntry(int entry) { return kMaxZoom - std::clamp(entry, 0, kZoomBoxEntries - 1); }

int BoxEntryForZoom(int zoom) { return kMaxZoom - ClampZoom(zoom); }

long long ScaledLength(long long length, int zoom) {
  zoom = ClampZoom(zoom);
  return zoom < 0 ? length / (1 - zoom) : length * (zoom + 1);
}

AspectFactors AspectFactorsFor(int xDpi, int yDpi) {
  AspectFactors factors;
  if (xDpi <= 0 || yDpi <= 0 || xDpi == yDpi) return factors;
  if (xDpi > yDpi) {
    factors.y = static_cast<double>(xDpi) / yDpi;
  } else {
    factors.x = static_cast<double>(yDpi) / xDpi;
  }
  return factors;
}

int FitZoom(long long imageWidth, long long imageHeight, int availableWidth, int availableHeight,
            int imageFit) {
  const long long w = std::max(availableWidth, 1);
  const long long h = std::max(availableHeight, 1);
  long long r = 0;
  switch (imageFit) {
    case 0: r = imageWidth / w; break;
    case 1: r = imageHeight / h; break;
    case 2: r = std::max(imageWidth / w, imageHeight / h); break;
    default: r = 0; break;
  }
  return r > 0 ? ClampZoom(static_cast<int>(std::min<long long>(r, -kMinZoom)) * -1) : 0;
}

namespace {

// A scale as the fraction numerator / denominator.
struct Fraction {
  long long numerator;
  long long denominator;
};

Fraction ScaleOf(int zoom) {
  zoom = ClampZoom(zoom);
  return zoom < 0 ? Fraction{1, 1 - zoom} : Fraction{zoom + 1LL, 1};
}

}  // namespace

int ScrollAfterZoom(int position, int oldZoom, int newZoom) {
  const Fraction from = ScaleOf(oldZoom);
  const Fraction to = ScaleOf(newZoom);
  return static_cast<int>(position * to.numerator * from.denominator /
                          (to.denominator * from.numerator));
}

double ZoomScale(int zoom) {
  const Fraction scale = ScaleOf(zoom);
  return static_cast<double>(scale.numerator) / static_cast<double>(scale.denominator);
}

DrawScale DrawScaleFor(int zoom, bool renderedAtZoom, const AspectFactors& aspect) {
  const double scale = renderedAtZoom && zoom < 0 ? 1.0 : ZoomScale(zoom);
  return {scale * aspect.x, scale * aspect.y};
}

}  // namespace leaf
