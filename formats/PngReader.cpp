#include <cstring>

#include "DataCoverage.h"
#include "FileHandle.h"
#include "Png.h"
#include "PngCodec.h"
#include "RasterLayout.h"
#include "image/BitmapInfoHeader.h"
#include "image/PixelLimit.h"

namespace leaf {

namespace {

// A libpng read structure with its info, destroyed together.
struct Decoder {
  Decoder() {
    png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &reports, KeepPngError, KeepPngWarning);
    if (png) info = png_create_info_struct(png);
  }
  ~Decoder() { png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); }
  Decoder(const Decoder&) = delete;
  Decoder& operator=(const Decoder&) = delete;

  PngReports reports;
  png_structp png = nullptr;
  png_infop info = nullptr;
};

// How the file's pixels become raster pixels.
struct Plan {
  int bits = 8;          // of the raster
  bool palette = false;  // the raster keeps the file's palette
  bool gray = false;     // an 8-bit gray ramp
  int sourceBits = 8;    // samples x bit depth of the file, up to 24
  int fileBits = 8;      // bits of a pixel in the file, alpha included
  RasterLayout layout;
};

// Asks libpng for rows the raster takes as they are and decides the raster.
void SetUpTransforms(png_structp png, png_infop info, Plan& plan) {
  const int depth = png_get_bit_depth(png, info);
  const int type = png_get_color_type(png, info);
  const bool transparent = (type & PNG_COLOR_MASK_ALPHA) || png_get_valid(png, info, PNG_INFO_tRNS);
  const int channels = png_get_channels(png, info);
  plan.sourceBits = std::min(channels, 3) * depth;
  plan.fileBits = channels * depth;
  if (depth == 16) png_set_scale_16(png);
  if (transparent) {
    // Laid on white: palette and gray pictures become colour or 8-bit gray.
    png_set_expand(png);
    png_color_16 white{};
    white.red = white.green = white.blue = white.gray = 255;
    white.index = 0;
    png_set_background(png, &white, PNG_BACKGROUND_GAMMA_SCREEN, 0, 1.0);
    const bool colour = type & PNG_COLOR_MASK_COLOR;
    plan.bits = colour ? 24 : 8;
    plan.gray = !colour;
  } else if (type == PNG_COLOR_TYPE_PALETTE) {
    plan.palette = true;
    if (depth == 2) png_set_packing(png);  // two-bit indices become bytes
    plan.bits = depth == 2 ? 8 : depth;
  } else if (type == PNG_COLOR_TYPE_GRAY) {
    if (depth == 1) {
      plan.bits = 1;  // black 0, white 1: kept as bits
    } else {
      if (depth < 8) png_set_expand_gray_1_2_4_to_8(png);
      plan.bits = 8;
      plan.gray = true;
    }
  } else {
    plan.bits = 24;
  }
  if (plan.bits == 24) png_set_bgr(png);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
}

void FillPalette(png_structp png, png_infop info, const Plan& plan, uint8_t* palette) {
  if (plan.gray) {
    for (int i = 0; i < 256; ++i) std::memset(palette + i * 4, i, 3);
    return;
  }
  if (plan.bits == 1 && !plan.palette) {
    std::memset(palette + 4, 255, 3);  // entry 0 black, entry 1 white
    return;
  }
  png_colorp colours = nullptr;
  int count = 0;
  if (!plan.palette || !png_get_PLTE(png, info, &colours, &count)) return;
  for (int i = 0; i < count && i < (1 << plan.bits); ++i) {
    palette[i * 4] = colours[i].blue;
    palette[i * 4 + 1] = colours[i].green;
    palette[i * 4 + 2] = colours[i].red;
  }
}

// Dots per inch from the pHYs chunk; 0 without one or without a unit.
int ResolutionOf(png_structp png, png_infop info, bool horizontal) {
  png_uint_32 x = 0, y = 0;
  int unit = 0;
  if (!png_get_pHYs(png, info, &x, &y, &unit) || unit != PNG_RESOLUTION_METER) return 0;
  return RoundResolution((horizontal ? x : y) * 0.0254);
}

// Deflate makes at most this many bytes of one.
constexpr uint64_t kMostInflation = 1032;

// The rows that fileBytes of compressed data can hold at most (each row
// starts with a filter byte).
uint64_t RowsTheDataCanHold(long long fileBytes, const Plan& plan, uint64_t width) {
  if (fileBytes < 0) return UINT64_MAX;  // not a regular file: no telling
  const uint64_t rowBytes = (width * static_cast<uint64_t>(plan.fileBits) + 7) / 8 + 1;
  return static_cast<uint64_t>(fileBytes) * kMostInflation / rowBytes;
}

// Reads the header and sets up the transforms. False, with the library's
// text in the reports, when libpng stops.
bool ReadHeader(Decoder& d, std::FILE* file, Plan& plan, int& passes) {
  if (setjmp(png_jmpbuf(d.png)) != 0) return false;
  png_init_io(d.png, file);
  png_read_info(d.png, d.info);
  SetUpTransforms(d.png, d.info, plan);
  passes = png_get_interlace_type(d.png, d.info) == PNG_INTERLACE_NONE ? 1 : 7;
  return true;
}

