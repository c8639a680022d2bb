// PNG files of every colour type, depth and interlacing read into the
// raster's forms; every raster depth written and read back; damaged and
// lying files refused or read with a warning.
#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <algorithm>

#include "formats/ImageFiles.h"
#include "formats/Png.h"
#include "image/Messages.h"
#include "image/PixelLimit.h"
#include "tests/support/Fixtures.h"
#include "tests/support/PngFixtures.h"
#include "tests/support/TempDir.h"

namespace leaf {
namespace {

using test::PngRecipe;

// A sample on white: what a viewer shows of a value with an alpha.
uint32_t OnWhite(uint32_t value, uint32_t alpha) {
  return (value * alpha + 255 * (255 - alpha) + 127) / 255;
}

uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return r << 16 | g << 8 | b; }

class PngTest : public ::testing::Test {
 protected:
  void SetUp() override {
    image_.SetWarningCallback([this](const char* text) { warnings_.emplace_back(text); });
  }
  void TearDown() override { SetPixelLimit(kDefaultMegapixelLimit); }

  std::string Write(const std::vector<uint8_t>& bytes) {
    const std::string path = dir_.file("in.png");
    test::WriteBytes(path, bytes);
    return path;
  }
  bool Read(const std::vector<uint8_t>& bytes, bool headerOnly = false) {
    warnings_.clear();
    return ReadPng(image_, Write(bytes), headerOnly);
  }

