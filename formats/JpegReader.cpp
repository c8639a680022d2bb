#include <cstring>

#include "CmykPixels.h"
#include "DataCoverage.h"
#include "FileHandle.h"
#include "Jpeg.h"
#include "JpegErrors.h"
#include "RasterLayout.h"
#include "image/BitmapInfoHeader.h"
#include "image/PixelLimit.h"

namespace leaf {

namespace {

constexpr int kPaletteColors = 256;
constexpr size_t kPaletteBytes = kPaletteColors * kPaletteEntrySize;
constexpr int kMaxDisplayDepthForPalette = 24;

struct Decoder {
  Decoder() { AttachErrorManager(*reinterpret_cast<j_common_ptr>(&info), errors); }
  ~Decoder() { jpeg_destroy_decompress(&info); }
  Decoder(const Decoder&) = delete;
  Decoder& operator=(const Decoder&) = delete;

  JpegErrorManager errors;
  jpeg_decompress_struct info{};
};

// How decoded rows become raster rows.
enum class Output {
  kGray,       // one byte a pixel, an ascending gray palette
  kBgr,        // three bytes a pixel, decoded straight into blue, green, red order
  kQuantized,  // palette indices chosen by libjpeg's quantizer
  kCmyk,       // four bytes of inks a pixel, converted to blue, green, red
};

struct Plan {
  Output output = Output::kGray;
  RasterLayout layout;
};

bool SetUpOutput(const DibImage& image, jpeg_decompress_struct& info, int displayDepth,
                 Plan& plan) {
  const bool quantize = displayDepth > 0 && displayDepth < kMaxDisplayDepthForPalette;
  switch (info.jpeg_color_space) {
    case JCS_GRAYSCALE:
      info.out_color_space = JCS_GRAYSCALE;
      plan.output = quantize ? Output::kQuantized : Output::kGray;
      break;
    case JCS_YCbCr:
    case JCS_RGB:
      info.out_color_space = quantize ? JCS_RGB : JCS_EXT_BGR;
      plan.output = quantize ? Output::kQuantized : Output::kBgr;
      break;
    case JCS_CMYK:
    case JCS_YCCK:
      // libjpeg turns YCCK into CMYK; the quantizer takes only gray or RGB,
      // so these always become 24-bit colour.
      info.out_color_space = JCS_CMYK;
      plan.output = Output::kCmyk;
      break;
    default: return image.Fail("Unsupported JPEG format. (Components = %d)", info.num_components);
  }
  if (plan.output == Output::kQuantized) {
    info.quantize_colors = TRUE;
    info.desired_number_of_colors = kPaletteColors;
    info.dither_mode = JDITHER_FS;
    info.two_pass_quantize = TRUE;
  }
  const bool colour = plan.output == Output::kBgr || plan.output == Output::kCmyk;
  const int bits = colour ? 24 : 8;
  const size_t paletteSize = colour ? 0 : kPaletteBytes;
  return PlanRaster(image, info.image_width, info.image_height, bits, paletteSize, plan.layout);
}

int OutputComponents(Output output) {
  switch (output) {
    case Output::kBgr: return 3;
    case Output::kCmyk: return 4;
    default: return 1;
  }
}

void FillPalette(uint8_t* palette, const jpeg_decompress_struct& info, Output output) {
  if (output == Output::kGray) {
    for (int i = 0; i < kPaletteColors; ++i) std::memset(palette + i * 4, i, 3);
    return;
  }
  if (output != Output::kQuantized || !info.colormap) return;
  const int colors = info.actual_number_of_colors;
  const bool gray = info.out_color_components == 1;
  for (int i = 0; i < colors && i < kPaletteColors; ++i) {
    uint8_t* entry = palette + i * 4;
    if (gray) {
      std::memset(entry, info.colormap[0][i], 3);
    } else {
      entry[0] = info.colormap[2][i];
      entry[1] = info.colormap[1][i];
      entry[2] = info.colormap[0][i];
    }
  }
}

// Dots per metre for one JFIF density unit (1 inch, 2 centimetre), 0 otherwise.
double DensityFactor(int unit) { return unit == 1 ? 100 / 2.54 : unit == 2 ? 100 : 0; }

int DensityToDpi(unsigned density, double factor) {
  return density < 2 ? 0 : RoundResolution(density * factor * 0.0254);
}

// libjpeg's own working memory (the coefficients of a progressive file,
// 6 bytes a pixel at most) is held to what a picture within the pixel limit
// needs; beyond it the library stops with an error instead of growing.
long LibraryMemoryLimit() { return static_cast<long>(MegapixelLimit()) * 6'000'000L + (64L << 20); }

bool FailWithLibraryText(const DibImage& image, const JpegErrorManager& errors) {
  return image.Fail("%s.", errors.fatal[0] ? errors.fatal : "The JPEG file cannot be decoded");
}

// Passes on what the decoder worked around.
void WarnAboutDamage(const DibImage& image, const JpegErrorManager& errors, unsigned height) {
  if (errors.dataEnded) {
    image.Warn("The JPEG data ends at row %llu of %u; the decoder made up the rows below it.",
               static_cast<unsigned long long>(errors.rowsWithData), height);
  } else if (errors.warnings == 1) {
    image.Warn("The JPEG data is damaged: %s.", errors.firstWarning);
  } else if (errors.warnings > 1) {
    image.Warn("The JPEG data is damaged: %s (and %ld more problems).", errors.firstWarning,
               errors.warnings - 1);
  }
}

// True once the data has ended too early for the picture to be worth making.
bool EndedFarShort(const JpegErrorManager& errors, const jpeg_decompress_struct& info) {
  return errors.dataEnded && IsFarShort(errors.rowsWithData, info.image_width, info.image_height);
}

void SetFields(DibImage& image, const jpeg_decompress_struct& info, const Plan& plan,
               double factor) {
  DibRaster& r = image.raster;
  r.sourceBitsPerPixel = info.num_components * 8;
  r.xResolution = DensityToDpi(info.X_density, factor);
  r.yResolution = DensityToDpi(info.Y_density, factor);
  r.resolutionUnit = kResolutionUnitInch;
  switch (plan.output) {
    case Output::kGray:
      r.grayFlag = 1;
      r.photometric = kPhotometricMinIsBlack;
      break;
    case Output::kQuantized:
      r.photometric = kPhotometricPalette;
      r.grayFlag = info.out_color_components == 1 && image.IsGrayRamp() ? 1 : 0;
      break;
    default: r.photometric = kPhotometricRgb;
  }
}

}  // namespace

bool ReadJpeg(DibImage& image, const std::string& path, int displayDepth, int dctMethod,
              bool headerOnly) {
  image.Release(true);
  FileHandle file = OpenInputFile(image, path);
  if (!file) return false;

  Decoder d;
  jpeg_decompress_struct& info = d.info;
  if (!RunGuarded(d.errors, [&] {
        jpeg_create_decompress(&info);
        AttachScanWatch(info, d.errors);
        info.mem->max_memory_to_use = LibraryMemoryLimit();
        jpeg_stdio_src(&info, file.get());
        jpeg_read_header(&info, TRUE);
      })) {
    return FailWithLibraryText(image, d.errors);
  }

  Plan plan;
  if (!SetUpOutput(image, info, displayDepth, plan)) return false;
  const RasterLayout& layout = plan.layout;
  const double factor = DensityFactor(info.density_unit);
  const int32_t xPels = PixelsPerMetre(info.X_density, factor);
  const int32_t yPels = PixelsPerMetre(info.Y_density, factor);
  if (headerOnly) {
    PixelBlock header = AllocateRaster(layout, xPels, yPels, true);
    if (!header) return image.Fail("Failed to allocate %zu bytes for the image.", layout.total);
    FillPalette(header.data() + kBitmapInfoHeaderSize, info, plan.output);
    InstallRaster(image, std::move(header), layout);
    SetFields(image, info, plan, factor);
    image.raster.block.reset();
    return true;
  }

  if (dctMethod >= kJpegDctAccurate && dctMethod <= kJpegDctFloat) {
    info.dct_method = static_cast<J_DCT_METHOD>(dctMethod);
  }
  // A progressive file (or the quantizer's first pass) reads all of its data here.
  if (!RunGuarded(d.errors, [&] { jpeg_start_decompress(&info); })) {
    return FailWithLibraryText(image, d.errors);
  }
  if (EndedFarShort(d.errors, info)) {
    return FailFarShort(image, d.errors.rowsWithData, info.image_height);
  }
  if (static_cast<int>(info.output_width) != layout.width ||
      static_cast<int>(info.output_height) != layout.height ||
      info.output_components != OutputComponents(plan.output)) {
    return image.Fail("Unsupported JPEG format. (Components = %d)", info.output_components);
  }

  PixelBlock block = AllocateRaster(layout, xPels, yPels);
  if (!block) return image.Fail("Failed to allocate %zu bytes for the image.", layout.total);

  uint8_t* pixels = block.data() + kBitmapInfoHeaderSize + layout.paletteSize;
  const bool cmyk = plan.output == Output::kCmyk;
  const bool invertedInks = info.saw_Adobe_marker;
  JDIMENSION badCount = 1;
  bool farShort = false;
  const bool decoded = RunGuarded(d.errors, [&] {
    JSAMPARRAY inks = cmyk ? (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info),
                                                       JPOOL_IMAGE, info.output_width * 4, 1)
                           : nullptr;
    while (info.output_scanline < info.output_height) {
      // The first scanline is the top of the picture: the last stored row.
      const size_t stored = static_cast<size_t>(layout.height) - 1 - info.output_scanline;
      uint8_t* target = pixels + stored * layout.rowStride;
      JSAMPROW row = cmyk ? inks[0] : target;
      const JDIMENSION count = jpeg_read_scanlines(&info, &row, 1);
      if (count != 1) {
        badCount = count;
        return;
      }
      if (cmyk) CmykToBgr(inks[0], target, info.output_width, invertedInks);
      // A file that ends this early is not decoded any further.
      if (EndedFarShort(d.errors, info)) {
        farShort = true;
        return;
      }
    }
    // The colour map lives until the decompression is finished.
    FillPalette(block.data() + kBitmapInfoHeaderSize, info, plan.output);
    jpeg_finish_decompress(&info);
  });
  if (!decoded) return FailWithLibraryText(image, d.errors);
  if (farShort) return FailFarShort(image, d.errors.rowsWithData, info.image_height);
  if (badCount != 1) {
    return image.Fail("Expected one scan line, but got %d.", static_cast<int>(badCount));
  }

  InstallRaster(image, std::move(block), layout);
  SetFields(image, info, plan, factor);
  WarnAboutDamage(image, d.errors, info.image_height);
  return true;
}

}  // namespace leaf
