#include "BenchFiles.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>

namespace leaf::bench {

const std::string& BenchDirectory() {
  static const std::string directory = [] {
    const char* chosen = std::getenv("LEAF_BENCH_DIR");
    const std::filesystem::path path =
        chosen && *chosen ? std::filesystem::path(chosen)
                          : std::filesystem::temp_directory_path() / "leafsmith-bench";
    std::filesystem::create_directories(path);
    return path.string();
  }();
  return directory;
}

std::string BenchFile(const std::string& name) { return BenchDirectory() + "/" + name; }

void AddScanNoise(DibImage& image) {
  DibRaster& r = image.raster;
  if (r.bitsPerPixel != 24) return;
  uint32_t state = 12345;
  for (int y = 0; y < r.height; ++y) {
    uint8_t* row = r.storedRow(y);
    for (int i = 0; i < r.width * 3; ++i) {
      state = state * 1664525u + 1013904223u;
      const int noise = static_cast<int>(state >> 29) - 4;  // -4..3
      const int value = row[i] + noise;
      row[i] = static_cast<uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value);
    }
  }
}

}  // namespace leaf::bench
