#include <benchmark/benchmark.h>

#include <filesystem>

#include "BenchPages.h"
#include "formats/Bmp.h"

namespace leaf::bench {
namespace {

std::string BenchFile(const char* name) {
  return (std::filesystem::temp_directory_path() / name).string();
}

void BM_WriteBmp(benchmark::State& state) {
  DibImage page;
  MakePage(page, kLetterWidth300, kLetterHeight300, static_cast<int>(state.range(0)));
  const std::string path = BenchFile("leafsmith-bench-write.bmp");
  for (auto _ : state) benchmark::DoNotOptimize(WriteBmp(page, path));
  std::filesystem::remove(path);
}
BENCHMARK(BM_WriteBmp)->Arg(1)->Arg(8)->Arg(24)->Unit(benchmark::kMillisecond);

void BM_ReadBmp(benchmark::State& state) {
  DibImage page;
  MakePage(page, kLetterWidth300, kLetterHeight300, static_cast<int>(state.range(0)));
  const std::string path = BenchFile("leafsmith-bench-read.bmp");
  WriteBmp(page, path);
  for (auto _ : state) {
    DibImage image;
    benchmark::DoNotOptimize(ReadBmp(image, path));
  }
  std::filesystem::remove(path);
}
BENCHMARK(BM_ReadBmp)->Arg(1)->Arg(8)->Arg(24)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace leaf::bench
