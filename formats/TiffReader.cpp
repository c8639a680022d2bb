#include <sys/stat.h>

#include <algorithm>
#include <cstring>

#include "CmykPixels.h"
#include "DataCoverage.h"
#include "FileHandle.h"
#include "RasterLayout.h"
#include "Tiff.h"
#include "TiffHandle.h"
#include "TiffPage.h"
#include "TiffRgbaRows.h"
#include "image/BitmapInfoHeader.h"

namespace leaf {

namespace {

// After this many rows in a row of one strip (or tiles in a row) fail to
// decode, the rest of the strip (or page) is left blank without asking
// libtiff again: a few hundred bytes can declare millions of rows whose data
// is missing, and every failure costs a formatted error. Fax pages recover
// from a damaged line well before this.
constexpr uint32_t kMaxFailedRowsPerStrip = 64;

// Counts the directories from the first, then makes the wanted one current
// (the first when there is no such page). Returns the page made current, or
// -1 when no directory can be read.
int ChoosePage(TIFF* tiff, int wanted, int& pageCount) {
  pageCount = 1;
  while (TIFFReadDirectory(tiff)) ++pageCount;
  if (wanted > 0 && wanted < pageCount && TIFFSetDirectory(tiff, static_cast<tdir_t>(wanted))) {
    return wanted;
  }
  return TIFFSetDirectory(tiff, 0) ? 0 : -1;
}

// The colour map of a palette page, reduced to 8 bits: a map with any value
// above 255 among the used entries holds 16-bit values.
bool FillColorMap(const DibImage& image, TIFF* tiff, int bits, uint8_t* palette) {
  uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
  if (!TIFFGetField(tiff, TIFFTAG_COLORMAP, &red, &green, &blue) || !red || !green || !blue) {
    return image.Fail("Failed to get TIFF color map for palette image.");
  }
  const int entries = 1 << bits;
  bool sixteenBit = false;
  for (int i = 0; i < entries; ++i) {
    sixteenBit = sixteenBit || red[i] > 255 || green[i] > 255 || blue[i] > 255;
  }
  const int shift = sixteenBit ? 8 : 0;
  for (int i = 0; i < entries; ++i) {
    uint8_t* entry = palette + i * 4;
    entry[0] = static_cast<uint8_t>(blue[i] >> shift);
    entry[1] = static_cast<uint8_t>(green[i] >> shift);
    entry[2] = static_cast<uint8_t>(red[i] >> shift);
  }
  return true;
}

// A gray ramp of 2^bits levels: ascending for min-is-black, descending for
// min-is-white.
void FillGrayPalette(uint8_t* palette, int bits, bool minIsWhite) {
  const int entries = 1 << bits;
  for (int i = 0; i < entries; ++i) {
    const int level = i * 255 / (entries - 1);
    std::memset(palette + i * 4, minIsWhite ? 255 - level : level, 3);
  }
}

bool FillPalette(const DibImage& image, TIFF* tiff, const TiffPage& page, uint8_t* palette) {
  if (page.kind != TiffPageKind::kIndexed) return true;
  if (page.photometric == PHOTOMETRIC_PALETTE) {
    return FillColorMap(image, tiff, page.bitsPerSample, palette);
  }
  FillGrayPalette(palette, page.bitsPerSample, page.photometric == PHOTOMETRIC_MINISWHITE);
  return true;
}

// Bytes of one file row the raster takes for the page kinds read by scanline.
size_t RowBytes(const TiffPage& page) {
  switch (page.kind) {
    case TiffPageKind::kRgb: return size_t{3} * page.width;
    case TiffPageKind::kCmyk: return size_t{4} * page.width;
    default: return (size_t{page.width} * page.bitsPerSample + 7) / 8;
  }
}

void StoreScanline(const TiffPage& page, const uint8_t* line, uint8_t* row) {
  switch (page.kind) {
    case TiffPageKind::kRgb:
      for (uint32_t x = 0; x < page.width; ++x, line += 3, row += 3) {
        row[0] = line[2];
        row[1] = line[1];
        row[2] = line[0];
      }
      break;
    case TiffPageKind::kCmyk: CmykToBgr(line, row, page.width, false); break;
    default: std::memcpy(row, line, RowBytes(page));
  }
}

// Rows of the page whose strips (or rows of tiles) have data in the file: a
// strip that starts past the end of the file, or holds no bytes, has none.
uint64_t RowsWithData(TIFF* tiff, uint32_t height) {
  struct stat info;
  if (fstat(TIFFFileno(tiff), &info) != 0 || !S_ISREG(info.st_mode)) return height;
  const uint64_t fileSize = static_cast<uint64_t>(info.st_size);
  uint32_t rowsPer = height, across = 1;
  if (TIFFIsTiled(tiff)) {
    uint32_t tileWidth = 0, width = 0;
    TIFFGetField(tiff, TIFFTAG_TILELENGTH, &rowsPer);
    TIFFGetField(tiff, TIFFTAG_TILEWIDTH, &tileWidth);
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
    if (tileWidth == 0) return height;
    across = (width + tileWidth - 1) / tileWidth;
  } else {
    TIFFGetFieldDefaulted(tiff, TIFFTAG_ROWSPERSTRIP, &rowsPer);
  }
  if (rowsPer == 0) return height;
  const uint32_t bands = height / rowsPer + (height % rowsPer != 0);
  uint64_t rows = 0;
  for (uint32_t band = 0; band < bands; ++band) {
    bool data = false;
    for (uint32_t i = 0; i < across && !data; ++i) {
      const uint32_t strile = band * across + i;
      int failed = 0;
      const uint64_t offset = TIFFGetStrileOffsetWithErr(tiff, strile, &failed);
      const uint64_t bytes = failed ? 0 : TIFFGetStrileByteCountWithErr(tiff, strile, &failed);
      data = !failed && bytes > 0 && offset < fileSize;
    }
    if (data) rows += std::min<uint64_t>(rowsPer, height - uint64_t{band} * rowsPer);
  }
  return rows;
}

// Reads every row through a zeroed scanline buffer; a row libtiff cannot
// decode is left blank and counted in failedRows. Gives up (reporting the
// refusal) once so many rows are lost that the page would be far short.
bool ReadScanlines(const DibImage& image, TIFF* tiff, const TiffPage& page,
                   const RasterLayout& layout, uint8_t* pixels, uint32_t& failedRows) {
  const uint64_t lineSize = TIFFScanlineSize64(tiff);
  const size_t rowBytes = RowBytes(page);
  if (lineSize == 0 || lineSize > kMaxBlockBytes) {
    return image.Fail("Invalid TIFF scanline size %llu.",
                      static_cast<unsigned long long>(lineSize));
  }
  // libtiff writes lineSize bytes; the raster takes rowBytes of them.
  const size_t bufferSize = std::max<size_t>(lineSize, rowBytes);
  auto line = AllocateTiffBuffer<uint8_t>(bufferSize);
  if (!line) return image.Fail("Failed to allocate %zu bytes for the image.", bufferSize);
  uint32_t rowsPerStrip = page.height;
  TIFFGetFieldDefaulted(tiff, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
  uint32_t failingStrip = UINT32_MAX, failures = 0;
  uint64_t lost = 0;  // rows of strips given up on
  failedRows = 0;
  for (uint32_t r = 0; r < page.height; ++r) {
    const uint32_t strip = TIFFComputeStrip(tiff, r, 0);
    if (strip != failingStrip) failures = 0;
    const bool read =
        failures < kMaxFailedRowsPerStrip && TIFFReadScanline(tiff, line.get(), r, 0) >= 0;
    if (read) {
      failures = 0;
    } else {
      failingStrip = strip;
      ++failedRows;
      if (++failures == kMaxFailedRowsPerStrip) {
        // The rest of this strip will stay blank as well.
        const uint64_t stripEnd =
            rowsPerStrip ? (uint64_t{r} / rowsPerStrip + 1) * rowsPerStrip : page.height;
        lost += std::min<uint64_t>(stripEnd, page.height) - r + kMaxFailedRowsPerStrip - 1;
        if (IsFarShort(page.height - std::min<uint64_t>(lost, page.height), page.width,
                       page.height)) {
          return FailFarShort(image, page.height - std::min<uint64_t>(lost, page.height),
                              page.height);
        }
      }
      std::memset(line.get(), 0, bufferSize);
    }
    const size_t stored = static_cast<size_t>(layout.height) - 1 - r;
    StoreScanline(page, line.get(), pixels + stored * layout.rowStride);
  }
  return true;
}

// Reads the tiles of a one-sample page into its rows, byte by byte; a tile
// libtiff cannot decode is left blank, and after many in a row the rest are
// left blank without asking again (the page is refused when that leaves it
// far short). Rows none of whose tiles decoded are counted in failedRows.
bool ReadIndexedTiles(const DibImage& image, TIFF* tiff, const TiffPage& page,
                      const RasterLayout& layout, uint8_t* pixels, uint32_t& failedRows) {
  uint32_t tileWidth = 0, tileHeight = 0;
  TIFFGetField(tiff, TIFFTAG_TILEWIDTH, &tileWidth);
  TIFFGetField(tiff, TIFFTAG_TILELENGTH, &tileHeight);
  const uint64_t tileBytes = TIFFTileSize64(tiff);
  const uint64_t tileRowBytes = TIFFTileRowSize64(tiff);
  if (tileWidth == 0 || tileHeight == 0 || tileBytes == 0 || tileBytes > kMaxBlockBytes ||
      tileRowBytes * tileHeight > tileBytes) {
    return image.Fail("Invalid TIFF tile size %u x %u.", tileWidth, tileHeight);
  }
  auto tile = AllocateTiffBuffer<uint8_t>(tileBytes);
  if (!tile)
    return image.Fail("Failed to allocate %llu bytes for the image.",
                      static_cast<unsigned long long>(tileBytes));
  const size_t rowBytes = RowBytes(page);
  uint32_t failures = 0;
  failedRows = 0;
  for (uint32_t top = 0; top < page.height; top += tileHeight) {
    const uint32_t rows = std::min(tileHeight, page.height - top);
    bool anyRead = false;
    for (uint32_t left = 0; left < page.width; left += tileWidth) {
      const bool read = failures < kMaxFailedRowsPerStrip &&
                        TIFFReadEncodedTile(tiff, TIFFComputeTile(tiff, left, top, 0, 0),
                                            tile.get(), static_cast<tmsize_t>(tileBytes)) >= 0;
      failures = read ? 0 : failures + 1;
      anyRead = anyRead || read;
      if (failures == kMaxFailedRowsPerStrip && IsFarShort(top, page.width, page.height)) {
        return FailFarShort(image, top, page.height);
      }
      if (!read) std::memset(tile.get(), 0, tileBytes);
      const size_t offset = static_cast<size_t>(uint64_t{left} * page.bitsPerSample / 8);
      const size_t bytes = std::min<size_t>(tileRowBytes, rowBytes - offset);
      for (uint32_t r = 0; r < rows; ++r) {
        const size_t stored = static_cast<size_t>(layout.height) - 1 - (top + r);
        std::memcpy(pixels + stored * layout.rowStride + offset, tile.get() + r * tileRowBytes,
                    bytes);
      }
    }
    if (!anyRead) failedRows += rows;
  }
  return true;
}

bool PlanPage(const DibImage& image, const TiffPage& page, RasterLayout& layout) {
  const int bits = page.rasterBits();
  const size_t paletteSize = page.kind == TiffPageKind::kIndexed ? size_t{4} << bits : 0;
  if (page.width == 0 || page.height == 0) {
    return image.Fail("Invalid TIFF image size %u x %u.", page.width, page.height);
  }
  return PlanRaster(image, page.width, page.height, bits, paletteSize, layout);
}

// The reason libtiff gave for refusing the file, or why it cannot be opened.
bool FailToOpen(const DibImage& image, const std::string& path, const TiffReports& reports) {
  const std::string why = WhyUnreadable(path);
  if (!why.empty()) return image.Fail("Cannot open %s: %s.", path.c_str(), why.c_str());
  if (reports.errors == 0) return image.Fail("Cannot read %s as a TIFF file.", path.c_str());
  return image.Fail("Cannot read %s as a TIFF file: %s.", path.c_str(), reports.firstError.c_str());
}

// Refuses, before anything is allocated, a page libtiff has no decoder for
// and one whose strips mostly lie beyond the end of the file.
bool CheckDecodable(const DibImage& image, TIFF* tiff, const TiffPage& page) {
  if (!TIFFIsCODECConfigured(page.compression)) {
    const TIFFCodec* codec = TIFFFindCODEC(page.compression);
    return image.Fail("The TIFF page uses compression %u (%s), which cannot be decoded here.",
                      page.compression, codec ? codec->name : "unknown");
  }
  const uint64_t rows = RowsWithData(tiff, page.height);
  if (IsFarShort(rows, page.width, page.height)) return FailFarShort(image, rows, page.height);
  return true;
}

void WarnAboutDamage(const DibImage& image, const TiffPage& page, uint32_t failedRows,
                     const TiffReports& reports) {
  if (failedRows > 0) {
    image.Warn("%u of the %u rows of the TIFF page could not be decoded and are left blank (%s).",
               failedRows, page.height, reports.Summary().c_str());
  } else if (reports.errors + reports.warnings > 0) {
    image.Warn("The TIFF file is damaged: %s.", reports.Summary().c_str());
  }
}

}  // namespace

int CountTiffPages(const DibImage& image, const std::string& path) {
  TiffReports reports;
  TiffHandle tiff = OpenTiffFile(path, reports);
  if (!tiff) {
    FailToOpen(image, path, reports);
    return -1;
  }
  int pageCount = 1;
  while (TIFFReadDirectory(tiff.get())) ++pageCount;
  return pageCount;
}

bool ReadTiff(DibImage& image, const std::string& path, int pageIndex, bool headerOnly) {
  image.Release(true);
  TiffReports reports;
  TiffHandle tiff = OpenTiffFile(path, reports);
  if (!tiff) return FailToOpen(image, path, reports);

  int pageCount = 1;
  const int page = ChoosePage(tiff.get(), pageIndex, pageCount);
  if (page < 0) return FailToOpen(image, path, reports);
  if (page != pageIndex) {
    image.Warn("There is no page %d: the file has %d page%s. Page 1 was read instead.",
               pageIndex + 1, pageCount, pageCount == 1 ? "" : "s");
  }
  TiffPage tags;
  if (!ReadTiffPageTags(image, tiff.get(), tags)) return false;
  // The data's own shortfall is the more telling refusal, so it comes first.
  if (!headerOnly && !CheckDecodable(image, tiff.get(), tags)) return false;
  RasterLayout layout;
  if (!PlanPage(image, tags, layout)) return false;

  const double factor = PixelsPerMetreFactor(tags.resolutionUnit);
  PixelBlock block = AllocateRaster(layout, PixelsPerMetre(tags.xResolution, factor),
                                    PixelsPerMetre(tags.yResolution, factor), headerOnly);
  if (!block) return image.Fail("Failed to allocate %zu bytes for the image.", layout.total);
  uint8_t* palette = block.data() + kBitmapInfoHeaderSize;
  uint8_t* pixels = palette + layout.paletteSize;
  if (!FillPalette(image, tiff.get(), tags, palette)) return false;
  uint32_t failedRows = 0;
  if (!headerOnly) {
    const bool rowsRead =
        tags.kind == TiffPageKind::kRgba
            ? ReadRgbaRows(image, tiff.get(), tags, layout, pixels, failedRows)
        : tags.tiled ? ReadIndexedTiles(image, tiff.get(), tags, layout, pixels, failedRows)
                     : ReadScanlines(image, tiff.get(), tags, layout, pixels, failedRows);
    if (!rowsRead) return false;
    if (failedRows == tags.height) {
      return image.Fail("No row of the TIFF page could be decoded: %s.", reports.Summary().c_str());
    }
  }

  InstallRaster(image, std::move(block), layout);
  DibRaster& r = image.raster;
  r.sourceBitsPerPixel = tags.fileBits();
  r.xResolution = RoundResolution(tags.xResolution);
  r.yResolution = RoundResolution(tags.yResolution);
  r.resolutionUnit = tags.resolutionUnit;
  r.photometric = tags.kind == TiffPageKind::kIndexed ? tags.photometric : kPhotometricRgb;
  r.pageCount = pageCount;
  r.pageIndex = page;
  r.grayFlag = image.IsGrayRamp() ? 1 : 0;
  if (headerOnly) {
    r.block.reset();
  } else {
    WarnAboutDamage(image, tags, failedRows, reports);
  }
  return true;
}

}  // namespace leaf
