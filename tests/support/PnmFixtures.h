// Small input files for the many-files tests.
#pragma once

#include <string>
#include <vector>

namespace leaf::test {

// A gray PGM file whose pixels depend on seed, so outputs can be matched to
// their inputs.
void WriteGrayPgm(const std::string& path, int seed, int width = 8, int height = 6);

// A 1-bit PBM and a 24-bit PPM file.
void WriteBitmapPbm(const std::string& path);
void WriteColourPpm(const std::string& path);

// Every regular file below folder, relative, sorted (hidden ones included).
std::vector<std::string> AllFilesBelow(const std::string& folder);

}  // namespace leaf::test
