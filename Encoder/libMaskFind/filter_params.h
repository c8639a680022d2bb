// filter_params: the parameter block of one polarity for the component
// filter, and the coding cost computed from its items.
#pragma once

#include <cstdint>

namespace maskfind {

// Bits of the driver's flags word.
inline constexpr unsigned kNoColorFilter = 1;
inline constexpr unsigned kNoSizeFilter = 2;
inline constexpr unsigned kNoInvFilter = 4;

// Thirty-six words; the comments give each field's word number.
struct filter_params {
  int32_t word0 = 0;
  int32_t handle = 0;  // 1: reserved, always 0
  int32_t word2 = 0;
  float gamma = 1.0f;          // 3: exponent of the gamma table
  int32_t carried = 5;         // 4
  int32_t level = 0;           // 5: effective filter level (keep when cost < level)
  int32_t min_boundary = 6;    // 6: boundary count a region needs
  int32_t region_factor = 3;   // 7: a region's light boundary b satisfies factor * b < area
  int32_t no_inv_filter = 0;   // 8: non-zero: no region test, no inverse pass
  int32_t area_limit = 10000;  // 9: smallest region area; capacity of the boundary list
  float weights[3] = {0.299f, 0.587f, 0.114f};  // 10..12: weights of the three channels
  float items[15] = {};                         // 13..27: five cost items of three channels
  int32_t area = 0;                             // 28
  int32_t samples = 0;                          // 29: samples kept for the colour estimate
  int32_t dilated_length = 0;                   // 30: pixels of the dilated runs walked
  int32_t runs = 0;                             // 31
  int32_t width = 0;                            // 32
  int32_t height = 0;                           // 33
  int32_t boundary_a = 0;                       // 34: light stretches enclosed between runs
  int32_t boundary_b = 0;                       // 35: light boundary pixels collected

  // The three channels of the item starting at word 13, 16, 19, 22 or 25.
  float* item(int word) { return items + (word - 13); }
  const float* item(int word) const { return items + (word - 13); }
};
static_assert(sizeof(filter_params) == 36 * 4, "thirty-six words");

// The cost items by their first word.
inline constexpr int kItemColour = 13;     // median colour of the component
inline constexpr int kItemTexture = 16;    // prediction error along the dilated runs
inline constexpr int kItemContrast = 19;   // contrast across the upper and lower contour
inline constexpr int kItemSurround = 22;   // roughness of the ground along the contour
inline constexpr int kItemRightEdge = 25;  // prediction error of the ground right of the runs

// The block for one polarity (0: dark marks on light ground, 1: light marks
// on dark ground) as the driver builds it. The channel weights are for RGB
// byte order; for a BGR image the first and third are exchanged.
filter_params make_filter_params(int polarity, int filter_level, unsigned flags, bool bgr);

// The estimated cost of coding a component as foreground rather than
// leaving it to the background; with one channel (an image one pixel wide)
// the first channel of every item is used. Thin and single-pixel components
// pay 400 for each of height < 2, width < 2, area < 2. An item with a
// negative channel ("not set") is fatal.
int total_coding_cost(const filter_params& params, bool single_channel);

}  // namespace maskfind
