// Files the benchmarks read and write, kept in one folder after the run so
// that other programs can be timed on exactly the same files.
#pragma once

#include <string>

#include "image/DibImage.h"

namespace leaf::bench {

// $LEAF_BENCH_DIR, or leafsmith-bench in the temporary folder; made on first use.
const std::string& BenchDirectory();

// BenchDirectory()/name
std::string BenchFile(const std::string& name);

// Adds a scanner's fine noise (a few levels up or down, the same every time)
// to a 24-bit page, so that JPEG has the work of a real scan to do.
void AddScanNoise(DibImage& image);

}  // namespace leaf::bench
