// djvu_encode on the synthetic 300-dpi letter page: a bilevel page from its
// run image, and a compound page from the colour page and its mask (found
// once, outside the timing); and the whole save of a 100-dpi page. bench/compare.sh measures the
// whole save beside c44, cjb2 and JPEG on real pages.
#include <benchmark/benchmark.h>

#include <vector>

#include "BenchPages.h"
#include "formats/DjvuWriter.h"
#include "libAPI/djvu_encode.h"
#include "libAPI/djvu_mask.h"

namespace leaf::bench {
namespace {

size_t Collect(void* context, const void* buffer, size_t length) {
  auto* bytes = static_cast<std::vector<unsigned char>*>(context);
  const auto* begin = static_cast<const unsigned char*>(buffer);
  bytes->assign(begin, begin + length);
  return length;
}

// The encoder options the application passes with the default settings.
djvu_encode_options ApplicationOptions() {
  djvu_encode_options options = djvu_encode_options_default();
  options.quality = 80;
  options.fg_dpi = 50;
  options.bg_dpi = 100;
  return options;
}

void BM_DjvuEncodeBilevel(benchmark::State& state) {
  DibImage dib;
  MakePage(dib, kLetterWidth300, kLetterHeight300, 1);
  const OwnedRunImage runs = MakeRunImage(dib);
  if (!runs) {
    state.SkipWithError("MakeRunImage failed");
    return;
  }
  const djvu_encode_options options = ApplicationOptions();
  std::vector<unsigned char> bytes;
  for (auto _ : state) {
    if (djvu_encode(&options, runs.get(), nullptr, Collect, &bytes) != 0) {
      state.SkipWithError("djvu_encode failed");
    }
  }
  state.counters["bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_DjvuEncodeBilevel)->Unit(benchmark::kMillisecond);

void BM_DjvuEncodeCompound(benchmark::State& state) {
  DibImage dib;
  MakePage(dib, kLetterWidth300, kLetterHeight300, 24);
  djvu_pixel_image page{};
  PixelBlock storage;
  if (MakePixelImage(dib, page, storage) < 0) {
    state.SkipWithError("MakePixelImage failed");
    return;
  }
  djvu_mask_options maskOptions = djvu_mask_default_options();
  maskOptions.double_below_dpi = maskOptions.triple_below_dpi = 0;
  const OwnedRunImage mask(djvu_mask(&maskOptions, &page));
  if (!mask) {
    state.SkipWithError("djvu_mask failed");
    return;
  }
  const djvu_encode_options options = ApplicationOptions();
  std::vector<unsigned char> bytes;
  for (auto _ : state) {
    if (djvu_encode(&options, mask.get(), &page, Collect, &bytes) != 0) {
      state.SkipWithError("djvu_encode failed");
    }
  }
  state.counters["bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_DjvuEncodeCompound)->Unit(benchmark::kMillisecond);

// The whole save of a 100-dpi colour letter page, as the application makes
// it: the page enlarged three times for its mask, the colour layers taken
// from the page at its own size. c44 codes such a page in about 115 ms of
// CPU (bench/quality.py).
void BM_SaveDjvuLowResolution(benchmark::State& state) {
  DibImage dib;
  MakePage(dib, kLetterWidth300 / 3, kLetterHeight300 / 3, 24);
  dib.raster.xResolution = dib.raster.yResolution = 100;
  dib.raster.resolutionUnit = kResolutionUnitInch;
  if (DjvuEnlargement(dib, kDjvuUpsampleAuto) != 3) {
    state.SkipWithError("the page is not enlarged three times");
    return;
  }
  djvu_mask_options maskOptions = djvu_mask_default_options();
  maskOptions.double_below_dpi = maskOptions.triple_below_dpi = 0;
  const djvu_encode_options options = ApplicationOptions();
  std::vector<unsigned char> bytes;
  const auto append = [](void* context, const void* buffer, size_t length) {
    auto* to = static_cast<std::vector<unsigned char>*>(context);
    to->insert(to->end(), static_cast<const unsigned char*>(buffer),
               static_cast<const unsigned char*>(buffer) + length);
    return length;
  };
  for (auto _ : state) {
    bytes.clear();
    if (!EncodeDjvu(dib, kDjvuUpsampleAuto, false, maskOptions, options, append, &bytes)) {
      state.SkipWithError("EncodeDjvu failed");
    }
  }
  state.counters["bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_SaveDjvuLowResolution)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace leaf::bench
