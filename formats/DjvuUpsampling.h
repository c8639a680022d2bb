// How much a colour or gray page is enlarged before its text mask is found.
// A mask at a low resolution (below about 200 dpi) cannot keep the letters'
// shapes: their strokes are a pixel or two wide and their counters a pixel.
// Found on an enlarged page, the mask follows the letters' outlines between
// the pixels, and a viewer showing the page at its own size sees smooth
// edges again.
#pragma once

#include <string>

#include "libAPI/djvu_image.h"

namespace leaf {

// Upsampling codes of SaveDjvu: choose from the page's resolution, no
// enlargement, or 2x, 3x, 4x before saving.
inline constexpr int kDjvuUpsampleAuto = 0;
inline constexpr int kDjvuUpsampleNone = -1;

// The upsampling code of the "DjvuUpsample" setting: 0 automatic, 1..3
// enlarge 2x..4x.
int DjvuUpsampleCode(int setting);

// The enlargement (1..4) for an upsampling code, the page's resolution in
// dots per inch (0 when unknown) and its size. An explicit code is followed
// as given; the automatic choice enlarges pages below 200 dpi until they
// reach 250 dpi (at most 4x), but more than twice only within 13.5 million
// pixels (an A4 page at 120 dpi enlarged three times) and twice only within
// 36 million (a letter page at 600 dpi), and leaves pages of unknown
// resolution as they are.
int DjvuUpsampleFactor(int code, int dpi, int width, int height);

// What the choice was, as the saver reports it ("Upsampling: 3x, the page
// has 100 dpi").
std::string DjvuUpsampleReport(int code, int dpi, int factor);

// True when the page looks like a photograph rather than a page of text:
// less than 45% of it (sampled on a grid) lies near the lightness of its
// paper, the lightest tenth of the page. Enlarged, a photograph keeps no
// sharper letters, only a larger file.
bool LooksLikePhotograph(const djvu_pixel_image& page);

struct DjvuUpsampling {
  int factor = 1;
  std::string report;
};

// The enlargement of this page (DjvuUpsampleFactor) and its report; the
// automatic choice leaves a photograph-like page as it is.
DjvuUpsampling ChooseDjvuUpsampling(int code, int dpi, const djvu_pixel_image& page);

}  // namespace leaf
