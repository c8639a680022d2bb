// Feeds arbitrary bytes through the DjVu probe, the decoder and the strip
// renderers. Whatever opens must render to a consistent raster or fail
// cleanly.
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
  const djvu_halfcoded_image& page = *image.raster.pageLink;
  const unsigned long long area =
      static_cast<unsigned long long>(page.page_width) * page.page_height;
  struct Render {
    int layer, zoom, depth;
  };
  // Large pages only at a small size: the point is the decoder's data, not the pixel count.
  const Render renders[] = {
      {0, area <= (1u << 22) ? 0 : -9, 24}, {1, -2, 24}, {2, -1, 8}, {3, -13, 16}};
  for (const Render& render : renders) {
    if (area > (1ull << 28) && render.zoom > -9) continue;
    if (leaf::RenderDjvu(image, render.layer, render.depth, render.zoom, 2.2)) Check(image);
  }
  return 0;
}
