#include <cstring>
#include <vector>

#include "AtomicFile.h"
#include "Png.h"
#include "PngCodec.h"
#include "image/Progress.h"

namespace leaf {

namespace {

struct Encoder {
  Encoder() {
    png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &reports, KeepPngError, KeepPngWarning);
    if (png) info = png_create_info_struct(png);
  }
  ~Encoder() { png_destroy_write_struct(&png, info ? &info : nullptr); }
  Encoder(const Encoder&) = delete;
  Encoder& operator=(const Encoder&) = delete;

  PngReports reports;
  png_structp png = nullptr;
  png_infop info = nullptr;
};

bool IsBlack(const uint8_t* entry) { return entry[0] == 0 && entry[1] == 0 && entry[2] == 0; }
bool IsWhite(const uint8_t* entry) { return entry[0] == 255 && entry[1] == 255 && entry[2] == 255; }

// How the raster's rows become PNG rows.
struct Layout {
  int colorType = PNG_COLOR_TYPE_RGB;
  int depth = 8;
  bool invert = false;  // stored bits or levels are written inverted
  bool bgr = false;     // blue, green, red pixels
};

bool ChooseLayout(const DibImage& image, Layout& layout) {
  const DibRaster& r = image.raster;
  const uint8_t* palette = r.palette();
  switch (r.bitsPerPixel) {
    case 1:
      if (r.paletteEntries() >= 2 && ((IsBlack(palette) && IsWhite(palette + 4)) ||
                                      (IsWhite(palette) && IsBlack(palette + 4)))) {
        layout.colorType = PNG_COLOR_TYPE_GRAY;
        layout.invert = IsWhite(palette);
      } else {
        layout.colorType = PNG_COLOR_TYPE_PALETTE;
      }
      layout.depth = 1;
      return true;
    case 4:
      layout.colorType = PNG_COLOR_TYPE_PALETTE;
      layout.depth = 4;
      return true;
    case 8:
      if (r.grayFlag) {
        layout.colorType = PNG_COLOR_TYPE_GRAY;
        layout.invert = r.photometric == kPhotometricMinIsWhite;
      } else {
        layout.colorType = PNG_COLOR_TYPE_PALETTE;
      }
      return true;
    case 24: layout.bgr = true; return true;
    default:
      return image.Fail(
          "PNG saving not supported for this color depth (%d bits per pixel; pictures of 1, 4, "
          "8 and 24 bits are saved).",
          r.bitsPerPixel);
  }
}

void SetPalette(const DibRaster& r, const Layout& layout, png_structp png, png_infop info) {
  if (layout.colorType != PNG_COLOR_TYPE_PALETTE) return;
  const size_t entries = std::min<size_t>(r.paletteEntries(), size_t{1} << layout.depth);
  std::vector<png_color> colours(std::max<size_t>(entries, 1));
  for (size_t i = 0; i < entries; ++i) {
    const uint8_t* entry = r.palette() + i * kPaletteEntrySize;
    colours[i] = png_color{entry[2], entry[1], entry[0]};
  }
  png_set_PLTE(png, info, colours.data(), static_cast<int>(colours.size()));
}

void SetResolution(const DibRaster& r, png_structp png, png_infop info) {
  const double perMetre = r.resolutionUnit == kResolutionUnitCentimetre ? 100
                          : r.resolutionUnit == kResolutionUnitInch     ? 100 / 2.54
                                                                        : 0;
  if (perMetre == 0 || r.xResolution <= 0 || r.yResolution <= 0) return;
  png_set_pHYs(png, info, static_cast<png_uint_32>(r.xResolution * perMetre + 0.5),
               static_cast<png_uint_32>(r.yResolution * perMetre + 0.5), PNG_RESOLUTION_METER);
}

// Writes the rows top first. No object with a destructor lives across the
// libpng calls: an error leaves by longjmp.
bool WriteRows(const DibImage& image, Encoder& e, std::FILE* file, const Layout& layout,
               uint8_t* line, RowProgress& progress) {
  const DibRaster& r = image.raster;
  if (setjmp(png_jmpbuf(e.png)) != 0) return false;
  png_init_io(e.png, file);
  png_set_IHDR(e.png, e.info, static_cast<png_uint_32>(r.width), static_cast<png_uint_32>(r.height),
               layout.depth, layout.colorType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  SetPalette(r, layout, e.png, e.info);
  SetResolution(r, e.png, e.info);
  png_write_info(e.png, e.info);
  if (layout.bgr) png_set_bgr(e.png);
  const size_t rowBytes = (static_cast<size_t>(r.width) * r.bitsPerPixel + 7) / 8;
  for (int y = 0; y < r.height; ++y) {
    const uint8_t* row = r.topRow(y);
    if (layout.invert) {
      for (size_t i = 0; i < rowBytes; ++i) line[i] = static_cast<uint8_t>(~row[i]);
      row = line;
    }
    png_write_row(e.png, row);
    progress.Row();
  }
  png_write_end(e.png, e.info);
  return true;
}

}  // namespace

bool WritePng(DibImage& image, const std::string& path) {
  const DibRaster& r = image.raster;
  if (r.empty()) return image.Fail("There is no image to save.");
  Layout layout;
  if (!ChooseLayout(image, layout)) return false;
  AtomicFile out(path);
  if (!out.Open()) return FailToCreate(image, out);
  Encoder e;
  if (!e.png || !e.info) return image.Fail("Failed to set up the PNG encoder.");
  std::vector<uint8_t> line(r.rowStride);
  RowProgress progress(image, "Saving to file...", r.height);
  if (!WriteRows(image, e, out.stream(), layout, line.data(), progress)) {
    if (std::ferror(out.stream()) && e.reports.systemError) {
      return image.Fail("Cannot write %s: %s.", path.c_str(), std::strerror(e.reports.systemError));
    }
    return image.Fail("Failed to write %s: %s.", path.c_str(), e.reports.error.c_str());
  }
  if (!out.Commit()) return FailToWrite(image, out);
  return true;
}

}  // namespace leaf
