#include <benchmark/benchmark.h>

#include "BenchFiles.h"
#include "BenchPages.h"
#include "formats/Jpeg.h"
#include "formats/Pnm.h"

namespace leaf::bench {
namespace {

constexpr int kQuality = 75;

// A noisy colour page at 300 dpi, also kept as bench-page.ppm for cjpeg.
void MakeColourPage(DibImage& page) {
  MakePage(page, kLetterWidth300, kLetterHeight300, 24);
  AddScanNoise(page);
}

// bench-page.jpg: the colour page at quality 75, made once per run.
const std::string& ColourJpeg() {
  static const std::string path = [] {
    DibImage page;
    MakeColourPage(page);
    JpegWriteOptions options;
    options.quality = kQuality;
    WriteJpeg(page, BenchFile("bench-page.jpg"), options);
    WritePnm(page, BenchFile("bench-page.ppm"));
    return BenchFile("bench-page.jpg");
  }();
  return path;
}

void BM_ReadJpeg(benchmark::State& state) {
  const std::string& path = ColourJpeg();
  const int displayDepth = static_cast<int>(state.range(0));
  for (auto _ : state) {
    DibImage image;
    benchmark::DoNotOptimize(ReadJpeg(image, path, displayDepth, kJpegDctAccurate));
  }
}
// 24: straight colour; 8: reduced to 256 colours in two passes.
BENCHMARK(BM_ReadJpeg)->Arg(24)->Arg(8)->Unit(benchmark::kMillisecond);

void BM_WriteJpeg(benchmark::State& state) {
  ColourJpeg();
  DibImage page;
  MakeColourPage(page);
  JpegWriteOptions options;
  options.quality = kQuality;
  const std::string path = BenchFile("bench-out.jpg");
  for (auto _ : state) benchmark::DoNotOptimize(WriteJpeg(page, path, options));
}
BENCHMARK(BM_WriteJpeg)->Unit(benchmark::kMillisecond);

void BM_WriteJpegFromBilevel(benchmark::State& state) {
  DibImage page;
  MakePage(page, kLetterWidth300, kLetterHeight300, 1);
  const std::string path = BenchFile("bench-out-gray.jpg");
  for (auto _ : state) benchmark::DoNotOptimize(WriteJpeg(page, path, {}));
}
BENCHMARK(BM_WriteJpegFromBilevel)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace leaf::bench
