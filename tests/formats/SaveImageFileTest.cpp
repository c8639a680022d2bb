#include <gtest/gtest.h>

#include <latch>
#include <string>
#include <thread>
#include <vector>

#include "formats/ImageFiles.h"
#include "formats/SaveImageFile.h"
#include "image/DepthConversions.h"
#include "image/Messages.h"
#include "tests/support/DjvuReference.h"
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

// Batch workers save side by side into an output folder that does not exist
// yet: whichever makes it first, every save goes through.
TEST(SaveImageFileTest, WritersSavingAtOnceShareTheFolderTheyMake) {
  TempDir dir;
  constexpr int kWriters = 6;
  for (int round = 0; round < 10; ++round) {
    std::latch start(kWriters);
    std::vector<int> saved(kWriters, 0);
    std::vector<std::thread> writers;
    for (int i = 0; i < kWriters; ++i) {
      writers.emplace_back([&, i] {
        DibImage image;
        MakeColourPage(image);
        const std::string path =
            dir.file("out" + std::to_string(round) + "/pages/page" + std::to_string(i) + ".bmp");
        start.arrive_and_wait();
        saved[i] = SaveImageFile(path, kFileBmp, image) ? 1 : 0;
      });
    }
    for (std::thread& writer : writers) writer.join();
    for (int i = 0; i < kWriters; ++i)
      EXPECT_EQ(saved[i], 1) << "round " << round << ", writer " << i;
  }
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
  // INFO follows the form type: width 3 x 48; the layers are corrected for
  // the gamma, so INFO has the standard 2.2.
  EXPECT_EQ(std::string(bytes.begin() + 16, bytes.begin() + 20), "INFO");
  EXPECT_EQ(bytes[24] * 256 + bytes[25], 144);
  EXPECT_EQ(bytes[32], 22);
  DibImage again;
  MakeColourPage(again);
  parameters.djvu.encode.gamma = 2.2f;
  ASSERT_TRUE(SaveImageFile(path, kFileDjvu, again, parameters)) << LastMessage();
  EXPECT_NE(test::ReadBytes(path), bytes);
}

// The colour shown at (x, y from the top) as 0xRRGGBB, whatever the depth.
uint32_t ShownColor(const DibRaster& r, int x, int y) {
  const uint32_t pixel = test::PixelAt(r, x, y);
  return r.bitsPerPixel == 24 ? pixel : test::PaletteColor(r, static_cast<int>(pixel));
}

// A 1-bit page whose paper is off-white, as scans often have it: ink stays
// dark and paper light in gray, PBM, JPEG and DjVu, whichever palette entry
// holds the paper.
TEST(SaveImageFileTest, OffWhitePaperOfBilevelPagesStaysPaper) {
  TempDir dir;
  for (const bool paperFirst : {true, false}) {
    const uint32_t paper = paperFirst ? 0u : 1u;
    test::BmpRecipe recipe;
    recipe.width = 64;
    recipe.height = 32;
    recipe.bits = 1;
    recipe.palette = paperFirst ? std::vector<uint32_t>{0xFAFAFA, 0x000000}
                                : std::vector<uint32_t>{0x000000, 0xFAFAFA};
    recipe.pixel = [paper](int x, int) { return x < 16 ? 1 - paper : paper; };
    auto expectInkAndPaper = [&](const DibRaster& r, const std::string& what) {
      const uint32_t ink = ShownColor(r, 4, 4), light = ShownColor(r, 40, 4);
      EXPECT_LT(ink & 0xFF, 64u) << what << " paper first " << paperFirst;
      EXPECT_GT(light & 0xFF, 192u) << what << " paper first " << paperFirst;
    };
    DibImage gray;
    test::MakeImage(gray, recipe);
    ASSERT_TRUE(ToGray(gray));
    expectInkAndPaper(gray.raster, "gray");
    for (const auto& [type, name] :
         {std::pair{kFilePnm, "page.pbm"}, std::pair{kFileJpeg, "page.jpg"},
          std::pair{kFileDjvu, "page.djvu"}}) {
      DibImage image;
      test::MakeImage(image, recipe);
      const std::string path = dir.file(name);
      ASSERT_TRUE(SaveImageFile(path, type, image)) << name << ": " << LastMessage();
      DibImage back;
      ASSERT_TRUE(ReadImageFile(back, path, type)) << name << ": " << LastMessage();
      expectInkAndPaper(back.raster, name);
      if (type == kFileDjvu) {
        const test::ReferenceImage decoded =
            test::RenderReference(path, 1, test::ReferenceMode::kMask, true);
        ASSERT_EQ(decoded.width, 64);
        EXPECT_EQ(decoded.at(4, 4), 0) << paperFirst;
        EXPECT_EQ(decoded.at(40, 4), 255) << paperFirst;
      }
    }
  }
}

}  // namespace
}  // namespace leaf
