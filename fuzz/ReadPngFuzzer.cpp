// Feeds arbitrary bytes to the PNG reader; what it accepts must write and read back.
#include <cstdlib>

#include "FuzzInput.h"
#include "formats/Png.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  leaf::fuzz::MemoryFile input(data, size, ".png");
  leaf::DibImage image;
  if (!leaf::ReadPng(image, input.path())) return 0;
  const std::string out = leaf::fuzz::ScratchDirectory() + "/out.png";
  if (!leaf::WritePng(image, out)) std::abort();
  leaf::DibImage again;
  if (!leaf::ReadPng(again, out)) std::abort();
  if (again.raster.width != image.raster.width || again.raster.height != image.raster.height ||
      again.raster.bitsPerPixel != image.raster.bitsPerPixel) {
    std::abort();
  }
  return 0;
}
