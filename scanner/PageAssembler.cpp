#include "PageAssembler.h"

#include <algorithm>
#include <cstring>

#include "image/BitmapInfoHeader.h"
#include "image/Messages.h"

namespace leaf::scan {

namespace {

// The reason the message buffer holds, else the fallback.
std::string ReasonOr(const std::string& fallback) {
  return *LastMessage() ? std::string(LastMessage()) : fallback;
}

int ChannelsOf(FrameKind kind) { return kind == FrameKind::Rgb ? 3 : 1; }

bool IsChannelFrame(FrameKind kind) {
  return kind == FrameKind::Red || kind == FrameKind::Green || kind == FrameKind::Blue;
}

// Where a channel frame's samples go in a blue-green-red pixel.
int BgrOffset(FrameKind kind) {
  switch (kind) {
    case FrameKind::Red: return 2;
    case FrameKind::Green: return 1;
    default: return 0;
  }
}

unsigned ChannelBit(FrameKind kind) { return 1u << BgrOffset(kind); }

// Sample index of a line as 0..255: bits (1 = full intensity), bytes, or
// 16-bit samples in the machine's byte order reduced to their high byte.
uint8_t Sample(const uint8_t* line, size_t index, int depth) {
  switch (depth) {
    case 1: return (line[index >> 3] >> (7 - (index & 7))) & 1 ? 255 : 0;
    case 16: {
      uint16_t value;
      std::memcpy(&value, line + 2 * index, 2);
      return static_cast<uint8_t>(value >> 8);
    }
    default: return line[index];
  }
}

size_t PaletteBytes(int bitsPerPixel) {
  return bitsPerPixel == 1   ? 2 * kPaletteEntrySize
         : bitsPerPixel == 8 ? 256 * kPaletteEntrySize
                             : 0;
}

// Black-and-white pages: entry 0 the paper (white), entry 1 the ink, as a
// scanner's line-art bits have it. Gray pages: a rising ramp.
void FillPalette(uint8_t* palette, int bitsPerPixel) {
  if (bitsPerPixel == 1) {
    std::memset(palette, 255, 3);
  } else if (bitsPerPixel == 8) {
    for (int i = 0; i < 256; ++i) std::memset(palette + i * kPaletteEntrySize, i, 3);
  }
}

}  // namespace

bool PageAssembler::Fail(std::string text) {
  error_ = std::move(text);
  return false;
}

bool PageAssembler::BeginFrame(const FrameFormat& format) {
  if (inFrame_) EndFrame();
  if (format.depth != 1 && format.depth != 8 && format.depth != 16) {
    return Fail("The scanner sends samples of " + std::to_string(format.depth) +
                " bits, which cannot be read (1, 8 or 16 can).");
  }
  if (format.pixelsPerLine <= 0 || format.lines == 0 || format.lines < -1) {
    return Fail("The scanner announced a page of " + std::to_string(format.pixelsPerLine) + " x " +
                std::to_string(format.lines) + " pixels.");
  }
  const size_t needed = (static_cast<size_t>(format.pixelsPerLine) * ChannelsOf(format.kind) *
                             static_cast<size_t>(format.depth) +
                         7) /
                        8;
  if (format.bytesPerLine <= 0 || static_cast<size_t>(format.bytesPerLine) < needed ||
      static_cast<size_t>(format.bytesPerLine) > kMaxBlockBytes) {
    return Fail("The scanner announced lines of " + std::to_string(format.bytesPerLine) +
                " bytes for " + std::to_string(format.pixelsPerLine) + " pixels.");
  }
  if (framesDone_ == 0 && !complete_) {
    if (!StartPage(format)) return false;
  } else if (complete_ || !MatchesPage(format)) {
    return Fail("The scanner sent a frame that does not belong to the page.");
  }
  frame_ = format;
  partial_.assign(static_cast<size_t>(format.bytesPerLine), 0);
  partialFill_ = 0;
  lines_ = 0;
  inFrame_ = true;
  return true;
}

bool PageAssembler::StartPage(const FrameFormat& format) {
  if (format.kind == FrameKind::Gray) {
    bitsPerPixel_ = format.depth == 1 ? 1 : 8;
  } else {
    bitsPerPixel_ = 24;
  }
  framesExpected_ = IsChannelFrame(format.kind) ? 3 : 1;
  width_ = format.pixelsPerLine;
  pageLines_ = format.lines;
  shortestFrame_ = -1;
  channelsDone_ = 0;
  const size_t palette = PaletteBytes(bitsPerPixel_);
  ClearMessage();
  if (!PlanRaster(DibImage(), width_, pageLines_ > 0 ? pageLines_ : 1, bitsPerPixel_, palette,
                  layout_)) {
    return Fail(ReasonOr("The page of " + std::to_string(width_) + " x " +
                         std::to_string(pageLines_) + " pixels is too large to hold."));
  }
  if (pageLines_ > 0) {
    block_ = AllocateRaster(layout_, 0, 0);
    if (!block_)
      return Fail("Failed to allocate " + std::to_string(layout_.total) + " bytes for the page.");
    FillPalette(block_.data() + kBitmapInfoHeaderSize, bitsPerPixel_);
  }
  return true;
}

bool PageAssembler::MatchesPage(const FrameFormat& format) const {
  return IsChannelFrame(format.kind) && IsChannelFrame(frame_.kind) &&
         (channelsDone_ & ChannelBit(format.kind)) == 0 && format.pixelsPerLine == width_ &&
         format.lines == pageLines_;
}

uint8_t* PageAssembler::RowForLine(int line) {
  if (pageLines_ > 0) {
    if (line >= pageLines_) return nullptr;
    return block_.data() + kBitmapInfoHeaderSize + layout_.paletteSize +
           static_cast<size_t>(pageLines_ - 1 - line) * layout_.rowStride;
  }
  const size_t offset = static_cast<size_t>(line) * layout_.rowStride;
  if (offset < growingRows_.size()) return growingRows_.data() + offset;
  // Only the first frame of a page of unknown length makes it longer.
  if (framesDone_ > 0) return nullptr;
  const size_t fixed = kBitmapInfoHeaderSize + layout_.paletteSize;
  if (offset + layout_.rowStride > kMaxBlockBytes - fixed) return nullptr;
  growingRows_.resize(offset + layout_.rowStride, 0);
  return growingRows_.data() + offset;
}

void PageAssembler::StoreLine(const uint8_t* line) {
  uint8_t* row = RowForLine(lines_);
  if (!row) return;
  ++lines_;
  const int depth = frame_.depth;
  const size_t width = static_cast<size_t>(width_);
  switch (frame_.kind) {
    case FrameKind::Gray:
      if (depth == 1) {
        const size_t bytes = (width + 7) / 8;
        std::memcpy(row, line, bytes);
        if (width % 8) row[bytes - 1] &= static_cast<uint8_t>(0xFF << (8 - width % 8));
      } else if (depth == 8) {
        std::memcpy(row, line, width);
      } else {
        for (size_t x = 0; x < width; ++x) row[x] = Sample(line, x, depth);
      }
      break;
    case FrameKind::Rgb:
      for (size_t x = 0; x < width; ++x) {
        row[3 * x] = Sample(line, 3 * x + 2, depth);
        row[3 * x + 1] = Sample(line, 3 * x + 1, depth);
        row[3 * x + 2] = Sample(line, 3 * x, depth);
      }
      break;
    default: {
      const int offset = BgrOffset(frame_.kind);
      for (size_t x = 0; x < width; ++x) row[3 * x + offset] = Sample(line, x, depth);
    }
  }
}

bool PageAssembler::Add(const uint8_t* data, size_t size) {
  if (!inFrame_) return Fail("The scanner sent data outside a frame.");
  while (size > 0) {
    const size_t take = std::min(size, partial_.size() - partialFill_);
    std::memcpy(partial_.data() + partialFill_, data, take);
    partialFill_ += take;
    data += take;
    size -= take;
    if (partialFill_ < partial_.size()) break;
    partialFill_ = 0;
    const bool longer = pageLines_ < 0 && framesDone_ == 0;
    const size_t before = growingRows_.size();
    StoreLine(partial_.data());
    if (longer && growingRows_.size() == before) {
      return Fail("The page is too long to hold (more than " + std::to_string(lines_) + " lines).");
    }
  }
  return true;
}

void PageAssembler::EndFrame() {
  if (!inFrame_) return;
  inFrame_ = false;
  ++framesDone_;
  if (IsChannelFrame(frame_.kind)) channelsDone_ |= ChannelBit(frame_.kind);
  shortestFrame_ = shortestFrame_ < 0 ? lines_ : std::min(shortestFrame_, lines_);
  partial_.clear();
  partial_.shrink_to_fit();
  if (frame_.lastFrame || framesDone_ >= framesExpected_) complete_ = true;
}

int PageAssembler::percent() const {
  if (pageLines_ <= 0) return -1;
  const long long total = static_cast<long long>(pageLines_) * framesExpected_;
  const long long done = static_cast<long long>(framesDone_) * pageLines_ + (inFrame_ ? lines_ : 0);
  return static_cast<int>(std::min<long long>(100, done * 100 / total));
}

bool PageAssembler::BuildRaster(int height) {
  RasterLayout layout;
  ClearMessage();
  if (!PlanRaster(DibImage(), width_, height, bitsPerPixel_, layout_.paletteSize, layout)) {
    return Fail(ReasonOr("The page is too large to hold."));
  }
  PixelBlock block = AllocateRaster(layout, 0, 0);
  if (!block)
    return Fail("Failed to allocate " + std::to_string(layout.total) + " bytes for the page.");
  FillPalette(block.data() + kBitmapInfoHeaderSize, bitsPerPixel_);
  uint8_t* pixels = block.data() + kBitmapInfoHeaderSize + layout.paletteSize;
  for (int y = 0; y < height; ++y) {
    const uint8_t* source = pageLines_ > 0
                                ? block_.data() + kBitmapInfoHeaderSize + layout_.paletteSize +
                                      static_cast<size_t>(pageLines_ - 1 - y) * layout_.rowStride
                                : growingRows_.data() + static_cast<size_t>(y) * layout_.rowStride;
    std::memcpy(pixels + static_cast<size_t>(height - 1 - y) * layout.rowStride, source,
                layout.rowStride);
  }
  block_ = std::move(block);
  layout_ = layout;
  growingRows_.clear();
  growingRows_.shrink_to_fit();
  pageLines_ = height;
  return true;
}

bool PageAssembler::Finish(DibImage& page, int xDpi, int yDpi) {
  if (inFrame_) EndFrame();
  if (!complete_) return Fail("The scanner ended the page before its last frame.");
  const int height = shortestFrame_;
  if (height <= 0) return Fail("The scanner sent no image data.");
  if (height != pageLines_ && !BuildRaster(height)) return false;

  BitmapInfoHeader header = BitmapInfoHeader::Read(block_.data());
  header.xPelsPerMeter = PixelsPerMetreFromDpi(xDpi);
  header.yPelsPerMeter = PixelsPerMetreFromDpi(yDpi);
  header.Write(block_.data());

  page.Release(true);
  InstallRaster(page, std::move(block_), layout_);
  DibRaster& r = page.raster;
  r.sourceBitsPerPixel = bitsPerPixel_ == 24 ? 3 * frame_.depth : frame_.depth;
  r.photometric = bitsPerPixel_ == 1   ? kPhotometricMinIsWhite
                  : bitsPerPixel_ == 8 ? kPhotometricMinIsBlack
                                       : kPhotometricRgb;
  r.grayFlag = bitsPerPixel_ == 8 ? 1 : 0;
  r.xResolution = xDpi > 0 ? xDpi : 0;
  r.yResolution = yDpi > 0 ? yDpi : 0;
  r.resolutionUnit = kResolutionUnitInch;
  *this = PageAssembler();
  return true;
}

}  // namespace leaf::scan
