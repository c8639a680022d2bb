#include "PixelImageRef.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>

#include "djvu_error.h"

namespace djvu {

size_t UsedLength(const djvu_pixel_image& img) {
  if (!img.data) return 0;
  if (img.w == 0 || img.h == 0) return img.offset;
  return (size_t{img.h} - 1) * img.rowsize + size_t{img.pixsize} * img.w + img.offset;
}

void Validate(const djvu_pixel_image& img) {
  const bool gray = (img.flags & DJVU_GRAY) != 0;
  if (gray && img.pixsize == 0) {
    DJVU_PIX_THROW("Gray Pixel images must have pixsize greater than 0");
  }
  if (!gray && img.pixsize < 3) {
    DJVU_PIX_THROW("Color Pixel images must have pixsize greater than 2");
  }
  if (!gray && (img.flags & DJVU_RGB) && (img.flags & DJVU_BGR)) {
    DJVU_PIX_THROW("The image can not be both RGB and BGR");
  }
  if (!gray && !(img.flags & (DJVU_RGB | DJVU_BGR))) {
    DJVU_PIX_THROW("Pixel images must be one of GRAY, RGB, or BGR");
  }
  if (size_t{img.rowsize} < size_t{img.w} * img.pixsize) {
    DJVU_PIX_THROW("Rowsize must be at least w*pixsize.");
  }
  if (img.w != 0 && img.h != 0 && !img.data) DJVU_PIX_THROW("No Pixel Image Data Is Present");
}

size_t CanonicalSize(size_t w, size_t h, unsigned pixsize) {
  // Buffers are addressed with signed offsets by the codec: stay below 2^62.
  constexpr size_t kLimit = size_t{1} << 62;
  if (w != 0 && h > kLimit / w / pixsize) DJVU_PIX_THROW("Failed to allocate memory");
  return w * h * pixsize;
}

unsigned CanonicalRowsize(size_t w, unsigned pixsize) {
  if (w * pixsize > UINT_MAX) DJVU_PIX_THROW("Failed to allocate memory");
  return static_cast<unsigned>(w * pixsize);
}

void ReleaseOwnedBuffer(djvu_pixel_image& img) {
  if (img.alloc_tag == DJVU_ALLOC_LAYER) {
    _djvu_free(img.data);
  } else if (img.data && img.alloc_tag == reinterpret_cast<intptr_t>(img.data)) {
    delete[] img.data;
  } else {
    return;
  }
  img.data = nullptr;
  img.alloc_tag = 0;
}

PixelImageRef::PixelImageRef(djvu_pixel_image& img, Access access)
    : img_(img), used_(0), modify_(access != kReadOnly) {
  if (access != kFill) Validate(img);
  used_ = UsedLength(img);
}

PixelImageRef::~PixelImageRef() { Compact(); }

void PixelImageRef::Grow(size_t n) {
  if (used_ >= n) return;
  djvu_pixel_image& img = img_;
  const size_t keep = img.data ? used_ - std::min<size_t>(img.offset, used_) : 0;
  unsigned char* grown = nullptr;
  if (!img.data) {
    grown = static_cast<unsigned char*>(_djvu_malloc(n));
    if (!grown) DJVU_PIX_THROW("_djvu_malloc failed");
  } else if (img.alloc_tag == DJVU_ALLOC_LAYER) {
    grown = static_cast<unsigned char*>(_djvu_realloc(img.data, n));
    if (!grown) DJVU_PIX_THROW("_djvu_realloc failed");
    if (img.offset && keep) std::memmove(grown, grown + img.offset, keep);
  } else if (img.alloc_tag == reinterpret_cast<intptr_t>(img.data)) {
    grown = static_cast<unsigned char*>(_djvu_malloc(n));
    if (!grown) DJVU_PIX_THROW("_djvu_malloc failed");
    if (keep) std::memcpy(grown, img.data + img.offset, keep);
    delete[] img.data;
  } else {
    DJVU_PIX_THROW("Can only increase the size of internally generated images");
  }
  img.data = grown;
  img.offset = 0;
  img.alloc_tag = DJVU_ALLOC_LAYER;
  used_ = n;
}

void PixelImageRef::Compact() noexcept {
  djvu_pixel_image& img = img_;
  if (!modify_ || !img.data) return;
  const size_t need = size_t{img.rowsize} * img.h;
  if (used_ <= need) return;
  const size_t offset = std::min<size_t>(img.offset, used_);
  const size_t keep = std::min(need, used_ - offset);
  if (offset && keep) std::memmove(img.data, img.data + offset, keep);
  if (img.alloc_tag == DJVU_ALLOC_LAYER) {
    if (void* shrunk = _djvu_realloc(img.data, keep))
      img.data = static_cast<unsigned char*>(shrunk);
  } else if (img.alloc_tag == reinterpret_cast<intptr_t>(img.data) &&
             !(offset == 0 && used_ < 2 * need)) {
    if (auto* copy = static_cast<unsigned char*>(_djvu_malloc(keep))) {
      std::memcpy(copy, img.data, keep);
      delete[] img.data;
      img.data = copy;
      img.alloc_tag = DJVU_ALLOC_LAYER;
    }
  }
  img.offset = 0;
  used_ = keep;
}

void PixelImageDeleter::operator()(djvu_pixel_image* img) const {
  if (!img) return;
  ReleaseOwnedBuffer(*img);
  delete img;
}

OwnedPixelImage NewPixelImage() { return OwnedPixelImage(new djvu_pixel_image{}); }

}  // namespace djvu
