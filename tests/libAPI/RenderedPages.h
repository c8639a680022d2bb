// Decoded pages and rendered images for the coding layer's reading tests,
// and their comparison with DjVuLibre's own rendering.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "libAPI/djvu_document.h"
#include "libAPI/djvu_render.h"
#include "tests/support/DjvuReference.h"

namespace leaf::test {

inline std::string Fixture(const std::string& name) {
  return std::string(LEAF_SOURCE_DIR) + "/tests/data/djvu/" + name;
}

struct HalfCodedFree {
  void operator()(djvu_halfcoded_image* image) const { djvu_halfcoded_image_free(image); }
};
using HalfCoded = std::unique_ptr<djvu_halfcoded_image, HalfCodedFree>;
struct PixelFree {
  void operator()(djvu_pixel_image* img) const { djvu_pixel_image_free(img); }
};
using Pixels = std::unique_ptr<djvu_pixel_image, PixelFree>;
struct DocumentFree {
  void operator()(djvu_document* document) const { djvu_document_free(document); }
};
using Document = std::unique_ptr<djvu_document, DocumentFree>;

inline djvu_render_options Options(int layer, int depth = 24) {
  djvu_render_options options{};
  djvu_render_options_default(&options, sizeof options);
  options.layer = layer;
  options.depth = depth;
  return options;
}

inline Pixels RenderWhole(const djvu_halfcoded_image* page, int s, int layer, int depth = 24) {
  const djvu_render_options options = Options(layer, depth);
  // The whole page, as the page's own size over s names it.
  const int w = static_cast<int>(page->page_width) / s;
  const int h = static_cast<int>(page->page_height) / s;
  return Pixels(djvu_render(&options, page, s, 0, 0, w, h));
}

// Sample of a rendered image at (x, y from the top), channel in red, green,
// blue order for colour images.
inline int Sample(const djvu_pixel_image* img, int x, int yTop, int rgbChannel) {
  const int stored = (img->flags & DJVU_BOTTOMUP) ? static_cast<int>(img->h) - 1 - yTop : yTop;
  const unsigned char* p = img->data + img->offset + static_cast<size_t>(stored) * img->rowsize +
                           static_cast<size_t>(x) * img->pixsize;
  if (img->flags & DJVU_GRAY) return p[0];
  return p[(img->flags & DJVU_RGB) ? rgbChannel : 2 - rgbChannel];
}

// Mask levels are scaled to 0..255 with truncation where the codec rounds:
// those comparisons allow a difference of one.
inline void ExpectSamePixels(const djvu_pixel_image* ours, const ReferenceImage& reference,
                             int tolerance = 0) {
  ASSERT_EQ(static_cast<int>(ours->w), reference.width);
  ASSERT_EQ(static_cast<int>(ours->h), reference.height);
  int mismatches = 0;
  for (int y = 0; y < reference.height; ++y) {
    for (int x = 0; x < reference.width; ++x) {
      for (int c = 0; c < reference.channels; ++c) {
        if (std::abs(Sample(ours, x, y, c) - reference.at(x, y, c)) > tolerance &&
            ++mismatches < 5) {
          ADD_FAILURE() << "at " << x << "," << y << " channel " << c << ": "
                        << Sample(ours, x, y, c) << " vs " << int{reference.at(x, y, c)};
        }
      }
    }
  }
  EXPECT_EQ(mismatches, 0);
}

}  // namespace leaf::test
