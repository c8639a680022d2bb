// The segmentation driver behind djvu_mask: bands, working resolution, gray
// conversion, the mask finder (Encoder/libMaskFind) and the packing of each
// band's rows into the run image.
#pragma once

#include <cstdint>
#include <memory>

#include "Encoder/libMaskFind/run_list.h"
#include "djvu_image.h"
#include "djvu_mask.h"

namespace djvu {

// How a page is processed: its working resolution r, the upsampling factor
// f, the size W x H it is processed at, and (band path) the requested band
// height B and the step S between band starts.
struct MaskPlan {
  unsigned resolution = 0;  // r
  unsigned factor = 1;      // f
  bool anisotropic = false;
  unsigned width = 0;       // W
  unsigned height = 0;      // H
  unsigned bandHeight = 0;  // B (band path)
  unsigned step = 0;        // S (band path)
};

MaskPlan PlanMask(const djvu_mask_options& options, const djvu_pixel_image& page);

// The whole driver: a new run image, or null when a band failed (its error
// already reported) or the page is empty. Raises GException for the
// layer's own failures.
djvu_run_image* FindMask(const djvu_mask_options& options, const djvu_pixel_image& page);

// The runs of one band image's mask, in band coordinates (memory order).
maskfind::run_list find_band_mask(const djvu_mask_options& options, const djvu_pixel_image& band);

// Filters a single threshold mask in place / merges the two tonal halves'
// filtered masks into result; with all three flag bits set nothing is
// filtered (the two-mask result is then empty).
void filter_single_mask(const djvu_pixel_image& band, maskfind::run_list& runs,
                        const djvu_mask_options& options);
void filter_two_masks(const djvu_pixel_image& band, const maskfind::run_list& light,
                      const maskfind::run_list& dark, maskfind::run_list& result,
                      const djvu_mask_options& options);

// Packs rows first..last of the runs (black on white, row last first, so
// the stream runs top row first for a bottom-up band) as DJVU_RUN_BW records
// (bit 7 set for black; runs continue across row ends) and appends them to
// the mask's data. Overlapping runs cover their pixels once. The rows are
// packed straight from the runs, without painting them first. "Memory
// realloc failed" when the data cannot grow.
void pack_band_mask(djvu_run_image& mask, maskfind::run_list runs, unsigned width, int first,
                    int last);

}  // namespace djvu
