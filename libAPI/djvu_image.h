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

// The layer's heap, over the process's standard allocator. DjVuLibre's
// DjVuGlobal.h defines the same names as macros over malloc and free; the
// parentheses keep these declarations out of the macros' reach, and either
// form reaches the same heap.
void*(_djvu_malloc)(size_t n);
void*(_djvu_calloc)(size_t count, size_t size);
void*(_djvu_realloc)(void* p, size_t n);
void(_djvu_free)(void* p);

// Ownership. A record the layer returns is allocated with `new` (one
// value-initialised record) and released with the matching free function
// below. A pixel buffer with alloc_tag DJVU_ALLOC_LAYER comes from
// _djvu_malloc; one with alloc_tag equal to data from `new unsigned char[]`.
// Run buffers of layer-made run images come from _djvu_malloc/_djvu_calloc.
// Operations "in place" may move a caller's image to a layer buffer
// (alloc_tag becomes DJVU_ALLOC_LAYER); the caller then frees that buffer.
//
// Every function reports failures through the layer's error handler
// (djvu_error.h) and returns null.

// Releases a layer-made pixel image (buffer and record); null is ignored.
// An image whose buffer is not the layer's is refused and left untouched.
void djvu_pixel_image_free(djvu_pixel_image* img);
// Releases the run records (_djvu_free) and the record; null is ignored.
void djvu_run_image_free(djvu_run_image* run);

// Converts in place to the canonical form: DJVU_BOTTOMUP, DJVU_BGR with
// pixsize 3 or DJVU_GRAY with pixsize 1, offset 0, packed rows.
djvu_pixel_image* djvu_pixel_normalize(djvu_pixel_image* img);
// Box-average subsampling by s in place (s = 1 leaves the image as it is).
djvu_pixel_image* djvu_pixel_subsample(djvu_pixel_image* img, int s);
// A new canonical image: factor >= 1 subsamples by factor, factor <= -2
// upsamples by -factor (smoothing steers the passes after each doubling),
// -1 and 0 copy.
djvu_pixel_image* djvu_pixel_resample(const djvu_pixel_image* img, int factor, int smoothing);
// Turns by a multiple of 90 degrees and rescales to exactly w x h (after
// turning), in place; negative sizes count by their absolute value.
djvu_pixel_image* djvu_pixel_transform(djvu_pixel_image* img, int angle, int w, int h);
// The same into a new image (first reduced by the integer part of the ratio).
djvu_pixel_image* djvu_pixel_transform_copy(const djvu_pixel_image* img, int angle, int w, int h);
// Copies the inclusive rectangle (corners in either order, clamped to the
// image, y counted from the bottom) into dst in canonical form; returns dst.
djvu_pixel_image* djvu_pixel_extract(const djvu_pixel_image* src, djvu_pixel_image* dst, int x0,
                                     int y0, int x1, int y1);
// Packs an image whose samples are all 0 or 255 into gray (DJVU_RUN_GRAY)
// or colour (DJVU_RUN_COLOR) runs, with square pixels.
djvu_run_image* djvu_pixel_to_run_image(const djvu_pixel_image* img);
