// Canonical form: bottom-up rows, BGR or one gray byte per pixel, packed rows
// from the start of the buffer. It is the codec's own layout.
#include <algorithm>
#include <cstring>
#include <vector>

#include "PixelOps.h"
#include "djvu_error.h"

namespace djvu {

namespace {

// Copies one row of w pixels from a source layout into packed canonical
// pixels. Safe when dst lies at or before src in the same buffer.
void CopyRowCanonical(const unsigned char* src, unsigned srcPixsize, bool rgb, unsigned char* dst,
                      unsigned pixsize, unsigned w) {
  if (rgb) {
    for (unsigned x = 0; x < w; ++x, src += srcPixsize, dst += 3) {
      const unsigned char r = src[0], g = src[1], b = src[2];
      dst[0] = b;
      dst[1] = g;
      dst[2] = r;
    }
  } else if (srcPixsize == pixsize) {
    if (dst != src) std::memmove(dst, src, size_t{w} * pixsize);
  } else if (pixsize == 1) {
    for (unsigned x = 0; x < w; ++x, src += srcPixsize) *dst++ = *src;
  } else {
    for (unsigned x = 0; x < w; ++x, src += srcPixsize, dst += 3) std::memmove(dst, src, 3);
  }
}

void ReverseRows(unsigned char* data, unsigned rowsize, unsigned h) {
  std::vector<unsigned char> scratch(rowsize);
  for (unsigned i = 0, j = h - 1; i < j; ++i, --j) {
    unsigned char* a = data + size_t{i} * rowsize;
    unsigned char* b = data + size_t{j} * rowsize;
    std::memcpy(scratch.data(), a, rowsize);
    std::memcpy(a, b, rowsize);
    std::memcpy(b, scratch.data(), rowsize);
  }
}

unsigned CanonicalFlags(unsigned flags) {
  if (flags & DJVU_RGB) flags = (flags & ~unsigned{DJVU_RGB}) | DJVU_BGR;
  return flags;
}

void CopyResolution(const djvu_pixel_image& source, djvu_pixel_image& dest) {
  if ((source.flags & DJVU_HAS_DPI) && source.xres && source.yres) {
    dest.flags |= DJVU_HAS_DPI;
    dest.xres = source.xres;
    dest.yres = source.yres;
  }
}

}  // namespace

void NormalizeInto(const djvu_pixel_image& sourceRecord, PixelImageRef& dest) {
  const djvu_pixel_image source = sourceRecord;  // the layout before any change
  djvu_pixel_image& d = dest.image();
  const bool inPlace = &sourceRecord == &d;
  const unsigned pixsize = CanonicalPixsize(source);
  const size_t size = CanonicalSize(source.w, source.h, pixsize);
  const unsigned rowsize = CanonicalRowsize(source.w, pixsize);
  if (!inPlace) {
    d.flags = source.flags;
    if (!d.data) {
      d.alloc_tag = DJVU_ALLOC_LAYER;
      if (size) {
        d.data = static_cast<unsigned char*>(_djvu_malloc(size));
        if (!d.data) DJVU_PIX_THROW("Failed to allocate memory");
      }
      dest.SetUsed(size);
    } else {
      dest.Grow(size);
    }
    d.w = source.w;
    d.h = source.h;
  }
  d.pixsize = pixsize;
  d.rowsize = rowsize;
  d.offset = 0;
  if (size == 0) return;

  const bool rgb = (source.flags & DJVU_RGB) && !(source.flags & DJVU_GRAY);
  if (rgb) d.flags = CanonicalFlags(d.flags);
  const unsigned char* from = source.data + source.offset;
  if (!rgb && source.pixsize == pixsize && source.rowsize == rowsize) {
    if (d.data != from) std::memmove(d.data, from, size);
  } else {
    for (unsigned r = 0; r < source.h; ++r) {
      CopyRowCanonical(from + size_t{r} * source.rowsize, source.pixsize, rgb,
                       d.data + size_t{r} * rowsize, pixsize, source.w);
    }
  }
  if (!(d.flags & DJVU_BOTTOMUP)) {
    ReverseRows(d.data, rowsize, d.h);
    d.flags |= DJVU_BOTTOMUP;
  }
  CopyResolution(source, d);
}

OwnedPixelImage CanonicalCopy(const djvu_pixel_image& img) {
  OwnedPixelImage copy = NewPixelImage();
  {
    PixelImageRef source(const_cast<djvu_pixel_image&>(img), PixelImageRef::kReadOnly);
    PixelImageRef dest(*copy, PixelImageRef::kFill);
    NormalizeInto(img, dest);
  }
  return copy;
}

void Extract(const djvu_pixel_image& src, PixelImageRef& dst, int x0, int y0, int x1, int y1) {
  PixelImageRef source(const_cast<djvu_pixel_image&>(src), PixelImageRef::kReadOnly);
  const auto clampTo = [](int v, unsigned size) {
    return static_cast<unsigned>(std::clamp<long long>(v, 0, size ? size - 1LL : 0));
  };
  const unsigned left = clampTo(std::min(x0, x1), src.w);
  const unsigned right = clampTo(std::max(x0, x1), src.w);
  const unsigned bottom = clampTo(std::min(y0, y1), src.h);
  const unsigned top = clampTo(std::max(y0, y1), src.h);
  const unsigned w = src.w && src.h ? right - left + 1 : 0;
  const unsigned h = src.w && src.h ? top - bottom + 1 : 0;
  const unsigned pixsize = CanonicalPixsize(src);
  const size_t size = CanonicalSize(w, h, pixsize);

  djvu_pixel_image& d = dst.image();
  if (&d == &src) {
    // Extracting an image into itself: build beside it, then swap buffers.
    OwnedPixelImage part = NewPixelImage();
    {
      PixelImageRef partRef(*part, PixelImageRef::kFill);
      Extract(src, partRef, x0, y0, x1, y1);
    }
    ReleaseOwnedBuffer(d);
    std::swap(d, *part);
    dst.SetUsed(UsedLength(d));
    return;
  }
  if (!d.data) {
    d.alloc_tag = DJVU_ALLOC_LAYER;
    if (size) {
      d.data = static_cast<unsigned char*>(_djvu_malloc(size));
      if (!d.data) DJVU_PIX_THROW("Failed to allocate memory");
    }
    dst.SetUsed(size);
  } else {
    dst.Grow(size);
  }
  d.flags = CanonicalFlags(src.flags) | DJVU_BOTTOMUP;
  d.w = w;
  d.h = h;
  d.pixsize = pixsize;
  d.rowsize = CanonicalRowsize(w, pixsize);
  d.offset = 0;
  d.xres = src.xres;
  d.yres = src.yres;
  if (size == 0) return;
  const bool rgb = (src.flags & DJVU_RGB) && !(src.flags & DJVU_GRAY);
  const bool bottomUp = (src.flags & DJVU_BOTTOMUP) != 0;
  for (unsigned r = 0; r < h; ++r) {
    const unsigned y = bottom + r;
    const unsigned stored = bottomUp ? y : src.h - 1 - y;
    const unsigned char* from =
        src.data + src.offset + size_t{stored} * src.rowsize + size_t{left} * src.pixsize;
    CopyRowCanonical(from, src.pixsize, rgb, d.data + size_t{r} * d.rowsize, pixsize, w);
  }
}

}  // namespace djvu
