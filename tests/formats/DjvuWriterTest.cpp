#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "formats/DjvuReader.h"
#include "formats/DjvuWriter.h"
#include "image/Messages.h"
#include "tests/support/DjvuReference.h"
#include "tests/support/Fixtures.h"
#include "tests/support/TempDir.h"

namespace leaf {
namespace {

using test::BmpRecipe;
using test::MakeImage;
using test::ReadBytes;
using test::TempDir;

std::vector<unsigned char> Runs(const djvu_run_image& run) {
  return std::vector<unsigned char>(run.runs, run.runs + run.nruns);
}

// The INFO bytes and chunk names of a DjVu file, read back by the probe.
DjvuFileInfo Probe(const std::string& path) {
  DibImage image;
  DjvuFileInfo info;
  EXPECT_TRUE(ProbeDjvuFile(image, path, info)) << LastMessage();
  return info;
}

djvu_encode_options EncodeOptions() { return djvu_encode_options_default(); }

// The mask options the program passes: no enlargement of low resolutions.
djvu_mask_options MaskOptions() {
  djvu_mask_options options = djvu_mask_default_options();
  options.double_below_dpi = options.triple_below_dpi = 0;
  return options;
}

using PixelFunction = std::function<uint32_t(int, int)>;

BmpRecipe Recipe(int width, int height, int bits, PixelFunction pixel = nullptr,
                 std::vector<uint32_t> palette = {}, int32_t pixelsPerMetre = 11811) {
  BmpRecipe recipe;
  recipe.width = width;
  recipe.height = height;
  recipe.bits = bits;
  if (pixel) recipe.pixel = std::move(pixel);
  recipe.palette = std::move(palette);
  recipe.pixelsPerMetre = pixelsPerMetre;
  return recipe;
}

TEST(MakeRunImageTest, AllWhitePageIsRunsOf128AndTheRest) {
  DibImage image;
  // Index 1 of the gray palette: white.
  MakeImage(image, Recipe(100, -100, 1, [](int, int) { return 1u; }));
  const OwnedRunImage run = MakeRunImage(image);
  ASSERT_TRUE(run);
  EXPECT_EQ(run->nruns, 79u);
  const std::vector<unsigned char> bytes = Runs(*run);
  for (size_t i = 0; i < 78; ++i) EXPECT_EQ(bytes[i], 0xFF) << i;
  EXPECT_EQ(bytes[78], 0x80 | 15);
  EXPECT_EQ(run->w, 100u);
  EXPECT_EQ(run->xres, 300u);
  EXPECT_EQ(run->runtype, unsigned{DJVU_RUN_BW});
}

TEST(MakeRunImageTest, EveryRunFitsWhateverTheSize) {
  for (int side : {1, 2, 3, 7, 64}) {
    DibImage image;
    MakeImage(image, Recipe(side, -side, 1,
                            [](int x, int y) { return static_cast<uint32_t>((x + y) & 1); }));
    const OwnedRunImage run = MakeRunImage(image);
    ASSERT_TRUE(run) << side;
    // Along the stream the colours alternate; with an even width a row ends
    // in the colour the next one starts with, and the two runs are one.
    const int joins = side % 2 == 0 ? side - 1 : 0;
    ASSERT_EQ(run->nruns, static_cast<unsigned>(side * side - joins)) << side;
    unsigned total = 0;
    for (unsigned char byte : Runs(*run)) total += (byte & 0x7F) + 1u;
    EXPECT_EQ(total, static_cast<unsigned>(side * side));
    EXPECT_EQ(run->runs[0], 0x00);  // top-left pixel: index 0, black
  }
}

TEST(MakeRunImageTest, BlackPaletteEntryZeroMakesOneBitsWhite) {
  DibImage image;
  const PixelFunction threeThenFive = [](int x, int) { return x < 3 ? 0u : 1u; };
  MakeImage(image, Recipe(8, -1, 1, threeThenFive, {0x000000, 0xFFFFFF}));
  OwnedRunImage run = MakeRunImage(image);
  ASSERT_TRUE(run);
  EXPECT_EQ(Runs(*run), (std::vector<unsigned char>{0x02, 0x84}));
  DibImage inverted;
  MakeImage(inverted, Recipe(8, -1, 1, threeThenFive, {0xFFFFFF, 0x000000}));
  run = MakeRunImage(inverted);
  ASSERT_TRUE(run);
  EXPECT_EQ(Runs(*run), (std::vector<unsigned char>{0x82, 0x04}));

  DibImage gray;
  MakeImage(gray, Recipe(8, 1, 8));
  EXPECT_FALSE(MakeRunImage(gray));
  EXPECT_STREQ(LastMessage(), "Run images are only made for 1-bit images.");
}

TEST(MakePixelImageTest, DeepRastersAreHandedOverInPlace) {
  DibImage colour;
  MakeImage(colour, Recipe(5, 3, 24));
  colour.raster.yResolution = 200;
  djvu_pixel_image pixels{};
  PixelBlock storage;
  ASSERT_EQ(MakePixelImage(colour, pixels, storage), 0);
  EXPECT_EQ(pixels.data, colour.raster.pixels());
  EXPECT_EQ(pixels.pixsize, 3u);
  EXPECT_EQ(pixels.rowsize, 16u);
  EXPECT_EQ(pixels.flags, unsigned{DJVU_BOTTOMUP | DJVU_HAS_DPI | DJVU_BGR});
  EXPECT_EQ(pixels.xres, 300u);  // both as they are: the mask finder scales such pages
  EXPECT_EQ(pixels.yres, 200u);
  EXPECT_EQ(pixels.alloc_tag, 0);

  DibImage gray;
  MakeImage(gray, Recipe(5, -3, 8, nullptr, {}, 0));
  pixels = {};
  ASSERT_EQ(MakePixelImage(gray, pixels, storage), 0);
  EXPECT_EQ(pixels.flags, unsigned{DJVU_TOPDOWN | DJVU_GRAY});
  EXPECT_EQ(pixels.rowsize, 8u);
}

TEST(MakePixelImageTest, PaletteRastersAreConverted) {
  DibImage bilevel;
  MakeImage(bilevel, Recipe(9, 2, 1, [](int x, int) { return x == 4 ? 1u : 0u; }));
  djvu_pixel_image pixels{};
  PixelBlock storage;
  ASSERT_EQ(MakePixelImage(bilevel, pixels, storage), 1);
  EXPECT_EQ(pixels.data, storage.data());
  EXPECT_EQ(pixels.rowsize, 12u);
  EXPECT_EQ(pixels.flags & DJVU_GRAY, unsigned{DJVU_GRAY});
  EXPECT_EQ(pixels.data[4], 255);
  EXPECT_EQ(pixels.data[3], 0);

  DibImage nibbles;
  MakeImage(nibbles,
            Recipe(3, 1, 4, [](int x, int) { return x == 1 ? 1u : 0u; }, {0x102030, 0x405060}));
  pixels = {};
  ASSERT_EQ(MakePixelImage(nibbles, pixels, storage), 1);
  EXPECT_EQ(pixels.flags & (DJVU_BGR | DJVU_RGB | DJVU_GRAY), unsigned{DJVU_BGR});
  const unsigned char* p = pixels.data + pixels.offset;
  EXPECT_EQ(p[3], 0x60);  // blue of entry 1
  EXPECT_EQ(p[5], 0x40);  // red of entry 1
}

TEST(SaveDjvuTest, BilevelPageHasTheInfoOfTheRaster) {
  TempDir dir;
  DibImage image;
  MakeImage(image,
            Recipe(300, 120, 1, [](int x, int y) { return (x / 10 + y / 12) % 5 == 0 ? 0u : 1u; }));
  const std::string path = dir.file("page.djvu");
  ASSERT_TRUE(SaveDjvu(image, path, -4, false, djvu_mask_options{}, EncodeOptions()))
      << LastMessage();
  const DjvuFileInfo info = Probe(path);
  EXPECT_EQ(info.chunkFlags, kDjvuChunkMask);
  EXPECT_EQ(info.width, 300);
  EXPECT_EQ(info.height, 120);
  EXPECT_EQ(info.resolution, 300);
  EXPECT_EQ(image.raster.rowOrder, kRowOrderTopDown);
}

TEST(SaveDjvuTest, FailedSaveLeavesTheOldFileAlone) {
  TempDir dir;
  const std::string path = dir.file("page.djvu");
  test::WriteText(path, "precious");
  DibImage deep;
  MakeImage(deep, Recipe(4, 4, 32));
  EXPECT_FALSE(SaveDjvu(deep, path, -1, false, djvu_mask_options{}, EncodeOptions()));
  EXPECT_STREQ(LastMessage(),
               "DjVu saving not supported for this color depth (32 bits per pixel; pictures of 1, "
               "4, 8 and 24 bits are saved).");
  EXPECT_FALSE(SaveIw44(deep, path, djvu_photo_options_default()));
  EXPECT_NE(std::string(LastMessage()).find("IW44 saving not supported for this color depth (32"),
            std::string::npos);

  // The encoder refuses a page wider than a DjVu page can be: nothing is
  // written, and the encoder's reason is the message.
  DibImage wide;
  MakeImage(wide, Recipe(65505, 1, 1));
  EXPECT_FALSE(SaveDjvu(wide, path, -1, false, djvu_mask_options{}, EncodeOptions()));
  EXPECT_STREQ(LastMessage(),
               "Failed to encode the page: djvu_encode: page size must be 1 to 65504 pixels.");
  const std::vector<uint8_t> kept = ReadBytes(path);
  EXPECT_EQ(std::string(kept.begin(), kept.end()), "precious");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            1);
}

TEST(SaveIw44Test, ColourAndGrayPhotosAndTheirProgress) {
  TempDir dir;
  DibImage colour;
  MakeImage(colour, Recipe(64, 48, 24, [](int x, int y) {
              return static_cast<uint32_t>(x * 4 + (y * 5 << 8) + (90 << 16));
            }));
  std::vector<std::string> steps;
  colour.SetProgressCallback([&](const char* text, int percent) {
    steps.push_back(text + (" " + std::to_string(percent)));
  });
  ASSERT_TRUE(SaveIw44(colour, dir.file("c.iw44"), djvu_photo_options_default()));
  EXPECT_EQ(Probe(dir.file("c.iw44")).chunkFlags, kDjvuChunkColorIw44);
  EXPECT_EQ(colour.raster.rowOrder, kRowOrderTopDown);  // width a multiple of 4
  EXPECT_EQ(steps,
            (std::vector<std::string>{"Preparing image for IW44 conversion... 0", "Encode Photo 0",
                                      "Compress Photo 50", "Compressed Photo 100"}));

  // A min-is-white gray page is reversed first and stays min-is-black.
  std::vector<uint32_t> descending = test::GrayPalette(8);
  std::reverse(descending.begin(), descending.end());
  DibImage gray;
  MakeImage(gray,
            Recipe(
                30, 20, 8, [](int x, int) { return static_cast<uint32_t>(x * 8); }, descending));
  ASSERT_EQ(gray.raster.photometric, kPhotometricMinIsWhite);
  ASSERT_TRUE(SaveIw44(gray, dir.file("g.iw44"), djvu_photo_options_default()));
  EXPECT_EQ(Probe(dir.file("g.iw44")).chunkFlags, kDjvuChunkGrayIw44);
  EXPECT_EQ(gray.raster.photometric, kPhotometricMinIsBlack);
  EXPECT_EQ(gray.raster.rowOrder, kRowOrderBottomUp);  // width not a multiple of 4
}

// Black-and-white content saved as IW44 becomes a bilevel page; its progress
// reaches the image's callback too (it used to reach the handler without
// the image, and crash).
TEST(SaveIw44Test, BlackAndWhitePhotoReportsProgressThroughTheBilevelEncoder) {
  TempDir dir;
  DibImage page;
  MakeImage(page, Recipe(64, 48, 8, [](int x, int y) { return (x / 8 + y / 8) % 2 ? 255u : 0u; }));
  std::vector<std::string> steps;
  page.SetProgressCallback([&](const char* text, int) { steps.emplace_back(text); });
  ASSERT_TRUE(SaveIw44(page, dir.file("bw.iw44"), djvu_photo_options_default()));
  EXPECT_EQ(DjvuFileType(Probe(dir.file("bw.iw44"))), kFileDjvu);
  EXPECT_NE(std::find(steps.begin(), steps.end(), "Encoding Mask"), steps.end());
  EXPECT_EQ(steps.back(), "Encoded document");
}

// The INFO resolution of a page: its own in dots per inch (converted from
// centimetres), or 300 dpi when it has none a DjVu page can use, for bilevel
// and colour pages alike and whatever the background's target.
TEST(SaveDjvuTest, ResolutionComesInInchesOrIsTheDefault) {
  TempDir dir;
  struct Case {
    const char* what;
    int unit;
    int xres, yres;
    int expected;  // 0: refused
  };
  const Case cases[] = {
      {"inches", kResolutionUnitInch, 200, 200, 200},
      {"118 per centimetre", kResolutionUnitCentimetre, 118, 118, 300},
      {"40 per centimetre", kResolutionUnitCentimetre, 40, 40, 102},
      {"aspect ratio only", kResolutionUnitNone, 1, 1, 300},
      {"no unit", kResolutionUnitNone, 300, 300, 300},
      {"1 x 1 dpi", kResolutionUnitInch, 1, 1, 300},
      {"none at all", kResolutionUnitInch, 0, 0, 300},
      {"65535 dpi", kResolutionUnitInch, 65535, 65535, 65535},
      {"70000 dpi", kResolutionUnitInch, 70000, 70000, 0},
  };
  for (const Case& c : cases) {
    for (const int bits : {1, 24}) {
      for (const unsigned bgDpi : {25u, 100u, 300u}) {
        DibImage image;
        MakeImage(image, Recipe(60, 40, bits, [](int x, int) { return x < 30 ? 0u : 0xFFFFFFu; }));
        image.raster.resolutionUnit = c.unit;
        image.raster.xResolution = c.xres;
        image.raster.yResolution = c.yres;
        djvu_encode_options encode = EncodeOptions();
        encode.bg_dpi = bgDpi;
        const std::string path = dir.file("page.djvu");
        std::filesystem::remove(path);
        const bool saved = SaveDjvu(image, path, kDjvuUpsampleNone, false, MaskOptions(), encode);
        const std::string what = std::string(c.what) + ", " + std::to_string(bits) +
                                 " bits, background " + std::to_string(bgDpi);
        if (c.expected == 0) {
          EXPECT_FALSE(saved) << what;
          EXPECT_STREQ(LastMessage(), "A DjVu page holds at most 65535 dpi; this page has 70000.");
          continue;
        }
        ASSERT_TRUE(saved) << what << ": " << LastMessage();
        EXPECT_EQ(Probe(path).resolution, c.expected) << what;
      }
    }
  }
}

// A fax page at 204 x 98 dpi keeps its shape: the vertical direction is
// resampled to 204 dpi before coding, the image itself stays as it was.
TEST(SaveDjvuTest, PagesOfTwoResolutionsKeepTheirShape) {
  TempDir dir;
  // One inch square at 204 x 98 dpi with a black half-inch square in the
  // top-left quarter.
  const PixelFunction square = [](int x, int y) { return x < 102 && y < 49 ? 0u : 0xFFFFFFu; };
  for (const int bits : {1, 24}) {
    DibImage image;
    MakeImage(image, Recipe(204, 98, bits, [&](int x, int y) {
                return bits == 1 ? (square(x, y) ? 1u : 0u) : square(x, y);
              }));
    image.raster.xResolution = 204;
    image.raster.yResolution = 98;
    const std::string path = dir.file("fax.djvu");
    ASSERT_TRUE(SaveDjvu(image, path, kDjvuUpsampleNone, false, MaskOptions(), EncodeOptions()))
        << bits << ": " << LastMessage();
    const DjvuFileInfo info = Probe(path);
    EXPECT_EQ(info.width, 204) << bits;
    EXPECT_EQ(info.height, 204) << bits;
    EXPECT_EQ(info.resolution, 204) << bits;
    const test::ReferenceImage page =
        test::RenderReference(path, 1, test::ReferenceMode::kColor, true);
    ASSERT_EQ(page.height, 204) << bits;
    EXPECT_LT(page.at(50, 90), 64) << bits;    // inside the square
    EXPECT_GT(page.at(50, 110), 192) << bits;  // below it
    EXPECT_GT(page.at(110, 50), 192) << bits;  // right of it
    EXPECT_EQ(image.raster.height, 98) << bits;
    EXPECT_EQ(image.raster.yResolution, 98) << bits;

    const std::string photo = dir.file("fax.iw44");
    ASSERT_TRUE(SaveIw44(image, photo, djvu_photo_options_default())) << LastMessage();
    EXPECT_EQ(test::RenderReference(photo, 1, test::ReferenceMode::kColor, true).height, 204);
  }
}

// A 300-dpi gray page: dark letter blocks on light paper, rows 0 at the top.
bool LetterInk(int x, int y) {
  const int cx = x % 30, cy = y % 48;
  return cx >= 6 && cx < 22 && cy >= 12 && cy < 36 && (cx < 10 || cy >= 31 || cy < 17);
}

uint32_t LetterPage(int x, int y) { return LetterInk(x, y) ? 20u : 235u; }

// The rendered colour of (x, y from the top) of a DjVu file.
uint32_t RenderedPixel(const std::string& path, int x, int y) {
  DibImage page;
  EXPECT_TRUE(ReadDjvu(page, path, 0, 24, 0, 2.2)) << LastMessage();
  if (page.raster.empty()) return 0xBAD;
  const uint32_t value = test::PixelAt(page.raster, x, y);
  return page.raster.bitsPerPixel <= 8 ? test::PaletteColor(page.raster, static_cast<int>(value))
                                       : value;
}

int Luminance(uint32_t rgb) { return ((rgb >> 16) + ((rgb >> 8) & 255) + (rgb & 255)) / 3; }

TEST(SaveDjvuTest, GrayPageBecomesACompoundPage) {
  TempDir dir;
  std::vector<uint32_t> descending = test::GrayPalette(8);
  std::reverse(descending.begin(), descending.end());
  DibImage image;
  // Min-is-white: index 255 - v shows gray v.
  MakeImage(image,
            Recipe(
                240, 144, 8, [](int x, int y) { return 255 - LetterPage(x, y); }, descending));
  ASSERT_EQ(image.raster.photometric, kPhotometricMinIsWhite);
  std::vector<std::string> steps;
  image.SetProgressCallback([&](const char* text, int) { steps.emplace_back(text); });
  const std::string path = dir.file("page.djvu");
  ASSERT_TRUE(
      SaveDjvu(image, path, kDjvuUpsampleNone, false, djvu_mask_default_options(), EncodeOptions()))
      << LastMessage();
  ASSERT_FALSE(steps.empty());
  EXPECT_EQ(steps.front(), "Reversing the photometric...");
  EXPECT_NE(std::find(steps.begin(), steps.end(), "Processing color layer"), steps.end());
  EXPECT_EQ(image.raster.photometric, kPhotometricMinIsBlack);
  EXPECT_EQ(Probe(path).chunkFlags, kDjvuChunkMask | kDjvuChunkBackground | kDjvuChunkForeground);
  EXPECT_LT(Luminance(RenderedPixel(path, 7, 20)), 80);
  EXPECT_GT(Luminance(RenderedPixel(path, 2, 2)), 200);
}

TEST(SaveDjvuTest, TextOnlyKeepsTheTextBlackOnWhite) {
  TempDir dir;
  DibImage image;
  MakeImage(image, Recipe(240, 144, 24,
                          [](int x, int y) { return LetterInk(x, y) ? 0x200010u : 0xF0E8D0u; }));
  const std::string path = dir.file("text.djvu");
  ASSERT_TRUE(SaveDjvu(image, path, -2, true, djvu_mask_default_options(), EncodeOptions()))
      << LastMessage();
  const DjvuFileInfo info = Probe(path);
  EXPECT_EQ(info.chunkFlags, kDjvuChunkMask);
  EXPECT_EQ(info.width, 480);  // enlarged twice before the mask was found
  EXPECT_EQ(RenderedPixel(path, 2 * 7, 2 * 20), 0x000000u);
  EXPECT_EQ(RenderedPixel(path, 4, 4), 0xFFFFFFu);
}

// A gray or colour page of black and white pixels only (a thresholded scan,
// a bilevel page kept as gray) is coded as a bilevel page, pixel for pixel:
// its one-pixel strokes are not lost to the mask's filters, nor is it
// enlarged or thickened, whatever its resolution.
TEST(SaveDjvuTest, BlackAndWhitePagesAreCodedPixelForPixel) {
  TempDir dir;
  // One-pixel strokes: short vertical bars, a dotted row and a long rule.
  const auto ink = [](int x, int y) {
    return (x % 6 == 2 && y >= 4 && y < 11) || (y == 14 && x % 3 == 0) || (y == 20 && x > 4);
  };
  for (const int bits : {8, 24}) {
    DibImage image;
    const PixelFunction pixel = [&](int x, int y) {
      return ink(x, y) ? 0u : bits == 8 ? 255u : 0xFFFFFFu;
    };
    MakeImage(image, Recipe(60, 24, bits, pixel,
                            bits == 8 ? test::GrayPalette(8) : std::vector<uint32_t>{}));
    image.raster.resolutionUnit = kResolutionUnitInch;
    image.raster.xResolution = image.raster.yResolution = 100;
    std::vector<std::string> steps;
    image.SetProgressCallback([&](const char* text, int) { steps.emplace_back(text); });
    const std::string path = dir.file("bw.djvu");
    ASSERT_TRUE(SaveDjvu(image, path, kDjvuUpsampleAuto, false, MaskOptions(), EncodeOptions()))
        << bits << ": " << LastMessage();
    EXPECT_NE(std::find(steps.begin(), steps.end(),
                        "Page: black and white only, coded as a bilevel page"),
              steps.end())
        << bits;
    const DjvuFileInfo info = Probe(path);
    EXPECT_EQ(info.chunkFlags, kDjvuChunkMask) << bits;
    EXPECT_EQ(info.width, 60) << bits;
    EXPECT_EQ(info.resolution, 100) << bits;
    const test::ReferenceImage page =
        test::RenderReference(path, 1, test::ReferenceMode::kColor, true);
    ASSERT_EQ(page.width, 60) << bits;
    int wrong = 0;
    for (int y = 0; y < 24; ++y) {
      for (int x = 0; x < 60; ++x) wrong += (page.at(x, y) < 128) != ink(x, y);
    }
    EXPECT_EQ(wrong, 0) << bits;
  }
}

// The page size and resolution a colour page is coded at, and what the
// saver reported about the enlargement: automatic enlarges pages below 200
// dpi to at least 250 (at most 4x) and no others, nor a photograph (enlarged,
// it would only cost bytes); an explicit code is followed whatever the
// resolution or the content.
TEST(SaveDjvuTest, UpsamplingFollowsTheResolutionTheContentOrTheExplicitChoice) {
  TempDir dir;
  const PixelFunction photo = [](int x, int y) {
    return static_cast<uint32_t>((x * 4) << 16 | (y * 5) << 8 | ((x * y) % 256));
  };
  const PixelFunction text = [](int x, int y) { return LetterInk(x, y) ? 0x101060u : 0xF0E8D0u; };
  struct Case {
    int upsample;
    int dpi;  // 0: none
    int factor;
    const char* report;
    const PixelFunction& pixel;
  } cases[] = {
      {kDjvuUpsampleAuto, 100, 3, "Upsampling: 3x, the page has 100 dpi", text},
      {kDjvuUpsampleAuto, 150, 2, "Upsampling: 2x, the page has 150 dpi", text},
      {kDjvuUpsampleAuto, 199, 2, "Upsampling: 2x, the page has 199 dpi", text},
      {kDjvuUpsampleAuto, 50, 4, "Upsampling: 4x, the page has 50 dpi", text},
      {kDjvuUpsampleAuto, 200, 1, "Upsampling: none, the page has 200 dpi", text},
      {kDjvuUpsampleAuto, 0, 1, "Upsampling: none, the page has no resolution", text},
      {kDjvuUpsampleNone, 100, 1, "Upsampling: none as set, the page has 100 dpi", text},
      {-2, 300, 2, "Upsampling: 2x as set, the page has 300 dpi", text},
      {-4, 150, 4, "Upsampling: 4x as set, the page has 150 dpi", text},
      {kDjvuUpsampleAuto, 90, 3, "Upsampling: 3x, the page has 90 dpi", text},
      {kDjvuUpsampleAuto, 90, 1, "Upsampling: none, the page looks like a photograph (90 dpi)",
       photo},
      {-2, 90, 2, "Upsampling: 2x as set, the page has 90 dpi", photo},
  };
  for (const Case& c : cases) {
    DibImage image;
    MakeImage(image, Recipe(60, 48, 24, c.pixel));
    image.raster.resolutionUnit = c.dpi ? kResolutionUnitInch : kResolutionUnitNone;
    image.raster.xResolution = image.raster.yResolution = c.dpi;
    EXPECT_EQ(DjvuEnlargement(image, c.upsample), c.factor) << c.report;
    std::vector<std::string> steps;
    image.SetProgressCallback([&](const char* step, int) { steps.emplace_back(step); });
    const std::string path = dir.file("page.djvu");
    ASSERT_TRUE(SaveDjvu(image, path, c.upsample, false, MaskOptions(), EncodeOptions()))
        << c.report << ": " << LastMessage();
    const DjvuFileInfo info = Probe(path);
    EXPECT_EQ(info.width, 60 * c.factor) << c.report;
    EXPECT_EQ(info.height, 48 * c.factor) << c.report;
    EXPECT_EQ(info.resolution, (c.dpi ? c.dpi : 300) * c.factor) << c.report;
    EXPECT_NE(std::find(steps.begin(), steps.end(), c.report), steps.end()) << c.report;
    EXPECT_EQ(image.raster.width, 60) << c.report;  // the image itself is not enlarged
  }
}

// Saves a 100-dpi gray page drawn by pixel as DjVu, enlarged as the saver
// chooses, and renders one layer of the file.
test::ReferenceImage SaveLowResolutionGrayPage(const test::TempDir& dir, int width, int height,
                                               const PixelFunction& pixel,
                                               test::ReferenceMode layer) {
  DibImage image;
  MakeImage(image, Recipe(width, height, 8, pixel, test::GrayPalette(8), 3937));
  const std::string path = dir.file("low.djvu");
  EXPECT_TRUE(SaveDjvu(image, path, kDjvuUpsampleAuto, false, MaskOptions(), EncodeOptions()))
      << LastMessage();
  return test::RenderReference(path, 1, layer, true);
}

// A 100-dpi page of letters like an "e": a dark one-pixel outline with a
// thin bar of lighter ink across it, as old or low-resolution print shows
// them. Enlarged, the bar spreads over three rows at a fraction of the
// ink's darkness; the mask must still hold it, or the letter reads as a "c"
// (the background does not carry it either: it is next to the mask's ink).
TEST(SaveDjvuTest, EnlargedLowResolutionPageKeepsThinLightStrokesInTheMask) {
  TempDir dir;
  const auto glyph = [](int x, int y) -> uint32_t {
    const int cx = x % 12, cy = y % 16;
    if (cx < 2 || cx > 8 || cy < 4 || cy > 11) return 232;     // paper
    if (cx == 2 || cx == 8 || cy == 4 || cy == 11) return 40;  // the outline
    return cy == 7 ? 150 : 232;                                // the bar
  };
  const test::ReferenceImage mask =
      SaveLowResolutionGrayPage(dir, 120, 48, glyph, test::ReferenceMode::kMask);
  ASSERT_EQ(mask.width, 360);
  int bar = 0, barInk = 0;
  for (int y = 0; y < 144; ++y) {
    for (int x = 0; x < 360; ++x) {
      const int cx = x / 3 % 12, cy = y / 3 % 16;
      if (cx < 3 || cx > 7 || cy != 7) continue;
      ++bar;
      barInk += mask.at(x, y) < 128;
    }
  }
  // Unthickened, the blurred bar's outer rows are partly paper; centred
  // half way to the paper, the mask held 180 of its 1350 pixels.
  EXPECT_GT(barInk, bar * 3 / 4) << barInk << " of " << bar;
}

// The ink pixels of a saved page's mask.
int MaskInk(const std::string& path) {
  const test::ReferenceImage mask =
      test::RenderReference(path, 1, test::ReferenceMode::kMask, true);
  int ink = 0;
  for (int y = 0; y < mask.height; ++y) {
    for (int x = 0; x < mask.width; ++x) ink += mask.at(x, y) < 128;
  }
  return ink;
}

// Thickening widens the mask's shapes by a pixel on a page of 200 dpi or
// more. A page the saver enlarged reaches that resolution with strokes that
// are wide already, and a page without a resolution may be a low-resolution
// one, so their masks are coded as found, as with the option that turns
// thickening off; a 300-dpi page is still thickened.
TEST(SaveDjvuTest, EnlargedPagesAndPagesWithoutResolutionAreNotThickened) {
  TempDir dir;
  const char* const background = "Background: keeps the letters' soft edges, the page was enlarged";
  struct Case {
    int dpi;  // 0: none
    bool thickened;
    const char* report;
  } cases[] = {{100, false, "Text: not thickened, the page was enlarged"},
               {150, false, "Text: not thickened, the page was enlarged"},
               {0, false, "Text: not thickened, the page has no resolution"},
               {300, true, ""}};
  for (const Case& c : cases) {
    int ink[2] = {0, 0};
    for (const bool noThicken : {false, true}) {
      DibImage image;
      MakeImage(image, Recipe(120, 96, 24, [](int x, int y) {
                  return LetterInk(x, y) ? 0x101060u : 0xF0E8D0u;
                }));
      image.raster.resolutionUnit = c.dpi ? kResolutionUnitInch : kResolutionUnitNone;
      image.raster.xResolution = image.raster.yResolution = c.dpi;
      std::vector<std::string> steps;
      image.SetProgressCallback([&](const char* text, int) { steps.emplace_back(text); });
      djvu_encode_options encode = EncodeOptions();
      if (noThicken) encode.flags |= DJVU_NO_THICKEN;
      const std::string path = dir.file("page.djvu");
      ASSERT_TRUE(SaveDjvu(image, path, kDjvuUpsampleAuto, false, MaskOptions(), encode))
          << c.dpi << ": " << LastMessage();
      ink[noThicken] = MaskInk(path);
      const bool reported = std::find(steps.begin(), steps.end(), c.report) != steps.end();
      EXPECT_EQ(reported, !c.thickened && !noThicken) << c.dpi;
      EXPECT_EQ(std::find(steps.begin(), steps.end(), background) != steps.end(),
                c.dpi > 0 && !c.thickened)
          << c.dpi;
    }
    ASSERT_GT(ink[1], 0) << c.dpi;
    if (c.thickened) {
      EXPECT_GT(ink[0], ink[1]) << c.dpi;
    } else {
      EXPECT_EQ(ink[0], ink[1]) << c.dpi;
    }
  }
}

TEST(DjvuUpsampleCodeTest, SettingZeroIsAutomaticWithinAPixelBudget) {
  EXPECT_EQ(DjvuUpsampleCode(0), kDjvuUpsampleAuto);
  EXPECT_EQ(DjvuUpsampleCode(1), -2);
  EXPECT_EQ(DjvuUpsampleCode(3), -4);
  EXPECT_EQ(DjvuUpsampleFactor(DjvuUpsampleCode(2), 600, 5000, 5000), 3);
  // The automatic choice enlarges more than twice within 13.5 million
  // pixels, and doubles within 36 million: a letter page at 170 dpi is not
  // left at a resolution where its letters lose their shapes.
  EXPECT_EQ(DjvuUpsampleFactor(kDjvuUpsampleAuto, 75, 850, 1100), 3);
  EXPECT_EQ(DjvuUpsampleFactor(kDjvuUpsampleAuto, 120, 992, 1403), 3);
  EXPECT_EQ(DjvuUpsampleFactor(kDjvuUpsampleAuto, 75, 1300, 1700), 2);
  EXPECT_EQ(DjvuUpsampleFactor(kDjvuUpsampleAuto, 170, 1445, 1870), 2);
  EXPECT_EQ(DjvuUpsampleFactor(kDjvuUpsampleAuto, 100, 2550, 3300), 2);
  EXPECT_EQ(DjvuUpsampleFactor(kDjvuUpsampleAuto, 100, 3500, 3500), 1);
}

}  // namespace
}  // namespace leaf
