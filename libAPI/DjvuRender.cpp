// Rendering a rectangle of a decoded page, for one layer, at a reduction.
#include <algorithm>
#include <climits>
#include <cstring>

#include "DecodedPage.h"
#include "GBitmap.h"
#include "GPixmap.h"
#include "PixelOps.h"
#include "djvu_error.h"
#include "djvu_options.h"

namespace djvu {

namespace {

[[noreturn]] void Fail(const char* message, int line) { Throw(message, kLibdjvuSource, line); }

// The codec reduces by at most 12; a larger reduction s is split into d
// (done by the codec) and e (box-averaged afterwards).
struct Reduction {
  int codec;
  int rest;
};
Reduction SplitReduction(int s) {
  if (s <= 12) return {s, 1};
  for (int d = 12; d >= 2; --d) {
    if (s % d == 0) return {d, s / d};
  }
  return {s, 1};
}

int CeilDiv(long long a, long long b) { return static_cast<int>((a + b - 1) / b); }

// A new layer-made pixel image with a packed buffer of w x h pixels.
OwnedPixelImage NewImage(unsigned flags, unsigned w, unsigned h, unsigned pixsize,
                         unsigned rowsize) {
  OwnedPixelImage img = NewPixelImage();
  img->flags = flags;
  img->w = w;
  img->h = h;
  img->pixsize = pixsize;
  img->rowsize = rowsize;
  img->alloc_tag = DJVU_ALLOC_LAYER;
  img->data = static_cast<unsigned char*>(_djvu_malloc(size_t{rowsize} * h));
  if (!img->data) Fail("Failed to allocate memory", __LINE__);
  return img;
}

// The mask as gray: level i of g (0 white .. g - 1 black) through a table.
OwnedPixelImage MaskImage(GBitmap& bitmap, int layer) {
  const int grays = std::max(2, bitmap.get_grays());
  unsigned char table[256];
  bool bilevel = true;
  for (int i = 0; i < 256; ++i) {
    const int level = std::min(i, grays - 1);
    if (layer == DJVU_LAYER_MASK) {
      table[i] = level == grays - 1 ? 0 : 255;
    } else {
      table[i] = static_cast<unsigned char>((grays - 1 - level) * 255 / (grays - 1));
      bilevel = bilevel && (table[i] == 0 || table[i] == 255);
    }
  }
  const unsigned w = bitmap.columns(), h = bitmap.rows();
  // Only a mask that really is black and white says so: scaling keeps such
  // images black and white, and must not do that to anti-aliased masks.
  const unsigned flags = DJVU_GRAY | DJVU_BOTTOMUP | (bilevel ? unsigned{DJVU_BILEVEL} : 0u);
  OwnedPixelImage img = NewImage(flags, w, h, 1, w);
  for (unsigned r = 0; r < h; ++r) {
    const unsigned char* in = bitmap[static_cast<int>(r)];
    unsigned char* out = img->data + size_t{r} * w;
    if (grays == 2) {
      // Full-size masks, the bulk of the work: ink 1 is black, 0 white.
      for (unsigned x = 0; x < w; ++x) out[x] = static_cast<unsigned char>((in[x] != 0) - 1);
    } else {
      for (unsigned x = 0; x < w; ++x) out[x] = table[in[x]];
    }
  }
  return img;
}

OwnedPixelImage ColourImage(GPixmap& pixmap) {
  const unsigned w = pixmap.columns(), h = pixmap.rows();
  OwnedPixelImage img = NewImage(DJVU_BGR | DJVU_BOTTOMUP, w, h, 3, CanonicalRowsize(w, 3));
  static_assert(sizeof(GPixel) == 3, "GPixel holds blue, green, red");
  for (unsigned r = 0; r < h; ++r) {
    std::memcpy(img->data + size_t{r} * img->rowsize, pixmap[static_cast<int>(r)], size_t{w} * 3);
  }
  return img;
}

OwnedPixelImage WhiteImage(int x0, int y0, int x1, int y1) {
  const unsigned w = static_cast<unsigned>(x1 - x0 + 1), h = static_cast<unsigned>(y1 - y0 + 1);
  if (w >= UINT_MAX) Fail("Failed to allocate memory", __LINE__);
  OwnedPixelImage img = NewImage(DJVU_GRAY | DJVU_BOTTOMUP, w, h, 1, w + 1);
  std::memset(img->data, 255, size_t{img->rowsize} * h);
  return img;
}

// True when the codec can composite the page in colour: that takes a
// background. A mask with foreground colours alone renders as a stencil.
bool HasColour(const DjVuImage& page) { return page.get_bg44() || page.get_bgpm(); }

bool AllPixelsGray(const djvu_pixel_image& img) {
  for (unsigned r = 0; r < img.h; ++r) {
    const unsigned char* p = img.data + size_t{r} * img.rowsize;
    for (unsigned x = 0; x < img.w; ++x, p += 3) {
      if (p[0] != p[1] || p[1] != p[2]) return false;
    }
  }
  return true;
}

djvu_pixel_image* Render(const djvu_render_options* callerOptions,
                         const djvu_halfcoded_image* image, int s, int x0, int y0, int x1, int y1) {
  if (s < 1) Fail("Non-posative subsample value", __LINE__);
  const Reduction reduction = SplitReduction(s);
  const int d = reduction.codec, e = reduction.rest;
  if (!image) Fail("djvu_render: djvu_halfcoded_image is required", __LINE__);
  // Inclusive corners: a single row or column is a rectangle too.
  if (x1 < x0 || y1 < y0) Fail("Invalid rectangle specified.", __LINE__);
  djvu_render_options options = TakeOptions(callerOptions, DefaultRenderOptions());
  if (options.gamma <= 0) options.gamma = 2.2f;
  if (options.depth < 1) options.depth = 24;

  const long long pageW = image->page_width, pageH = image->page_height;
  if (!(options.flags & DJVU_RENDER_WHOLE_PAGE) && x0 == 0 && y0 == 0 && x1 == pageW / s &&
      y1 == pageH / s) {
    options.flags |= DJVU_RENDER_WHOLE_PAGE;
  }
  // The rectangle at the codec's reduction d, clipped to the reduced page
  // (the codec refuses rectangles that reach past the page).
  GRect rect;
  rect.xmin = static_cast<int>(std::max(0LL, static_cast<long long>(x0) * e));
  rect.ymin = static_cast<int>(std::max(0LL, static_cast<long long>(y0) * e));
  rect.xmax = static_cast<int>(std::min<long long>((x1 + 1LL) * e, CeilDiv(pageW, d)));
  rect.ymax = static_cast<int>(std::min<long long>((y1 + 1LL) * e, CeilDiv(pageH, d)));
  if (rect.xmax <= rect.xmin || rect.ymax <= rect.ymin) {
    Fail("Invalid rectangle specified.", __LINE__);
  }
  if (!image->page || !image->page->image) {
    Fail("djvu_render: djvu_halfcoded_image is corrupted", __LINE__);
  }
  const DjVuImage& page = *image->page->image;
  // The whole page at reduction d, as the codec's own viewers ask for it.
  const GRect all(0, 0, static_cast<unsigned>(CeilDiv(pageW, d)),
                  static_cast<unsigned>(CeilDiv(pageH, d)));

  OwnedPixelImage result;
  const int layer = options.layer;
  if (layer == DJVU_LAYER_MASK || !HasColour(page)) {
    const GP<GBitmap> bitmap = page.get_bitmap(rect, all);
    if (!bitmap) Fail("djvu_render: djvu image is corrupted", __LINE__);
    result = MaskImage(*bitmap, layer);
  } else {
    GP<GPixmap> pixmap;
    const double gamma = options.gamma;
    if (layer == DJVU_LAYER_COLOR) {
      pixmap = page.get_pixmap(rect, all, gamma);
      if (!pixmap) Fail("djvu_render: djvu image is corrupted", __LINE__);
    } else if (layer == DJVU_LAYER_BACKGROUND) {
      pixmap = page.get_bg_pixmap(rect, all, gamma);
    } else if (layer == DJVU_LAYER_FOREGROUND) {
      pixmap = page.get_fg_pixmap(rect, all, gamma);
    } else {
      Fail("Unrecognized layer", __LINE__);
    }
    if (!pixmap) {
      result = WhiteImage(x0, y0, x1, y1);
    } else {
      if (options.depth < 15) {
        pixmap->ordered_666_dither(rect.xmin, rect.ymin);
      } else if (options.depth < 24) {
        pixmap->ordered_32k_dither(rect.xmin, rect.ymin);
      }
      result = ColourImage(*pixmap);
    }
  }

  djvu_pixel_image& img = *result;
  const bool wholePage = (options.flags & DJVU_RENDER_WHOLE_PAGE) ||
                         (x0 == 0 && y0 == 0 && x1 == CeilDiv(pageW, s) && y1 == CeilDiv(pageH, s));
  bool turnedGray = false;
  if (wholePage && !(img.flags & DJVU_GRAY) && AllPixelsGray(img)) {
    img.flags = (img.flags & ~unsigned{DJVU_BGR}) | DJVU_GRAY;
    turnedGray = true;
  }
  if (image->resolution) {
    // At the codec's reduction; box-averaging by e below divides further.
    img.flags |= DJVU_HAS_DPI;
    img.xres = img.yres = static_cast<unsigned>((d + 2LL * image->resolution) / (2LL * d));
  }
  if (e > 1 || turnedGray) {
    PixelImageRef ref(img, PixelImageRef::kModify);
    NormalizeInto(img, ref);
    if (e > 1) SubsampleCanonical(ref, e);
  }
  return result.release();
}

}  // namespace

}  // namespace djvu

djvu_pixel_image* djvu_render(const djvu_render_options* options, const djvu_halfcoded_image* image,
                              int subsample, int x0, int y0, int x1, int y1) {
  return djvu::Guard<djvu_pixel_image*>(
      nullptr, [&] { return djvu::Render(options, image, subsample, x0, y0, x1, y1); });
}
