// Zoom levels of the view and the arithmetic around them: a level z means a
// scale of z + 1 for z >= 0 (1x to 10x) and 1 / (1 - z) for z < 0 (1/2 to
// 1/10).
#pragma once

#include <array>

namespace leaf {

inline constexpr int kMinZoom = -9;
inline constexpr int kMaxZoom = 9;
inline constexpr int kZoomBoxEntries = kMaxZoom - kMinZoom + 1;

int ClampZoom(int zoom);

// The scale as a whole percentage: 1000 .. 100, then 50, 33, 25, 20, 17, 14,
// 13, 11, 10.
int ZoomPercent(int zoom);

// Zoom box entry i stands for level 9 - i.
int ZoomForBoxEntry(int entry);
int BoxEntryForZoom(int zoom);

// A length of the full-size image at a zoom level, in whole pixels.
long long ScaledLength(long long length, int zoom);

// How a page of non-square pixels is stretched: the axis of the lower
// resolution grows by the ratio of the higher to the lower. Both factors are
// 1 when either resolution is unknown (0 or less) or they are equal.
struct AspectFactors {
  double x = 1.0;
  double y = 1.0;
};
AspectFactors AspectFactorsFor(int xDpi, int yDpi);

// The "ImageFit" rule: 0 shrink to the width, 1 to the height, 2 to both,
// 3 none. The image size is already corrected for non-square pixels.
int FitZoom(long long imageWidth, long long imageHeight, int availableWidth, int availableHeight,
            int imageFit);

// A scroll position after a zoom step, so that the same image point stays at
// the top left: position x scale(new) / scale(old), in whole numbers.
int ScrollAfterZoom(int position, int oldZoom, int newZoom);

// The scale of a zoom level as a number (1/3 for -2).
double ZoomScale(int zoom);

// How the raster is drawn on each axis: the zoom's scale (or 1 when the page
// was rendered at the reduced size already) times the axis factor.
struct DrawScale {
  double x = 1.0;
  double y = 1.0;
};
DrawScale DrawScaleFor(int zoom, bool renderedAtZoom, const AspectFactors& aspect);

}  // namespace leaf
