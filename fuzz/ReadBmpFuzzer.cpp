// Feeds arbitrary bytes to the BMP reader; what it accepts must write and read back.
#include <cstdlib>

#include "FuzzInput.h"
#include "formats/Bmp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  leaf::fuzz::MemoryFile input(data, size, ".bmp");
  leaf::DibImage image;
  if (!leaf::ReadBmp(image, input.path())) return 0;
  const std::string out = leaf::fuzz::ScratchDirectory() + "/out.bmp";
  if (!leaf::WriteBmp(image, out)) std::abort();
  leaf::DibImage again;
  if (!leaf::ReadBmp(again, out)) std::abort();
  if (again.raster.width != image.raster.width || again.raster.height != image.raster.height ||
      again.raster.pixelSize != image.raster.pixelSize) {
    std::abort();
  }
  return 0;
}