  test::TempDir dir_;
  DibImage image_;
  std::vector<std::string> warnings_;
};

TEST_F(PngTest, ReadsEveryColourTypeDepthAndInterlacing) {
  const std::vector<uint32_t> palette = {0x102030, 0xFF0000, 0x00FF00, 0x0000FF,
                                         0x808080, 0xFFFFFF, 0x000000, 0x123456};
  struct Case {
    const char* what;
    int colorType, depth;
    bool interlaced;
    int bits;  // of the raster
    // The sample the recipe writes, and the pixel PixelAt should give.
    std::function<uint32_t(uint32_t x, uint32_t y, int s)> sample;
    std::function<uint32_t(uint32_t x, uint32_t y)> expected;
  };
  const auto level = [](uint32_t x, uint32_t y) { return (x * 37 + y * 53) % 256; };
  const auto twoLevels = [](uint32_t x, uint32_t y, int) { return (x + y) % 2; };
  const Case cases[] = {
      {"1-bit gray", 0, 1, false, 1, twoLevels, [](uint32_t x, uint32_t y) { return (x + y) % 2; }},
      {"1-bit gray, interlaced", 0, 1, true, 1, twoLevels,
       [](uint32_t x, uint32_t y) { return (x + y) % 2; }},
      {"2-bit gray", 0, 2, false, 8, [](uint32_t x, uint32_t y, int) { return (x + y) % 4; },
       [](uint32_t x, uint32_t y) { return (x + y) % 4 * 85; }},
      {"4-bit gray", 0, 4, false, 8, [](uint32_t x, uint32_t y, int) { return (x + y) % 16; },
       [](uint32_t x, uint32_t y) { return (x + y) % 16 * 17; }},
      {"8-bit gray", 0, 8, false, 8, [&](uint32_t x, uint32_t y, int) { return level(x, y); },
       level},
      {"16-bit gray", 0, 16, false, 8,
       [&](uint32_t x, uint32_t y, int) { return level(x, y) * 257; }, level},
      {"4-bit palette", 3, 4, false, 4, [](uint32_t x, uint32_t y, int) { return (x + y) % 8; },
       [](uint32_t x, uint32_t y) { return (x + y) % 8; }},
      {"2-bit palette", 3, 2, false, 8, [](uint32_t x, uint32_t y, int) { return (x + y) % 4; },
       [](uint32_t x, uint32_t y) { return (x + y) % 4; }},
      {"8-bit palette, interlaced", 3, 8, true, 8,
       [](uint32_t x, uint32_t y, int) { return (x * y) % 8; },
       [](uint32_t x, uint32_t y) { return (x * y) % 8; }},
      {"8-bit RGB", 2, 8, false, 24, [&](uint32_t x, uint32_t y, int s) { return level(x + s, y); },
       [&](uint32_t x, uint32_t y) { return Rgb(level(x, y), level(x + 1, y), level(x + 2, y)); }},
      {"16-bit RGB, interlaced", 2, 16, true, 24,
       [&](uint32_t x, uint32_t y, int s) { return level(x, y + s) * 257; },
       [&](uint32_t x, uint32_t y) { return Rgb(level(x, y), level(x, y + 1), level(x, y + 2)); }},
      {"gray with alpha", 4, 8, false, 8,
       [&](uint32_t x, uint32_t y, int s) { return s == 0 ? level(x, y) : x * 40; },
       [&](uint32_t x, uint32_t y) { return OnWhite(level(x, y), x * 40); }},
      {"16-bit RGBA", 6, 16, false, 24,
       [&](uint32_t x, uint32_t y, int s) { return (s == 3 ? y * 60 : level(x, s)) * 257; },
       [&](uint32_t x, uint32_t y) {
         return Rgb(OnWhite(level(x, 0), y * 60), OnWhite(level(x, 1), y * 60),
                    OnWhite(level(x, 2), y * 60));
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PngRecipe recipe;
    recipe.colorType = c.colorType;
    recipe.depth = c.depth;
    recipe.interlaced = c.interlaced;
    recipe.sample = c.sample;
    if (c.colorType == 3)
      recipe.palette.assign(palette.begin(), palette.begin() + std::min(8, 1 << c.depth));
    ASSERT_TRUE(Read(test::MakePngFile(recipe))) << LastMessage();
    EXPECT_TRUE(warnings_.empty());
    const DibRaster& r = image_.raster;
    ASSERT_EQ(r.bitsPerPixel, c.bits);
    ASSERT_EQ(r.width, 7);
    ASSERT_EQ(r.height, 5);
    for (uint32_t y = 0; y < 5; ++y) {
      for (uint32_t x = 0; x < 7; ++x) {
        const uint32_t got = test::PixelAt(r, static_cast<int>(x), static_cast<int>(y));
        const uint32_t want = c.expected(x, y);
        // Gray values are palette indices of a gray ramp.
        const uint32_t shown = c.bits == 8 && r.grayFlag ? test::PaletteColor(r, got) & 0xFF : got;
        ASSERT_TRUE(c.bits == 24 ? test::NearColor(got, want, 1)
                                 : std::max(shown, want) - std::min(shown, want) <= 1)
            << "at " << x << "," << y << ": " << std::hex << shown << " for " << want;
      }
    }
    if (c.colorType == 3) {
      EXPECT_EQ(test::PaletteColor(r, 3), palette[3]);
      EXPECT_EQ(r.photometric, kPhotometricPalette);
    }
    if (c.colorType == 0 && c.depth == 1) {
      EXPECT_EQ(test::PaletteColor(r, 0), 0x000000u);
      EXPECT_EQ(test::PaletteColor(r, 1), 0xFFFFFFu);
    }
  }
}

TEST_F(PngTest, TransparentPaletteEntriesAreLaidOnWhite) {
  PngRecipe recipe;
  recipe.colorType = 3;
  recipe.palette = {0x000000, 0xFF0000};
  recipe.transparent = {0, 128};  // black wholly transparent, red half
  recipe.sample = [](uint32_t x, uint32_t, int) { return x % 2; };
  ASSERT_TRUE(Read(test::MakePngFile(recipe))) << LastMessage();
  ASSERT_EQ(image_.raster.bitsPerPixel, 24);
  EXPECT_EQ(test::PixelAt(image_.raster, 0, 0), 0xFFFFFFu);
  EXPECT_TRUE(test::NearColor(test::PixelAt(image_.raster, 1, 0),
                              Rgb(255, OnWhite(0, 128), OnWhite(0, 128)), 1));
}

TEST_F(PngTest, ResolutionComesFromPhys) {
  PngRecipe recipe;
  recipe.pixelsPerMetre = 11811;
  ASSERT_TRUE(Read(test::MakePngFile(recipe)));
  EXPECT_EQ(image_.raster.xResolution, 300);
  EXPECT_EQ(image_.raster.resolutionUnit, kResolutionUnitInch);
  recipe.pixelsPerMetre = 0;
  ASSERT_TRUE(Read(test::MakePngFile(recipe)));
  EXPECT_EQ(image_.raster.xResolution, 0);
}

TEST_F(PngTest, EveryRasterDepthWritesAndReadsBack) {
  struct Case {
    const char* what;
    int bits;
    std::vector<uint32_t> palette;  // empty: the recipe's gray ramp
  };
  const Case cases[] = {
      {"black and white", 1, {0x000000, 0xFFFFFF}},
      {"white and black", 1, {0xFFFFFF, 0x000000}},
      {"two colours", 1, {0xFF0000, 0x0000FF}},
      {"16 colours", 4, {}},
      {"gray ramp", 8, {}},
      {"256 colours", 8, std::vector<uint32_t>(256, 0x336699)},
      {"true colour", 24, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    test::BmpRecipe recipe;
    recipe.width = 13;
    recipe.height = 6;
    recipe.bits = c.bits;
    recipe.palette = c.palette;
    recipe.pixel = [&](int x, int y) {
      const uint32_t v = static_cast<uint32_t>(x * 7 + y * 11);
      return c.bits == 24 ? v * 2654435761u & 0xFFFFFF : v % (1u << c.bits);
    };
    DibImage source;
    test::MakeImage(source, recipe);
    const std::string path = dir_.file("out.png");
    ASSERT_TRUE(WritePng(source, path)) << LastMessage();
    ASSERT_TRUE(ReadPng(image_, path)) << LastMessage();
    EXPECT_EQ(image_.raster.xResolution, 300);
    for (int y = 0; y < 6; ++y) {
      for (int x = 0; x < 13; ++x) {
        const auto colour = [](const DibRaster& r, int x, int y) {
          const uint32_t p = test::PixelAt(r, x, y);
          return r.bitsPerPixel == 24 ? p : test::PaletteColor(r, static_cast<int>(p));
        };
        ASSERT_EQ(colour(image_.raster, x, y), colour(source.raster, x, y)) << x << "," << y;
      }
    }
  }
  test::BmpRecipe deep;
  deep.bits = 16;
  DibImage sixteen;
  test::MakeImage(sixteen, deep);
  EXPECT_FALSE(WritePng(sixteen, dir_.file("deep.png")));
  EXPECT_NE(std::string(LastMessage()).find("(16 bits per pixel;"), std::string::npos);
  EXPECT_FALSE(test::FileExists(dir_.file("deep.png")));
}

TEST_F(PngTest, DamagedAndLyingFilesAreRefusedOrWarnedAbout) {
  PngRecipe recipe;
  recipe.width = 64;
  recipe.height = 64;
  recipe.sample = [](uint32_t x, uint32_t y, int) { return (x * y) % 251; };
  const std::vector<uint8_t> good = test::MakePngFile(recipe);

  // A flipped byte in the pixel data: the checksum catches it.
  std::vector<uint8_t> flipped = good;
  flipped[good.size() - 20] ^= 0x55;
  EXPECT_TRUE(Read(flipped) ? !warnings_.empty() : *LastMessage() != '\0') << LastMessage();

  // Cut before its first row: refused, with libpng's reason.
  EXPECT_FALSE(Read(std::vector<uint8_t>(good.begin(), good.begin() + 45)));
  EXPECT_TRUE(image_.raster.empty());
  EXPECT_NE(std::string(LastMessage()).find("No row of the PNG picture could be read: "),
            std::string::npos)
      << LastMessage();

  // Cut half way: read, the missing rows blank, and a warning says so.
  recipe.width = recipe.height = 256;
  recipe.sample = [](uint32_t x, uint32_t y, int) { return (x * 2654435761u ^ y * 40503u) >> 7; };
  const std::vector<uint8_t> noisy = test::MakePngFile(recipe);
  ASSERT_TRUE(Read(std::vector<uint8_t>(noisy.begin(), noisy.begin() + noisy.size() / 2)))
      << LastMessage();
  ASSERT_EQ(warnings_.size(), 1u);
  EXPECT_NE(warnings_[0].find("The PNG data ends at row "), std::string::npos) << warnings_[0];

  // Not a PNG at all: libpng's reason.
  EXPECT_FALSE(Read(std::vector<uint8_t>(100, 'x')));
  EXPECT_NE(std::string(LastMessage()).find("Not a PNG file"), std::string::npos) << LastMessage();

  // A header that declares 20000 x 20000 pixels over a few bytes of data:
  // the header alone can be read, the picture is refused at once.
  std::vector<uint8_t> bomb = good;
  const uint8_t side[4] = {0, 0, 0x4E, 0x20};
  std::copy(side, side + 4, bomb.begin() + 16);
  std::copy(side, side + 4, bomb.begin() + 20);
  const uint32_t crc = static_cast<uint32_t>(crc32(0, bomb.data() + 12, 17));
  for (int i = 0; i < 4; ++i) bomb[29 + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
  ASSERT_TRUE(Read(bomb, true)) << LastMessage();
  EXPECT_EQ(image_.raster.width, 20000);
  EXPECT_TRUE(image_.raster.empty());
  EXPECT_FALSE(Read(bomb));
  EXPECT_NE(std::string(LastMessage()).find("The file's data ends at row "), std::string::npos)
      << LastMessage();
  SetPixelLimit(1);
  EXPECT_FALSE(Read(bomb, true));
  EXPECT_NE(std::string(LastMessage()).find("more than the limit of 1 megapixels"),
            std::string::npos)
      << LastMessage();
}

}  // namespace
}  // namespace leaf
