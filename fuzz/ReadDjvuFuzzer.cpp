// Feeds arbitrary bytes through the DjVu probe, the decoder and the strip
// renderers. Whatever opens must render to a consistent raster or fail
// cleanly.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "FuzzInput.h"
#include "formats/DjvuReader.h"
#include "libAPI/djvu_render.h"

namespace {

void Check(const leaf::DibImage& image) {
  const leaf::DibRaster& r = image.raster;
  if (r.pixelSize != r.rowStride * static_cast<size_t>(r.height)) std::abort();
  if (r.block.size() < r.pixelOffset + r.pixelSize) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  leaf::fuzz::MemoryFile input(data, size, ".djvu");
  leaf::DibImage image;
  leaf::DjvuFileInfo info;
  leaf::ProbeDjvuFile(image, input.path(), info);
  if (!leaf::LoadHalfCoded(image, input.path())) return 0;
  // Large pages render reduced, huge ones (a few bytes can claim 65504 x 65504
  // pixels) not at all: the point is the decoder's data, not the pixel count.
  const djvu_halfcoded_image& page = *image.raster.pageLink;
  const double area = static_cast<double>(page.page_width) * page.page_height;
  if (area > (1 << 26)) return 0;
  const int smallest = 1 - static_cast<int>(std::ceil(std::sqrt(area / (1 << 18))));
  struct Render {
    int layer, zoom, depth;
  };
  const Render renders[] = {{0, 0, 24}, {1, -2, 24}, {2, -1, 8}, {3, -13, 16}};
  for (const Render& render : renders) {
    if (leaf::RenderDjvu(image, render.layer, render.depth, std::min(render.zoom, smallest), 2.2)) {
      Check(image);
    }
  }
  return 0;
}
