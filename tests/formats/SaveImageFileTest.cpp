#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/SaveImageFile.h"
#include "image/Messages.h"
#include "tests/support/Fixtures.h"
#include "tests/support/TempDir.h"

namespace leaf {
namespace {

using test::TempDir;

std::string Head(const std::string& path, size_t count) {
  const std::vector<uint8_t> bytes = test::ReadBytes(path);
  return std::string(bytes.begin(), bytes.begin() + std::min(count, bytes.size()));
}

void MakeColourPage(DibImage& image) {
  test::BmpRecipe recipe;
  recipe.width = 48;
  recipe.height = 32;
  recipe.bits = 24;
  recipe.pixel = [](int x, int y) {
    return static_cast<uint32_t>(x * 5 + (y * 7 << 8) + 0x400000);
  };
  test::MakeImage(image, recipe);
}

TEST(SaveImageFileTest, EveryTypeGoesToItsWriterInFoldersMadeOnTheWay) {
  TempDir dir;
  struct Case {
    FileTypeCode type;
    const char* name;
    std::string magic;
  };
  const Case cases[] = {
      {kFileBmp, "a/b/page.bmp", "BM"},
      {kFilePnm, "a/c/page.ppm", "P6"},
      {kFileJpeg, "d/page.jpg", "\xFF\xD8"},
      {kFileDjvu, "e/f/g/page.djvu", std::string("AT&TFORM\0\0\0\0DJVU", 16)},
      {kFileIw44, "page.iw44", std::string("AT&TFORM\0\0\0\0PM44", 16)},
  };
  for (const Case& c : cases) {
    DibImage image;
    MakeColourPage(image);
    const std::string path = dir.file(c.name);
    ASSERT_TRUE(SaveImageFile(path, c.type, image)) << c.name << ": " << LastMessage();
    std::string head = Head(path, c.magic.size());
    if (c.magic.size() == 16) head.replace(8, 4, std::string(4, '\0'));  // the FORM size
    EXPECT_EQ(head, c.magic) << c.name;
  }
}

TEST(SaveImageFileTest, UnknownTypesAndImpossibleFoldersFail) {
  TempDir dir;
  DibImage image;
  MakeColourPage(image);
  EXPECT_FALSE(SaveImageFile(dir.file("page.tif"), kFileTiff, image));
  EXPECT_FALSE(test::FileExists(dir.file("page.tif")));
  test::WriteText(dir.file("plain"), "a file, not a folder");
  EXPECT_FALSE(SaveImageFile(dir.file("plain/page.bmp"), kFileBmp, image));
  EXPECT_NE(std::string(LastMessage()).find("Could not create the folder"), std::string::npos);
}

TEST(SaveImageFileTest, DjvuParametersReachTheEncoder) {
  TempDir dir;
  DibImage image;
  MakeColourPage(image);
  SaveParameters parameters;
  parameters.djvu.upsample = -3;
  parameters.djvu.encode.gamma = 1.8f;
  const std::string path = dir.file("page.djvu");
  ASSERT_TRUE(SaveImageFile(path, kFileDjvu, image, parameters)) << LastMessage();
  const std::vector<uint8_t> bytes = test::ReadBytes(path);
  ASSERT_GT(bytes.size(), 34u);
  // INFO follows the form type: width 3 x 48, gamma byte 18.
  EXPECT_EQ(std::string(bytes.begin() + 16, bytes.begin() + 20), "INFO");
  EXPECT_EQ(bytes[24] * 256 + bytes[25], 144);
  EXPECT_EQ(bytes[32], 18);
}

}  // namespace
}  // namespace leaf
