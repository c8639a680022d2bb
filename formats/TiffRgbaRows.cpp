#include "TiffRgbaRows.h"

#include <algorithm>
#include <cstring>

#include "DataCoverage.h"
#include "TiffHandle.h"

namespace leaf {

namespace {

// The band buffer holds four bytes a pixel; whole strips or tiles fit unless
// they are larger than this, in which case a strip is decoded once per band.
constexpr size_t kMaxBandBytes = size_t{64} << 20;

struct RgbaImage {
  TIFFRGBAImage image{};
  bool begun = false;
  ~RgbaImage() {
    if (begun) TIFFRGBAImageEnd(&image);
  }
};

// Rows decoded per call: a strip or a row of tiles, within kMaxBandBytes.
uint32_t BandRows(TIFF* tiff, uint32_t width, uint32_t height) {
  uint32_t rows = 0;
  if (TIFFIsTiled(tiff)) {
    TIFFGetField(tiff, TIFFTAG_TILELENGTH, &rows);
  } else {
    TIFFGetFieldDefaulted(tiff, TIFFTAG_ROWSPERSTRIP, &rows);
  }
  const uint32_t limit = static_cast<uint32_t>(std::max<size_t>(1, kMaxBandBytes / 4 / width));
  return std::clamp<uint32_t>(rows, 1, std::min(limit, height));
}

void StoreBgr(const uint32_t* rgba, uint8_t* row, uint32_t width) {
  for (uint32_t x = 0; x < width; ++x, row += 3) {
    row[0] = static_cast<uint8_t>(TIFFGetB(rgba[x]));
    row[1] = static_cast<uint8_t>(TIFFGetG(rgba[x]));
    row[2] = static_cast<uint8_t>(TIFFGetR(rgba[x]));
  }
}

bool Refuse(const DibImage& image, const TiffPage& page) {
  return image.Fail("Unsupported TIFF format. (Samples/pixel = %d, Photometric = %d)",
                    page.samplesPerPixel, page.photometric);
}

}  // namespace

bool ReadRgbaRows(const DibImage& image, TIFF* tiff, const TiffPage& page,
                  const RasterLayout& layout, uint8_t* pixels, uint32_t& failedRows) {
  failedRows = 0;
  char problem[1024] = "";
  if (!TIFFRGBAImageOK(tiff, problem)) return Refuse(image, page);
  RgbaImage rgba;
  if (!TIFFRGBAImageBegin(&rgba.image, tiff, 0, problem)) return Refuse(image, page);
  rgba.begun = true;
  if (rgba.image.width != page.width || rgba.image.height != page.height)
    return Refuse(image, page);
  // Rows come in the file's order, like every other page: the Orientation tag
  // is not applied.
  rgba.image.req_orientation = rgba.image.orientation;

  const uint32_t width = page.width, height = page.height;
  const uint32_t band = BandRows(tiff, width, height);
  auto buffer = AllocateTiffBuffer<uint32_t>(static_cast<size_t>(width) * band);
  if (!buffer) {
    return image.Fail("Failed to allocate %zu bytes for the image.",
                      static_cast<size_t>(width) * band * 4);
  }
  for (uint32_t top = 0; top < height; top += band) {
    const uint32_t rows = std::min(band, height - top);
    std::memset(buffer.get(), 0, static_cast<size_t>(width) * rows * 4);
    rgba.image.row_offset = static_cast<int>(top);
    rgba.image.col_offset = 0;
    // A band libtiff cannot decode keeps what it could decode; the rest is blank.
    if (!TIFFRGBAImageGet(&rgba.image, buffer.get(), width, rows)) {
      failedRows += rows;
      if (IsFarShort(height - failedRows, width, height)) {
        return FailFarShort(image, height - failedRows, height);
      }
    }
    for (uint32_t i = 0; i < rows; ++i) {
      const size_t stored = static_cast<size_t>(layout.height) - 1 - (top + i);
      StoreBgr(buffer.get() + static_cast<size_t>(i) * width, pixels + stored * layout.rowStride,
               width);
    }
  }
  return true;
}

}  // namespace leaf
