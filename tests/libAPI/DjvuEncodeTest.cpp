#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "ByteStream.h"
#include "GBitmap.h"
#include "IW44Image.h"
#include "JB2Image.h"
#include "libAPI/djvu_encode.h"
#include "libAPI/djvu_error.h"
#include "tests/libAPI/EncodedFile.h"
#include "tests/support/DjvuReference.h"
#include "tests/support/TempDir.h"

namespace {

using leaf::test::AppendOutput;
using leaf::test::IffFile;
using leaf::test::LayerReports;
using leaf::test::ParseIff;
using leaf::test::ReferenceImage;
using leaf::test::ReferenceMode;
using leaf::test::RenderReference;
using leaf::test::TestMask;
using leaf::test::TestPage;

// A few letter-like blocks on white paper, as (x, y from the top).
bool Letters(unsigned x, unsigned y) {
  const unsigned cx = x % 40, cy = y % 60;
  return cx >= 10 && cx < 30 && cy >= 20 && cy < 50 && (cx < 14 || cy >= 46);
}

// Fills the page with a picture far from plain paper (which would be coded
// at half its reduction).
void Texture(TestPage& page) {
  for (unsigned y = 0; y < page.image.h; ++y) {
    for (unsigned x = 0; x < page.image.w; ++x) {
      unsigned char* p = page.pixel(x, y);
      for (unsigned c = 0; c < page.image.pixsize; ++c) {
        p[c] = static_cast<unsigned char>((x * 37 + y * 91 + c * 50) % 256);
      }
    }
  }
}

std::vector<unsigned char> Encode(const djvu_encode_options* options, const TestMask& mask,
                                  const djvu_pixel_image* page, int* result = nullptr) {
  std::vector<unsigned char> bytes;
  const int status = djvu_encode(options, &mask.image, page, AppendOutput, &bytes);
  if (result) *result = status;
  return bytes;
}

// Width of the first wavelet chunk's image (its header carries the size).
int WaveletWidth(const leaf::test::Chunk& chunk, bool colour) {
  GP<IW44Image> image = IW44Image::create_decode(colour ? IW44Image::COLOR : IW44Image::GRAY);
  image->decode_chunk(ByteStream::create(chunk.data.data(), chunk.data.size()));
  return image->get_width();
}

TEST(DjvuEncodeTest, LetterSizeBilevelPageHasInfoAndOneStencil) {
  TestMask mask(2550, 3300, 300, [](unsigned x, unsigned y) { return Letters(x, y); });
  const IffFile file = ParseIff(Encode(nullptr, mask, nullptr));
  EXPECT_EQ(file.formType, "DJVU");
  ASSERT_EQ(file.ids(), (std::vector<std::string>{"INFO", "Sjbz"}));
  EXPECT_EQ(file.chunks[0].data, (std::vector<unsigned char>{0x09, 0xF6, 0x0C, 0xE4, 0x12, 0x00,
                                                             0x2C, 0x01, 0x16, 0x01}));
}

TEST(DjvuEncodeTest, LosslessStencilDecodesToTheMask) {
  TestMask mask(300, 200, 300, [](unsigned x, unsigned y) {
    return Letters(x, y) || (x + y) % 97 == 0 || (x == 5 && y == 5);
  });
  djvu_encode_options options = djvu_encode_options_default();
  options.flags = DJVU_LOSSLESS | DJVU_NO_THICKEN;
  const IffFile file = ParseIff(Encode(&options, mask, nullptr));
  ASSERT_EQ(file.ids().size(), 2u);
  GP<JB2Image> decoded = JB2Image::create();
  decoded->decode(ByteStream::create(file.chunks[1].data.data(), file.chunks[1].data.size()));
  ASSERT_EQ(decoded->get_width(), 300);
  ASSERT_EQ(decoded->get_height(), 200);
  GP<GBitmap> bitmap = decoded->get_bitmap();
  int differences = 0;
  for (unsigned y = 0; y < 200; ++y) {
    for (unsigned x = 0; x < 300; ++x) {
      const bool ink = Letters(x, y) || (x + y) % 97 == 0 || (x == 5 && y == 5);
      differences += ((*bitmap)[199 - y][x] != 0) != ink;
    }
  }
  EXPECT_EQ(differences, 0);
}

TEST(DjvuEncodeTest, ThickeningWidensEveryRowOfInk) {
  TestMask mask(100, 50, 300, [](unsigned x, unsigned y) { return x >= 10 && x < 15 && y < 20; });
  const IffFile file = ParseIff(Encode(nullptr, mask, nullptr));
  GP<JB2Image> decoded = JB2Image::create();
  decoded->decode(ByteStream::create(file.chunks[1].data.data(), file.chunks[1].data.size()));
  GP<GBitmap> bitmap = decoded->get_bitmap();
  EXPECT_TRUE((*bitmap)[49][15]);
  EXPECT_FALSE((*bitmap)[49][16]);
  EXPECT_TRUE((*bitmap)[49][10]);
  EXPECT_FALSE((*bitmap)[49][9]);
}

// Two strokes a pixel apart, as letters are at 100 dpi: a thickened mask
// would join them, so below 200 dpi the mask is coded as found (and the
// saver says so), while at 200 dpi and more the gap closes as before.
TEST(DjvuEncodeTest, LowResolutionMasksAreNotThickened) {
  struct Case {
    unsigned dpi;
    bool gapKept;
  } cases[] = {{100, true}, {199, true}, {200, false}, {300, false}};
  for (const Case& c : cases) {
    TestMask mask(40, 20, c.dpi, [](unsigned x, unsigned y) {
      return y >= 2 && y < 18 && ((x >= 10 && x < 13) || (x >= 14 && x < 17));
    });
    LayerReports reports;
    const IffFile file = ParseIff(Encode(nullptr, mask, nullptr));
    GP<JB2Image> decoded = JB2Image::create();
    decoded->decode(ByteStream::create(file.chunks[1].data.data(), file.chunks[1].data.size()));
    GP<GBitmap> bitmap = decoded->get_bitmap();
    EXPECT_EQ((*bitmap)[10][13] == 0, c.gapKept) << c.dpi;
    EXPECT_EQ((*bitmap)[10][17] == 0, c.gapKept) << c.dpi;
    const auto& steps = reports.progress();
    const bool said = std::any_of(steps.begin(), steps.end(), [](const std::string& step) {
      return step.rfind("Text: not thickened", 0) == 0;
    });
    EXPECT_EQ(said, c.gapKept) << c.dpi;
  }
}

// Two prints of a block, the second with a notch in its top edge: at 300
// dpi lossy matching shows the first print in both places; below 200 dpi,
// where a pixel or two can tell letters apart, each print keeps its own.
TEST(DjvuEncodeTest, LowResolutionMasksShareOnlyIdenticalShapes) {
  struct Case {
    unsigned dpi;
    bool notchKept;
  } cases[] = {{150, true}, {300, false}};
  for (const Case& c : cases) {
    TestMask mask(120, 60, c.dpi, [](unsigned x, unsigned y) {
      const bool block = y >= 10 && y < 46 && ((x >= 10 && x < 34) || (x >= 60 && x < 84));
      return block && !(y == 10 && x == 72);
    });
    djvu_encode_options options = djvu_encode_options_default();
    options.flags = DJVU_NO_THICKEN;
    LayerReports reports;
    const IffFile file = ParseIff(Encode(&options, mask, nullptr));
    GP<JB2Image> decoded = JB2Image::create();
    decoded->decode(ByteStream::create(file.chunks[1].data.data(), file.chunks[1].data.size()));
    GP<GBitmap> bitmap = decoded->get_bitmap();
    EXPECT_EQ((*bitmap)[59 - 10][72] == 0, c.notchKept) << c.dpi;
    EXPECT_NE((*bitmap)[59 - 10][71], 0) << c.dpi;
    const auto& steps = reports.progress();
    const bool said = std::any_of(steps.begin(), steps.end(), [](const std::string& step) {
      return step.rfind("Text: only identical shapes shared", 0) == 0;
    });
    EXPECT_EQ(said, c.notchKept) << c.dpi;
  }
}

TEST(DjvuEncodeTest, CompoundPageChunksComeInProgressiveOrder) {
  TestMask mask(300, 200, 300, [](unsigned x, unsigned y) { return Letters(x, y); });
  TestPage page(300, 200, false);
  for (unsigned y = 0; y < 200; ++y) {
    for (unsigned x = 0; x < 300; ++x) {
      unsigned char* p = page.pixel(x, y);
      if (Letters(x, y)) {
        p[0] = 150, p[1] = 20, p[2] = 20;
      } else {
        p[0] = 240, p[1] = 230, p[2] = static_cast<unsigned char>(x % 200);
      }
    }
  }
  LayerReports reports;
  const IffFile file = ParseIff(Encode(nullptr, mask, &page.image));
  EXPECT_EQ(file.ids(),
            (std::vector<std::string>{"INFO", "Sjbz", "BG44", "FG44", "BG44", "BG44", "BG44"}));
  EXPECT_TRUE(reports.errors().empty());
  std::vector<std::string> phases;  // the reports without the layers' budgets
  for (const std::string& step : reports.progress()) {
    if (step.find(':') == std::string::npos) phases.push_back(step);
  }
  EXPECT_EQ(phases,
            (std::vector<std::string>{"Encoding Mask 0", "Applying Mask to Foreground 10",
                                      "Cleaning Mask 20", "Processing color layer 30",
                                      "Processing background layer 90", "Encoded document 100"}));
  // Default targets at 300 dpi: background at a third, foreground at a twelfth.
  EXPECT_EQ(WaveletWidth(file.chunks[2], true), 100);
  EXPECT_EQ(WaveletWidth(file.chunks[3], true), 25);
  EXPECT_EQ(file.chunks[0].data[9], 1);
}

TEST(DjvuEncodeTest, SmallerColourPageStillGivesAnUprightPage) {
  // The colour page is half the mask's size; viewers read the last INFO byte
  // as the orientation, so it must stay 1 (a 2 shows the page upside down).
  TestMask mask(240, 120, 300, [](unsigned x, unsigned y) { return Letters(x, y); });
  TestPage page(120, 60, false);
  Texture(page);
  const IffFile file = ParseIff(Encode(nullptr, mask, &page.image));
  ASSERT_EQ(file.ids().size(), 7u);
  EXPECT_EQ(file.chunks[0].data[9], 1);
  EXPECT_EQ(WaveletWidth(file.chunks[2], true), 80);
  // Halved across and divided by three down: no whole factor, so the page
  // is scaled to the mask first.
  TestPage uneven(120, 40, false);
  Texture(uneven);
  const IffFile scaled = ParseIff(Encode(nullptr, mask, &uneven.image));
  ASSERT_EQ(scaled.ids().size(), 7u);
  EXPECT_EQ(WaveletWidth(scaled.chunks[2], true), 80);
}

// A page whose mask was found on it enlarged two or three times: its layers
// come from the page at its own size, and the file is the one its
// enlargement gives (the background's cells of three mask pixels split the
// pixels of a page at half the mask's size).
TEST(DjvuEncodeTest, SmallerPageGivesThePageOfItsEnlargement) {
  struct Free {
    void operator()(djvu_pixel_image* image) const { djvu_pixel_image_free(image); }
  };
  for (const unsigned scale : {3u, 2u}) {
    const auto ink = [scale](unsigned x, unsigned y) {
      return Letters(scale * x + 1, scale * y + 1);
    };
    const unsigned w = 300 / scale, h = 180 / scale;
    TestPage small(w, h, false);
    for (unsigned y = 0; y < h; ++y) {
      for (unsigned x = 0; x < w; ++x) {
        unsigned char* p = small.pixel(x, y);
        if (ink(x, y)) {
          p[0] = 30, p[1] = 30, p[2] = 140;
        } else {
          p[0] = static_cast<unsigned char>(120 + x), p[1] = static_cast<unsigned char>(90 + y);
          p[2] = static_cast<unsigned char>(200 - x / 2);
        }
      }
    }
    TestMask mask(300, 180, 300, [&](unsigned x, unsigned y) { return ink(x / scale, y / scale); });
    const std::unique_ptr<djvu_pixel_image, Free> enlarged(
        djvu_pixel_resample(&small.image, -static_cast<int>(scale), 0));
    ASSERT_NE(enlarged, nullptr);
    const std::vector<unsigned char> smallBytes = Encode(nullptr, mask, &small.image);
    const std::vector<unsigned char> enlargedBytes = Encode(nullptr, mask, enlarged.get());
    ASSERT_EQ(ParseIff(smallBytes).chunks.size(), 7u) << scale;
    EXPECT_EQ(smallBytes, enlargedBytes) << scale;
  }
}

TEST(DjvuEncodeTest, BackgroundReductionFollowsItsTarget) {
  TestMask mask(240, 120, 300, [](unsigned x, unsigned y) { return Letters(x, y); });
  TestPage page(240, 120, true);
  Texture(page);
  const std::pair<unsigned, int> cases[] = {{1000, 240}, {20, 20}, {25, 20}, {100, 80}, {120, 80}};
  for (const auto& [dpi, width] : cases) {
    djvu_encode_options options = djvu_encode_options_default();
    options.bg_dpi = dpi;
    const IffFile file = ParseIff(Encode(&options, mask, &page.image));
    ASSERT_EQ(file.chunks.size(), 7u) << dpi;
    EXPECT_EQ(WaveletWidth(file.chunks[2], false), width) << dpi;
  }
}

// The reports of the layers' budgets among the progress reports.
std::vector<std::string> Budgets(const LayerReports& reports) {
  std::vector<std::string> budgets;
  for (const std::string& step : reports.progress()) {
    if (step.rfind("Foreground:", 0) == 0 || step.rfind("Background:", 0) == 0) {
      budgets.push_back(step);
    }
  }
  return budgets;
}

// A page printed in one ink gets a solid foreground at the coarsest
// reduction (here also the target); with a second ink both inks
// keep their colours on the decoded page. Plain paper is coded at half the
// background's resolution and a lower quality; a picture is not.
TEST(DjvuEncodeTest, LayerBudgetsFollowThePagesContent) {
  const leaf::test::TempDir dir;
  TestMask mask(240, 120, 300, [](unsigned x, unsigned y) { return Letters(x, y); });
  struct Case {
    const char* what;
    bool redInk;   // the right half's letters in red
    bool picture;  // a picture instead of paper
    int foregroundWidth, backgroundWidth;
    const char* foreground;
    const char* background;
  } cases[] = {
      {"black on paper", false, false, 20, 40, "Foreground: one ink colour #141414, solid 40",
       "Background: 100% plain paper, 50 dpi, quality 55 (plain) 50"},
      {"black and red on paper", true, false, 20, 40,
       "Foreground: 50% of the ink in #141414, the rest in other colours 40",
       "Background: 100% plain paper, 50 dpi, quality 55 (plain) 50"},
      {"black on a picture", false, true, 20, 80, "Foreground: one ink colour #141414, solid 40",
       "Background: 10% plain paper, 100 dpi, quality 75 50"},
  };
  for (const Case& c : cases) {
    TestPage page(240, 120, false);
    if (c.picture) Texture(page);
    for (unsigned y = 0; y < 120; ++y) {
      for (unsigned x = 0; x < 240; ++x) {
        if (!Letters(x, y)) continue;
        unsigned char* p = page.pixel(x, y);
        const bool red = c.redInk && x >= 120;
        p[0] = red ? 200 : 20, p[1] = 20, p[2] = 20;
      }
    }
    LayerReports reports;
    const std::vector<unsigned char> bytes = Encode(nullptr, mask, &page.image);
    const IffFile file = ParseIff(bytes);
    ASSERT_EQ(file.chunks.size(), 7u) << c.what;
    EXPECT_EQ(WaveletWidth(file.chunks[2], true), c.backgroundWidth) << c.what;
    EXPECT_EQ(WaveletWidth(file.chunks[3], true), c.foregroundWidth) << c.what;
    EXPECT_EQ(Budgets(reports), (std::vector<std::string>{c.foreground, c.background})) << c.what;
    leaf::test::WriteBytes(dir.file("page.djvu"), bytes);
    const ReferenceImage shown = RenderReference(dir.file("page.djvu"), 1, ReferenceMode::kColor);
    ASSERT_EQ(shown.width, 240) << c.what;
    // Inside a letter stem on the left (black) and on the right.
    EXPECT_LT(shown.at(12, 30, 0), 60) << c.what;
    EXPECT_EQ(shown.at(132, 30, 0) > 150, c.redInk) << c.what;
    EXPECT_LT(shown.at(132, 30, 1), 60) << c.what;
  }
}

TEST(DjvuEncodeTest, MaskResolutionRules) {
  LayerReports reports;
  TestMask mask(64, 48, 300, [](unsigned x, unsigned) { return x == 3; });
  mask.image.yres = 200;
  int result = 0;
  EXPECT_TRUE(Encode(nullptr, mask, nullptr, &result).empty());
  EXPECT_EQ(result, -1);
  ASSERT_EQ(reports.errors().size(), 1u);
  EXPECT_EQ(reports.errors()[0], "Masks must have the same horizontal and vertical resolutions!");

  // No resolution: 300 dpi, whatever the background's target (a colour
  // page without one gets the same from the mask finder).
  mask.image.xres = mask.image.yres = 0;
  for (unsigned bgDpi : {25u, 100u, 300u}) {
    djvu_encode_options options = djvu_encode_options_default();
    options.bg_dpi = bgDpi;
    const IffFile file = ParseIff(Encode(&options, mask, nullptr));
    ASSERT_FALSE(file.chunks.empty()) << bgDpi;
    EXPECT_EQ(file.chunks[0].data[6] | (file.chunks[0].data[7] << 8), 300) << bgDpi;
  }

  // 25 dpi is the lowest resolution accepted, 24 is refused; INFO keeps
  // 16 bits, so 65535 is the highest.
  reports.clear();
  const std::pair<unsigned, const char*> limits[] = {
      {25, nullptr},
      {24, "Can not process masks lower than 72 DPI"},
      {65535, nullptr},
      {70000, "Can not process masks higher than 65535 DPI"}};
  for (const auto& [dpi, refusal] : limits) {
    reports.clear();
    mask.image.xres = mask.image.yres = dpi;
    const IffFile file = ParseIff(Encode(nullptr, mask, nullptr, &result));
    if (refusal) {
      EXPECT_EQ(result, -1) << dpi;
      ASSERT_EQ(reports.errors().size(), 1u) << dpi;
      EXPECT_EQ(reports.errors()[0], refusal);
    } else {
      ASSERT_FALSE(file.chunks.empty()) << dpi;
      EXPECT_EQ(file.chunks[0].data[6] | (file.chunks[0].data[7] << 8), static_cast<int>(dpi));
    }
  }

  // Derived from a page that carries its resolution (150 dpi at half size).
  mask.image.xres = mask.image.yres = 0;
  TestPage page(32, 24, true);
  page.image.flags |= DJVU_HAS_DPI;
  page.image.xres = page.image.yres = 150;
  const IffFile file = ParseIff(Encode(nullptr, mask, &page.image));
  ASSERT_FALSE(file.chunks.empty());
  EXPECT_EQ(file.chunks[0].data[6] | (file.chunks[0].data[7] << 8), 300);
}

TEST(DjvuEncodeTest, ShortOutputRoutineFailsTheEncoding) {
  LayerReports reports;
  TestMask mask(64, 48, 300, [](unsigned x, unsigned) { return x == 3; });
  auto shortWriter = [](void*, const void*, size_t length) -> size_t { return length - 1; };
  EXPECT_EQ(djvu_encode(nullptr, &mask.image, nullptr, shortWriter, nullptr), -1);
  ASSERT_EQ(reports.errors().size(), 1u);
  EXPECT_EQ(reports.errors()[0], "djvu_encode: output routine did not return expected value");
  reports.clear();
  EXPECT_EQ(djvu_encode(nullptr, nullptr, nullptr, AppendOutput, nullptr), -1);
  ASSERT_EQ(reports.errors().size(), 1u);
  EXPECT_EQ(reports.errors()[0], "djvu_encode: djvu_run_image is required");
  // Wider than the codec's wavelet images can be: refused before any work.
  reports.clear();
  djvu_run_image wide{};
  wide.w = 65505;
  wide.h = 1;
  EXPECT_EQ(djvu_encode(nullptr, &wide, nullptr, AppendOutput, nullptr), -1);
  ASSERT_EQ(reports.errors().size(), 1u);
  EXPECT_EQ(reports.errors()[0], "djvu_encode: page size must be 1 to 65504 pixels");
}

TEST(DjvuEncodeTest, OptionsCopyOnlyTheBytesTheirSizeSays) {
  TestMask mask(64, 48, 300, [](unsigned x, unsigned) { return x == 3; });
  TestPage page(64, 48, true);
  for (unsigned x = 0; x < 64; ++x) *page.pixel(x, 30) = 90;
  const std::vector<unsigned char> plain = Encode(nullptr, mask, &page.image);
  djvu_encode_options options = djvu_encode_options_default();
  options.gamma = 1.8f;
  options.fg_dpi = 300;  // would change the foreground if copied
  options.size = 4;
  EXPECT_EQ(Encode(&options, mask, &page.image), plain);
  options.size = 8;  // the gamma alone: other layers, the same INFO
  const std::vector<unsigned char> corrected = Encode(&options, mask, &page.image);
  EXPECT_NE(corrected, plain);
  EXPECT_EQ(ParseIff(corrected).chunks.at(0).data, ParseIff(plain).chunks.at(0).data);
  options.gamma = -1;
  EXPECT_EQ(Encode(&options, mask, &page.image), plain);
}

// Tones of a page in four bands, coded with a source gamma of 1.1, decoded
// by DjVuLibre: the compound page and the IW44 file, gray and colour, must
// show the same tones, corrected once (255 * (v / 255) ^ (1.1 / 2.2)).
TEST(DjvuEncodeTest, GammaIsCorrectedOnceOnBothPaths) {
  const unsigned char sources[] = {40, 85, 130, 175};
  TestMask mask(256, 96, 300, [](unsigned x, unsigned y) { return x < 4 && y < 4; });
  djvu_encode_options compound = djvu_encode_options_default();
  compound.gamma = 1.1f;
  djvu_photo_options photo = djvu_photo_options_default();
  photo.gamma = 1.1f;
  const leaf::test::TempDir dir;
  for (const bool gray : {true, false}) {
    TestPage page(256, 96, gray);
    for (unsigned y = 0; y < 96; ++y) {
      for (unsigned x = 0; x < 256; ++x)
        std::fill_n(page.pixel(x, y), gray ? 1 : 3, sources[x / 64]);
    }
    std::vector<unsigned char> iw44;
    ASSERT_EQ(djvu_encode_photo(&photo, &page.image, AppendOutput, &iw44), 0);
    leaf::test::WriteBytes(dir.file("page.djvu"), Encode(&compound, mask, &page.image));
    leaf::test::WriteBytes(dir.file("page.iw44"), iw44);
    for (const char* name : {"page.djvu", "page.iw44"}) {
      const ReferenceImage decoded =
          RenderReference(dir.file(name), 1, ReferenceMode::kColor, true);
      ASSERT_EQ(decoded.width, 256) << name;
      for (int band = 0; band < 4; ++band) {
        const double expected = 255 * std::pow(sources[band] / 255.0, 0.5);
        EXPECT_NEAR(decoded.at(band * 64 + 32, 48), expected, 4)
            << name << (gray ? " gray" : " colour") << " band " << band;
      }
    }
  }
}

TEST(DjvuEncodeTest, LosslessKeepsTheMaskAsItIsAndAggressiveDropsSpecks) {
  // A letter, a 3 x 3 speck and a 4 x 4 dot on a 2550 x 3300 page, where
  // the largest speck is 3 x 3.
  auto ink = [](unsigned x, unsigned y) {
    const bool speck = x >= 1000 && x < 1003 && y >= 1000 && y < 1003;
    const bool dot = x >= 1500 && x < 1504 && y >= 1000 && y < 1004;
    return (x < 400 && y < 400 && Letters(x, y)) || speck || dot;
  };
  TestMask mask(2550, 3300, 300, ink);
  auto decode = [&](unsigned flags) {
    djvu_encode_options options = djvu_encode_options_default();
    options.flags = flags;
    const IffFile file = ParseIff(Encode(&options, mask, nullptr));
    GP<JB2Image> decoded = JB2Image::create();
    const leaf::test::Chunk& sjbz = file.chunks.at(1);
    decoded->decode(ByteStream::create(sjbz.data.data(), sjbz.data.size()));
    return decoded->get_bitmap();
  };
  auto inkAt = [](const GBitmap& bitmap, unsigned x, unsigned yTop) {
    return (bitmap[static_cast<int>(bitmap.rows() - 1 - yTop)][x]) != 0;
  };
  // Lossless: every pixel as in the mask, no thickening.
  GP<GBitmap> lossless = decode(DJVU_LOSSLESS);
  int differences = 0;
  for (unsigned y = 0; y < 1100; ++y) {
    for (unsigned x = 0; x < 1600; ++x) differences += inkAt(*lossless, x, y) != ink(x, y);
  }
  EXPECT_EQ(differences, 0);
  // Aggressive: the speck goes, the dot (thickened) stays.
  GP<GBitmap> aggressive = decode(DJVU_AGGRESSIVE);
  EXPECT_FALSE(inkAt(*aggressive, 1001, 1001));
  EXPECT_TRUE(inkAt(*aggressive, 1501, 1001));
  EXPECT_TRUE(inkAt(*aggressive, 1504, 1001));
  // Normal: both stay.
  EXPECT_TRUE(inkAt(*decode(0), 1001, 1001));
}

TEST(DjvuEncodePhotoTest, BlackAndWhiteImagesBecomeBilevelPages) {
  TestPage gray(40, 30, true);
  for (unsigned x = 0; x < 40; ++x) *gray.pixel(x, 10) = 0;
  std::vector<unsigned char> bytes;
  ASSERT_EQ(djvu_encode_photo(nullptr, &gray.image, AppendOutput, &bytes), 0);
  IffFile file = ParseIff(bytes);
  EXPECT_EQ(file.formType, "DJVU");
  EXPECT_EQ(file.ids(), (std::vector<std::string>{"INFO", "Sjbz"}));

  TestPage colour(40, 30, false);
  unsigned char* p = colour.pixel(7, 7);
  p[0] = 254, p[1] = 0, p[2] = 0;
  bytes.clear();
  ASSERT_EQ(djvu_encode_photo(nullptr, &colour.image, AppendOutput, &bytes), 0);
  file = ParseIff(bytes);
  EXPECT_EQ(file.formType, "PM44");
  ASSERT_FALSE(file.chunks.empty());
  EXPECT_EQ(file.chunks[0].id, "PM44");

  // Pure primaries hold only 0 and 255 per channel, but are colours.
  const unsigned char primaries[][3] = {{255, 0, 0}, {0, 0, 255}, {255, 255, 0}};
  TestPage flags(30, 10, false);
  for (unsigned x = 0; x < 30; ++x) {
    for (unsigned y = 0; y < 10; ++y) std::copy_n(primaries[x / 10], 3, flags.pixel(x, y));
  }
  bytes.clear();
  ASSERT_EQ(djvu_encode_photo(nullptr, &flags.image, AppendOutput, &bytes), 0);
  EXPECT_EQ(ParseIff(bytes).formType, "PM44");

  *gray.pixel(3, 3) = 128;
  bytes.clear();
  ASSERT_EQ(djvu_encode_photo(nullptr, &gray.image, AppendOutput, &bytes), 0);
  file = ParseIff(bytes);
  EXPECT_EQ(file.formType, "BM44");
  EXPECT_EQ(file.chunks.at(0).id, "BM44");
}

TEST(DjvuEncodePhotoTest, QualityOutsideTheRangeCountsAsItsLimit) {
  TestPage page(96, 64, false);
  for (unsigned y = 0; y < 64; ++y) {
    for (unsigned x = 0; x < 96; ++x) {
      unsigned char* p = page.pixel(x, y);
      p[0] = static_cast<unsigned char>(x * 2), p[1] = static_cast<unsigned char>(y * 3);
      p[2] = static_cast<unsigned char>((x * y) % 251);
    }
  }
  auto encode = [&](unsigned quality) {
    djvu_photo_options options = djvu_photo_options_default();
    options.quality = quality;
    std::vector<unsigned char> bytes;
    EXPECT_EQ(djvu_encode_photo(&options, &page.image, AppendOutput, &bytes), 0);
    return bytes;
  };
  EXPECT_EQ(encode(0), encode(75));
  EXPECT_EQ(encode(150), encode(100));
  EXPECT_NE(encode(100), encode(75));
  EXPECT_LE(ParseIff(encode(75)).chunks.size(), 4u);
}

TEST(DjvuEncodePhotoTest, ReportsItsPhasesAndRefusesEmptyImages) {
  LayerReports reports;
  TestPage page(20, 20, true);
  *page.pixel(1, 1) = 99;
  std::vector<unsigned char> bytes;
  ASSERT_EQ(djvu_encode_photo(nullptr, &page.image, AppendOutput, &bytes), 0);
  EXPECT_EQ(reports.progress(), (std::vector<std::string>{"Encode Photo 0", "Compress Photo 50",
                                                          "Compressed Photo 100"}));
  page.image.w = 0;
  EXPECT_EQ(djvu_encode_photo(nullptr, &page.image, AppendOutput, &bytes), -1);
  EXPECT_EQ(reports.errors().size(), 1u);
}

}  // namespace
