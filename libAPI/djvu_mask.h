// djvu_mask: the bilevel text mask of a colour or gray page.
#pragma once

#include "djvu_image.h"

// Bits of djvu_mask_options::flags. With all three set the threshold mask
// is returned unfiltered.
enum : unsigned {
  NO_COLOR_FILTER = 1,
  NO_SIZE_FILTER = 2,
  NO_INV_FILTER = 4,  // no region rejection and no light-on-dark pass
  // The page was enlarged from a low resolution: its thin strokes are
  // spread over several pixels at a fraction of their darkness, and the
  // thresholds sit nearer the paper to keep them.
  LIGHT_STROKES = 8,
};

// The caller's record is copied over the defaults for as many bytes as
// `size` says (at most sizeof(djvu_mask_options)); size 0 keeps every default.
struct djvu_mask_options {
  unsigned size;              // byte size of the record (default: the whole record)
  int filter_level;           // -200..200: larger keeps more components (default 0)
  int multi_forback;          // 0..255: above 0 the page is split into two tonal halves there
  unsigned flags;             // NO_COLOR_FILTER | NO_SIZE_FILTER | NO_INV_FILTER
  unsigned dpi;               // page resolution when the page carries none (default 300)
  unsigned double_below_dpi;  // below this resolution the page is upsampled by 2 (225)
  unsigned triple_below_dpi;  // below this resolution the page is upsampled by 3 (125)
  void* progress_arg;         // third argument of every progress call
  int band_inches;            // band height in inches; 0 or less: the whole page at once
};

// The defaults djvu_mask lays out before copying the caller's record.
djvu_mask_options djvu_mask_default_options();

// Finds the mask of the page. The result is a DJVU_RUN_BW run image of the
// page's size (times the upsampling factor) whose records carry black (the
// foreground) with bit 7 SET, the opposite of the application's bilevel run
// images; its resolution is the working resolution times the factor. The
// caller releases it with djvu_run_image_free. Progress goes to the calling
// thread's progress handler as "Preparing foreground/background mask".
// Null after a reported error (the page is not changed).
djvu_run_image* djvu_mask(const djvu_mask_options* options, const djvu_pixel_image* page);
