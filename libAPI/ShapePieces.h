// Shapes made of several pieces of ink (components the mask's overlap merge
// joined: a frame and the letters inside it) match nothing else on the page
// and hide the letters from matching. Before matching they are split back
// into their 8-connected pieces, each a shape of its own; the page renders
// exactly as before.
#pragma once

#include "GSmartPointer.h"
#include "JB2Image.h"

namespace djvu {

// The page with every shape of more than one piece blitted piece by piece,
// the blits put back in reading order. The page itself when no shape has
// more than one piece.
GP<JB2Image> SplitIntoPieces(const GP<JB2Image>& image);

}  // namespace djvu
