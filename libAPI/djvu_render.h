// The reading half of the coding layer: a DjVu or IW44 file is decoded once
// into a djvu_halfcoded_image (the page kept in coded layers), from which any
// rectangle is rendered, at any reduction and for any layer, into a
// djvu_pixel_image.
#pragma once

#include <cstddef>

#include "djvu_image.h"
#include "djvu_io.h"

// The codec's decoded page; owned by the djvu_halfcoded_image.
struct djvu_decoded_page;

struct djvu_halfcoded_image {
  unsigned page_width;  // pixels, from INFO (IW44: the image width)
  unsigned page_height;
  unsigned image_width;  // the page size (INFO has no size factor: its last byte is the rotation)
  unsigned image_height;
  unsigned coded_size;  // bytes held by the decoded layers
  char* description;    // one line per chunk of the file; owned
  unsigned resolution;  // dots per inch, 0 when unknown
  float gamma;          // the page's gamma
  djvu_decoded_page* page;
  int page_index;      // the page of its document (0 = first)
  int document_pages;  // pages of that document (1 for a single-page file)
};

// Layers a page can be rendered as.
enum : int {
  DJVU_LAYER_COLOR = 0,  // the composite page
  DJVU_LAYER_MASK = 1,   // black and white: the mask
  DJVU_LAYER_BACKGROUND = 2,
  DJVU_LAYER_FOREGROUND = 3,
};

// Bit of djvu_render_options::flags: the rectangle is the whole page.
enum : unsigned { DJVU_RENDER_WHOLE_PAGE = 1 };

struct djvu_render_options {
  unsigned size;   // valid bytes of the record
  float gamma;     // of the display; 0 or less: 2.2
  int depth;       // bits per pixel of the display; < 15 and < 24 dither
  unsigned flags;  // DJVU_RENDER_WHOLE_PAGE
  int layer;       // DJVU_LAYER_*
  unsigned reserved;
};

// Reads a DjVu file (a single page, FORM:DJVU, or a bundled document,
// FORM:DJVM) or an IW44 file (FORM:PM44, FORM:BM44) through read (or,
// without one, from context as a stdio FILE*, standard input when null) and
// decodes its first page. Null on failure (reported). Multipage documents
// in files are opened page by page with djvu_document_open.
djvu_halfcoded_image* djvu_decode(djvu_read_routine read, void* context);

// Releases the decoded page, the description and the record; null ignored.
void djvu_halfcoded_image_free(djvu_halfcoded_image* image);

// Renders the inclusive rectangle (pixels of the page reduced by subsample,
// y counted from the bottom) of one layer. The caller frees the result with
// djvu_pixel_image_free.
djvu_pixel_image* djvu_render(const djvu_render_options* options, const djvu_halfcoded_image* image,
                              int subsample, int x0, int y0, int x1, int y1);

// Renders the inclusive rectangle (full-resolution page pixels) turned by
// angle (a multiple of 90) to exactly out_w x out_h pixels after turning.
djvu_pixel_image* djvu_render_scaled(const djvu_render_options* options,
                                     const djvu_halfcoded_image* image, int x0, int y0, int x1,
                                     int y1, int angle, int out_w, int out_h);

// Fills a caller's buffer with the default render options (see
// djvu_options_copy); with no buffer returns a new _djvu_malloc copy.
djvu_render_options* djvu_render_options_default(djvu_render_options* buffer, size_t size);
