// Helpers for the encoder tests: collecting the output, reading its chunks
// back, and catching the layer's reports.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "libAPI/djvu_encode.h"

namespace leaf::test {

// An output routine that appends to a std::vector<unsigned char> (context).
size_t AppendOutput(void* context, const void* buffer, size_t length);

struct Chunk {
  std::string id;
  std::vector<unsigned char> data;
};

// The chunks of an IFF file that starts with "AT&T" and one FORM; the
// form's own type in formType. Empty when the layout is wrong.
struct IffFile {
  std::string formType;
  std::vector<Chunk> chunks;
  std::vector<std::string> ids() const;
};
IffFile ParseIff(const std::vector<unsigned char>& bytes);

// Installs an error and a progress handler that record what they are given,
// and removes them again.
class LayerReports {
 public:
  LayerReports();
  ~LayerReports();
  LayerReports(const LayerReports&) = delete;
  LayerReports& operator=(const LayerReports&) = delete;

  const std::vector<std::string>& errors() const;
  // "text percent" for every progress report.
  const std::vector<std::string>& progress() const;
  void clear();
};

// A pixel image over a vector, 3 bytes per pixel (RGB) or 1 (gray),
// stored top row first.
struct TestPage {
  std::vector<unsigned char> bytes;
  djvu_pixel_image image{};
  TestPage(unsigned w, unsigned h, bool gray);
  unsigned char* pixel(unsigned x, unsigned yFromTop);
};

// A bilevel run image (bit 7 set = white) of a picture drawn by ink(x, y
// from the top); the caller frees nothing, the vector owns the runs.
struct TestMask {
  std::vector<unsigned char> runs;
  djvu_run_image image{};
  template <typename Ink>
  TestMask(unsigned w, unsigned h, unsigned dpi, Ink ink) {
    for (unsigned y = 0; y < h; ++y) {
      for (unsigned x = 0; x < w; ++x) Add(ink(x, y));
    }
    Finish(w, h, dpi);
  }

 private:
  void Add(bool black);
  void Finish(unsigned w, unsigned h, unsigned dpi);
};

}  // namespace leaf::test
