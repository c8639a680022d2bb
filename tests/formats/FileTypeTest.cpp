#include <gtest/gtest.h>

#include "formats/FileType.h"

namespace leaf {
namespace {

TEST(FileTypeTest, ExtensionsMapToTheirTypesIgnoringCase) {
  EXPECT_EQ(FileTypeFromName("scan.BMP"), kFileBmp);
  EXPECT_EQ(FileTypeFromName("a.b.djvu"), kFileDjvu);
  EXPECT_EQ(FileTypeFromName("page.Djv"), kFileDjvu);
  EXPECT_EQ(FileTypeFromName("x.iw4"), kFileIw44);
  EXPECT_EQ(FileTypeFromName("x.IW44"), kFileIw44);
  EXPECT_EQ(FileTypeFromName("x.pbm"), kFilePnm);
  EXPECT_EQ(FileTypeFromName("x.pgm"), kFilePnm);
  EXPECT_EQ(FileTypeFromName("x.ppm"), kFilePnm);
  EXPECT_EQ(FileTypeFromName("x.jpeg"), kFileJpeg);
  EXPECT_EQ(FileTypeFromName("x.JPG"), kFileJpeg);
  EXPECT_EQ(FileTypeFromName("x.tif"), kFileTiff);
  EXPECT_EQ(FileTypeFromName("x.tiff"), kFileTiff);
}

TEST(FileTypeTest, UnknownNames) {
  EXPECT_EQ(FileTypeFromName("README"), kFileUnknown);
  EXPECT_EQ(FileTypeFromName("x.pnm"), kFileUnknown);
  EXPECT_EQ(FileTypeFromName("dir.bmp/file"), kFileUnknown);
  EXPECT_EQ(FileTypeFromName("x."), kFileUnknown);
}

TEST(FileTypeTest, TypeNamesOfTheCommandLine) {
  EXPECT_EQ(FileTypeFromTypeName("pnm"), kFilePnm);
  EXPECT_EQ(FileTypeFromTypeName("JPG"), kFileJpeg);
  EXPECT_EQ(FileTypeFromTypeName("djvu"), kFileDjvu);
  EXPECT_EQ(FileTypeFromTypeName("gif"), kFileUnknown);
}

}  // namespace
}  // namespace leaf
