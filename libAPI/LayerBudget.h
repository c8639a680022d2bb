// Budgets of a compound page's colour layers, chosen from what the page
// holds. The foreground's cells carry the mean colour under the ink of each
// cell; on a page printed in one ink most of them are that ink blended with
// paper (thin strokes, edges) and their differences are noise that costs
// wavelet bits and shows as uneven letters. The background's cells on plain
// paper differ only by the scanner's noise and the paper's grain. Both are
// flattened, and only what stands out (coloured headings, pictures, stains)
// is coded as it was.
#pragma once

#include "MaskSub.h"

namespace djvu {

struct InkPlan {
  GPixel ink{0, 0, 0};          // the colour of the page's main ink
  GPixel paper{255, 255, 255};  // the background's typical colour (white without one)
  double share = 0;             // of the foreground cells, those in that ink (0..1)
  bool oneColour = false;       // every cell is the ink: the layer is coded small
};

// Studies the foreground: the main ink is the mean colour of its darker
// cells; a cell is in that ink when its colour lies on the way from the ink
// to the paper (paper: the background's typical colour).
InkPlan PlanInk(const ColorLayer& foreground, const ColorLayer& background);

// Paints the cells in the main ink with exactly that colour.
void FlattenInk(ColorLayer& foreground, const InkPlan& plan);

// The foreground of a page in one ink: cells of reduction `reduction` over
// a page of width x height, all of that colour and none "don't care".
void SolidForeground(ColorLayer& foreground, int width, int height, int reduction, GPixel ink);

// True when a background of which this share is paper (see SmoothPaper)
// is plain: coded at half its resolution and a lower quality.
bool PlainBackground(double paperShare);

// The layer at twice its reduction: every cell the mean of the (up to four)
// cells it covers that are not "don't care", or "don't care" without any.
void HalveLayer(ColorLayer& layer);

// Replaces every background cell that differs from the mean of the cells
// around it by no more than noise with that mean; returns the share of the
// background's cells so replaced (0..1).
double SmoothPaper(ColorLayer& background);

}  // namespace djvu
