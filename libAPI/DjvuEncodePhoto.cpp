// djvu_encode_photo: an IW44 file, or a bilevel page for black-and-white
// content.
#include <algorithm>
#include <cstdio>
#include <memory>

#include "ByteStream.h"
#include "DjvuOutput.h"
#include "GBitmap.h"
#include "GPixmap.h"
#include "IFFByteStream.h"
#include "IW44Image.h"
#include "Iw44Schedule.h"
#include "PageView.h"
#include "djvu_encode.h"
#include "djvu_error.h"
#include "djvu_options.h"

namespace {

constexpr const char* kSource = "libAPI/libdjvu";
// The codec's wavelet images round their sides up to 32 and count their
// area in 32 bits.
constexpr unsigned kLargestSide = 65504;
// Photos are scheduled as a background at a third of the resolution.
constexpr int kPhotoSubsample = 3;

// True when every pixel is black or white: a gray sample of 0 or 255, a
// colour pixel of three 0s or three 255s (pure red is not black and white).
bool IsBlackAndWhite(const djvu_pixel_image& image, const djvu::PageView& view) {
  if ((image.flags & DJVU_GRAY) && (image.flags & DJVU_BILEVEL)) return true;
  const bool gray = (image.flags & DJVU_GRAY) != 0;
  for (int y = 0; y < view.height(); ++y) {
    const unsigned char* pixel = view.row(y);
    for (int x = 0; x < view.width(); ++x, pixel += view.pixsize()) {
      if (pixel[0] != 0 && pixel[0] != 255) return false;
      if (!gray && (pixel[1] != pixel[0] || pixel[2] != pixel[0])) return false;
    }
  }
  return true;
}

int EncodeBlackAndWhite(const djvu_pixel_image& image, djvu_output_routine output, void* context,
                        void* progressArg) {
  djvu_run_image* runs = djvu_pixel_to_run_image(&image);
  if (!runs) return -1;
  djvu_encode_options options = djvu_encode_options_default();
  options.gamma = 2.2f;
  options.quality = 75;
  options.flags = DJVU_LOSSLESS | DJVU_NO_THICKEN;
  options.fg_dpi = 25;
  options.bg_dpi = 100;
  // The caller's progress argument goes on: its handler expects it.
  options.progress_arg = progressArg;
  const int result = djvu_encode(&options, runs, nullptr, output, context);
  djvu_run_image_free(runs);
  return result;
}

IW44Image::CRCBMode ChrominanceMode(unsigned crcb) {
  switch (crcb & 3) {
    case DJVU_CRCB_FULL: return IW44Image::CRCBfull;
    case DJVU_CRCB_NONE: return IW44Image::CRCBnone;
    case DJVU_CRCB_HALF: return IW44Image::CRCBhalf;
    default: return IW44Image::CRCBnormal;
  }
}

GP<IW44Image> ColourCoder(const djvu::PageView& view, double correction, unsigned crcb) {
  GP<GPixmap> pixmap = GPixmap::create(view.height(), view.width());
  for (int y = 0; y < view.height(); ++y) {
    const unsigned char* pixel = view.row(y);
    GPixel* out = (*pixmap)[y];
    for (int x = 0; x < view.width(); ++x, pixel += view.pixsize()) {
      out[x].r = pixel[view.red()];
      out[x].g = pixel[view.green()];
      out[x].b = pixel[view.blue()];
    }
  }
  pixmap->color_correct(correction);
  return IW44Image::create_encode(*pixmap, nullptr, ChrominanceMode(crcb));
}

// The codec's gray bitmaps count ink upwards: samples are inverted, after
// the same gamma correction colour pixels get.
GP<IW44Image> GrayCoder(const djvu::PageView& view, double correction) {
  GPixel levels[256];
  for (int v = 0; v < 256; ++v)
    levels[v].r = levels[v].g = levels[v].b = static_cast<unsigned char>(v);
  GPixmap::color_correct(correction, levels, 256);
  GP<GBitmap> bitmap = GBitmap::create(view.height(), view.width());
  bitmap->set_grays(256);
  for (int y = 0; y < view.height(); ++y) {
    const unsigned char* pixel = view.row(y);
    unsigned char* out = (*bitmap)[y];
    for (int x = 0; x < view.width(); ++x, pixel += view.pixsize()) {
      out[x] = static_cast<unsigned char>(255 - levels[pixel[0]].g);
    }
  }
  return IW44Image::create_encode(*bitmap, nullptr);
}

int EncodePhoto(const djvu_photo_options* given, const djvu_pixel_image* image,
                djvu_output_routine output, void* context) {
  if (!output && !context) context = stdout;
  djvu_photo_options options = djvu::TakeOptions(given, djvu_photo_options_default());
  if (!(options.gamma > 0)) options.gamma = 2.2f;
  if (options.quality > 100) options.quality = 100;
  const double correction = std::clamp(2.2 / options.gamma, 0.1, 10.0);
  void* const arg = options.progress_arg;
  if (!image) djvu::Throw("djvu_encode_photo: djvu_pixel_image is required", kSource, __LINE__);
  if (image->w == 0 || image->h == 0 || image->w > kLargestSide || image->h > kLargestSide) {
    djvu::Throw("djvu_encode_photo: image size must be 1 to 65504 pixels", kSource, __LINE__);
  }

  djvu::ReportProgress("Encode Photo", 0, arg);
  const djvu::PageView view(*image, kSource);
  if (IsBlackAndWhite(*image, view)) return EncodeBlackAndWhite(*image, output, context, arg);

  const bool gray = (image->flags & DJVU_GRAY) != 0;
  GP<IW44Image> coder =
      gray ? GrayCoder(view, correction) : ColourCoder(view, correction, options.crcb);

  djvu::ReportProgress("Compress Photo", 50, arg);
  GP<ByteStream> stream = ByteStream::create();
  GP<IFFByteStream> iff = IFFByteStream::create(stream);
  const djvu::Iw44Schedule schedule = djvu::MakeIw44Schedule(options.quality, kPhotoSubsample);
  coder->encode_iff(*iff, djvu::kScheduleChunks, schedule.chunks.data());
  iff->flush();
  djvu::ReportProgress("Compressed Photo", 100, arg);
  djvu::HandOver(*stream, output, context);
  return 0;
}

}  // namespace

djvu_photo_options djvu_photo_options_default() {
  djvu_photo_options options{};
  options.size = sizeof(djvu_photo_options);
  options.gamma = 2.2f;
  options.quality = 75;
  options.crcb = DJVU_CRCB_NORMAL;
  options.progress_arg = nullptr;
  return options;
}

int djvu_encode_photo(const djvu_photo_options* options, const djvu_pixel_image* image,
                      djvu_output_routine output, void* context) {
  return djvu::Guard(-1, [&] { return EncodePhoto(options, image, output, context); });
}
