#include <benchmark/benchmark.h>
#include <tiffio.h>

#include <filesystem>

#include "BenchFiles.h"
#include "BenchPages.h"
#include "formats/Pnm.h"
#include "formats/Tiff.h"

namespace leaf::bench {
namespace {

// Writes the synthetic 1-bit page as a Group 4 TIFF at 300 dpi.
void WriteG4Page(const std::string& path) {
  DibImage page;
  MakePage(page, kLetterWidth300, kLetterHeight300, 1);
  const DibRaster& r = page.raster;
  TIFF* tiff = TIFFOpen(path.c_str(), "w");
  if (!tiff) return;
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, r.width);
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, r.height);
  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 1);
  TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
  TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
  TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
  TIFFSetField(tiff, TIFFTAG_XRESOLUTION, 300.0);
  TIFFSetField(tiff, TIFFTAG_YRESOLUTION, 300.0);
  TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, r.height);
  for (int y = 0; y < r.height; ++y) {
    TIFFWriteScanline(tiff, const_cast<uint8_t*>(r.topRow(y)), static_cast<uint32_t>(y), 0);
  }
  TIFFClose(tiff);
}

// bench-g4.tif: the corpus's scanned page when there is a corpus, else the
// synthetic page.
const std::string& G4Page() {
  static const std::string path = [] {
    const std::string target = BenchFile("bench-g4.tif");
    const std::filesystem::path scan = std::filesystem::path(LEAF_CORPUS_DIR) / "feyn.tif";
    std::error_code error;
    if (!std::filesystem::copy_file(scan, target, std::filesystem::copy_options::overwrite_existing,
                                    error)) {
      WriteG4Page(target);
    }
    return target;
  }();
  return path;
}

void BM_ReadTiffG4(benchmark::State& state) {
  const std::string& path = G4Page();
  for (auto _ : state) {
    DibImage image;
    benchmark::DoNotOptimize(ReadTiff(image, path, 0));
  }
}
BENCHMARK(BM_ReadTiffG4)->Unit(benchmark::kMillisecond);

void BM_WritePnm(benchmark::State& state) {
  DibImage page;
  MakePage(page, kLetterWidth300, kLetterHeight300, static_cast<int>(state.range(0)));
  const std::string path = BenchFile("bench-out.pnm");
  for (auto _ : state) benchmark::DoNotOptimize(WritePnm(page, path));
}
BENCHMARK(BM_WritePnm)->Arg(1)->Arg(8)->Arg(24)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace leaf::bench
