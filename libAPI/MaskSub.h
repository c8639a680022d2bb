// The colour layers of a compound page: for every cell of a reduced grid,
// the mean colour of the page under the stencil's ink (foreground) or
// outside it (background). Cells with nothing to average are marked "don't
// care" (mask value 1) so that the wavelet coder fills them as cheaply as it
// can. Also drops small shapes that do not carry the text colour around
// them, and paints the foreground under shapes whose cells were left empty.
#pragma once

#include <cstddef>

#include "GBitmap.h"
#include "GPixmap.h"
#include "GSmartPointer.h"
#include "JB2Image.h"
#include "djvu_image.h"

namespace djvu {

// Bytes of stencil rendered at a time while walking a page.
inline constexpr size_t kCellBandBudget = 3000000;

// A reduced colour layer and its don't-care mask (1 = don't care).
struct ColorLayer {
  GP<GPixmap> pixmap = GPixmap::create();
  GP<GBitmap> mask = GBitmap::create();
};

// The page may be smaller than the stencil by an integer scale (a page
// whose mask was found on it enlarged): each of its pixels then stands for
// the scale x scale stencil pixels it covers, with the colours the page's
// enlargement by djvu_pixel_resample gives them (scale 2 or 3; other scales
// repeat the pixel's colour). The layers are then those of the enlarged
// page, without the enlarged copy. Cells and reductions are in stencil pixels.

// Fills the layer with the mean colours of the r x r cells of the page;
// polarity 1 averages the pixels under ink, 0 those outside it. A cell
// needs at least minimumCount such pixels. True when some cell got a colour.
bool EstimateCells(const djvu_pixel_image& page, const JB2Image& stencil, ColorLayer& layer,
                   int reduction, int polarity, int minimumCount = 1,
                   size_t budget = kCellBandBudget, int scale = 1);

// The foreground at reduction f; true when some cell got a colour.
bool FillForeground(const djvu_pixel_image& page, const JB2Image& stencil, ColorLayer& foreground,
                    int f, int scale = 1);

// A new stencil without the small shapes (under 200 pixels of bitmap) whose
// ink is not near the foreground colour around them. Shapes must be orphans.
GP<JB2Image> DropOffColourShapes(const djvu_pixel_image& page, const JB2Image& stencil,
                                 const ColorLayer& foreground, int f, int scale = 1);

// Width in pixels of the border around ink that the background leaves out:
// its pixels blend ink and paper, and would leave a dark ghost of the text
// in the background. On a page enlarged for its mask the blend spreads over
// the enlargement, and what lies beyond one pixel of the mask's ink is the
// original's own: the faint strokes the mask did not take (the bar of an
// "e", a hairline, an accent) and the letters' soft edges. The background
// keeps them there, as the page shows them.
inline constexpr int kInkBorder = 2;
inline constexpr int kEnlargedInkBorder = 1;

// Fills the background at reduction s from the pixels more than inkBorder
// pixels away from ink, and paints foreground cells still left empty under
// the stencil's ink. True when some background cell got a colour.
bool FillColourLayers(const djvu_pixel_image& page, const JB2Image& stencil, ColorLayer& background,
                      ColorLayer& foreground, int f, int s, int inkBorder = kInkBorder,
                      int scale = 1);

}  // namespace djvu
