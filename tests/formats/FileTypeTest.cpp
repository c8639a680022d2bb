#include <gtest/gtest.h>

#include <utility>

#include "formats/FileType.h"

namespace leaf {
namespace {

// File names by their extension, whatever its case; names of the command
// line's --type.
TEST(FileTypeTest, NamesAndTypeNamesMapToTheirTypes) {
  const std::pair<const char*, FileTypeCode> names[] = {
      {"scan.BMP", kFileBmp},   {"a.b.djvu", kFileDjvu}, {"page.Djv", kFileDjvu},
      {"x.iw4", kFileIw44},     {"x.IW44", kFileIw44},   {"x.pbm", kFilePnm},
      {"x.pgm", kFilePnm},      {"x.ppm", kFilePnm},     {"x.jpeg", kFileJpeg},
      {"x.JPG", kFileJpeg},     {"x.tif", kFileTiff},    {"x.tiff", kFileTiff},
      {"README", kFileUnknown}, {"x.pnm", kFileUnknown}, {"dir.bmp/file", kFileUnknown},
      {"x.", kFileUnknown},
  };
  for (const auto& [name, type] : names) EXPECT_EQ(FileTypeFromName(name), type) << name;
  const std::pair<const char*, FileTypeCode> typeNames[] = {
      {"pnm", kFilePnm}, {"JPG", kFileJpeg}, {"djvu", kFileDjvu}, {"gif", kFileUnknown}};
  for (const auto& [name, type] : typeNames) EXPECT_EQ(FileTypeFromTypeName(name), type) << name;
}

}  // namespace
}  // namespace leaf
