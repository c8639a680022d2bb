#include "PnmStream.h"

#include <cctype>
#include <climits>
#include <cstring>
#include <memory>

#include "djvu_error.h"

namespace djvu {

namespace {

[[noreturn]] void Fail(const char* message, int line) { Throw(message, kPnmStreamSource, line); }

struct RunImageDeleter {
  void operator()(djvu_run_image* run) const { djvu_run_image_free(run); }
};

}  // namespace

int PnmStream::NextByte() {
  if (position_ == length_) {
    length_ = read_(context_, window_, kWindow);
    position_ = 0;
    if (length_ == 0) return -1;
    if (length_ > kWindow) Fail("I/O Read Error", __LINE__);
  }
  return window_[position_++];
}

void PnmStream::ReadSamples(unsigned char* sample, unsigned count) {
  for (unsigned i = 0; i < count; ++i) {
    const int byte = NextByte();
    if (byte < 0) Fail("I/O Read Error", __LINE__);
    sample[i] = static_cast<unsigned char>(byte);
  }
}

unsigned PnmStream::ReadHeaderNumber() {
  int byte = NextByte();
  while (byte == '#' || (byte >= 0 && std::isspace(byte))) {
    if (byte == '#') {
      while (byte >= 0 && byte != '\n') byte = NextByte();
    }
    byte = NextByte();
  }
  if (byte < 0 || !std::isdigit(byte)) Fail("I/O Read Error", __LINE__);
  unsigned long long value = 0;
  for (; byte >= 0 && std::isdigit(byte); byte = NextByte()) {
    value = value * 10 + static_cast<unsigned>(byte - '0');
    if (value > UINT_MAX) Fail("I/O Read Error", __LINE__);
  }
  // The single whitespace byte after the number was consumed with it.
  if (byte >= 0 && !std::isspace(byte)) Fail("I/O Read Error", __LINE__);
  return static_cast<unsigned>(value);
}

djvu_run_image* PnmStream::ReadRunImage(unsigned xres, unsigned yres) {
  if (!read_) Fail("No Input specified", __LINE__);
  unsigned char magic[2];
  ReadSamples(magic, 2);
  if (magic[0] != 'P' || (magic[1] != '5' && magic[1] != '6')) Fail("I/O Read Error", __LINE__);
  const bool colour = magic[1] == '6';
  const unsigned w = ReadHeaderNumber(), h = ReadHeaderNumber(), maxval = ReadHeaderNumber();
  if (maxval != 255) Fail("I/O Read Error", __LINE__);

  const unsigned channels = colour ? 3 : 1;
  const unsigned recordSize = channels + 1;
  const unsigned long long pixels = static_cast<unsigned long long>(w) * h;
  if (pixels > UINT_MAX) Fail("calloc failed", __LINE__);
  std::unique_ptr<djvu_run_image, RunImageDeleter> run(new djvu_run_image{});
  run->w = w;
  run->h = h;
  run->xres = xres;
  run->yres = yres;
  run->runtype = colour ? DJVU_RUN_COLOR : DJVU_RUN_GRAY;
  // Worst case: every pixel a run of its own.
  run->runs = static_cast<unsigned char*>(_djvu_calloc(static_cast<size_t>(pixels), recordSize));
  if (!run->runs) Fail("calloc failed", __LINE__);

  unsigned char* out = run->runs;
  unsigned char value[3] = {0, 0, 0}, sample[3];
  unsigned length = 0;
  const auto emit = [&] {
    out[0] = static_cast<unsigned char>(length - 1);
    std::memcpy(out + 1, value, channels);
    out += recordSize;
  };
  for (unsigned long long i = 0; i < pixels; ++i) {
    ReadSamples(sample, channels);
    if (length > 0 && length < 256 && std::memcmp(sample, value, channels) == 0) {
      ++length;
      continue;
    }
    if (length > 0) emit();
    std::memcpy(value, sample, channels);
    length = 1;
  }
  if (length > 0) emit();
  run->nruns = static_cast<unsigned>((out - run->runs) / recordSize);
  // Give back what the worst case did not need.
  const size_t used = static_cast<size_t>(out - run->runs);
  if (void* shrunk = _djvu_realloc(run->runs, used))
    run->runs = static_cast<unsigned char*>(shrunk);
  return run.release();
}

}  // namespace djvu
