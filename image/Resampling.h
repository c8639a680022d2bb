// Resampling a raster to a new size: every output pixel combines the source
// pixels it covers with area-coverage weights shaped by the scaling method
// (see ResampleWeights.h).
#pragma once

#include <cstddef>

#include "DibImage.h"
#include "ResampleWeights.h"

namespace leaf {

// The source's pixels resampled to width x height in a new block whose rows
// (padded to 32 bits, in the source's stored order) start at offset
// `reserve`; the first `reserve` bytes are zero. 1-bit pixels are set when
// more than half of the weight falls on set pixels; 8-bit values and the
// three bytes of 24-bit pixels are weighted means, truncated; a 4-bit pixel
// takes the last source pixel it covers. Empty, with a reported text, for
// sizes below one pixel, other depths, or when the memory cannot be had.
PixelBlock Resample(const DibImage& image, const DibRaster& source, int width, int height,
                    size_t reserve, int method);

// The raster to resample for the main raster: the main raster itself, or for
// a 4-bit raster or an 8-bit raster that is not a gray ramp a 24-bit copy
// (each pixel its palette colour) made into `widened`, so that palette
// indices are never averaged. Null, with a reported text, when the copy
// cannot be made.
const DibRaster* ResamplingSource(const DibImage& image, DibRaster& widened);

// Resamples the source to width x height into a new block that starts with the
// main raster's header and palette (at most paletteBytes of it), as Resize and
// MakeThumbnail lay out their results. Empty when resampling failed.
PixelBlock ResampleBelowHeader(const DibImage& image, const DibRaster& source, int width,
                               int height, int method, size_t paletteBytes);

// Installs such a block in target as a fresh single picture of width x height
// at the depth: no page, no flips, no resolution; the header follows suit.
void InstallResampledBlock(DibRaster& target, PixelBlock block, size_t headerSize,
                           size_t paletteBytes, int width, int height, int depth);

// Replaces the main raster by its resampled copy. 4-bit rasters and 8-bit
// rasters that are not gray ramps are resampled in colour: the result has
// 24 bits. The raster no longer belongs to a DjVu page; its resolution,
// symmetry state and negative flag start again from zero.
bool Resize(DibImage& image, int width, int height, int method);

}  // namespace leaf
