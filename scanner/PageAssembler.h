// Makes the frames a scanner sends into one page: gray frames of 1, 8 or 16
// bits, interleaved colour frames, and the red, green and blue frames of a
// three-pass scanner. Data arrives in pieces of any size; pages of unknown
// length (hand scanners) grow as their lines come.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "formats/RasterLayout.h"
#include "image/DibImage.h"

namespace leaf::scan {

enum class FrameKind { Gray, Rgb, Red, Green, Blue };

struct FrameFormat {
  FrameKind kind = FrameKind::Gray;
  int depth = 8;  // bits per sample: 1, 8 or 16
  int pixelsPerLine = 0;
  int bytesPerLine = 0;
  int lines = -1;  // -1: not known before the frame ends
  bool lastFrame = true;
};

class PageAssembler {
 public:
  // Starts a frame. False (see error()) for a format that cannot be taken or
  // that does not match the earlier frames of the page.
  bool BeginFrame(const FrameFormat& format);
  // The frame's next bytes. Bytes past the announced lines are ignored.
  bool Add(const uint8_t* data, size_t size);
  // Ends the frame; a frame that ends early keeps the lines it sent.
  void EndFrame();

  // True once the last frame of the page has ended.
  bool complete() const { return complete_; }
  // How much of the page has arrived, 0..100; -1 when the length is unknown.
  int percent() const;
  // The lines of the current frame received so far.
  int linesReceived() const { return lines_; }

  // Hands over the page with its resolution in dots per inch. False when no
  // line arrived or the memory cannot be had.
  bool Finish(DibImage& page, int xDpi, int yDpi);

  const std::string& error() const { return error_; }

 private:
  bool Fail(std::string text);
  bool StartPage(const FrameFormat& format);
  bool MatchesPage(const FrameFormat& format) const;
  uint8_t* RowForLine(int line);
  void StoreLine(const uint8_t* line);
  bool BuildRaster(int height);

  FrameFormat frame_;
  bool inFrame_ = false;
  bool complete_ = false;
  int framesExpected_ = 1;
  int framesDone_ = 0;
  unsigned channelsDone_ = 0;  // bits 0 red, 1 green, 2 blue
  int width_ = 0;
  int lines_ = 0;           // lines of the current frame stored
  int pageLines_ = -1;      // the page's announced length, or -1
  int shortestFrame_ = -1;  // the fewest lines a finished frame sent
  int bitsPerPixel_ = 0;
  RasterLayout layout_;
  PixelBlock block_;                  // the page, bottom-up, when its length is known
  std::vector<uint8_t> growingRows_;  // top-down rows of a page of unknown length
  std::vector<uint8_t> partial_;      // the line being received
  size_t partialFill_ = 0;
  std::string error_;
};

}  // namespace leaf::scan
