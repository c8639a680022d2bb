// Rendering a decoded page into the main raster. Two strip renderers: the
// direct one asks the coding layer for strips of 100 rows at the codec's own
// reduction (the composite page at up to 1/12), the scaled one for strips of
// about 100 source rows brought to an exact size (every other layer, and
// reductions beyond 12). Strips keep the layer's temporary images small.
#include <algorithm>
#include <cstring>
#include <memory>

#include "CodecErrorCapture.h"
#include "DjvuReader.h"
#include "image/BitmapInfoHeader.h"
#include "libAPI/djvu_error.h"
#include "libAPI/djvu_render.h"

namespace leaf {

namespace {

struct PixelImageFree {
  void operator()(djvu_pixel_image* img) const { djvu_pixel_image_free(img); }
};
using PixelImage = std::unique_ptr<djvu_pixel_image, PixelImageFree>;

struct RenderSetup {
  djvu_render_options options;
  const djvu_halfcoded_image* page;
  int s;      // reduction
  int W, H;   // page size
  int width;  // raster size: W / s, H / s
  int height;
};

// Copies a strip's rows into the raster from stored row `at` on; false when
// the strip is not of the raster's pixel kind.
bool CopyStrip(DibRaster& raster, const djvu_pixel_image& strip, int at) {
  if (static_cast<int>(strip.pixsize) * 8 != raster.bitsPerPixel || at < 0) return false;
  const bool swap = (strip.flags & DJVU_RGB) && strip.pixsize == 3;
  const size_t bytes = std::min<size_t>(strip.rowsize, raster.rowStride);
  const int rows = std::min(static_cast<int>(strip.h), raster.height - at);
  for (int r = 0; r < rows; ++r) {
    // Strips come bottom-up, as the raster is stored.
    const int source = (strip.flags & DJVU_BOTTOMUP) ? r : static_cast<int>(strip.h) - 1 - r;
    uint8_t* out = raster.storedRow(at + r);
    std::memcpy(out, strip.data + strip.offset + static_cast<size_t>(source) * strip.rowsize,
                bytes);
    if (swap) {
      for (size_t x = 0; x + 2 < bytes; x += 3) std::swap(out[x], out[x + 2]);
    }
  }
  return true;
}

// Fields, block and header of the raster from the sample strip.
bool PrepareRaster(DibImage& image, const RenderSetup& setup, const djvu_pixel_image& sample) {
  DibRaster& r = image.raster;
  const int bits = static_cast<int>(sample.pixsize) * 8;
  if (bits != 8 && bits != 24) return image.Fail("Failed to render sample area.");
  r.bitsPerPixel = r.sourceBitsPerPixel = bits;
  r.rowOrder = (sample.flags & DJVU_BOTTOMUP) ? kRowOrderBottomUp : kRowOrderTopDown;
  r.xResolution = static_cast<int>(sample.xres);
  r.yResolution = static_cast<int>(sample.yres);
  r.fullWidth = setup.W;
  r.fullHeight = setup.H;
  r.width = setup.width;
  r.height = setup.height;
  r.resolutionUnit = kResolutionUnitInch;
  r.blockKind = kBlockKindPackedDib;
  r.headerSize = r.paletteOffset = kBitmapInfoHeaderSize;
  r.paletteSize = bits == 24 ? 0 : kPaletteEntrySize << bits;
  r.pixelOffset = r.headerSize + r.paletteSize;
  r.paletteEntrySize = kPaletteEntrySize;
  r.channelOrder = kChannelOrderBgr;
  r.rowStride = RowStride(r.width, bits);
  r.pixelSize = r.rowStride * static_cast<size_t>(r.height);
  r.negativeFlag = r.symmetryState = 0;
  r.pageCount = std::max(1, setup.page->document_pages);
  r.pageIndex = setup.page->page_index;
  const size_t total = r.pixelOffset + r.pixelSize;
  if (r.rowStride == 0 || r.pixelSize / r.rowStride != static_cast<size_t>(r.height) ||
      total > kMaxBlockBytes || !(r.block = PixelBlock::Allocate(total))) {
    const int shown = static_cast<int>(std::min<size_t>(total, 0x7fffffff));
    r.clearKeepingPage();
    return image.Fail("Failed to allocate %d bytes for the image.", shown);
  }
  if (bits == 8) {
    for (int i = 0; i < 256; ++i) std::memset(r.palette() + i * 4, i, 3);
    r.grayFlag = 1;
    r.photometric = kPhotometricMinIsBlack;
  } else {
    r.photometric = kPhotometricRgb;
  }
  BitmapInfoHeader header;
  header.width = r.width;
  header.height = r.rowOrder == kRowOrderTopDown ? -r.height : r.height;
  header.bitCount = static_cast<uint16_t>(bits);
  header.sizeImage = static_cast<uint32_t>(r.pixelSize);
  header.xPelsPerMeter = static_cast<int32_t>(r.xResolution * 100 / 2.54);
  header.yPelsPerMeter = static_cast<int32_t>(r.yResolution * 100 / 2.54);
  header.Write(r.header());
  return true;
}

bool RenderDirect(DibImage& image, const RenderSetup& setup) {
  const int s = setup.s, strips = setup.H / (100 * s);
  for (int i = 0; i < strips; ++i) {
    PixelImage strip(
        djvu_render(&setup.options, setup.page, s, 0, 100 * i, setup.width - 1, 100 * i + 99));
    if (!strip || !CopyStrip(image.raster, *strip, 100 * i)) {
      return image.Fail("Failed to render strip %d of %d.", i + 1, strips);
    }
  }
  const int first = 100 * strips, last = setup.height - 1;
  if (last < first) return true;
  PixelImage strip(djvu_render(&setup.options, setup.page, s, 0, first, setup.width - 1, last));
  if (!strip || !CopyStrip(image.raster, *strip, first)) {
    return image.Fail("Failed to render the last strip.");
  }
  return true;
}

bool RenderScaled(DibImage& image, const RenderSetup& setup) {
  const int s = setup.s;
  const int rows = std::max(10, 100 / s), source = rows * s;
  const int strips = setup.H / source;
  const int right = setup.width * s - 1;
  for (int i = 0; i < strips; ++i) {
    PixelImage strip(djvu_render_scaled(&setup.options, setup.page, 0, source * i, right,
                                        source * i + source - 1, 0, setup.width, rows));
    if (!strip || !CopyStrip(image.raster, *strip, rows * i)) {
      return image.Fail("Failed to render strip %d of %d.", i + 1, strips);
    }
  }
  int done = strips * rows, at = done;
  const int total = setup.height, left = (total - done) % s;
  // Start the last strip earlier so that its height is a whole number of
  // reductions, when there are that many rows above the page's first row.
  if (left != 0 && done >= s - left) {
    done += left - s;
    at -= s - left;
  }
  if (done >= total) return true;
  PixelImage strip(djvu_render_scaled(&setup.options, setup.page, 0, done * s, right, total * s - 1,
                                      0, setup.width, total - done));
  if (!strip || !CopyStrip(image.raster, *strip, at)) {
    return image.Fail("Failed to render the last strip.");
  }
  return true;
}

bool RenderPixels(DibImage& image, int layer, int depth, int zoom, double gamma) {
  DibRaster& raster = image.raster;
  raster.clearKeepingPage();
  RenderSetup setup{};
  djvu_render_options_default(&setup.options, sizeof setup.options);
  if (gamma >= 0.1 && gamma <= 10.0) setup.options.gamma = static_cast<float>(gamma);
  const bool direct = layer == kDjvuLayerColor && zoom > -12;
  if (!direct) {
    if (depth >= 1 && depth <= 24 && layer != kDjvuLayerMask) setup.options.depth = depth;
    setup.options.layer = layer >= 0 && layer <= 3 ? layer : kDjvuLayerColor;
  }
  setup.s = zoom >= 0 ? 1 : 1 - zoom;
  setup.page = raster.pageLink.get();
  if (setup.page) {
    setup.W = static_cast<int>(setup.page->page_width);
    setup.H = static_cast<int>(setup.page->page_height);
  }
  setup.width = setup.W / setup.s;
  setup.height = setup.H / setup.s;

  // The first two rows (one on a page of one row) tell the kind of pixels.
  const int sampleRows = std::min(setup.H, 2);
  PixelImage sample(djvu_render_scaled(&setup.options, setup.page, 0, 0, setup.W - 1,
                                       sampleRows - 1, 0, setup.W, sampleRows));
  if (!sample || setup.width <= 0 || setup.height <= 0) {
    return image.Fail("Failed to render sample area.");
  }
  if (!PrepareRaster(image, setup, *sample)) return false;
  sample.reset();
  const bool rendered = direct ? RenderDirect(image, setup) : RenderScaled(image, setup);
  if (!rendered) raster.clearKeepingPage();
  return rendered;
}

}  // namespace

bool RenderDjvu(DibImage& image, int layer, int depth, int zoom, double gamma) {
  const CodecErrorCapture errors;
  if (RenderPixels(image, layer, depth, zoom, gamma)) return true;
  if (errors.HasCause()) AddCause(image, errors);
  return false;
}

}  // namespace leaf
