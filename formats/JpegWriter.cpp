#include <algorithm>
#include <cstring>

#include "AtomicFile.h"
#include "Jpeg.h"
#include "JpegErrors.h"
#include "ThumbnailSwap.h"
#include "image/DepthConversions.h"
#include "image/Progress.h"
#include "image/Transforms.h"

namespace leaf {

namespace {

constexpr int kDefaultQuality = 75;
constexpr size_t kMaxCommentBytes = 65533;  // a marker's length field counts itself
constexpr int kMaxDensity = 65535;

struct Encoder {
  Encoder() { AttachErrorManager(*reinterpret_cast<j_common_ptr>(&info), errors); }
  ~Encoder() { jpeg_destroy_compress(&info); }
  Encoder(const Encoder&) = delete;
  Encoder& operator=(const Encoder&) = delete;

  JpegErrorManager errors;
  jpeg_compress_struct info{};
};

// The rows handed to libjpeg: the raster's own, or a gray or widened copy.
struct FedRows {
  PixelBlock copy;                    // empty when the raster's own rows are fed
  const uint8_t* firstRow = nullptr;  // stored row 0
  size_t stride = 0;
  int components = 0;
  J_COLOR_SPACE space = JCS_UNKNOWN;
};

bool PrepareGray(DibImage& image, FedRows& fed) {
  DibRaster& r = image.raster;
  image.ReportProgress("Reversing the photometric...", 0);
  if (r.photometric == kPhotometricMinIsWhite && !ReversePhotometric(image)) return false;
  fed.firstRow = r.pixels();
  fed.stride = r.rowStride;
  fed.components = 1;
  fed.space = JCS_GRAYSCALE;
  return true;
}

bool PrepareFromBilevel(DibImage& image, FedRows& fed) {
  image.ReportProgress("Converting to gray scale...", 0);
  fed.copy = ConvertToGray(image, image.raster, 0);
  if (!fed.copy) return false;
  fed.firstRow = fed.copy.data();
  fed.stride = RowStride(image.raster.width, 8);
  fed.components = 1;
  fed.space = JCS_GRAYSCALE;
  return true;
}

bool PrepareWidened(DibImage& image, FedRows& fed) {
  image.ReportProgress("Increasing the color depth...", 0);
  fed.copy = IncreaseDepth(image, 24);
  if (!fed.copy) return false;
  fed.firstRow = fed.copy.data() + image.raster.headerSize;
  fed.stride = RowStride(image.raster.width, 24);
  fed.components = 3;
  fed.space = JCS_EXT_BGR;
  return true;
}

bool PrepareRows(DibImage& image, FedRows& fed) {
  DibRaster& r = image.raster;
  switch (r.bitsPerPixel) {
    case 1: return PrepareFromBilevel(image, fed);
    case 4: return PrepareWidened(image, fed);
    case 8: return r.grayFlag ? PrepareGray(image, fed) : PrepareWidened(image, fed);
    case 24:
      fed.firstRow = r.pixels();
      fed.stride = r.rowStride;
      fed.components = 3;
      fed.space = JCS_EXT_BGR;  // libjpeg takes blue, green, red rows as they are
      return true;
    default: return image.Fail("JPEG saving not supported for this color depth.");
  }
}

void SetParameters(jpeg_compress_struct& info, const DibRaster& r, const FedRows& fed,
                   const JpegWriteOptions& options) {
  info.image_width = static_cast<JDIMENSION>(r.width);
  info.image_height = static_cast<JDIMENSION>(r.height);
  info.input_components = fed.components;
  info.in_color_space = fed.space;
  jpeg_set_defaults(&info);
  const bool qualityValid = options.quality >= 0 && options.quality <= 100;
  jpeg_set_quality(&info, qualityValid ? options.quality : kDefaultQuality, TRUE);
  const bool smoothingValid = options.smoothing >= 0 && options.smoothing <= 100;
  info.smoothing_factor = smoothingValid ? options.smoothing : 0;
  info.optimize_coding = options.optimize ? TRUE : FALSE;
  if (options.dctMethod >= kJpegDctAccurate && options.dctMethod <= kJpegDctFloat) {
    info.dct_method = static_cast<J_DCT_METHOD>(options.dctMethod);
  }
  if (r.xResolution > 1 || r.yResolution > 1) {
    info.density_unit = r.resolutionUnit == kResolutionUnitInch         ? 1
                        : r.resolutionUnit == kResolutionUnitCentimetre ? 2
                                                                        : 0;
    info.X_density = static_cast<UINT16>(std::clamp(r.xResolution, 0, kMaxDensity));
    info.Y_density = static_cast<UINT16>(std::clamp(r.yResolution, 0, kMaxDensity));
  }
}

bool WriteMainRaster(DibImage& image, const std::string& path, const JpegWriteOptions& options) {
  DibRaster& r = image.raster;
  if (r.empty()) return image.Fail("JPEG saving not supported for this color depth.");
  // Rows are fed from the bottom of the stored block upwards.
  if (r.rowOrder == kRowOrderTopDown && !Flip(image, false)) return false;
  FedRows fed;
  if (!PrepareRows(image, fed)) return false;

  AtomicFile out(path);
  if (!out.Open()) return FailToCreate(image, out);
  Encoder e;
  jpeg_compress_struct& info = e.info;
  RowProgress progress(image, "Creating JPEG image...", r.height);
  const std::string& comment = options.comment;
  const bool written = RunGuarded(e.errors, [&] {
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, out.stream());
    SetParameters(info, r, fed, options);
    jpeg_start_compress(&info, TRUE);
    if (!comment.empty()) {
      jpeg_write_marker(&info, JPEG_COM, reinterpret_cast<const JOCTET*>(comment.data()),
                        static_cast<unsigned>(std::min(comment.size(), kMaxCommentBytes)));
    }
    while (info.next_scanline < info.image_height) {
      const size_t stored = static_cast<size_t>(r.height) - 1 - info.next_scanline;
      JSAMPROW row = const_cast<JSAMPROW>(fed.firstRow + stored * fed.stride);
      jpeg_write_scanlines(&info, &row, 1);
      progress.Row();
    }
    jpeg_finish_compress(&info);
  });
  if (!written) {
    if (e.errors.systemError)
      return image.Fail("Cannot write %s: %s.", path.c_str(), std::strerror(e.errors.systemError));
    return image.Fail("Failed to write %s: %s.", path.c_str(), e.errors.fatal);
  }
  if (!out.Commit()) return FailToWrite(image, out);
  return true;
}

}  // namespace

bool WriteJpeg(DibImage& image, const std::string& path, const JpegWriteOptions& options) {
  ThumbnailSwap thumbnail(image, options.thumbnail);
  return WriteMainRaster(image, path, options);
}

}  // namespace leaf
