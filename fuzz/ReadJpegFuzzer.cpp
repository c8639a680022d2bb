// Feeds arbitrary bytes to the JPEG reader, also quantizing for a shallow
// display; what it accepts must write as JPEG and PNM and read back.
#include <cstdlib>

#include "FuzzInput.h"
#include "formats/Jpeg.h"
#include "formats/Pnm.h"

namespace {

// A few hundred bytes may declare a picture of hundreds of megabytes, which
// reads quickly (missing data decodes as gray) but takes long to quantize and
// write under the sanitizers; those passes are kept to smaller pictures.
constexpr long long kMaxQuantizedPixels = 1 << 20;
constexpr long long kMaxWrittenPixels = 1 << 22;

void RequireSameSize(const leaf::DibImage& a, const leaf::DibImage& b) {
  if (a.raster.width != b.raster.width || a.raster.height != b.raster.height) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  leaf::fuzz::MemoryFile input(data, size, ".jpg");
  leaf::DibImage image;
  if (!leaf::ReadJpeg(image, input.path(), 24, leaf::kJpegDctAccurate)) {
    if (!image.raster.empty()) std::abort();  // a failed read leaves nothing behind
    return 0;
  }
  const leaf::DibRaster& r = image.raster;
  if (r.pixelSize != r.rowStride * static_cast<size_t>(r.height)) std::abort();
  const long long pixels = static_cast<long long>(r.width) * r.height;
  if (pixels <= kMaxQuantizedPixels) {
    leaf::DibImage quantized;
    if (!leaf::ReadJpeg(quantized, input.path(), 8, leaf::kJpegDctFast)) std::abort();
    RequireSameSize(image, quantized);
  }
  if (pixels > kMaxWrittenPixels) return 0;

  const std::string jpeg = leaf::fuzz::ScratchDirectory() + "/out.jpg";
  if (!leaf::WriteJpeg(image, jpeg, {})) return 0;  // e.g. wider than libjpeg writes
  leaf::DibImage again;
  if (!leaf::ReadJpeg(again, jpeg, 24, leaf::kJpegDctAccurate)) std::abort();
  RequireSameSize(image, again);
  const std::string pnm = leaf::fuzz::ScratchDirectory() + "/out.pnm";
  if (!leaf::WritePnm(image, pnm) || !leaf::ReadPnm(again, pnm)) std::abort();
  RequireSameSize(image, again);
  return 0;
}
