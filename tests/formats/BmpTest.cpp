#include <gtest/gtest.h>

#include <filesystem>

#include "formats/Bmp.h"
#include "formats/Pnm.h"
#include "image/DepthConversions.h"
#include "image/Endian.h"
#include "image/Messages.h"
#include "image/Transforms.h"
#include "tests/support/Fixtures.h"
#include "tests/support/TempDir.h"

namespace leaf {
namespace {

using test::BmpRecipe;

uint32_t Pattern(int x, int y, int bits) {
  const uint32_t v = static_cast<uint32_t>(x * 7 + y * 13 + x * y);
  if (bits == 24) return (v * 2654435761u) & 0xFFFFFF;
  return v & ((1u << bits) - 1);
}

void ExpectSamePixels(const DibRaster& r, const BmpRecipe& recipe) {
  ASSERT_EQ(r.width, recipe.width);
  ASSERT_EQ(r.height, std::abs(recipe.height));
  for (int y = 0; y < r.height; ++y) {
    for (int x = 0; x < r.width; ++x) {
      ASSERT_EQ(test::PixelAt(r, x, y), recipe.pixel(x, y)) << "at " << x << "," << y;
    }
  }
}

class BmpFileTest : public ::testing::Test {
 protected:
  std::string Write(const std::vector<uint8_t>& bytes, const std::string& name = "in.bmp") {
    const std::string path = dir_.file(name);
    test::WriteBytes(path, bytes);
    return path;
  }
  bool Read(const std::vector<uint8_t>& bytes) { return ReadBmp(image_, Write(bytes)); }

