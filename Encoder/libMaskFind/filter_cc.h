// The passes of the component filter, exposed for the tests.
#pragma once

#include "band_pixels.h"
#include "colour_runs.h"
#include "decide.h"
#include "filter_params.h"

namespace maskfind {

inline constexpr int kSplitExtent =
    20;  // (height - 1) + (width - 1) above which a dropped component is split
inline constexpr int kInverseMinRuns = 10;  // a dropped component needs more runs to be looked into

// The dark pass over an analysed set: decides every component, splits the
// dropped ones that are large enough, and leaves the decisions in the table
// (pieces are appended to it; a component with kept pieces is marked split).
void dark_pass(const band_pixels& image, colour_runs& set, filter_params& params,
               decide_scratch& scratch);

// Splits dropped component c by grouping its eroded runs into 4-connected
// groups; with two groups or more every run joins the group of its eroded
// run (a run whose eroded run vanished joins a touching neighbour's group),
// each group becomes a new component of the set and is decided. Returns the
// number of pieces made (0 when it did not split).
int split_component(const band_pixels& image, colour_runs& set, int c, filter_params& params,
                    decide_scratch& scratch);

// The light runs enclosed between the runs of each row of every component
// that was not kept (nor split into kept pieces: the paper between marks)
// and has more than 10 runs, minus every run of the set,
// as maximal runs in row order (the light marks a dark region may hold).
void interior_light_runs(const colour_runs& set, run_list& out);

}  // namespace maskfind
