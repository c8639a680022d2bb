// The mask finder's working gray images.
//
// A working image is a djvu_pixel_image of one byte per pixel (DJVU_GRAY)
// with a border of 2 pixels on every side: (h + 4) rows of (w + 4) bytes,
// pixel (0, 0) at offset (w + 5) * 2, every border byte 63 until the
// threshold stage repeats the edge into it (replicate_border). Values are
// 6-bit (0..63, 63 white) unless a step says otherwise. The border lets
// 3x3 (and 5x5) neighbourhoods at the edge be read without bounds tests.
#pragma once

#include <cstdint>

#include "libAPI/djvu_image.h"
#include "storage.h"

namespace maskfind {

inline constexpr uint8_t kWhite6 = 63;
inline constexpr int kBorder = 2;

struct work_image {
  storage<uint8_t> buffer;
  djvu_pixel_image image{};

  int width() const { return static_cast<int>(image.w); }
  int height() const { return static_cast<int>(image.h); }
  // Row y (memory order); x may run from -2 to width() + 1, y from -2 to height() + 1.
  uint8_t* row(int y) {
    return image.data + image.offset + static_cast<ptrdiff_t>(y) * image.rowsize;
  }
  const uint8_t* row(int y) const {
    return image.data + image.offset + static_cast<ptrdiff_t>(y) * image.rowsize;
  }
};

// A working image of w x h pixels, every byte (border included) 63.
work_image make_work_image(int w, int h, where_t where = where_t::current());

// Fills the border with copies of the nearest image pixel. The threshold
// stage reads its 3x3 neighbourhoods through this border: a white frame
// would make the edge of a tinted page (old paper, a scan's shadow) look
// like the boundary between light ground and a dark mark and put a strip
// of paper along every edge into the mask. A repeated edge has no such
// boundary. Nothing happens for an empty image.
void replicate_border(work_image& image);

// 8-bit gray of a colour page into a working image of its size:
// (612 R + 1202 G + 233 B) >> 11, rows in memory order. The result holds
// 8-bit values inside a border of 63.
void colour_to_gray(const djvu_pixel_image& page, work_image& gray);

// The 6-bit working image of an 8-bit gray source (value >> 2), read with the
// source's pixel stride. The source may be the working image itself.
void gray_to_six_bits(const djvu_pixel_image& gray8, work_image& six);

// The two tonal halves of an 8-bit gray source split at level L (1..255):
// below L the light half is 0 and the dark half (p * 64) / L; from L on the
// light half is ((p - L) * 64) / (256 - L) and the dark half 63. Both are
// 6-bit images; light may be the source's own working image.
void split_tones(const djvu_pixel_image& gray8, int level, work_image& light, work_image& dark);

}  // namespace maskfind
