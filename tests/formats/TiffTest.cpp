#include <gtest/gtest.h>
#include <tiffio.h>

#include "formats/Tiff.h"
#include "image/BitmapInfoHeader.h"
#include "image/Messages.h"
#include "tests/support/Fixtures.h"
#include "tests/support/TempDir.h"
#include "tests/support/TiffFixtures.h"

namespace leaf {
namespace {

using test::PaletteColor;
using test::PixelAt;
using test::TiffRecipe;

// A page of text-like black marks on white: pixel (x, y) is black when
// (x + y) % 3 == 0, in the file's own sense of 1.
TiffRecipe BilevelPage(int compression, int photometric) {
  TiffRecipe recipe;
  recipe.width = 37;
  recipe.height = 9;
  recipe.bitsPerSample = 1;
  recipe.compression = compression;
  recipe.photometric = photometric;
  recipe.writeBitsPerSample = false;
  recipe.writeSamplesPerPixel = false;
  recipe.sample = [photometric](uint32_t x, uint32_t y, int) {
    const bool black = (x + y) % 3 == 0;
    return black == (photometric == PHOTOMETRIC_MINISWHITE) ? 1u : 0u;
  };
  return recipe;
}

class TiffReadTest : public ::testing::Test {
 protected:
  bool Read(const std::vector<TiffRecipe>& pages, int page = 0) {
    const std::string path = dir_.file("in.tif");
    test::WriteTiff(path, pages);
    return ReadTiff(image_, path, page);
  }
  bool Read(const TiffRecipe& recipe) { return Read(std::vector<TiffRecipe>{recipe}); }
  // True when picture pixel (x, y) shows black.
  bool IsBlack(int x, int y) {
    return PaletteColor(image_.raster, PixelAt(image_.raster, x, y)) == 0;
  }