  test::TempDir dir_;
  DibImage image_;
};

TEST_F(BmpFileTest, RoundTripsEveryDepthWidthAndRowOrder) {
  for (int bits : {1, 4, 8, 24}) {
    for (int width : {1, 2, 3, 7, 8, 9, 15, 16, 17, 31, 32, 33}) {
      for (int height : {5, -5}) {
        BmpRecipe recipe;
        recipe.width = width;
        recipe.height = height;
        recipe.bits = bits;
        recipe.pixel = [bits](int x, int y) { return Pattern(x, y, bits); };
        ASSERT_TRUE(Read(test::MakeBmpFile(recipe))) << LastMessage();
        ExpectSamePixels(image_.raster, recipe);
        EXPECT_EQ(image_.raster.rowOrder, height < 0 ? kRowOrderTopDown : kRowOrderBottomUp);
        EXPECT_EQ(image_.raster.pageCount, 1);
        const std::string out = dir_.file("out.bmp");
        ASSERT_TRUE(WriteBmp(image_, out)) << LastMessage();
        DibImage again;
        ASSERT_TRUE(ReadBmp(again, out)) << LastMessage();
        ExpectSamePixels(again.raster, recipe);
        EXPECT_EQ(again.raster.xResolution, 300);
      }
    }
  }
}

TEST_F(BmpFileTest, ReadsFieldsAndGraySense) {
  BmpRecipe recipe;
  recipe.width = 10;
  recipe.height = 4;
  ASSERT_TRUE(Read(test::MakeBmpFile(recipe)));
  const DibRaster& r = image_.raster;
  EXPECT_EQ(r.blockKind, kBlockKindPackedDib);
  EXPECT_EQ(r.headerSize, 40u);
  EXPECT_EQ(r.paletteSize, 1024u);
  EXPECT_EQ(r.pixelOffset, 1064u);
  EXPECT_EQ(r.rowStride, 12u);
  EXPECT_EQ(r.pixelSize, 48u);
  EXPECT_EQ(r.grayFlag, 1);
  EXPECT_EQ(r.photometric, kPhotometricMinIsBlack);
  EXPECT_EQ(r.bitsPerPixel, 8);
  EXPECT_EQ(r.sourceBitsPerPixel, 8);
}

TEST_F(BmpFileTest, ReadsOnlyTheBytesTheSizeFieldAnnounces) {
  BmpRecipe recipe;
  std::vector<uint8_t> bytes = test::MakeBmpFile(recipe);
  bytes.insert(bytes.end(), 1000, 0xAB);  // trailing junk after the announced size
  ASSERT_TRUE(Read(bytes)) << LastMessage();
  ExpectSamePixels(image_.raster, recipe);
}

TEST_F(BmpFileTest, RejectsMalformedHeadersWithClearTexts) {
  const std::vector<uint8_t> good = test::MakeBmpFile(BmpRecipe{});
  struct Case {
    const char* name;
    std::function<void(std::vector<uint8_t>&)> damage;
    const char* message;
  };
  const Case cases[] = {
      {"short", [](auto& b) { b.resize(10); }, "Failed to read the bitmap header for "},
      {"magic", [](auto& b) { b[0] = 'X'; }, "Not a proper bitmap header!"},
      {"size too small", [](auto& b) { StoreLe32(&b[2], 20); }, "The bitmap header gives"},
      {"size beyond file", [](auto& b) { StoreLe32(&b[2], 1u << 30); }, "Failed to read "},
      {"core header", [](auto& b) { StoreLe32(&b[14], 12); }, "Unsupported bitmap header size 12."},
      {"header past end", [](auto& b) { StoreLe32(&b[14], 100000); }, "Unsupported bitmap header"},
      {"depth", [](auto& b) { StoreLe16(&b[28], 7); }, "Unsupported bitmap depth 7."},
      {"rle8", [](auto& b) { StoreLe32(&b[30], 1); }, "Compressed bitmaps are not supported."},
      {"rle4", [](auto& b) { StoreLe32(&b[30], 2); }, "Compressed bitmaps are not supported."},
      {"jpeg", [](auto& b) { StoreLe32(&b[30], 4); }, "Compressed bitmaps are not supported."},
      {"zero width", [](auto& b) { StoreLe32(&b[18], 0); }, "Invalid bitmap size 0 x 3."},
      {"zero height", [](auto& b) { StoreLe32(&b[22], 0); }, "Invalid bitmap size 4 x 0."},
      {"palette count", [](auto& b) { StoreLe32(&b[46], 257); }, "Invalid bitmap palette size"},
      {"huge rows", [](auto& b) { StoreLe32(&b[18], 1u << 30); }, "more than the 2000 megapixels"},
      {"over the limit", [](auto& b) { StoreLe32(&b[18], 300'000'000); }, "limit of 700 megap"},
      {"missing rows", [](auto& b) { StoreLe32(&b[22], 400); }, "The bitmap holds "},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> bytes = good;
    c.damage(bytes);
    image_.raster.width = 99;
    EXPECT_FALSE(Read(bytes)) << c.name;
    EXPECT_NE(std::string(LastMessage()).find(c.message), std::string::npos)
        << c.name << ": " << LastMessage();
    EXPECT_TRUE(image_.raster.empty()) << c.name;
    EXPECT_EQ(image_.raster.width, 0) << c.name;
  }
}

TEST_F(BmpFileTest, TruncatedFileFailsWithTheByteCountAndPath) {
  std::vector<uint8_t> bytes = test::MakeBmpFile(BmpRecipe{});
  const size_t announced = bytes.size() - 14;
  bytes.resize(bytes.size() - 5);
  const std::string path = Write(bytes);
  EXPECT_FALSE(ReadBmp(image_, path));
  EXPECT_EQ(std::string(LastMessage()),
            "Failed to read " + std::to_string(announced) + " bytes from " + path + ".");
}

TEST_F(BmpFileTest, LargerHeaderIsReadAndWrittenBackAsFortyBytes) {
  BmpRecipe recipe;
  recipe.bits = 24;
  recipe.headerSize = 124;
  recipe.width = 5;
  recipe.pixel = [](int x, int y) { return Pattern(x, y, 24); };
  ASSERT_TRUE(Read(test::MakeBmpFile(recipe)));
  EXPECT_EQ(image_.raster.headerSize, 124u);
  ExpectSamePixels(image_.raster, recipe);
  const std::string out = dir_.file("out.bmp");
  ASSERT_TRUE(WriteBmp(image_, out));
  const std::vector<uint8_t> written = test::ReadBytes(out);
  EXPECT_EQ(LoadLe32(&written[14]), 40u);
  EXPECT_EQ(LoadLe32(&written[10]), 54u);
  EXPECT_EQ(LoadLe32(&written[2]), written.size());
  DibImage again;
  ASSERT_TRUE(ReadBmp(again, out));
  ExpectSamePixels(again.raster, recipe);
}

TEST_F(BmpFileTest, BadHeaderFieldsAreNotCopiedIntoTheWrittenFile) {
  // One plane too few, and two colours for pixels that use 201.
  BmpRecipe recipe;
  recipe.colorsUsed = 2;
  recipe.palette = {0x000000, 0xFFFFFF};
  recipe.pixel = [](int x, int y) { return uint32_t(x * 50 + y); };
  std::vector<uint8_t> bytes = test::MakeBmpFile(recipe);
  StoreLe16(&bytes[26], 0);
  ASSERT_TRUE(Read(bytes)) << LastMessage();
  const std::string out = dir_.file("out.bmp");
  ASSERT_TRUE(WriteBmp(image_, out));
  const std::vector<uint8_t> written = test::ReadBytes(out);
  EXPECT_EQ(LoadLe16(&written[26]), 1u);    // planes
  EXPECT_EQ(LoadLe32(&written[46]), 153u);  // colours used: up to index 152
  EXPECT_EQ(LoadLe32(&written[10]), 54u + 153u * 4);
  DibImage again;
  ASSERT_TRUE(ReadBmp(again, out));
  EXPECT_EQ(test::PixelAt(again.raster, 3, 2), 152u);
  EXPECT_EQ(test::PaletteColor(again.raster, 1), 0xFFFFFFu);
}

TEST_F(BmpFileTest, PixelDataOffsetBeyondThePaletteIsHonoured) {
  BmpRecipe recipe;
  recipe.bits = 8;
  recipe.width = 6;
  recipe.pixel = [](int x, int y) { return Pattern(x, y, 8); };
  std::vector<uint8_t> bytes = test::MakeBmpFile(recipe);
  const size_t offset = LoadLe32(&bytes[10]);
  bytes.insert(bytes.begin() + static_cast<long>(offset), 16, 0xEE);  // a gap before the rows
  StoreLe32(&bytes[10], static_cast<uint32_t>(offset + 16));
  StoreLe32(&bytes[2], static_cast<uint32_t>(bytes.size()));
  ASSERT_TRUE(Read(bytes)) << LastMessage();
  ExpectSamePixels(image_.raster, recipe);
  EXPECT_EQ(image_.raster.pixelOffset, image_.raster.headerSize + image_.raster.paletteSize);
}

TEST_F(BmpFileTest, PaletteReachingIntoTheRowsIsShortenedConsistently) {
  BmpRecipe recipe;
  recipe.bits = 8;
  recipe.width = 4;
  recipe.colorsUsed = 16;
  recipe.palette = test::GrayPalette(4);
  recipe.pixel = [](int x, int y) { return uint32_t(x + 4 * y); };
  std::vector<uint8_t> bytes = test::MakeBmpFile(recipe);
  StoreLe32(&bytes[46], 20);                // claims 20 colours, 16 are there
  StoreLe32(&bytes[10], 14 + 40 + 16 * 4);  // the rows start after 16
  ASSERT_TRUE(Read(bytes)) << LastMessage();
  EXPECT_EQ(image_.raster.paletteSize, 64u);
  ExpectSamePixels(image_.raster, recipe);
  const std::string out = dir_.file("out.bmp");
  ASSERT_TRUE(WriteBmp(image_, out));
  DibImage again;
  ASSERT_TRUE(ReadBmp(again, out)) << LastMessage();
  EXPECT_EQ(again.raster.paletteSize, 64u);
  ExpectSamePixels(again.raster, recipe);
}

// 16- and 32-bit pixels are widened to 24-bit colour as they are read, so
// that they can be turned, made gray and saved in every format.
TEST_F(BmpFileTest, PackedPixelsOf16And32BitsWidenToColour) {
  struct Case {
    const char* name;
    int bits;
    uint32_t headerSize;
    std::vector<uint32_t> masks;  // BI_BITFIELDS when given
    uint32_t stored[3];           // three pixels as the file holds them
  };
  // Each case stores red, green and blue at full strength: 0xFF0000,
  // 0x00FF00, 0x0000FF; the second pixel of the 16-bit cases is half green.
  const Case cases[] = {
      {"16-bit 5-5-5", 16, 40, {}, {0x7C00, 0x0200, 0x001F}},
      {"16-bit 5-6-5 masks", 16, 40, {0xF800, 0x07E0, 0x001F}, {0xF800, 0x0400, 0x001F}},
      {"16-bit masks in header", 16, 56, {0xF800, 0x07E0, 0x001F}, {0xF800, 0x0400, 0x001F}},
      {"32-bit", 32, 40, {}, {0xFF0000, 0x008000, 0x0000FF}},
      {"32-bit RGBA masks", 32, 40, {0xFF, 0xFF00, 0xFF0000}, {0xFF, 0x8000, 0xFF0000}},
  };
  const uint32_t expected[3] = {0xFF0000, 0x008000, 0x0000FF};
  for (const Case& c : cases) {
    BmpRecipe recipe;
    recipe.bits = c.bits;
    recipe.width = 3;
    recipe.height = -2;
    recipe.headerSize = c.headerSize;
    recipe.compression = c.masks.empty() ? 0 : 3;
    recipe.pixel = [&c](int x, int) { return c.stored[x]; };
    std::vector<uint8_t> bytes = test::MakeBmpFile(recipe);
    for (size_t i = 0; i < c.masks.size(); ++i) {
      if (c.headerSize >= 52) {
        StoreLe32(&bytes[14 + 40 + 4 * i], c.masks[i]);
      } else {
        bytes.insert(bytes.begin() + 54 + static_cast<long>(4 * i), 4, 0);
        StoreLe32(&bytes[54 + 4 * i], c.masks[i]);
      }
    }
    const uint32_t offset = 14 + c.headerSize + (c.headerSize < 52 ? 4 * c.masks.size() : 0);
    StoreLe32(&bytes[10], offset);
    StoreLe32(&bytes[2], static_cast<uint32_t>(bytes.size()));
    ASSERT_TRUE(Read(bytes)) << c.name << ": " << LastMessage();
    const DibRaster& r = image_.raster;
    ASSERT_EQ(r.bitsPerPixel, 24) << c.name;
    EXPECT_EQ(r.sourceBitsPerPixel, c.bits) << c.name;
    EXPECT_EQ(r.photometric, kPhotometricRgb) << c.name;
    EXPECT_EQ(r.xResolution, 300) << c.name;
    for (int x = 0; x < 3; ++x) {
      EXPECT_TRUE(test::NearColor(test::PixelAt(r, x, 0), expected[x], 4))
          << c.name << " pixel " << x << ": " << std::hex << test::PixelAt(r, x, 0);
    }
    EXPECT_TRUE(RotateRight(image_)) << c.name;
    EXPECT_TRUE(ToGray(image_)) << c.name;
    EXPECT_TRUE(WritePnm(image_, dir_.file("out.pgm"))) << c.name;
  }
}

TEST_F(BmpFileTest, FailedWriteLeavesTheExistingFileAlone) {
  DibImage image;
  test::MakeImage(image, BmpRecipe{});
  EXPECT_FALSE(WriteBmp(image, dir_.file("no/such/dir/out.bmp")));
  EXPECT_EQ(std::string(LastMessage()),
            "Cannot create " + dir_.file("no/such/dir/out.bmp") + ": No such file or directory.");

  // A directory in the way: the rename fails, nothing else changes.
  const std::string blocked = dir_.file("blocked.bmp");
  std::filesystem::create_directory(blocked);
  test::WriteText(blocked + "/inside", "x");
  EXPECT_FALSE(WriteBmp(image, blocked));
  EXPECT_TRUE(std::filesystem::is_directory(blocked));
  size_t entries = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir_.path())) ++entries;
  EXPECT_EQ(entries, 1u);

  DibImage empty;
  EXPECT_FALSE(WriteBmp(empty, dir_.file("empty.bmp")));
  EXPECT_FALSE(test::FileExists(dir_.file("empty.bmp")));
}

}  // namespace
}  // namespace leaf
