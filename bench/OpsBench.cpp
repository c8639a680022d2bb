// Raster operations on a full letter page at 300 dpi.
#include <benchmark/benchmark.h>

#include "BenchPages.h"
#include "image/DepthConversions.h"
#include "image/Resampling.h"
#include "image/Thumbnail.h"
#include "image/Transforms.h"

namespace leaf::bench {
namespace {

int Bits(const benchmark::State& state) { return static_cast<int>(state.range(0)); }

void Page(DibImage& page, int bits) { MakePage(page, kLetterWidth300, kLetterHeight300, bits); }

void BM_Flip(benchmark::State& state) {
  DibImage page;
  Page(page, Bits(state));
  for (auto _ : state) benchmark::DoNotOptimize(Flip(page, true));
}
BENCHMARK(BM_Flip)->Arg(1)->Arg(8)->Arg(24)->Unit(benchmark::kMillisecond);

void BM_Mirror(benchmark::State& state) {
  DibImage page;
  Page(page, Bits(state));
  for (auto _ : state) benchmark::DoNotOptimize(Mirror(page));
}
BENCHMARK(BM_Mirror)->Arg(1)->Arg(8)->Arg(24)->Unit(benchmark::kMillisecond);

void BM_Transpose(benchmark::State& state) {
  DibImage page;
  Page(page, Bits(state));
  for (auto _ : state) benchmark::DoNotOptimize(Transpose(page));
}
BENCHMARK(BM_Transpose)->Arg(1)->Arg(8)->Arg(24)->Unit(benchmark::kMillisecond);

// A quarter turn as the Rotate command makes it: transpose, then flip.
void BM_RotateRight(benchmark::State& state) {
  DibImage page;
  Page(page, Bits(state));
  for (auto _ : state) benchmark::DoNotOptimize(RotateRight(page));
}
BENCHMARK(BM_RotateRight)->Arg(1)->Arg(8)->Arg(24)->Unit(benchmark::kMillisecond);

// The 8-bit page gets a colour in its palette so that it is not gray already.
void BM_ToGray(benchmark::State& state) {
  DibImage source, page;
  Page(source, Bits(state));
  if (source.raster.bitsPerPixel == 8) {
    source.raster.palette()[4 * 17] = 200;
    source.raster.grayFlag = source.IsGrayRamp() ? 1 : 0;
  }
  for (auto _ : state) {
    state.PauseTiming();
    page.Clone(source);
    state.ResumeTiming();
    benchmark::DoNotOptimize(ToGray(page));
  }
}
BENCHMARK(BM_ToGray)->Arg(1)->Arg(8)->Arg(24)->Unit(benchmark::kMillisecond);

void BM_IncreaseDepth(benchmark::State& state) {
  DibImage page;
  Page(page, Bits(state));
  const int depth = static_cast<int>(state.range(1));
  for (auto _ : state) benchmark::DoNotOptimize(IncreaseDepth(page, depth));
}
BENCHMARK(BM_IncreaseDepth)
    ->Args({1, 8})
    ->Args({1, 24})
    ->Args({8, 24})
    ->ArgNames({"bits", "to"})
    ->Unit(benchmark::kMillisecond);

// To half size; method 1 favours the grid centre (the Resize dialog's
// default), 2 is the plain grid average.
void BM_ResizeHalf(benchmark::State& state) {
  DibImage source, page;
  Page(source, Bits(state));
  const int method = static_cast<int>(state.range(1));
  for (auto _ : state) {
    state.PauseTiming();
    page.Clone(source);
    state.ResumeTiming();
    benchmark::DoNotOptimize(Resize(page, kLetterWidth300 / 2, kLetterHeight300 / 2, method));
  }
}
BENCHMARK(BM_ResizeHalf)
    ->ArgsProduct({{1, 8, 24}, {1, 2}})
    ->ArgNames({"bits", "method"})
    ->Unit(benchmark::kMillisecond);

void BM_MakeThumbnail(benchmark::State& state) {
  DibImage page;
  Page(page, Bits(state));
  for (auto _ : state) benchmark::DoNotOptimize(MakeThumbnail(page, 100, 130, 1));
}
BENCHMARK(BM_MakeThumbnail)->Arg(1)->Arg(8)->Arg(24)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace leaf::bench
