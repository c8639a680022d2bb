#include "filter_params.h"

#include <algorithm>
#include <cstdio>

#include "mask_error.h"

namespace maskfind {

namespace {
const char kSource[] = "Encoder/libMaskFind/coding_cost";
}

filter_params make_filter_params(int polarity, int filter_level, unsigned flags, bool bgr) {
  filter_params params;
  params.gamma = 1.0f;
  params.carried = 5;
  params.level = filter_level + 400 * polarity;
  params.min_boundary = 6;
  params.region_factor = 3;
  params.no_inv_filter = static_cast<int32_t>(flags & kNoInvFilter);
  params.area_limit = 10000;
  if (bgr) {
    params.weights[0] = 0.114f;
    params.weights[2] = 0.299f;
  }
  for (float& item : params.items) item = -1;  // not set
  return params;
}

int total_coding_cost(const filter_params& p, bool single_channel) {
  for (int word = kItemColour; word <= kItemRightEdge; word += 3) {
    const float* x = p.item(word);
    if (x[0] < 0 || x[1] < 0 || x[2] < 0) {
      std::fprintf(stderr, "%d %f %f %f\n", word, x[0], x[1], x[2]);
      djvu_mask_error("total_coding cost uses an item that has not been set", kSource, __LINE__);
    }
  }
  auto item = [&p](int word) {
    const float* x = p.item(word);
    return p.weights[0] * x[0] + p.weights[1] * x[1] + p.weights[2] * x[2];
  };
  // r weighs the colour by how much of the dilated runs the colour
  // estimate could not keep: thin components, whose dilated runs are mostly
  // ground, pay more for their colour.
  const float r = p.samples > 0 ? static_cast<float>(p.dilated_length + p.samples) /
                                      static_cast<float>(2 * p.samples)
                                : 1.0f;
  float cost;
  if (single_channel) {
    cost = 1.5f * (p.item(kItemRightEdge)[0] + p.item(kItemSurround)[0]) +
           r * p.item(kItemColour)[0] + static_cast<float>(p.runs) + 400 -
           (p.item(kItemContrast)[0] + p.item(kItemTexture)[0]);
  } else {
    cost = 1.5f * (item(kItemSurround) + item(kItemRightEdge)) + r * item(kItemColour) +
           static_cast<float>(p.runs) + 200 - (item(kItemTexture) + item(kItemContrast));
  }
  // Far beyond any filter level either way; keeps the conversion defined.
  cost = std::clamp(cost, -1e9f, 1e9f);
  int result = static_cast<int>(cost);
  if (p.height < 2) result += 400;
  if (p.width < 2) result += 400;
  if (p.area < 2) result += 400;
  return result;
}

}  // namespace maskfind
