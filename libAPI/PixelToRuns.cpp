// A black-and-white pixel image becomes a run image by streaming it, top row
// first, as a binary graymap or pixmap into the PNM run reader.
#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "PixelOps.h"
#include "PnmStream.h"
#include "djvu_error.h"

namespace djvu {

namespace {

// Produces the bytes of a binary PGM (gray) or PPM (colour, red-green-blue)
// of the image on demand, one row at a time.
class PnmSource {
 public:
  explicit PnmSource(const djvu_pixel_image& img) : img_(img) {
    const bool gray = (img.flags & DJVU_GRAY) != 0;
    channels_ = gray ? 1 : 3;
    char header[64];
    std::snprintf(header, sizeof header, "%s\n%u %u\n255\n", gray ? "P5" : "P6", img.w, img.h);
    pending_.assign(header, header + std::strlen(header));
  }

  static size_t Read(void* context, unsigned char* buffer, size_t length) {
    return static_cast<PnmSource*>(context)->Fill(buffer, length);
  }

 private:
  size_t Fill(unsigned char* buffer, size_t length) {
    size_t filled = 0;
    while (filled < length) {
      if (taken_ == pending_.size()) {
        if (!NextRow()) break;
      }
      const size_t n = std::min(length - filled, pending_.size() - taken_);
      std::memcpy(buffer + filled, pending_.data() + taken_, n);
      taken_ += n;
      filled += n;
    }
    return filled;
  }

  bool NextRow() {
    if (row_ >= img_.h || img_.w == 0) return false;
    const unsigned stored = (img_.flags & DJVU_BOTTOMUP) ? img_.h - 1 - row_ : row_;
    const unsigned char* in = img_.data + img_.offset + size_t{stored} * img_.rowsize;
    pending_.resize(size_t{img_.w} * channels_);
    unsigned char* out = pending_.data();
    const bool bgr = channels_ == 3 && !(img_.flags & DJVU_RGB);
    for (unsigned x = 0; x < img_.w; ++x, in += img_.pixsize) {
      if (channels_ == 1) {
        *out++ = in[0];
      } else {
        *out++ = in[bgr ? 2 : 0];
        *out++ = in[1];
        *out++ = in[bgr ? 0 : 2];
      }
    }
    taken_ = 0;
    ++row_;
    return true;
  }

  const djvu_pixel_image& img_;
  unsigned channels_;
  std::vector<unsigned char> pending_;
  size_t taken_ = 0;
  unsigned row_ = 0;
};

unsigned SquaredSize(unsigned size, unsigned lowRes, unsigned highRes) {
  const unsigned long long n = (lowRes + 2ull * size * highRes) / (2ull * lowRes);
  if (n > UINT_MAX) DJVU_PIX_THROW("Failed to allocate memory");
  return static_cast<unsigned>(n);
}

}  // namespace

djvu_run_image* PixelToRunImage(const djvu_pixel_image& img) {
  PixelImageRef source(const_cast<djvu_pixel_image&>(img), PixelImageRef::kReadOnly);
  const bool hasDpi = (img.flags & DJVU_HAS_DPI) != 0;
  const djvu_pixel_image* use = &img;
  OwnedPixelImage square;
  // Runs carry one resolution: make the pixels square at the larger one.
  if (hasDpi && img.xres != img.yres && img.xres && img.yres) {
    const unsigned high = std::max(img.xres, img.yres);
    unsigned w = img.w, h = img.h;
    if (img.yres < img.xres) {
      h = SquaredSize(img.h, img.yres, img.xres);
    } else {
      w = SquaredSize(img.w, img.xres, img.yres);
    }
    square = TransformCopy(img, 0, w, h);
    square->xres = square->yres = high;
    use = square.get();
  }
  PnmSource pnm(*use);
  PnmStream stream(&PnmSource::Read, &pnm);
  return stream.ReadRunImage(hasDpi ? use->xres : 0, hasDpi ? use->yres : 0);
}

}  // namespace djvu
