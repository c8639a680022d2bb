// Reads a binary graymap (P5) or pixmap (P6) of maximum value 255 through a
// small window and packs equal neighbouring samples into runs.
#pragma once

#include <cstddef>

#include "djvu_image.h"

namespace djvu {

inline constexpr char kPnmStreamSource[] = "libAPI/PnmStream";

// Fills up to length bytes; returns how many were read (0 at the end).
using PnmReadRoutine = size_t (*)(void* context, unsigned char* buffer, size_t length);

class PnmStream {
 public:
  PnmStream(PnmReadRoutine read, void* context) : read_(read), context_(context) {}

  // A new run image (DJVU_RUN_GRAY for P5, DJVU_RUN_COLOR red-green-blue for
  // P6) with the given resolutions; throws on failure.
  djvu_run_image* ReadRunImage(unsigned xres, unsigned yres);

 private:
  static constexpr size_t kWindow = 512;

  int NextByte();  // -1 at the end of the input
  unsigned ReadHeaderNumber();
  void ReadSamples(unsigned char* sample, unsigned count);

  PnmReadRoutine read_;
  void* context_;
  unsigned char window_[kWindow];
  size_t position_ = 0;
  size_t length_ = 0;
};

}  // namespace djvu
