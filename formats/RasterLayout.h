// The layout of a raster that a reader builds: a 40-byte header, a palette and
// rows stored bottom-up, all in one block.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/DibImage.h"

namespace leaf {

struct RasterLayout {
  int width = 0;
  int height = 0;
  int bitsPerPixel = 0;
  size_t paletteSize = 0;
  size_t rowStride = 0;
  size_t pixelSize = 0;
  size_t total = 0;  // header + palette + pixels
};

// Plans a raster of the given size, depth and palette bytes. False, with the
// failure reported, when the size is not positive, the picture is beyond the
// pixel limit or its block would exceed kMaxBlockBytes; nothing is allocated
// either way.
bool PlanRaster(const DibImage& image, int64_t width, int64_t height, int bitsPerPixel,
                size_t paletteSize, RasterLayout& layout);

// A zeroed block for the layout with its header written (resolutions given in
// pixels per metre). Empty when the memory cannot be had. With headerOnly the
// block holds the header and the palette but no rows: enough to describe the
// picture, which the reader then drops before it returns.
PixelBlock AllocateRaster(const RasterLayout& layout, int32_t xPelsPerMeter, int32_t yPelsPerMeter,
                          bool headerOnly = false);

// Makes the block the image's main raster and fills the layout fields of a
// freshly read single picture: packed bitmap, blue-green-red order, bottom-up
// rows, no flips, one page. The caller sets photometric, resolutions and the
// other fields that depend on the file.
void InstallRaster(DibImage& image, PixelBlock block, const RasterLayout& layout);

// Metres to the unit of a resolution unit field (2 inch, 3 centimetre); 0 for
// any other unit.
double PixelsPerMetreFactor(int resolutionUnit);

// Pixels per metre for a resolution and its factor, rounded and kept within
// the header's range.
int32_t PixelsPerMetre(double resolution, double factor);

// A resolution rounded to whole dots and kept within int range; 0 for values
// that are not finite or not positive.
int RoundResolution(double resolution);

}  // namespace leaf
