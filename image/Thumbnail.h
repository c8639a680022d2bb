// Thumbnails: a reduced copy of the main raster kept in the image's
// thumbnail raster (written by the JPEG writer and by batch conversion).
#pragma once

#include "DibImage.h"

namespace leaf {

// How the thumbnail settings give the size of a thumbnail.
enum ThumbnailSizeMode {
  kThumbnailFixedWidth = 0,
  kThumbnailFixedHeight = 1,
  kThumbnailFitsRectangle = 2,
};

struct ThumbnailSize {
  int width = 0;
  int height = 0;
};

// The thumbnail size for a source of width x height under the settings'
// width, height and mode; the other side keeps the aspect ratio (truncated).
// Any other mode fits the rectangle.
ThumbnailSize ComputeThumbnailSize(int width, int height, int thumbnailWidth, int thumbnailHeight,
                                   int mode);

// Fills the thumbnail raster with the main raster resampled to width x
// height; the main raster stays as it is. 1-bit and gray rasters keep their
// depth and palette; other palette rasters become 24-bit colour.
bool MakeThumbnail(DibImage& image, int width, int height, int method);

}  // namespace leaf
