// Damaged files, files that lie about their size, and pictures beyond the
// pixel limit: refused quickly with a reason, or read with a warning.
#include <gtest/gtest.h>
#include <tiffio.h>

#include "formats/ImageFiles.h"
#include "formats/Tiff.h"
#include "image/Messages.h"
#include "image/PixelLimit.h"
#include "image/Resampling.h"
#include "tests/support/Fixtures.h"
#include "tests/support/JpegFixtures.h"
#include "tests/support/TempDir.h"
#include "tests/support/TiffFixtures.h"

namespace leaf {
namespace {

using test::TiffRecipe;

class HostileFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    image_.SetWarningCallback([this](const char* text) { warnings_.emplace_back(text); });
  }
  void TearDown() override { SetPixelLimit(kDefaultMegapixelLimit); }

  bool Read(const std::string& path, const ReadOptions& options = {}) {
    warnings_.clear();
    return ReadImageFile(image_, path, FileTypeForReading(path), options);
  }
  std::string Message() const { return LastMessage(); }

  test::TempDir dir_;
  DibImage image_;
  std::vector<std::string> warnings_;
};

// A small JPEG whose frame header is made to declare width x height.
std::string JpegDeclaring(const test::TempDir& dir, uint16_t width, uint16_t height) {
  const std::string path = dir.file("declared.jpg");
  test::JpegRecipe recipe;
  test::MakeJpegFile(path, recipe);
  std::vector<uint8_t> bytes = test::ReadBytes(path);
  for (size_t i = 0; i + 9 < bytes.size(); ++i) {
    if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0) {
      bytes[i + 5] = height >> 8, bytes[i + 6] = height & 0xFF;
      bytes[i + 7] = width >> 8, bytes[i + 8] = width & 0xFF;
      break;
    }
  }
  test::WriteBytes(path, bytes);
  return path;
}

TEST_F(HostileFilesTest, HeadersClaimingFarMoreThanTheDataAreRefused) {
  // A JPEG of 16 x 16 pixels whose header says 4000 x 4000.
  const std::string jpeg = JpegDeclaring(dir_, 4000, 4000);
  // A TIFF page of 3000 x 3000 whose single LZW strip is 16 bytes.
  TiffRecipe recipe;
  recipe.width = recipe.height = recipe.rowsPerStrip = 3000;
  recipe.compression = COMPRESSION_LZW;
  recipe.writePixels = false;
  const std::string tiff = dir_.file("declared.tif");
  test::WriteTiff(tiff, {recipe});
  for (const std::string& path : {jpeg, tiff}) {
    EXPECT_FALSE(Read(path)) << path;
    EXPECT_NE(Message().find("The file's data ends at row 0 of "), std::string::npos) << Message();
    EXPECT_TRUE(image_.raster.empty());
    // What the header says is still there to see.
    ReadOptions header;
    header.headerOnly = true;
    ASSERT_TRUE(Read(path, header)) << Message();
    EXPECT_GE(image_.raster.width, 3000);
    EXPECT_TRUE(image_.raster.empty());
  }
  // A small picture cut as short is read, with a warning.
  const std::string small = JpegDeclaring(dir_, 64, 64);
  ASSERT_TRUE(Read(small)) << Message();
  ASSERT_EQ(warnings_.size(), 1u);
  EXPECT_NE(warnings_[0].find("The JPEG data ends at row 0 of 64"), std::string::npos);
}

TEST_F(HostileFilesTest, TiffPagesLibtiffCannotDecodeSayWhy) {
  TiffRecipe recipe;
  recipe.compression = 34712;  // JPEG 2000
  recipe.writePixels = false;
  const std::string path = dir_.file("j2k.tif");
  test::WriteTiff(path, {recipe});
  EXPECT_FALSE(Read(path));
  EXPECT_NE(Message().find("compression 34712"), std::string::npos) << Message();

  // A page that is not there: the first one, and a warning.
  recipe = TiffRecipe{};
  test::WriteTiff(path, {recipe});
  ReadOptions third;
  third.page = 2;
  ASSERT_TRUE(Read(path, third));
  ASSERT_FALSE(warnings_.empty());
  EXPECT_EQ(warnings_[0], "There is no page 3: the file has 1 page. Page 1 was read instead.");
}

TEST_F(HostileFilesTest, ThePixelLimitNamesItselfAndHowToRaiseIt) {
  SetPixelLimit(1, [](int64_t n) { return "use --max " + std::to_string(n); });
  const std::string pgm = dir_.file("big.pgm");
  test::WriteText(pgm, "P5\n1200 1000\n255\n" + std::string(1200 * 1000, '\x80'));
  EXPECT_FALSE(Read(pgm));
  EXPECT_EQ(Message(),
            "The picture is 1200 x 1000 pixels (1 megapixels), more than the limit of 1 "
            "megapixels. To allow it, use --max 2.");
  SetPixelLimit(2);
  ASSERT_TRUE(Read(pgm)) << Message();
  // Operations that enlarge the picture keep to the limit as well.
  EXPECT_FALSE(Resize(image_, 2000, 1500, kFavorGridCenter));
  EXPECT_NE(Message().find("2000 x 1500 pixels (3 megapixels)"), std::string::npos) << Message();
  EXPECT_EQ(image_.raster.width, 1200);
}

TEST_F(HostileFilesTest, AFileNamedForOneTypeHoldingAnotherSaysSo) {
  const std::string path = dir_.file("photo.bmp");
  test::MakeJpegFile(path, test::JpegRecipe{});
  EXPECT_FALSE(Read(path));
  EXPECT_EQ(Message(),
            "Not a proper bitmap header! The file holds jpeg data, not bmp: give it a name ending "
            "in .jpg to open it.");
}

}  // namespace
}  // namespace leaf
