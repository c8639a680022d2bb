#include "RasterChecks.h"

#include "BitmapInfoHeader.h"

namespace leaf {

bool CheckRaster(const DibImage& image, const DibRaster& raster) {
  if (raster.empty()) return image.Fail("There is no image.");
  const size_t size = raster.block.size();
  const size_t stride = RowStride(raster.width, raster.bitsPerPixel);
  const bool fits = raster.headerSize >= kBitmapInfoHeaderSize && raster.height > 0 &&
                    stride != 0 && raster.rowStride == stride && raster.paletteOffset <= size &&
                    raster.paletteSize <= size - raster.paletteOffset &&
                    raster.pixelOffset <= size && raster.headerSize <= size &&
                    static_cast<uint64_t>(raster.height) <= (size - raster.pixelOffset) / stride;
  if (!fits) return image.Fail("The image's pixel data is not consistent.");
  return true;
}

uint64_t BlockBytes(uint64_t reserve, int64_t width, int64_t height, int bitsPerPixel) {
  if (width <= 0 || height <= 0 || bitsPerPixel <= 0) return reserve;
  const uint64_t stride = (static_cast<uint64_t>(width) * bitsPerPixel + 31) / 32 * 4;
  return reserve + stride * static_cast<uint64_t>(height);
}

PixelBlock AllocateBlock(uint64_t bytes) {
  if (bytes == 0 || bytes > kMaxBlockBytes) return PixelBlock();
  return PixelBlock::Allocate(static_cast<size_t>(bytes));
}

void WriteHeaderGeometry(uint8_t* header, const DibFields& fields) {
  BitmapInfoHeader h = BitmapInfoHeader::Read(header);
  h.width = fields.width;
  h.height = fields.rowOrder == kRowOrderTopDown ? -fields.height : fields.height;
  h.bitCount = static_cast<uint16_t>(fields.bitsPerPixel);
  h.sizeImage = static_cast<uint32_t>(fields.pixelSize);
  h.Write(header);
}

void SetRowLayout(DibFields& fields) {
  fields.rowStride = RowStride(fields.width, fields.bitsPerPixel);
  fields.pixelSize = fields.rowStride * static_cast<size_t>(fields.height);
}

}  // namespace leaf
