#include <cstring>

#include "djvu_image.h"
#include "djvu_options.h"
#include "djvu_render.h"

void* djvu_options_copy(void* buffer, size_t size, const void* defaults, size_t defaultsSize) {
  if (!buffer) {
    void* copy = _djvu_malloc(defaultsSize);
    if (copy) std::memcpy(copy, defaults, defaultsSize);
    return copy;
  }
  if (size <= sizeof(unsigned)) return nullptr;
  if (size >= defaultsSize) {
    std::memcpy(buffer, defaults, defaultsSize);
    return buffer;
  }
  std::memcpy(buffer, defaults, size);
  const unsigned shortSize = static_cast<unsigned>(size);
  std::memcpy(buffer, &shortSize, sizeof shortSize);
  return buffer;
}

namespace djvu {

djvu_render_options DefaultRenderOptions() {
  return djvu_render_options{sizeof(djvu_render_options), 2.2f, 24, 0, DJVU_LAYER_COLOR, 0};
}

}  // namespace djvu

djvu_render_options* djvu_render_options_default(djvu_render_options* buffer, size_t size) {
  const djvu_render_options defaults = djvu::DefaultRenderOptions();
  return static_cast<djvu_render_options*>(
      djvu_options_copy(buffer, size, &defaults, sizeof defaults));
}
