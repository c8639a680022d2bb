#include "PnmFixtures.h"

#include <algorithm>
#include <filesystem>

#include "TempDir.h"

namespace leaf::test {

namespace {

std::vector<uint8_t> Bytes(const std::string& header) {
  return std::vector<uint8_t>(header.begin(), header.end());
}

}  // namespace

void WriteGrayPgm(const std::string& path, int seed, int width, int height) {
  std::vector<uint8_t> bytes =
      Bytes("P5\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n");
  for (int i = 0; i < width * height; ++i) bytes.push_back(static_cast<uint8_t>(seed * 7 + i));
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  WriteBytes(path, bytes);
}

void WriteBitmapPbm(const std::string& path) {
  std::vector<uint8_t> bytes = Bytes("P4\n8 2\n");
  bytes.push_back(0xF0);
  bytes.push_back(0x0F);
  WriteBytes(path, bytes);
}

void WriteColourPpm(const std::string& path) {
  std::vector<uint8_t> bytes = Bytes("P6\n2 2\n255\n");
  for (int i = 0; i < 12; ++i) bytes.push_back(static_cast<uint8_t>(i * 20));
  WriteBytes(path, bytes);
}

std::vector<std::string> AllFilesBelow(const std::string& folder) {
  std::vector<std::string> files;
  std::error_code error;
  for (auto it = std::filesystem::recursive_directory_iterator(folder, error);
       !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
    if (it->is_regular_file()) {
      files.push_back(std::filesystem::relative(it->path(), folder).string());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace leaf::test
