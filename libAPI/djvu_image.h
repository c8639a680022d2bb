// The coding layer's image records: pixel images (gray or colour samples in
// a buffer) and run images (run-length coded, e.g. the bilevel text mask).
#pragma once

#include <cstddef>
#include <cstdint>

// Flag bits of djvu_pixel_image::flags.
enum : unsigned {
  DJVU_TOPDOWN = 1,   // rows stored top row first (informational)
  DJVU_BOTTOMUP = 2,  // stored row 0 is the bottom of the picture
  DJVU_RGB = 4,       // colour bytes are red, green, blue
  DJVU_BGR = 8,       // colour bytes are blue, green, red
  DJVU_GRAY = 16,     // one gray sample per pixel, 0 black .. 255 white
  DJVU_BILEVEL = 32,  // with DJVU_GRAY: every sample is 0 or 255
  DJVU_HAS_DPI = 64,  // xres and yres hold the resolution
};

// alloc_tag of a buffer from the layer's heap (_djvu_malloc).
inline constexpr intptr_t DJVU_ALLOC_LAYER = -1;

struct djvu_pixel_image {
  unsigned flags;
  unsigned w;
  unsigned h;
  unsigned offset;   // bytes from data to the first stored row's first pixel
  unsigned rowsize;  // bytes from one stored row to the next
  unsigned pixsize;  // bytes from one pixel to the next
  unsigned char* data;
  // Who allocated data: DJVU_ALLOC_LAYER for the layer's heap, equal to data
  // for the object heap (new[]), anything else (0) for a caller's buffer.
  intptr_t alloc_tag;
  unsigned xres;
  unsigned yres;
};

// Run record formats of djvu_run_image::runtype.
enum : unsigned {
  DJVU_RUN_BW = 0,     // 1 byte: bit 7 colour, bits 0-6 length - 1
  DJVU_RUN_GRAY = 1,   // 2 bytes: length - 1, gray value
  DJVU_RUN_COLOR = 2,  // 4 bytes: length - 1, red, green, blue
};

// Runs follow one another in raster order, top row first, and continue
// across row ends; their lengths add up to w * h.
struct djvu_run_image {
  unsigned w;
  unsigned h;
  unsigned nruns;
  unsigned char* runs;
  unsigned xres;  // 0 = unknown
  unsigned yres;
  unsigned runtype;
};

// The layer's heap, over the process's standard allocator.
void* _djvu_malloc(size_t n);
void* _djvu_calloc(size_t count, size_t size);
void* _djvu_realloc(void* p, size_t n);
void _djvu_free(void* p);
