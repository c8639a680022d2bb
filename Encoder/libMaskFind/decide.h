// The keep-or-drop decision for one component.
#pragma once

#include "band_pixels.h"
#include "colour_runs.h"
#include "dilero.h"
#include "filter_params.h"

namespace maskfind {

inline constexpr int kLargestCostedArea = 1000000;

// Scratch buffers reused from one component to the next.
struct decide_scratch {
  component_rows rows;
  storage<int32_t> profile[4];  // per column: first row, row above it, last row, row below
  storage<float> outside[2];    // per column and channel: pixel at profile 1 and 3
  storage<float> samples[3];    // per channel: colour samples along the dilated runs
};

// Decides component c of the set against the parameter block: fills the
// block's words 28..35 and items, and the component's decision (column 8),
// cost (column 9) and colour (columns 10..12). The set supplies the mask
// map: a pixel is free when no run of the set covers it.
void decide_component(const band_pixels& image, colour_runs& set, int c, filter_params& params,
                      decide_scratch& scratch);

// The boundary counts of the region test, from the component's light
// boundary collected row by row into a list of at most the block's area
// limit of pixels (left of each row's first run, the stretches enclosed
// between its runs, right of its last run): a = pixels collected, b = those
// enclosed between runs. A large dense component with few enclosed light
// pixels (3 b < area) is a dark region - a photograph, a shadow, a box -
// rather than marks; its enclosed light pixels may hold light marks.
void boundary_counts(const component_rows& rows, filter_params& params);

// The four profiles over columns min_x .. max_x of the component (see decide.cpp).
void find_profiles(const band_pixels& image, const colour_runs& set, const component& comp,
                   const component_rows& rows, decide_scratch& scratch);

}  // namespace maskfind
