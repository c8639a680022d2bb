// The "don't care" cells of a colour layer (cells the page never shows, as
// ink or its border covers them) filled smoothly from the cells around them,
// so that the wavelet coder can be given the layer without its mask.
//
// DjVuLibre's masked wavelet decomposition reaches the same end by repeated
// forward and backward transforms at every scale; on a compound page it was
// the costliest step of the colour layers. A pull-push fill (averages of the
// known cells up a pyramid, then every unknown cell interpolated from the
// level above it) costs one pass over the layer, and on a page's background
// the smooth filling codes in fewer bits than the masked decomposition.
#pragma once

#include "GBitmap.h"
#include "GPixmap.h"

namespace djvu {

// Gives every pixel whose mask value is nonzero a colour interpolated from
// the pixels around it whose mask value is zero. Pixels with mask zero keep
// their colour. A layer without any such pixel is left as it is. The mask
// has the pixmap's size.
void FillDontCarePixels(GPixmap& pixmap, const GBitmap& mask);

}  // namespace djvu
