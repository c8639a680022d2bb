#include "DjvuWriter.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <future>
#include <vector>

#include "AtomicFile.h"
#include "CodecErrorCapture.h"
#include "image/DepthConversions.h"
#include "image/Messages.h"
#include "image/PixelLimit.h"
#include "image/Resampling.h"
#include "image/Transforms.h"
#include "libAPI/djvu_error.h"
#include "libAPI/djvu_text.h"

namespace leaf {

namespace {

// Below this a resolution says nothing a DjVu page can use (aspect ratios
// such as 1 x 1, stored where a resolution belongs); such pages get the
// coding layer's default.
constexpr int kLowestUsableDpi = 25;
// INFO keeps the resolution in 16 bits.
constexpr int kHighestDpi = 65535;

// Dots per inch of one resolution in the raster's unit; 0 without a unit.
int DotsPerInch(int resolution, int unit) {
  if (unit == kResolutionUnitNone || resolution <= 0) return 0;
  if (unit == kResolutionUnitCentimetre) {
    return static_cast<int>(std::min(std::lround(resolution * 2.54), long{INT32_MAX}));
  }
  return resolution;
}

bool HasSquarePixels(const PageResolution& dpi) { return dpi.x == dpi.y; }

size_t WriteToFile(void* context, const void* buffer, size_t length) {
  return static_cast<AtomicFile*>(context)->Write(buffer, length) ? length : 0;
}

size_t AppendToBytes(void* context, const void* buffer, size_t length) {
  auto& bytes = *static_cast<std::vector<unsigned char>*>(context);
  const auto* begin = static_cast<const unsigned char*>(buffer);
  bytes.insert(bytes.end(), begin, begin + length);
  return length;
}

void ForwardProgress(const char* text, int percent, void* image) {
  if (image) static_cast<const DibImage*>(image)->ReportProgress(text, percent);
}

// Routes the coding layer's progress reports to the image's callback while
// a save runs, and puts the previous handler back afterwards.
class ProgressRoute {
 public:
  explicit ProgressRoute(const DibImage& image)
      : active_(image.hasProgressCallback()),
        previous_(active_ ? djvu_set_progress_handler(ForwardProgress) : nullptr) {}
  ~ProgressRoute() {
    if (active_) djvu_set_progress_handler(previous_);
  }
  ProgressRoute(const ProgressRoute&) = delete;
  ProgressRoute& operator=(const ProgressRoute&) = delete;

