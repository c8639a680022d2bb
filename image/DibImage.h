// The program's raster image: a main raster, a thumbnail raster and two callbacks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "DibRaster.h"

namespace leaf {

// The only import format: a packed device-independent bitmap.
inline constexpr int kImportFormatPackedDib = 5;

class DibImage {
 public:
  // Called with the message buffer after a failure text was written to it.
  using ErrorCallback = std::function<void(const char* text)>;
  // Called with a status text and a percentage 0..100.
  using ProgressCallback = std::function<void(const char* text, int percent)>;
  // Called with a warning: damaged data a reader worked around, or a
  // fallback it took. The operation itself succeeded.
  using WarningCallback = std::function<void(const char* text)>;

  DibImage() = default;
  ~DibImage() { Release(true); }
  DibImage(const DibImage&) = delete;
  DibImage& operator=(const DibImage&) = delete;
  DibImage(DibImage&&) noexcept = default;
  DibImage& operator=(DibImage&&) noexcept = default;

  DibRaster raster;     // the main raster
  DibRaster thumbnail;  // filled only by MakeThumbnail

  void SetErrorCallback(ErrorCallback callback) { onError_ = std::move(callback); }
  void SetProgressCallback(ProgressCallback callback) { onProgress_ = std::move(callback); }
  void SetWarningCallback(WarningCallback callback) { onWarning_ = std::move(callback); }
  const ProgressCallback& progressCallback() const { return onProgress_; }
  bool hasProgressCallback() const { return static_cast<bool>(onProgress_); }

  // Empties both rasters. The page link is dropped when freePageLink is set,
  // otherwise it stays in the main raster. The decoded page itself is freed
  // once no image refers to it any more.
  void Release(bool freePageLink);

  // Fills the main raster from a header, a palette and pixel rows given
  // separately (clipboard, scanner, text label). The caller releases first.
  bool Import(const uint8_t* header, size_t headerSize, const uint8_t* palette, size_t paletteSize,
              const uint8_t* pixels, size_t pixelSize, int format);

  // Makes the main raster a copy of the source's main raster; the page link is shared.
  bool Clone(const DibImage& source);

  // True when the main raster is 8-bit with an exact 256-level gray ramp;
  // sets the photometric field to tell ascending from descending.
  bool IsGrayRamp();

  // Fills both resolutions (dots per inch) from the header's pixels per metre.
  // Returns -1 (and zero resolutions) when there is no block, else 0.
  int ResolutionFromHeader();

  // Palette bytes implied by the header of the main block.
  size_t PaletteSizeFromHeader() const;

  // Writes the failure text to the message buffer, calls the error callback
  // and returns false.
  bool Fail(const char* format, ...) const __attribute__((format(printf, 2, 3)));

  // Calls the progress callback when one is installed.
  void ReportProgress(const char* text, int percent) const;

  // Formats a warning and hands it to the warning callback; nothing happens
  // without one. The message buffer is left alone.
  void Warn(const char* format, ...) const __attribute__((format(printf, 2, 3)));

 private:
  ErrorCallback onError_;
  ProgressCallback onProgress_;
  WarningCallback onWarning_;
};

// Palette bytes for a header: colours used x 4 when given, else by bit count.
size_t PaletteSizeForHeader(uint32_t bitCount, uint32_t compression, uint32_t colorsUsed);

// Dots per inch from pixels per metre, rounded.
int DpiFromPixelsPerMetre(int32_t pixelsPerMetre);
// Pixels per metre from dots per inch, rounded.
int32_t PixelsPerMetreFromDpi(int dpi);

}  // namespace leaf
