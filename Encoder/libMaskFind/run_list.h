// run_list: the table of runs passed between the mask finder's stages.
//
// A run covers pixels RUN_X1..RUN_X2 (inclusive) of row RUN_Y; RUN_ID is the
// component number once the filter stage has set it. A list has at least 4
// values per run; only the first four are read by the driver's packer.
#pragma once

#include <cstdint>

#include "storage.h"

namespace maskfind {

enum run_column : int { RUN_Y = 0, RUN_X1 = 1, RUN_X2 = 2, RUN_ID = 3 };

struct run_list {
  int32_t width = 0;
  int32_t height = 0;
  int32_t count = 0;
  int32_t columns = 4;
  storage<int32_t> data;

  run_list() = default;
  // Room for capacity runs of the given width (values per run, at least 4).
  explicit run_list(int capacity, int columns = 4, where_t where = where_t::current());

  int capacity() const { return static_cast<int>(data.size() / static_cast<size_t>(columns)); }
  int32_t* run(int i) { return &data[static_cast<size_t>(i) * static_cast<size_t>(columns)]; }
  const int32_t* run(int i) const {
    return &data[static_cast<size_t>(i) * static_cast<size_t>(columns)];
  }

  // Appends a run; when its index reaches the capacity the capacity becomes
  // twice that index.
  void append(int32_t y, int32_t x1, int32_t x2, int32_t id = -1);

  // Cuts the data to count runs and records the image size.
  void finish(int32_t image_width, int32_t image_height);
};

}  // namespace maskfind
