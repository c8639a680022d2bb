// Feeds arbitrary bytes through the DjVu probe, the decoder and the strip
// renderers: single pages and multipage documents, whose first pages are
// each probed, decoded and rendered. Whatever opens must render to a
// consistent raster or fail cleanly.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "FuzzInput.h"
#include "formats/DjvuReader.h"
#include "libAPI/djvu_error.h"
#include "libAPI/djvu_render.h"

namespace {

// Pages of a document that are looked at; the decoder's work per page is
// what is being tested, not the number of pages.
constexpr int kPagesTried = 3;

void Check(const leaf::DibImage& image) {
  const leaf::DibRaster& r = image.raster;
  if (r.pixelSize != r.rowStride * static_cast<size_t>(r.height)) std::abort();
  if (r.block.size() < r.pixelOffset + r.pixelSize) std::abort();
  if (r.pageIndex < 0 || r.pageIndex >= r.pageCount) std::abort();
}

void RenderPage(const std::string& path, int page) {
  leaf::DibImage image;
  leaf::DjvuFileInfo info;
  leaf::ProbeDjvuFile(image, path, info, page);
  if (!leaf::LoadHalfCoded(image, path, page)) return;
  // Large pages render reduced, huge ones (a few bytes can claim 65504 x 65504
  // pixels) not at all: the point is the decoder's data, not the pixel count.
  const djvu_halfcoded_image& decoded = *image.raster.pageLink;
  const double area = static_cast<double>(decoded.page_width) * decoded.page_height;
  if (area > (1 << 26)) return;
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
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  leaf::fuzz::MemoryFile input(data, size, ".djvu");
  leaf::DibImage counter;
  const int pages = leaf::CountDjvuPages(counter, input.path());
  for (int page = 0; page < std::min(std::max(pages, 1), kPagesTried); ++page) {
    RenderPage(input.path(), page);
  }
  return 0;
}