  test::TempDir dir_;
  DibImage image_;
};

TEST_F(TiffReadTest, MultipageFilesReadTheChosenPageOrTheFirst) {
  std::vector<TiffRecipe> pages(3);
  for (int i = 0; i < 3; ++i) {
    pages[i].width = 5 + i;
    pages[i].sample = [i](uint32_t, uint32_t, int) { return 10u * (i + 1); };
  }
  ASSERT_TRUE(Read(pages, 1)) << LastMessage();
  EXPECT_EQ(image_.raster.pageCount, 3);
  EXPECT_EQ(image_.raster.pageIndex, 1);
  EXPECT_EQ(image_.raster.width, 6);
  EXPECT_EQ(PixelAt(image_.raster, 0, 0), 20u);

  ASSERT_TRUE(ReadTiff(image_, dir_.file("in.tif"), 7)) << LastMessage();
  EXPECT_EQ(image_.raster.pageIndex, 0);
  EXPECT_EQ(image_.raster.width, 5);
  EXPECT_EQ(PixelAt(image_.raster, 0, 0), 10u);
}

TEST_F(TiffReadTest, FaxPagesWithoutDepthTagsAreBilevel) {
  for (int compression : {COMPRESSION_CCITTRLE, COMPRESSION_CCITTFAX3, COMPRESSION_CCITTFAX4}) {
    for (int photometric : {PHOTOMETRIC_MINISWHITE, PHOTOMETRIC_MINISBLACK}) {
      SCOPED_TRACE(testing::Message()
                   << "compression " << compression << " photometric " << photometric);
      ASSERT_TRUE(Read(BilevelPage(compression, photometric))) << LastMessage();
      const DibRaster& r = image_.raster;
      EXPECT_EQ(r.bitsPerPixel, 1);
      EXPECT_EQ(r.photometric, photometric);
      EXPECT_EQ(r.rowOrder, kRowOrderBottomUp);
      EXPECT_EQ(r.paletteEntryZeroIsLighter(), photometric == PHOTOMETRIC_MINISWHITE);
      for (int y = 0; y < r.height; ++y) {
        for (int x = 0; x < r.width; ++x)
          ASSERT_EQ(IsBlack(x, y), (x + y) % 3 == 0) << x << "," << y;
      }
    }
  }
}

TEST_F(TiffReadTest, GrayPagesWithoutSamplesPerPixelFollowTheAcceptanceRules) {
  TiffRecipe recipe;
  recipe.writeSamplesPerPixel = false;
  recipe.photometric = PHOTOMETRIC_MINISWHITE;
  for (int compression : {COMPRESSION_NONE, COMPRESSION_PACKBITS}) {
    recipe.compression = compression;
    ASSERT_TRUE(Read(recipe)) << LastMessage();
    EXPECT_EQ(image_.raster.bitsPerPixel, 8);
    EXPECT_EQ(image_.raster.grayFlag, 1);
    EXPECT_EQ(image_.raster.photometric, kPhotometricMinIsWhite);
    EXPECT_EQ(PaletteColor(image_.raster, 0), 0xFFFFFFu);
    EXPECT_EQ(PixelAt(image_.raster, 3, 2), 7u);
  }
  // Only fax, uncompressed and PackBits gray pages of 4 or 8 bits may omit it.
  recipe.compression = COMPRESSION_LZW;
  EXPECT_FALSE(Read(recipe));
  EXPECT_STREQ(LastMessage(), "Failed to get TIFF samples per pixel.");
  TiffRecipe bilevel = BilevelPage(COMPRESSION_NONE, PHOTOMETRIC_MINISWHITE);
  bilevel.writeBitsPerSample = true;
  EXPECT_FALSE(Read(bilevel));
  EXPECT_STREQ(LastMessage(), "Failed to get TIFF samples per pixel.");
  EXPECT_TRUE(image_.raster.empty());
}

TEST_F(TiffReadTest, CompressedGrayAndColourPagesKeepTheirSamples) {
  for (int compression : {COMPRESSION_PACKBITS, COMPRESSION_LZW, COMPRESSION_ADOBE_DEFLATE}) {
    TiffRecipe gray;
    gray.compression = compression;
    ASSERT_TRUE(Read(gray)) << LastMessage();
    EXPECT_EQ(image_.raster.photometric, kPhotometricMinIsBlack);
    EXPECT_EQ(image_.raster.grayFlag, 1);
    EXPECT_EQ(PixelAt(image_.raster, 5, 3), 11u);

    TiffRecipe rgb = gray;
    rgb.samplesPerPixel = 3;
    rgb.photometric = PHOTOMETRIC_RGB;
    rgb.sample = [](uint32_t x, uint32_t y, int s) { return s == 0 ? x : s == 1 ? y : 200u; };
    ASSERT_TRUE(Read(rgb)) << LastMessage();
    EXPECT_EQ(image_.raster.bitsPerPixel, 24);
    EXPECT_EQ(image_.raster.photometric, kPhotometricRgb);
    EXPECT_EQ(PixelAt(image_.raster, 5, 3), 0x0503C8u);
  }
}

TEST_F(TiffReadTest, SamplesBeyondThreeAreRefusedExceptCmyk) {
  TiffRecipe rgba;
  rgba.samplesPerPixel = 4;
  rgba.photometric = PHOTOMETRIC_RGB;
  rgba.extraSamples = 1;
  EXPECT_FALSE(Read(rgba));
  EXPECT_STREQ(LastMessage(), "Unsupported TIFF format. (Samples/pixel = 4, Photometric = 2)");

  TiffRecipe cmyk;
  cmyk.width = 2;
  cmyk.height = 1;
  cmyk.samplesPerPixel = 4;
  cmyk.photometric = PHOTOMETRIC_SEPARATED;
  cmyk.sample = [](uint32_t x, uint32_t, int s) {
    return x == 0 ? (s == 3 ? 255u : 0u) : s == 0 ? 255u : 0u;
  };
  ASSERT_TRUE(Read(cmyk)) << LastMessage();
  EXPECT_EQ(image_.raster.bitsPerPixel, 24);
  EXPECT_EQ(image_.raster.photometric, kPhotometricRgb);
  EXPECT_EQ(PixelAt(image_.raster, 0, 0), 0x000000u);  // black ink
  EXPECT_EQ(PixelAt(image_.raster, 1, 0), 0x00FFFFu);  // cyan ink

  cmyk.inkSet = 2;  // not CMYK
  EXPECT_FALSE(Read(cmyk));
  EXPECT_STREQ(LastMessage(), "Unsupported TIFF format. (Samples/pixel = 4, Photometric = 5)");
}

TEST_F(TiffReadTest, PaletteMapsOfSixteenOrEightBitsAndGrayLevels) {
  TiffRecipe recipe;
  recipe.bitsPerSample = 4;
  recipe.photometric = PHOTOMETRIC_PALETTE;
  recipe.sample = [](uint32_t x, uint32_t, int) { return x; };
  recipe.colorMap.resize(3 * 16);
  for (int i = 0; i < 16; ++i) {
    recipe.colorMap[i] = static_cast<uint16_t>(i * 4096 + 255);  // red: 16-bit values
    recipe.colorMap[16 + i] = 0x1234;
    recipe.colorMap[32 + i] = 0;
  }
  ASSERT_TRUE(Read(recipe)) << LastMessage();
  EXPECT_EQ(image_.raster.bitsPerPixel, 4);
  EXPECT_EQ(image_.raster.photometric, kPhotometricPalette);
  EXPECT_EQ(PixelAt(image_.raster, 3, 0), 3u);
  EXPECT_EQ(PaletteColor(image_.raster, 3), 0x301200u);  // high bytes

  for (int i = 0; i < 16; ++i) recipe.colorMap[i] = static_cast<uint16_t>(i * 10);
  for (int i = 0; i < 16; ++i) recipe.colorMap[16 + i] = 255;
  ASSERT_TRUE(Read(recipe)) << LastMessage();
  EXPECT_EQ(PaletteColor(image_.raster, 3), 0x1EFF00u);  // taken as they are

  // Gray pages of 4 bits get 16 levels in the file's sense.
  TiffRecipe gray;
  gray.bitsPerSample = 4;
  gray.photometric = PHOTOMETRIC_MINISWHITE;
  ASSERT_TRUE(Read(gray)) << LastMessage();
  EXPECT_EQ(PaletteColor(image_.raster, 0), 0xFFFFFFu);
  EXPECT_EQ(PaletteColor(image_.raster, 1), 0xEEEEEEu);
  EXPECT_EQ(PaletteColor(image_.raster, 15), 0x000000u);
  EXPECT_EQ(image_.raster.photometric, kPhotometricMinIsWhite);
}

TEST_F(TiffReadTest, ResolutionIsRoundedAndConvertedToTheHeader) {
  TiffRecipe recipe;
  recipe.resolutionUnit = RESUNIT_INCH;
  recipe.xResolution = 299.6f;
  recipe.yResolution = 150;
  ASSERT_TRUE(Read(recipe)) << LastMessage();
  EXPECT_EQ(image_.raster.xResolution, 300);
  EXPECT_EQ(image_.raster.yResolution, 150);
  EXPECT_EQ(image_.raster.resolutionUnit, kResolutionUnitInch);
  const BitmapInfoHeader h = BitmapInfoHeader::Read(image_.raster.header());
  EXPECT_EQ(h.xPelsPerMeter, 11795);
  EXPECT_EQ(h.yPelsPerMeter, 5906);

  recipe.resolutionUnit = RESUNIT_NONE;
  ASSERT_TRUE(Read(recipe)) << LastMessage();
  EXPECT_EQ(image_.raster.xResolution, 300);
  EXPECT_EQ(BitmapInfoHeader::Read(image_.raster.header()).xPelsPerMeter, 0);

  // Without a ResolutionUnit tag the resolutions are in inches, TIFF's default.
  recipe.resolutionUnit = RESUNIT_INCH;
  recipe.writeResolutionUnit = false;
  recipe.xResolution = recipe.yResolution = 300;
  ASSERT_TRUE(Read(recipe)) << LastMessage();
  EXPECT_EQ(image_.raster.resolutionUnit, kResolutionUnitInch);
  EXPECT_EQ(BitmapInfoHeader::Read(image_.raster.header()).xPelsPerMeter, 11811);

  // Centimetres stay centimetres in the fields; the header has pixels per metre.
  recipe.resolutionUnit = RESUNIT_CENTIMETER;
  recipe.writeResolutionUnit = true;
  recipe.xResolution = recipe.yResolution = 118;
  ASSERT_TRUE(Read(recipe)) << LastMessage();
  EXPECT_EQ(image_.raster.xResolution, 118);
  EXPECT_EQ(image_.raster.resolutionUnit, kResolutionUnitCentimetre);
  EXPECT_EQ(BitmapInfoHeader::Read(image_.raster.header()).xPelsPerMeter, 11800);
}

// Tiled one-sample pages keep their depth: a tiled Group 4 page is bilevel.
TEST_F(TiffReadTest, TiledGrayAndBilevelPagesKeepTheirDepth) {
  TiffRecipe fax = BilevelPage(COMPRESSION_CCITTFAX4, PHOTOMETRIC_MINISWHITE);
  fax.width = 70;
  fax.height = 37;
  fax.tileSize = 32;
  fax.writeBitsPerSample = fax.writeSamplesPerPixel = true;
  TiffRecipe gray;  // tiles that overhang the page
  gray.width = 40;
  gray.height = 35;
  gray.tileSize = 16;
  gray.compression = COMPRESSION_LZW;
  gray.sample = [](uint32_t x, uint32_t y, int) { return x + y; };
  TiffRecipe nibbles = gray;
  nibbles.bitsPerSample = 4;
  nibbles.sample = [](uint32_t x, uint32_t y, int) { return (x + y) & 15; };
  const struct {
    const char* what;
    TiffRecipe recipe;
    int bits;
  } cases[] = {{"group 4", fax, 1}, {"8-bit gray", gray, 8}, {"4-bit gray", nibbles, 4}};
  for (const auto& c : cases) {
    ASSERT_TRUE(Read(c.recipe)) << c.what << ": " << LastMessage();
    const DibRaster& r = image_.raster;
    ASSERT_EQ(r.bitsPerPixel, c.bits) << c.what;
    EXPECT_EQ(r.photometric, c.recipe.photometric) << c.what;
    for (uint32_t y = 0; y < c.recipe.height; ++y) {
      for (uint32_t x = 0; x < c.recipe.width; ++x) {
        ASSERT_EQ(PixelAt(r, static_cast<int>(x), static_cast<int>(y)), c.recipe.sample(x, y, 0))
            << c.what << " at " << x << "," << y;
      }
    }
  }
}

// Pages the scanline path cannot represent come out as 24-bit colour.
TEST_F(TiffReadTest, OtherLayoutsAreReadThroughRgba) {
  auto rgb = [](uint32_t scale) {
    return [scale](uint32_t x, uint32_t y, int s) {
      return (s == 0 ? x : s == 1 ? y : 7u) * scale;
    };
  };
  TiffRecipe deep;  // 16 bits per sample
  deep.width = deep.height = 32;
  deep.bitsPerSample = 16;
  deep.samplesPerPixel = 3;
  deep.photometric = PHOTOMETRIC_RGB;
  deep.sample = rgb(2570);
  TiffRecipe planes = deep;  // separate planes, several strips
  planes.bitsPerSample = 8;
  planes.separatePlanes = true;
  planes.rowsPerStrip = 3;
  planes.sample = rgb(1);
  TiffRecipe tiled;  // colour tiles that overhang the page
  tiled.width = 40;
  tiled.height = 35;
  tiled.tileSize = 16;
  tiled.samplesPerPixel = 3;
  tiled.photometric = PHOTOMETRIC_RGB;
  tiled.compression = COMPRESSION_LZW;
  tiled.sample = [](uint32_t x, uint32_t y, int) { return x + y; };
  TiffRecipe grayAlpha;  // two samples
  grayAlpha.samplesPerPixel = 2;
  grayAlpha.extraSamples = 1;
  grayAlpha.sample = [](uint32_t, uint32_t, int s) { return s == 0 ? 100u : 255u; };
  TiffRecipe ycbcr = planes;  // JPEG-compressed YCbCr, subsampled
  ycbcr.separatePlanes = false;
  ycbcr.rowsPerStrip = 16;
  ycbcr.compression = COMPRESSION_JPEG;
  ycbcr.photometric = PHOTOMETRIC_YCBCR;
  ycbcr.sample = [](uint32_t, uint32_t y, int s) { return y < 16 ? (s == 0 ? 250u : 10u) : 128u; };
  TiffRecipe twoBit;
  twoBit.bitsPerSample = 2;
  twoBit.sample = [](uint32_t x, uint32_t, int) { return x % 4; };

  const struct {
    const char* what;
    TiffRecipe recipe;
    int x, y;
    uint32_t color;
    int tolerance;
  } cases[] = {{"16 bits", deep, 3, 5, 0x1E3246, 0},         {"planes", planes, 3, 19, 0x031307, 0},
               {"tiles", tiled, 39, 34, 0x494949, 0},        {"tiles", tiled, 17, 0, 0x111111, 0},
               {"gray+alpha", grayAlpha, 1, 1, 0x646464, 0}, {"ycbcr", ycbcr, 4, 4, 0xFA0A0A, 12},
               {"ycbcr", ycbcr, 4, 28, 0x808080, 4},         {"2 bits", twoBit, 1, 0, 0x555555, 0}};
  for (const auto& c : cases) {
    ASSERT_TRUE(Read(c.recipe)) << c.what << ": " << LastMessage();
    EXPECT_EQ(image_.raster.bitsPerPixel, 24) << c.what;
    EXPECT_EQ(image_.raster.photometric, kPhotometricRgb) << c.what;
    EXPECT_TRUE(test::NearColor(PixelAt(image_.raster, c.x, c.y), c.color, c.tolerance))
        << c.what << std::hex << " " << PixelAt(image_.raster, c.x, c.y);
  }
  EXPECT_EQ(image_.raster.sourceBitsPerPixel, 2);
}

TEST_F(TiffReadTest, DamagedStripsGiveBlankRows) {
  TiffRecipe recipe;
  recipe.width = 16;
  recipe.height = 300;
  recipe.rowsPerStrip = 100;
  recipe.compression = COMPRESSION_LZW;
  recipe.sample = [](uint32_t, uint32_t, int) { return 200u; };
  const std::string path = dir_.file("damaged.tif");
  test::WriteTiff(path, {recipe});
  // Overwrite the second strip's data with noise.
  std::vector<uint8_t> bytes = test::ReadBytes(path);
  TIFF* t = TIFFOpen(path.c_str(), "r");
  ASSERT_TRUE(t);
  const uint64_t offset = TIFFGetStrileOffset(t, 1), size = TIFFGetStrileByteCount(t, 1);
  TIFFClose(t);
  for (uint64_t i = 0; i < size; ++i) bytes[offset + i] = static_cast<uint8_t>(0xFF - i);
  test::WriteBytes(path, bytes);

  std::vector<std::string> warnings;
  image_.SetWarningCallback([&](const char* text) { warnings.emplace_back(text); });
  ASSERT_TRUE(ReadTiff(image_, path, 0)) << LastMessage();
  // The strips before and after the damaged one read as they are; the lost
  // rows are counted in a warning.
  for (int y = 0; y < 300; ++y) {
    const uint32_t expected = y >= 100 && y < 200 ? 0u : 200u;
    for (int x = 0; x < 16; ++x) ASSERT_EQ(PixelAt(image_.raster, x, y), expected) << x << "," << y;
  }
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_NE(warnings[0].find(" of the 300 rows of the TIFF page could not be decoded"),
            std::string::npos)
      << warnings[0];
}

TEST_F(TiffReadTest, UnreadableFilesAndHugePagesFailCleanly) {
  EXPECT_FALSE(ReadTiff(image_, dir_.file("missing.tif"), 0));
  EXPECT_EQ(std::string(LastMessage()),
            "Cannot open " + dir_.file("missing.tif") + ": No such file or directory.");
  test::WriteText(dir_.file("text.tif"), "II*\0 this is not a directory");
  EXPECT_FALSE(ReadTiff(image_, dir_.file("text.tif"), 0));

  // The size is refused before anything is allocated.
  TiffRecipe recipe;
  ASSERT_TRUE(Read(recipe));
  recipe.width = 60000;
  recipe.height = 60000;
  recipe.rowsPerStrip = 60000;
  recipe.compression = COMPRESSION_PACKBITS;
  recipe.writePixels = false;
  const std::string path = dir_.file("huge.tif");
  test::WriteTiff(path, {recipe});
  EXPECT_FALSE(ReadTiff(image_, path, 0));
  EXPECT_STREQ(LastMessage(),
               "The picture is 60000 x 60000 pixels (3600 megapixels), more than the 2000 "
               "megapixels this program can hold.");
  EXPECT_TRUE(image_.raster.empty());
}

}  // namespace
}  // namespace leaf
