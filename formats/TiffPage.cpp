#include "TiffPage.h"

namespace leaf {

namespace {

constexpr uint16_t kInkSetCmyk = 1;

bool IsFaxCompression(uint16_t c) {
  return c == COMPRESSION_CCITTRLE || c == COMPRESSION_CCITTFAX3 || c == COMPRESSION_CCITTFAX4;
}

bool IsGrayOrPalette(uint16_t p) {
  return p == PHOTOMETRIC_MINISWHITE || p == PHOTOMETRIC_MINISBLACK || p == PHOTOMETRIC_PALETTE;
}

// The samples per pixel of the page; false when they cannot be had.
bool SamplesPerPixel(TIFF* tiff, const TiffPage& page, uint16_t& samples) {
  if (TIFFGetField(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples)) return true;
  // Fax pages, and uncompressed or PackBits gray and palette pages of 4 or 8
  // bits, are taken to have one sample when the tag is absent.
  const bool plain =
      page.compression == COMPRESSION_NONE || page.compression == COMPRESSION_PACKBITS;
  if (IsFaxCompression(page.compression) ||
      (plain && IsGrayOrPalette(page.photometric) &&
       (page.bitsPerSample == 4 || page.bitsPerSample == 8))) {
    samples = 1;
    return true;
  }
  return false;
}

bool StoresPixelsInterleavedStrips(TIFF* tiff) {
  uint16_t planar = PLANARCONFIG_CONTIG;
  TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &planar);
  return planar == PLANARCONFIG_CONTIG && !TIFFIsTiled(tiff);
}

uint16_t ExtraSamples(TIFF* tiff) {
  uint16_t count = 0;
  uint16_t* kinds = nullptr;
  if (!TIFFGetField(tiff, TIFFTAG_EXTRASAMPLES, &count, &kinds)) return 0;
  return count;
}

// True when every tile row starts on a byte of the raster's row, so that
// tiles of one-sample pages can be copied into it byte by byte (TIFF asks
// for tile widths that are multiples of 16).
bool TilesStartOnWholeBytes(TIFF* tiff, uint16_t bits) {
  uint32_t width = 0;
  return TIFFGetField(tiff, TIFFTAG_TILEWIDTH, &width) && width > 0 &&
         (uint64_t{width} * bits) % 8 == 0;
}

// The page kinds laid into the raster directly (by scanline, or by tile for
// one-sample pages); everything else goes through libtiff's RGBA interface.
TiffPageKind KindOf(TIFF* tiff, const TiffPage& page) {
  const uint16_t s = page.samplesPerPixel, b = page.bitsPerSample, p = page.photometric;
  const bool indexed = s == 1 && (b == 1 || b == 4 || b == 8) && IsGrayOrPalette(p);
  if (indexed && page.tiled) {
    return TilesStartOnWholeBytes(tiff, b) ? TiffPageKind::kIndexed : TiffPageKind::kRgba;
  }
  if (!StoresPixelsInterleavedStrips(tiff)) return TiffPageKind::kRgba;
  if (indexed) return TiffPageKind::kIndexed;
  if (s == 3 && b == 8 && p == PHOTOMETRIC_RGB && ExtraSamples(tiff) == 0) {
    return TiffPageKind::kRgb;
  }
  if (s == 4 && b == 8 && p == PHOTOMETRIC_SEPARATED) return TiffPageKind::kCmyk;
  return TiffPageKind::kRgba;
}

}  // namespace

bool ReadTiffPageTags(const DibImage& image, TIFF* tiff, TiffPage& page) {
  if (!TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &page.height)) {
    return image.Fail("Failed to get TIFF height.");
  }
  if (!TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &page.width)) {
    return image.Fail("Failed to get TIFF width.");
  }
  // Resolutions without a unit are in inches, TIFF's default unit.
  if (!TIFFGetField(tiff, TIFFTAG_RESOLUTIONUNIT, &page.resolutionUnit)) {
    page.resolutionUnit = RESUNIT_INCH;
  }
  if (!TIFFGetField(tiff, TIFFTAG_XRESOLUTION, &page.xResolution)) page.xResolution = 0;
  if (!TIFFGetField(tiff, TIFFTAG_YRESOLUTION, &page.yResolution)) page.yResolution = 0;
  if (!TIFFGetField(tiff, TIFFTAG_COMPRESSION, &page.compression)) {
    return image.Fail("Failed to get TIFF compression.");
  }
  if (!TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &page.photometric)) {
    return image.Fail("Failed to get TIFF photometric.");
  }
  if (!TIFFGetField(tiff, TIFFTAG_BITSPERSAMPLE, &page.bitsPerSample)) {
    if (!IsFaxCompression(page.compression))
      return image.Fail("Failed to get TIFF bits per sample.");
    page.bitsPerSample = 1;
  }
  if (!SamplesPerPixel(tiff, page, page.samplesPerPixel)) {
    return image.Fail("Failed to get TIFF samples per pixel.");
  }
  const uint16_t s = page.samplesPerPixel, p = page.photometric;
  if (s > 3) {
    uint16_t inkSet = kInkSetCmyk;
    TIFFGetField(tiff, TIFFTAG_INKSET, &inkSet);
    if (s != 4 || p != PHOTOMETRIC_SEPARATED || inkSet != kInkSetCmyk) {
      return image.Fail("Unsupported TIFF format. (Samples/pixel = %d, Photometric = %d)", s, p);
    }
  }
  page.tiled = TIFFIsTiled(tiff) != 0;
  page.kind = KindOf(tiff, page);
  return true;
}

}  // namespace leaf
