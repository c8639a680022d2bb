// The component filter: keeps the threshold mask's components that are
// worth coding as foreground, and finds light marks inside dark regions.
#pragma once

#include "filter_params.h"
#include "libAPI/djvu_image.h"
#include "run_list.h"

namespace maskfind {

// Filters the threshold runs of one band image: the dark pass with block 0
// (polarity 0), then, unless block 0 says NO_INV_FILTER, the inverse pass
// with block 1 (polarity 1). Appends the kept runs to output (RUN_ID = the
// component's number in its pass) and sets output's width and height to the
// band's. The blocks are the caller's and are not changed.
void run_filter_cc(const djvu_pixel_image& image, const run_list& threshold, run_list& output,
                   const filter_params& params0, const filter_params& params1);

// run_filter_cc into an emptied output list.
void main_filter(const djvu_pixel_image& image, const run_list& threshold, run_list& output,
                 const filter_params& params0, const filter_params& params1);

}  // namespace maskfind
