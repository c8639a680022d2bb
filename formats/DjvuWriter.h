// Writing DjVu and IW44 files: the raster is prepared for the coding layer
// (gray sense, depth, row order, upsampling) and handed to its encoders.
#pragma once

#include <memory>
#include <string>

#include "DjvuUpsampling.h"
#include "image/DibImage.h"
#include "libAPI/djvu_encode.h"
#include "libAPI/djvu_image.h"
#include "libAPI/djvu_mask.h"
#include "ocr/PageRecognition.h"

namespace leaf {

struct RunImageDeleter {
  void operator()(djvu_run_image* run) const { djvu_run_image_free(run); }
};
using OwnedRunImage = std::unique_ptr<djvu_run_image, RunImageDeleter>;

// A page's resolution as a DjVu page takes it, in dots per inch: converted
// from centimetres; both 0 when the page has none it can use (no unit, or
// below 25 dpi, which only aspect ratios such as 1 x 1 give).
struct PageResolution {
  int x = 0;
  int y = 0;
};
PageResolution DjvuResolution(const DibRaster& raster);

// Fills pixels (cleared by the caller) with the main raster as the coding
// layer's pixel image. 8-bit gray and 24-bit rasters are handed over in
// place; 1-, 4- and 8-bit palette rasters are converted into storage, which
// must then outlive pixels. Returns 1 when storage holds the pixels, 0 when
// they are the raster's own, -1 after a reported failure.
int MakePixelImage(const DibImage& image, djvu_pixel_image& pixels, PixelBlock& storage);

// The bilevel run image (bit 7 set = white) of a 1-bit raster stored
// top-down, at the raster's resolution (the higher of two that differ).
// Null after a reported failure.
OwnedRunImage MakeRunImage(const DibImage& image);

// How many times EncodeDjvu enlarges this page (of square pixels) before
// finding its mask: 1 for a bilevel page and for one of black and white
// pixels only, else ChooseDjvuUpsampling's factor. 0 after a reported failure.
int DjvuEnlargement(const DibImage& image, int upsample);

// Encodes the image as a DjVu page (see SaveDjvu) and hands the finished
// file to output. A failure names the coding layer's reason.
bool EncodeDjvu(DibImage& image, int upsample, bool textOnly, const djvu_mask_options& maskOptions,
                const djvu_encode_options& encodeOptions, djvu_output_routine output, void* context,
                const OcrSettings& ocr = {});

// Writes the image as a DjVu page: a 1-bit raster as a bilevel page, any
// other as a compound page (or, with textOnly, as its bilevel text mask).
// A page whose two resolutions differ is saved from a copy resampled to
// square pixels at the higher one; the image itself stays as it is.
// upsample is kDjvuUpsampleAuto (enlarge a low-resolution page, see
// DjvuUpsampleFactor), kDjvuUpsampleNone or -2, -3, -4 (enlarge before
// finding the mask). A failed save leaves no file behind and an existing file as it was.
// With ocr enabled, the text of the page as scanned (not of its mask) is
// recognised on a second thread while the page is encoded, and goes into the
// page as its hidden text layer (TXTz); a recognition that fails (a missing
// language) fails the save.
bool SaveDjvu(DibImage& image, const std::string& path, int upsample, bool textOnly,
              const djvu_mask_options& maskOptions, const djvu_encode_options& encodeOptions,
              const OcrSettings& ocr = {});

// Writes the image as an IW44 file (or a bilevel DjVu page when it holds
// only black and white); pages of two resolutions as SaveDjvu does.
bool SaveIw44(DibImage& image, const std::string& path, const djvu_photo_options& options);

}  // namespace leaf
