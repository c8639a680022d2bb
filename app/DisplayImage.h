// The document's raster as Qt draws it: a QImage over the raster's own
// pixels where Qt has the format (1, 8 and 24 bits), a converted copy for
// 4-bit pages. Rasters stored bottom-up are drawn upside down.
#pragma once

#include <QImage>

#include "image/DibRaster.h"

namespace leaf {

struct DisplayImage {
  QImage image;           // rows as stored
  bool bottomUp = false;  // stored row 0 is the bottom row of the picture
};

// The raster must outlive the returned image (unless it was converted).
DisplayImage DisplayImageFor(const DibRaster& raster);

// The picture reduced by a whole factor for the screen, each pixel the mean
// of the factor x factor block it covers, in top-down rows: 8-bit gray for
// 1-bit and gray pages, 24-bit colour otherwise. Null when there is nothing
// to reduce.
QImage ReducedPicture(const DibRaster& raster, int factor);

// The picture's rectangle (top-down rows) as a rectangle of stored rows.
QRect StoredRect(const DisplayImage& display, const QRect& pictureRect);

}  // namespace leaf