 private:
  bool active_;
  djvu_progress_handler previous_;
};

struct PixelImageDeleter {
  void operator()(djvu_pixel_image* image) const { djvu_pixel_image_free(image); }
};
using OwnedPixelImage = std::unique_ptr<djvu_pixel_image, PixelImageDeleter>;

bool SupportedDepth(int bits) { return bits == 1 || bits == 4 || bits == 8 || bits == 24; }

// Gray pages are coded with 0 as black.
void MakeGrayMinIsBlack(DibImage& image) {
  if (image.raster.grayFlag && image.raster.photometric == kPhotometricMinIsWhite) {
    image.ReportProgress("Reversing the photometric...", 0);
    ReversePhotometric(image);
  }
}

// The masks of djvu_mask mark black with bit 7 set; the encoder, given no
// page to compare with, takes bit 7 clear as black.
void InvertMaskSense(djvu_run_image& mask) {
  for (unsigned i = 0; i < mask.nruns; ++i) mask.runs[i] ^= 0x80;
}

// Opens the output, runs encode(file) and commits the file when it
// succeeded. encode reports its own failures; a failed write is named
// instead when there was one.
template <typename Encode>
bool WriteEncoded(const DibImage& image, const std::string& path, Encode encode) {
  AtomicFile file(path);
  if (!file.Open()) return FailToCreate(image, file);
  if (!encode(&file)) return file.error() ? FailToWrite(image, file) : false;
  if (!file.Commit()) return FailToWrite(image, file);
  return true;
}

// "Failed to encode the page: REASON.", the reason the coding layer gave.
bool FailToEncode(const DibImage& image, const CodecErrorCapture& errors) {
  return image.Fail("Failed to encode the page: %s.",
                    errors.Cause("the encoder gave no reason").c_str());
}

bool FailDepth(const DibImage& image, const char* format) {
  return image.Fail(
      "%s saving not supported for this color depth (%d bits per pixel; pictures of 1, 4, 8 "
      "and 24 bits are saved).",
      format, image.raster.bitsPerPixel);
}

// The largest resolution, for a page whose two differ.
int HigherResolution(const PageResolution& dpi) { return std::max(dpi.x, dpi.y); }

// A copy of the page resampled so that the direction of lower resolution
// reaches the higher one (a fax page at 204 x 98 dpi becomes 204 x 204 dpi
// and twice as tall): a DjVu page has one resolution, an IW44 file none.
bool MakeSquareCopy(const DibImage& image, const PageResolution& dpi, DibImage& square) {
  const DibRaster& r = image.raster;
  const int target = HigherResolution(dpi);
  const auto scaled = [target](int size, int resolution) {
    return static_cast<int>(std::min<int64_t>(
        (2 * int64_t{size} * target + resolution) / (2 * int64_t{resolution}), INT32_MAX));
  };
  if (!square.Clone(image)) return false;
  square.SetProgressCallback(image.progressCallback());
  image.ReportProgress("Resampling to square pixels...", 0);
  if (!Resize(square, scaled(r.width, dpi.x), scaled(r.height, dpi.y), kFavorGridCenter)) {
    const std::string reason = LastMessage();
    return image.Fail("%s", reason.c_str());
  }
  square.raster.xResolution = square.raster.yResolution = target;
  square.raster.resolutionUnit = kResolutionUnitInch;
  return true;
}

// Runs encode(output, context), which codes the page and hands it on; with
// ocr enabled, recognises the text of scanned (the page before it is
// enlarged scale times) on a second thread meanwhile, and hands on the coded
// page with the text added as its TXTz chunk.
template <typename Encode>
bool EncodeWithText(const DibImage& image, const OcrSettings& ocr, const djvu_pixel_image& scanned,
                    int scale, Encode encode, djvu_output_routine output, void* context) {
  if (!ocr.enabled) return encode(output, context);
  image.ReportProgress("Recognising the text beside the encoder...", 0);
  std::atomic<bool> stop{false};
  // When no thread can be started the text is recognised after the encoding.
  auto recognition = std::async(std::launch::async | std::launch::deferred, [&] {
    return RecognisePage(scanned, ocr.languages, scale, &stop);
  });
  std::vector<unsigned char> coded;
  const bool encoded = encode(AppendToBytes, &coded);
  if (!encoded) {
    // The recogniser stops at its next check; a recognition left for later
    // (no thread) never runs.
    stop = true;
    return false;
  }
  if (recognition.wait_for(std::chrono::seconds(0)) == std::future_status::timeout) {
    image.ReportProgress("Waiting for the text recognition...", 100);
  }
  const RecognisedText text = recognition.get();
  if (!text.ok) return image.Fail("Failed to add the text layer: %s", text.error.c_str());
  const std::string report =
      "Text layer: " + std::to_string(djvu_text_word_count(text.page)) + " words";
  image.ReportProgress(report.c_str(), 100);
  const CodecErrorCapture errors;
  return djvu_page_add_text(coded.data(), coded.size(), text.page, output, context) == 0 ||
         FailToEncode(image, errors);
}

}  // namespace

PageResolution DjvuResolution(const DibRaster& raster) {
  PageResolution dpi{DotsPerInch(raster.xResolution, raster.resolutionUnit),
                     DotsPerInch(raster.yResolution, raster.resolutionUnit)};
  if (dpi.x < kLowestUsableDpi || dpi.y < kLowestUsableDpi) return {};
  return dpi;
}

int MakePixelImage(const DibImage& image, djvu_pixel_image& pixels, PixelBlock& storage) {
  const DibRaster& raster = image.raster;
  if (raster.empty()) {
    image.Fail("There is no image to save.");
    return -1;
  }
  pixels.w = static_cast<unsigned>(raster.width);
  pixels.h = static_cast<unsigned>(raster.height);
  const PageResolution dpi = DjvuResolution(raster);
  pixels.xres = static_cast<unsigned>(dpi.x);
  pixels.yres = static_cast<unsigned>(dpi.y);
  pixels.flags = raster.rowOrder == kRowOrderBottomUp ? DJVU_BOTTOMUP : DJVU_TOPDOWN;
  if (dpi.x > 0) pixels.flags |= DJVU_HAS_DPI;
  const unsigned colour = raster.channelOrder == kChannelOrderRgb ? DJVU_RGB : DJVU_BGR;
  pixels.offset = 0;
  pixels.alloc_tag = 0;
  switch (raster.bitsPerPixel) {
    case 1:
      storage = ConvertToGray(image, raster, 0);
      if (storage.empty()) return -1;
      pixels.pixsize = 1;
      pixels.data = storage.data();
      pixels.rowsize = static_cast<unsigned>((8 * static_cast<size_t>(raster.width) + 31) / 32 * 4);
      pixels.flags |= DJVU_GRAY;
      return 1;
    case 8:
      if (raster.grayFlag) {
        pixels.pixsize = 1;
        pixels.data = const_cast<uint8_t*>(raster.pixels());
        pixels.rowsize = static_cast<unsigned>(raster.rowStride);
        pixels.flags |= DJVU_GRAY;
        return 0;
      }
      [[fallthrough]];
    case 4: {
      storage = IncreaseDepth(image, 24);
      if (storage.empty()) return -1;
      const size_t stride = RowStride(raster.width, 24);
      pixels.pixsize = 3;
      pixels.data = storage.data();
      pixels.offset = static_cast<unsigned>(storage.size() - stride * raster.height);
      pixels.rowsize = static_cast<unsigned>(stride);
      pixels.flags |= raster.bitsPerPixel == 4 ? DJVU_BGR : colour;
      return 1;
    }
    case 24:
      pixels.pixsize = 3;
      pixels.data = const_cast<uint8_t*>(raster.pixels());
      pixels.rowsize = static_cast<unsigned>(raster.rowStride);
      pixels.flags |= colour;
      return 0;
    default: FailDepth(image, "DjVu"); return -1;
  }
}

OwnedRunImage MakeRunImage(const DibImage& image) {
  const DibRaster& raster = image.raster;
  if (raster.bitsPerPixel != 1 || raster.empty()) {
    image.Fail("Run images are only made for 1-bit images.");
    return nullptr;
  }
  const size_t pixels = static_cast<size_t>(raster.width) * raster.height;
  // The first guess is a run per 40 pixels; the buffer grows by half of it
  // (at least 64 bytes) whenever it is full, so tiny images fit as well.
  const size_t first = pixels / 40;
  const size_t step = std::max<size_t>(first / 2, 64);
  size_t capacity = std::max<size_t>(first, 1);
  struct Free {
    void operator()(unsigned char* p) const { _djvu_free(p); }
  };
  std::unique_ptr<unsigned char, Free> runs(static_cast<unsigned char*>(_djvu_malloc(capacity)));
  if (!runs) {
    image.Fail("Failed to allocate %d bytes for a temporary run image.",
               static_cast<int>(capacity));
    return nullptr;
  }
  size_t count = 0;
  bool failed = false;
  auto emit = [&](bool white, unsigned length) {
    if (count == capacity) {
      const size_t grown = capacity + step;
      auto* bigger = static_cast<unsigned char*>(_djvu_realloc(runs.get(), grown));
      if (!bigger) {
        image.Fail("Failed to re-allocate %d bytes for a temporary run image.",
                   static_cast<int>(grown));
        failed = true;
        return;
      }
      runs.release();
      runs.reset(bigger);
      capacity = grown;
    }
    runs.get()[count++] = static_cast<unsigned char>((white ? 0x80 : 0) | (length - 1));
  };

  const bool zeroIsWhite = raster.paletteEntryZeroIsLighter();
  bool white = false;
  unsigned length = 0;
  for (int y = 0; y < raster.height && !failed; ++y) {
    const uint8_t* row = raster.storedRow(y);
    for (int x = 0; x < raster.width; ++x) {
      const bool bit = (row[x >> 3] >> (7 - (x & 7))) & 1;
      const bool pixelWhite = bit != zeroIsWhite;
      if (length == 0) {
        white = pixelWhite;
      } else if (pixelWhite != white || length == 128) {
        emit(white, length);
        if (failed) break;
        white = pixelWhite;
        length = 0;
      }
      ++length;
    }
  }
  if (!failed && length > 0) emit(white, length);
  if (failed) return nullptr;

  OwnedRunImage result(new (std::nothrow) djvu_run_image{});
  if (!result) {
    image.Fail("Failed to create a DjVu run image.");
    return nullptr;
  }
  result->w = static_cast<unsigned>(raster.width);
  result->h = static_cast<unsigned>(raster.height);
  result->nruns = static_cast<unsigned>(count);
  result->runs = runs.release();
  result->xres = result->yres = static_cast<unsigned>(HigherResolution(DjvuResolution(raster)));
  result->runtype = DJVU_RUN_BW;
  return result;
}

int DjvuEnlargement(const DibImage& image, int upsample) {
  if (image.raster.bitsPerPixel == 1) return 1;
  djvu_pixel_image pixels{};
  PixelBlock storage;
  if (MakePixelImage(image, pixels, storage) < 0) return 0;
  if (djvu_pixel_is_black_and_white(&pixels) == 1) return 1;
  return ChooseDjvuUpsampling(upsample, HigherResolution(DjvuResolution(image.raster)), pixels)
      .factor;
}

bool EncodeDjvu(DibImage& image, int upsample, bool textOnly, const djvu_mask_options& maskOptions,
                const djvu_encode_options& encodeOptions, djvu_output_routine output, void* context,
                const OcrSettings& ocr) {
  const int bits = image.raster.bitsPerPixel;
  if (image.raster.empty()) return image.Fail("There is no image to save.");
  if (!SupportedDepth(bits)) return FailDepth(image, "DjVu");
  const PageResolution dpi = DjvuResolution(image.raster);
  if (HigherResolution(dpi) > kHighestDpi) {
    return image.Fail("A DjVu page holds at most %d dpi; this page has %d.", kHighestDpi,
                      HigherResolution(dpi));
  }
  if (!HasSquarePixels(dpi)) {
    DibImage square;
    return MakeSquareCopy(image, dpi, square) &&
           EncodeDjvu(square, upsample, textOnly, maskOptions, encodeOptions, output, context, ocr);
  }
  const CodecErrorCapture errors;
  MakeGrayMinIsBlack(image);
  const ProgressRoute route(image);
  djvu_encode_options encode = encodeOptions;
  djvu_mask_options mask = maskOptions;
  if (image.hasProgressCallback()) encode.progress_arg = mask.progress_arg = &image;

  if (bits == 1) {
    // A scanned black-and-white page keeps every pixel unless aggressive
    // coding is asked for: its marks are the page itself, not a mask found
    // on it. Nor are its strokes thickened: they have their printed weight
    // already, and thicker strokes read worse.
    if (!(encode.flags & DJVU_AGGRESSIVE)) encode.flags |= DJVU_LOSSLESS;
    encode.flags |= DJVU_NO_THICKEN;
    if (image.raster.rowOrder == kRowOrderBottomUp && !Flip(image, false)) return false;
    image.ReportProgress("Creating run image...", 0);
    const OwnedRunImage runs = MakeRunImage(image);
    if (!runs) return false;
    // The recogniser reads the page as gray.
    djvu_pixel_image scanned{};
    PixelBlock grayCopy;
    if (ocr.enabled && MakePixelImage(image, scanned, grayCopy) < 0) return false;
    return EncodeWithText(
        image, ocr, scanned, 1,
        [&](djvu_output_routine out, void* to) {
          return djvu_encode(&encode, runs.get(), nullptr, out, to) == 0 ||
                 FailToEncode(image, errors);
        },
        output, context);
  }

  image.ReportProgress("Preparing image for DjVu conversion...", 0);
  djvu_pixel_image pixels{};
  PixelBlock storage;
  if (MakePixelImage(image, pixels, storage) < 0) return false;
  if (djvu_pixel_is_black_and_white(&pixels) == 1) {
    // Thresholded already (by a scanner, or a bilevel page kept as gray):
    // every pixel is coded as it is, as for a 1-bit page.
    image.ReportProgress("Page: black and white only, coded as a bilevel page", 0);
    return djvu_encode_black_and_white(&encode, &pixels, output, context) == 0 ||
           FailToEncode(image, errors);
  }
  const djvu_pixel_image* page = &pixels;
  OwnedPixelImage enlarged;
  const DjvuUpsampling upsampling = ChooseDjvuUpsampling(upsample, HigherResolution(dpi), pixels);
  const int factor = upsampling.factor;
  image.ReportProgress(upsampling.report.c_str(), 0);
  if (factor > 1) {
    if (!CheckPixelLimit(image, int64_t{factor} * image.raster.width,
                         int64_t{factor} * image.raster.height)) {
      return false;
    }
    image.ReportProgress("Upsampling the image...", 0);
    enlarged.reset(djvu_pixel_resample(&pixels, -factor, factor == 4 ? 10 : 0));
    if (!enlarged) {
      return image.Fail("Failed to upsample the image: %s.",
                        errors.Cause("not enough memory").c_str());
    }
    page = enlarged.get();
    mask.flags |= LIGHT_STROKES;
    // The enlarged mask has the dpi of a page worth thickening, but its
    // strokes are the original's blurred over several pixels and already
    // as wide as the ink: thickened, counters and hairline gaps close.
    if (!(encode.flags & DJVU_NO_THICKEN)) {
      encode.flags |= DJVU_NO_THICKEN;
      image.ReportProgress("Text: not thickened, the page was enlarged", 0);
    }
    encode.flags |= DJVU_ENLARGED;
    image.ReportProgress("Background: keeps the letters' soft edges, the page was enlarged", 0);
  } else if (HigherResolution(dpi) == 0 && !(encode.flags & DJVU_NO_THICKEN)) {
    // Thickening suits a page of 200 dpi or more. Without a resolution the
    // page is coded as 300 dpi, but it may as well be a low-resolution
    // scan, whose strokes a pixel more would fill in: it keeps its weight.
    encode.flags |= DJVU_NO_THICKEN;
    image.ReportProgress("Text: not thickened, the page has no resolution", 0);
  }
  const OwnedRunImage found(djvu_mask(&mask, page));
  if (!found) {
    return image.Fail("Failed to find the foreground/background mask: %s.",
                      errors.Cause("the mask finder gave no reason").c_str());
  }
  if (textOnly) InvertMaskSense(*found);
  // The colour layers come from the page at its own size (the mask is a
  // whole multiple of it): the enlarged copy served the mask alone.
  enlarged.reset();
  return EncodeWithText(
      image, ocr, pixels, std::max(factor, 1),
      [&](djvu_output_routine out, void* to) {
        return djvu_encode(&encode, found.get(), textOnly ? nullptr : &pixels, out, to) == 0 ||
               FailToEncode(image, errors);
      },
      output, context);
}

bool SaveDjvu(DibImage& image, const std::string& path, int upsample, bool textOnly,
              const djvu_mask_options& maskOptions, const djvu_encode_options& encodeOptions,
              const OcrSettings& ocr) {
  return WriteEncoded(image, path, [&](AtomicFile* file) {
    return EncodeDjvu(image, upsample, textOnly, maskOptions, encodeOptions, WriteToFile, file,
                      ocr);
  });
}

bool SaveIw44(DibImage& image, const std::string& path, const djvu_photo_options& options) {
  if (image.raster.empty()) return image.Fail("There is no image to save.");
  if (!SupportedDepth(image.raster.bitsPerPixel)) return FailDepth(image, "IW44");
  const PageResolution dpi = DjvuResolution(image.raster);
  if (!HasSquarePixels(dpi)) {
    DibImage square;
    return MakeSquareCopy(image, dpi, square) && SaveIw44(square, path, options);
  }
  const CodecErrorCapture errors;
  if (image.raster.rowOrder == kRowOrderBottomUp && image.raster.width % 4 == 0 &&
      !Flip(image, false)) {
    return false;
  }
  MakeGrayMinIsBlack(image);
  image.ReportProgress("Preparing image for IW44 conversion...", 0);
  djvu_pixel_image pixels{};
  PixelBlock storage;
  if (MakePixelImage(image, pixels, storage) < 0) return false;
  const ProgressRoute route(image);
  djvu_photo_options photo = options;
  if (image.hasProgressCallback()) photo.progress_arg = &image;
  return WriteEncoded(image, path, [&](AtomicFile* file) {
    return djvu_encode_photo(&photo, &pixels, WriteToFile, file) == 0 ||
           FailToEncode(image, errors);
  });
}

}  // namespace leaf
