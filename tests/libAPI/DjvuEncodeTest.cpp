#include <gtest/gtest.h>

#include <vector>

#include "ByteStream.h"
#include "GBitmap.h"
#include "IW44Image.h"
#include "JB2Image.h"
#include "libAPI/djvu_encode.h"
#include "libAPI/djvu_error.h"
#include "tests/libAPI/EncodedFile.h"

namespace {

using leaf::test::AppendOutput;
using leaf::test::IffFile;
using leaf::test::LayerReports;
using leaf::test::ParseIff;
using leaf::test::TestMask;
using leaf::test::TestPage;

// A few letter-like blocks on white paper, as (x, y from the top).
bool Letters(unsigned x, unsigned y) {
  const unsigned cx = x % 40, cy = y % 60;
  return cx >= 10 && cx < 30 && cy >= 20 && cy < 50 && (cx < 14 || cy >= 46);
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
  EXPECT_EQ(reports.progress(),
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
  const IffFile file = ParseIff(Encode(nullptr, mask, &page.image));
  ASSERT_EQ(file.ids().size(), 7u);
  EXPECT_EQ(file.chunks[0].data[9], 1);
  EXPECT_EQ(WaveletWidth(file.chunks[2], true), 80);
}

TEST(DjvuEncodeTest, BackgroundReductionFollowsItsTarget) {
  TestMask mask(240, 120, 300, [](unsigned x, unsigned y) { return Letters(x, y); });
  TestPage page(240, 120, true);
  const std::pair<unsigned, int> cases[] = {{1000, 240}, {20, 20}, {25, 20}, {100, 80}, {120, 80}};
  for (const auto& [dpi, width] : cases) {
    djvu_encode_options options = djvu_encode_options_default();
    options.bg_dpi = dpi;
    const IffFile file = ParseIff(Encode(&options, mask, &page.image));
    ASSERT_EQ(file.chunks.size(), 7u) << dpi;
    EXPECT_EQ(WaveletWidth(file.chunks[2], false), width) << dpi;
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

  // No resolution: three times the background's target.
  mask.image.xres = mask.image.yres = 0;
  IffFile file = ParseIff(Encode(nullptr, mask, nullptr));
  ASSERT_FALSE(file.chunks.empty());
  EXPECT_EQ(file.chunks[0].data[6], 0x2C);
  EXPECT_EQ(file.chunks[0].data[7], 0x01);

  reports.clear();
  djvu_encode_options options = djvu_encode_options_default();
  options.bg_dpi = 5;
  EXPECT_TRUE(Encode(&options, mask, nullptr, &result).empty());
  EXPECT_EQ(result, -1);
  ASSERT_EQ(reports.errors().size(), 1u);
  EXPECT_EQ(reports.errors()[0], "Can not process masks lower than 72 DPI");

  // 25 dpi is the lowest resolution accepted, 24 is refused.
  mask.image.xres = mask.image.yres = 25;
  EXPECT_FALSE(Encode(nullptr, mask, nullptr).empty());
  mask.image.xres = mask.image.yres = 24;
  EXPECT_TRUE(Encode(nullptr, mask, nullptr).empty());

  // Derived from a page that carries its resolution (150 dpi at half size).
  mask.image.xres = mask.image.yres = 0;
  TestPage page(32, 24, true);
  page.image.flags |= DJVU_HAS_DPI;
  page.image.xres = page.image.yres = 150;
  file = ParseIff(Encode(nullptr, mask, &page.image));
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
  djvu_encode_options options = djvu_encode_options_default();
  options.gamma = 1.8f;
  options.bg_dpi = 5;  // would be refused if copied
  options.size = 4;
  EXPECT_EQ(ParseIff(Encode(&options, mask, nullptr)).chunks.at(0).data[8], 22);
  options.size = 8;
  EXPECT_EQ(ParseIff(Encode(&options, mask, nullptr)).chunks.at(0).data[8], 18);
  options.gamma = -1;
  EXPECT_EQ(ParseIff(Encode(&options, mask, nullptr)).chunks.at(0).data[8], 22);
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
