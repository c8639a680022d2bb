// Feeds arbitrary bytes to the PNM reader and writes what it accepts as BMP.
#include <cstdlib>

#include "FuzzInput.h"
#include "formats/Bmp.h"
#include "formats/Pnm.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  leaf::fuzz::MemoryFile input(data, size, ".pnm");
  leaf::DibImage image;
  if (!leaf::ReadPnm(image, input.path())) return 0;
  const leaf::DibRaster& r = image.raster;
  if (r.pixelSize != r.rowStride * static_cast<size_t>(r.height)) std::abort();
  if (!leaf::WriteBmp(image, leaf::fuzz::ScratchDirectory() + "/out.bmp")) std::abort();
  return 0;
}
