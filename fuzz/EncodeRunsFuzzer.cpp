// Feeds arbitrary run images (and, half of the time, a page to go with
// them) through the document encoder. Whatever it accepts must come out as
// a file DjVuLibre reads back at the mask's size; everything else must fail
// cleanly.
//
// Input: width and height (one byte each, plus one), runtype, a flags byte
// (bit 0: give a page, bit 1: a gray one, bits 2-4: encoder flags, bits 5-6:
// background target, bit 7: a page of half the mask's size), then the run
// records.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "ByteStream.h"
#include "DjVuImage.h"
#include "libAPI/djvu_encode.h"
#include "libAPI/djvu_error.h"

namespace {

void Quiet(const char*, const char*, int) {}

size_t Append(void* context, const void* buffer, size_t length) {
  auto* bytes = static_cast<std::vector<unsigned char>*>(context);
  const auto* begin = static_cast<const unsigned char*>(buffer);
  bytes->insert(bytes->end(), begin, begin + length);
  return length;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  djvu_set_error_handler(Quiet);
  const unsigned w = data[0] + 1u;
  const unsigned h = data[1] + 1u;
  const unsigned flags = data[3];
  std::vector<unsigned char> runs(data + 4, data + size);
  djvu_run_image mask{};
  mask.w = w;
  mask.h = h;
  mask.runtype = data[2] % 4;  // 3 is refused
  const unsigned record = mask.runtype == DJVU_RUN_BW ? 1 : mask.runtype == DJVU_RUN_GRAY ? 2 : 4;
  mask.nruns = static_cast<unsigned>(runs.size() / record);
  mask.runs = runs.data();
  mask.xres = mask.yres = 300;

  // A page of its own size or half of it, drawn from the run bytes.
  const bool gray = flags & 2;
  const unsigned pw = flags & 0x80 ? (w + 1) / 2 : w;
  const unsigned ph = flags & 0x80 ? (h + 1) / 2 : h;
  std::vector<unsigned char> pixels(static_cast<size_t>(pw) * ph * (gray ? 1 : 3));
  for (size_t i = 0; i < pixels.size(); ++i) {
    pixels[i] = runs.empty() ? static_cast<unsigned char>(i) : runs[i % runs.size()];
  }
  djvu_pixel_image page{};
  page.flags = DJVU_TOPDOWN | (gray ? DJVU_GRAY : DJVU_RGB);
  page.w = pw;
  page.h = ph;
  page.pixsize = gray ? 1 : 3;
  page.rowsize = pw * page.pixsize;
  page.data = pixels.data();

  djvu_encode_options options = djvu_encode_options_default();
  options.flags = (flags >> 2) & 7;
  options.bg_dpi = 25u << ((flags >> 5) & 3);
  std::vector<unsigned char> bytes;
  const bool withPage = (flags & 1) != 0;
  if (djvu_encode(&options, &mask, withPage ? &page : nullptr, Append, &bytes) != 0) return 0;

  GP<DjVuImage> decoded = DjVuImage::create();
  decoded->connect(nullptr);
  G_TRY {
    GP<ByteStream> stream = ByteStream::create(bytes.data(), bytes.size());
    decoded->decode(*stream);
  }
  G_CATCH_ALL { std::abort(); }
  G_ENDCATCH;
  if (decoded->get_width() != static_cast<int>(w) || decoded->get_height() != static_cast<int>(h)) {
    std::abort();
  }
  return 0;
}
