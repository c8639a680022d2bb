// djvu_mask on a whole synthetic page at 300 and 600 dpi. Peak memory, and
// the comparison with DjVuLibre's c44 on a real scan, come from
// bench/mask-vs-c44.sh (fresh processes).
#include <benchmark/benchmark.h>

#include "BenchPages.h"
#include "libAPI/djvu_mask.h"

namespace leaf::bench {
namespace {

void BM_DjvuMask(benchmark::State& state) {
  const int scale = static_cast<int>(state.range(0));  // 1: 300 dpi, 2: 600 dpi
  DibImage dib;
  MakePage(dib, kLetterWidth300 * scale, kLetterHeight300 * scale, 24);
  const DibRaster& r = dib.raster;
  djvu_pixel_image page{};
  page.flags =
      (r.rowOrder == kRowOrderTopDown ? DJVU_TOPDOWN : DJVU_BOTTOMUP) | DJVU_BGR | DJVU_HAS_DPI;
  page.w = static_cast<unsigned>(r.width);
  page.h = static_cast<unsigned>(r.height);
  page.pixsize = 3;
  page.rowsize = static_cast<unsigned>(r.rowStride);
  page.data = const_cast<uint8_t*>(r.pixels());
  page.xres = page.yres = static_cast<unsigned>(300 * scale);
  // The record the application passes when it saves a page as DjVu.
  djvu_mask_options options = djvu_mask_default_options();
  options.double_below_dpi = options.triple_below_dpi = 0;
  for (auto _ : state) {
    djvu_run_image* mask = djvu_mask(&options, &page);
    benchmark::DoNotOptimize(mask);
    if (!mask) state.SkipWithError("djvu_mask failed");
    djvu_run_image_free(mask);
  }
}
BENCHMARK(BM_DjvuMask)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace leaf::bench
