#include "PrintLayout.h"

#include <cmath>

#include "ZoomLevel.h"

namespace leaf {

namespace {

constexpr double kMmPerInch = 25.4;

bool ResolutionKnown(const PrintInput& input) { return input.xDpi > 0 && input.yDpi > 0; }

double PrintableWidth(const PrintInput& input) {
  return input.printableWidthMm / kMmPerInch * input.printerXDpi;
}

double PrintableHeight(const PrintInput& input) {
  return input.printableHeightMm / kMmPerInch * input.printerYDpi;
}

}  // namespace

PrintCheck CheckPrintInput(const PrintInput& input) {
  if (input.width < 1 || input.height < 1 || input.printerXDpi <= 0 || input.printerYDpi <= 0) {
    return PrintCheck::Empty;
  }
  if (input.printSize == kPrintOriginalSize) {
    return ResolutionKnown(input) ? PrintCheck::Ok : PrintCheck::UnknownResolution;
  }
  if (input.printSize != kPrintScreenSize) return PrintCheck::UnknownPrintSize;
  if (input.screenXDpi <= 0 || input.screenYDpi <= 0 || input.zoomPercent < 1) {
    return PrintCheck::Empty;
  }
  return PrintCheck::Ok;
}

PrintPlacement PlacePrintedPage(const PrintInput& input) {
  double sx = 0;
  double sy = 0;
  if (input.printSize == kPrintOriginalSize) {
    sx = input.printerXDpi / input.xDpi;
    sy = input.printerYDpi / input.yDpi;
  } else {
    // A page of unequal resolutions is shown in its true proportions, and
    // printed so too.
    const AspectFactors aspect = AspectFactorsFor(input.xDpi, input.yDpi);
    sx = input.printerXDpi * aspect.x * input.zoomPercent / (input.screenXDpi * 100.0);
    sy = input.printerYDpi * aspect.y * input.zoomPercent / (input.screenYDpi * 100.0);
  }
  if (input.shrink) {
    const double mx = PrintableWidth(input) / input.width;
    const double my = PrintableHeight(input) / input.height;
    if (mx < sx) {
      sy = sy * mx / sx;
      sx = mx;
    }
    if (my < sy) {
      sx = sx * my / sy;
      sy = my;
    }
  }
  PrintPlacement placement;
  placement.xPercent = static_cast<int>(std::floor(sx * 100 + 0.5));
  placement.yPercent = static_cast<int>(std::floor(sy * 100 + 0.5));
  placement.width =
      static_cast<int>(static_cast<long long>(input.width) * placement.xPercent / 100);
  placement.height =
      static_cast<int>(static_cast<long long>(input.height) * placement.yPercent / 100);
  const double areaWidth = PrintableWidth(input);
  const double areaHeight = PrintableHeight(input);
  if (placement.width < areaWidth) {
    placement.left = static_cast<int>((areaWidth - placement.width) / 2);
  }
  if (placement.height < areaHeight) {
    placement.top = static_cast<int>((areaHeight - placement.height) / 2);
  }
  return placement;
}

}  // namespace leaf