// Reads every row (every pass of an interlaced file) into the raster, top row
// into the last stored row. When libpng stops with an error, rowsWithData
// tells how far the data reached: the rows of the first pass read (an
// interlaced file's later passes only refine a picture the first one covers).
bool ReadRows(Decoder& d, const RasterLayout& layout, uint8_t* pixels, int passes,
              uint64_t& rowsWithData) {
  // Kept in memory, not a register: it is read after libpng jumps back.
  volatile uint64_t reached = 0;
  if (setjmp(png_jmpbuf(d.png)) != 0) {
    rowsWithData = reached;
    return false;
  }
  for (int pass = 0; pass < passes; ++pass) {
    for (int y = 0; y < layout.height; ++y) {
      uint8_t* row = pixels + static_cast<size_t>(layout.height - 1 - y) * layout.rowStride;
      png_read_row(d.png, row, nullptr);
      if (pass == 0) reached = static_cast<uint64_t>(y) + 1;
    }
  }
  png_read_end(d.png, nullptr);
  rowsWithData = reached;
  return true;
}

void SetFields(DibImage& image, const Plan& plan, int xDpi, int yDpi) {
  DibRaster& r = image.raster;
  r.sourceBitsPerPixel = plan.sourceBits;
  r.xResolution = xDpi;
  r.yResolution = yDpi;
  r.resolutionUnit = xDpi > 0 ? kResolutionUnitInch : kResolutionUnitNone;
  r.photometric = plan.bits == 24 ? kPhotometricRgb
                  : plan.palette  ? kPhotometricPalette
                                  : kPhotometricMinIsBlack;
  r.grayFlag = plan.gray && image.IsGrayRamp() ? 1 : 0;
}

}  // namespace

bool ReadPng(DibImage& image, const std::string& path, bool headerOnly) {
  image.Release(true);
  FileHandle file = OpenInputFile(image, path);
  if (!file) return false;
  Decoder d;
  if (!d.png || !d.info) return image.Fail("Failed to set up the PNG decoder.");
  png_set_user_limits(d.png, INT32_MAX, INT32_MAX);
  png_set_chunk_malloc_max(d.png, kMaxBlockBytes);
  png_set_benign_errors(d.png, 1);
  png_set_crc_action(d.png, PNG_CRC_WARN_USE, PNG_CRC_WARN_DISCARD);
  const long long fileBytes = RemainingBytes(file.get());
  Plan plan;
  int passes = 1;
  if (!ReadHeader(d, file.get(), plan, passes)) return image.Fail("%s.", d.reports.error.c_str());
  const png_uint_32 width = png_get_image_width(d.png, d.info);
  const png_uint_32 height = png_get_image_height(d.png, d.info);
  // A few bytes declaring a huge picture are refused before anything is made.
  const uint64_t rowsPossible = RowsTheDataCanHold(fileBytes, plan, width);
  if (!headerOnly && rowsPossible < height && IsFarShort(rowsPossible, width, height)) {
    return FailFarShort(image, rowsPossible, height);
  }
  const size_t paletteSize = plan.bits <= 8 ? size_t{4} << plan.bits : 0;
  if (!PlanRaster(image, width, height, plan.bits, paletteSize, plan.layout)) return false;
  const RasterLayout& layout = plan.layout;
  if (png_get_rowbytes(d.png, d.info) > layout.rowStride) {
    return image.Fail("Unsupported PNG layout.");
  }
  const double perMetre = PixelsPerMetreFactor(kResolutionUnitInch);
  const int xDpi = ResolutionOf(d.png, d.info, true), yDpi = ResolutionOf(d.png, d.info, false);
  PixelBlock block = AllocateRaster(layout, PixelsPerMetre(xDpi, perMetre),
                                    PixelsPerMetre(yDpi, perMetre), headerOnly);
  if (!block) return image.Fail("Failed to allocate %zu bytes for the image.", layout.total);
  FillPalette(d.png, d.info, plan, block.data() + kBitmapInfoHeaderSize);
  if (headerOnly) {
    InstallRaster(image, std::move(block), layout);
    SetFields(image, plan, xDpi, yDpi);
    image.raster.block.reset();
    return true;
  }

  uint8_t* pixels = block.data() + kBitmapInfoHeaderSize + layout.paletteSize;
  uint64_t rowsWithData = height;
  const bool complete = ReadRows(d, layout, pixels, passes, rowsWithData);
  if (!complete) {
    // Data that ends this early is refused; a picture none of whose rows
    // could be read fails with libpng's reason.
    if (IsFarShort(rowsWithData, width, height)) return FailFarShort(image, rowsWithData, height);
    if (rowsWithData == 0) {
      return image.Fail("No row of the PNG picture could be read: %s.", d.reports.error.c_str());
    }
  }
  InstallRaster(image, std::move(block), layout);
  SetFields(image, plan, xDpi, yDpi);
  if (!complete && rowsWithData < height) {
    image.Warn("The PNG data ends at row %llu of %u; the rows below it are blank (%s).",
               static_cast<unsigned long long>(rowsWithData), height, d.reports.error.c_str());
  } else if (!complete) {
    image.Warn(
        "The interlaced PNG data ends before its last pass; the picture is coarser than "
        "it should be (%s).",
        d.reports.error.c_str());
  } else if (d.reports.warnings > 0) {
    image.Warn("The PNG file is damaged: %s.", d.reports.Summary().c_str());
  }
  return true;
}

}  // namespace leaf
