#include "run_list.h"

#include <algorithm>

namespace maskfind {

namespace {
const char kSource[] = "Encoder/libMaskFind/run_list";
}

run_list::run_list(int capacity, int runColumns, where_t where) : columns(runColumns) {
  if (columns < 4) djvu_mask_error("build-bidmap: runsize must be > RUN_ID", kSource, __LINE__);
  data.resize(static_cast<size_t>(std::max(capacity, 1)) * static_cast<size_t>(columns), where);
}

void run_list::append(int32_t y, int32_t x1, int32_t x2, int32_t id) {
  if (count >= capacity()) {
    data.resize(static_cast<size_t>(std::max(2 * count, 16)) * static_cast<size_t>(columns));
  }
  int32_t* r = run(count++);
  r[RUN_Y] = y;
  r[RUN_X1] = x1;
  r[RUN_X2] = x2;
  r[RUN_ID] = id;
}

void run_list::finish(int32_t image_width, int32_t image_height) {
  // Keep at least one run's room: a zero-sized storage has no data at all.
  data.resize(static_cast<size_t>(std::max(count, 1)) * static_cast<size_t>(columns));
  width = image_width;
  height = image_height;
}

}  // namespace maskfind
