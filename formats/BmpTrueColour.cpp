#include "BmpTrueColour.h"

#include <bit>
#include <cstring>

#include "RasterLayout.h"
#include "image/Endian.h"

namespace leaf {

namespace {

constexpr size_t kHeaderWithMasks = 52;  // a header with the three masks appended

// One colour channel of a packed pixel: its mask, where it starts and how
// many bits it has.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  uint32_t largest = 0;  // the channel's largest value

  explicit Channel(uint32_t m) : mask(m) {
    if (mask == 0) return;
    shift = std::countr_zero(mask);
    largest = mask >> shift;
  }
  uint8_t Of(uint32_t pixel) const {
    if (largest == 0) return 0;
    const uint32_t value = (pixel & mask) >> shift;
    return static_cast<uint8_t>((uint64_t{value} * 255 + largest / 2) / largest);
  }
};

struct Masks {
  uint32_t red, green, blue;
};

Masks MasksOf(const DibRaster& r, const BitmapInfoHeader& h) {
  if (h.compression == kBiBitfields) {
    const uint8_t* at = nullptr;
    if (h.size >= kHeaderWithMasks) {
      at = r.header() + kBitmapInfoHeaderSize;
    } else if (r.paletteSize >= 12) {
      at = r.palette();
    }
    if (at) return {LoadLe32(at), LoadLe32(at + 4), LoadLe32(at + 8)};
  }
  if (h.bitCount == 16) return {0x7C00, 0x03E0, 0x001F};
  return {0xFF0000, 0x00FF00, 0x0000FF};
}

}  // namespace

bool WidenPackedPixels(DibImage& image, const BitmapInfoHeader& header) {
  DibRaster& r = image.raster;
  const int bits = r.bitsPerPixel;
  if (bits != 16 && bits != 32) return true;
  RasterLayout layout;
  if (!PlanRaster(image, r.width, r.height, 24, 0, layout)) return false;
  PixelBlock block = AllocateRaster(layout, header.xPelsPerMeter, header.yPelsPerMeter);
  if (!block) return image.Fail("Failed to allocate %zu bytes for the image.", layout.total);
  const Masks masks = MasksOf(r, header);
  const Channel red(masks.red), green(masks.green), blue(masks.blue);
  uint8_t* pixels = block.data() + kBitmapInfoHeaderSize;
  for (int y = 0; y < r.height; ++y) {
    const uint8_t* in = r.topRow(y);
    uint8_t* out = pixels + static_cast<size_t>(r.height - 1 - y) * layout.rowStride;
    for (int x = 0; x < r.width; ++x, out += 3) {
      const uint32_t pixel = bits == 16 ? LoadLe16(in + 2 * x) : LoadLe32(in + 4 * x);
      out[0] = blue.Of(pixel);
      out[1] = green.Of(pixel);
      out[2] = red.Of(pixel);
    }
  }
  const DibFields kept = r;
  InstallRaster(image, std::move(block), layout);
  r.sourceBitsPerPixel = bits;
  r.xResolution = kept.xResolution;
  r.yResolution = kept.yResolution;
  r.resolutionUnit = kept.resolutionUnit;
  r.photometric = kPhotometricRgb;
  r.grayFlag = 0;
  return true;
}

}  // namespace leaf
