// The encoders of the coding layer: a compound or bilevel DjVu page from a
// mask and (optionally) the colour page it was found on, and a single IW44
// photo. Both build the whole file in memory and hand it in one piece to the
// caller's output routine; nothing is written when any step fails.
#pragma once

#include <cstddef>

#include "djvu_image.h"

// Bits of djvu_encode_options::flags.
enum : unsigned {
  DJVU_LOSSLESS = 1,    // keep every mark of the mask as it is
  DJVU_NO_THICKEN = 2,  // do not widen the shapes by a pixel
  DJVU_AGGRESSIVE = 4,  // also drop specks
  // The page was enlarged for its mask: its letters' edges are blurred over
  // several pixels, and the background keeps them closer to the ink.
  DJVU_ENLARGED = 8,
};

// Option records begin with their own size in bytes: the encoder copies at
// most that many bytes over its defaults, so a shorter (older) record keeps
// the defaults of the fields it does not have.
struct djvu_encode_options {
  unsigned size;       // default sizeof(djvu_encode_options)
  float gamma;         // gamma of the source; 0 or less: 2.2
  unsigned quality;    // background quality 0..100; 0 stands for 75
  unsigned flags;      // DJVU_LOSSLESS, DJVU_NO_THICKEN, DJVU_AGGRESSIVE, DJVU_ENLARGED
  unsigned fg_dpi;     // target resolution of the foreground layer (25)
  unsigned bg_dpi;     // target resolution of the background layer (100)
  void* progress_arg;  // third argument of every progress report
};

// Chrominance modes of djvu_photo_options::crcb (two low bits).
enum : unsigned {
  DJVU_CRCB_NORMAL = 0,
  DJVU_CRCB_FULL = 1,
  DJVU_CRCB_NONE = 2,  // luminance only
  DJVU_CRCB_HALF = 3,
};

struct djvu_photo_options {
  unsigned size;       // default sizeof(djvu_photo_options)
  float gamma;         // 0 or less: 2.2
  unsigned quality;    // 0..100 (above 100 counts as 100); 0 stands for 75
  unsigned crcb;       // chrominance mode
  void* progress_arg;  // third argument of every progress report
};

// Receives the finished file; returns the number of bytes it wrote, which
// must be length for the encoding to count as successful.
typedef size_t (*djvu_output_routine)(void* context, const void* buffer, size_t length);

// The defaults every encoder starts from.
djvu_encode_options djvu_encode_options_default();
djvu_photo_options djvu_photo_options_default();

// Writes one DjVu page (FORM:DJVU). The mask's ink becomes the JB2 stencil;
// with a colour or gray page, its colours become the foreground and
// background wavelet layers, otherwise the page is bilevel. Without an
// output routine the bytes go to context as a FILE* (standard output when
// null). Returns 0, or -1 after reporting an error. The mask and page are
// not modified. A page smaller than the mask by a whole factor (2 to 12, the
// same along both sides: a page whose mask was found on it enlarged) gives
// its colours as it is, at layer resolutions no finer than its own; a page
// of any other size is scaled to the mask first.
int djvu_encode(const djvu_encode_options* options, const djvu_run_image* mask,
                const djvu_pixel_image* page, djvu_output_routine output, void* context);

// 1 when every pixel of the page is black or white (gray samples of 0 or
// 255, colour pixels of three 0s or three 255s), 0 when not, -1 after
// reporting an error.
int djvu_pixel_is_black_and_white(const djvu_pixel_image* image);

// Writes such a page as a bilevel DjVu page: every pixel as it is, not
// thickened, unless the options ask for aggressive coding (which may drop
// specks). Returns djvu_encode's result.
int djvu_encode_black_and_white(const djvu_encode_options* options, const djvu_pixel_image* image,
                                djvu_output_routine output, void* context);

// Writes an IW44 file (FORM:PM44 for colour, FORM:BM44 for gray). An image
// whose samples are all 0 or 255 becomes a bilevel DjVu page instead.
// Returns 0, or -1 after reporting an error (or djvu_encode's result).
int djvu_encode_photo(const djvu_photo_options* options, const djvu_pixel_image* image,
                      djvu_output_routine output, void* context);
