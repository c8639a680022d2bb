// The layer's working reference to a pixel image: validates the record when
// made, knows how many bytes of its buffer are in use, grows the buffer for
// an operation's result and compacts it again when a modifying reference is
// released.
#pragma once

#include <cstddef>
#include <memory>

#include "djvu_image.h"

namespace djvu {

inline constexpr char kPixImageSource[] = "libAPI/PixImage";

// Raises the layer's exception with a pixel-image source location.
#define DJVU_PIX_THROW(message) ::djvu::Throw(message, ::djvu::kPixImageSource, __LINE__)

// Bytes per canonical pixel: 1 for gray, 3 for colour.
inline unsigned CanonicalPixsize(const djvu_pixel_image& img) {
  return (img.flags & DJVU_GRAY) ? 1u : 3u;
}

// Bytes from data to the end of the last pixel, 0 without data.
size_t UsedLength(const djvu_pixel_image& img);

// Throws the first validation failure of the record.
void Validate(const djvu_pixel_image& img);

// w * h * pixsize as a byte count; throws when it cannot be addressed.
size_t CanonicalSize(size_t w, size_t h, unsigned pixsize);

// Row size w * pixsize; throws when it does not fit the record's field.
unsigned CanonicalRowsize(size_t w, unsigned pixsize);

// Releases the buffer when the layer owns it (layer or object heap).
void ReleaseOwnedBuffer(djvu_pixel_image& img);

class PixelImageRef {
 public:
  // kFill is a record that receives a result: it is not validated.
  enum Access { kReadOnly, kModify, kFill };

  // Validates the image (throws on failure) unless it is to be filled.
  PixelImageRef(djvu_pixel_image& img, Access access);
  // A modifying reference compacts the buffer.
  ~PixelImageRef();
  PixelImageRef(const PixelImageRef&) = delete;
  PixelImageRef& operator=(const PixelImageRef&) = delete;

  djvu_pixel_image& image() const { return img_; }
  size_t used() const { return used_; }

  // Makes at least n bytes available from data on (offset becomes 0 and the
  // buffer the layer's); does nothing when n bytes are already in use.
  void Grow(size_t n);

  // The buffer was released or replaced by the caller of this reference.
  void SetUsed(size_t n) { used_ = n; }

 private:
  void Compact() noexcept;

  djvu_pixel_image& img_;
  size_t used_;
  bool modify_;
};

// A layer-made image that is released (buffer and record) unless handed out.
struct PixelImageDeleter {
  void operator()(djvu_pixel_image* img) const;
};
using OwnedPixelImage = std::unique_ptr<djvu_pixel_image, PixelImageDeleter>;

// A new zeroed record.
OwnedPixelImage NewPixelImage();

}  // namespace djvu
