// Feeds arbitrary bytes to the TIFF reader, reading the first page and, when
// there are more, the second; what it accepts must write as PNM and BMP.
#include <cstdlib>

#include "FuzzInput.h"
#include "formats/Bmp.h"
#include "formats/Pnm.h"
#include "formats/Tiff.h"

namespace {

// A small file may declare a picture of hundreds of megabytes; writing it
// takes long under the sanitizers, so only smaller pictures are written.
constexpr long long kMaxWrittenPixels = 1 << 22;

void CheckAndWrite(leaf::DibImage& image) {
  const leaf::DibRaster& r = image.raster;
  if (r.pixelSize != r.rowStride * static_cast<size_t>(r.height)) std::abort();
  if (r.pageIndex < 0 || r.pageIndex >= r.pageCount) std::abort();
  if (static_cast<long long>(r.width) * r.height > kMaxWrittenPixels) return;
  const std::string bmp = leaf::fuzz::ScratchDirectory() + "/out.bmp";
  if (!leaf::WriteBmp(image, bmp)) std::abort();
  const std::string pnm = leaf::fuzz::ScratchDirectory() + "/out.pnm";
  if (!leaf::WritePnm(image, pnm)) std::abort();
  leaf::DibImage again;
  if (!leaf::ReadPnm(again, pnm)) std::abort();
  if (again.raster.width != r.width || again.raster.height != r.height) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  leaf::fuzz::MemoryFile input(data, size, ".tif");
  leaf::DibImage image;
  if (!leaf::ReadTiff(image, input.path(), 0)) {
    if (!image.raster.empty()) std::abort();  // a failed read leaves nothing behind
    return 0;
  }
  const int pages = image.raster.pageCount;
  CheckAndWrite(image);
  if (pages > 1 && leaf::ReadTiff(image, input.path(), 1)) {
    if (image.raster.pageIndex != 1) std::abort();
    CheckAndWrite(image);
  }
  return 0;
}
