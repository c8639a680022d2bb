#include <gtest/gtest.h>

#include <thread>

#include "image/BitmapInfoHeader.h"
#include "image/DibImage.h"
#include "image/Messages.h"
#include "tests/support/Fixtures.h"

// The page type is opaque to the image library; a stand-in with a counter
// shows when a page is freed.
struct djvu_halfcoded_image {
  int* frees;
};

namespace leaf {
namespace {

using test::BmpRecipe;
using test::MakeImage;

PageLink MakeCountedPage(int* frees) {
  return PageLink(new djvu_halfcoded_image{frees}, [](djvu_halfcoded_image* page) {
    ++*page->frees;
    delete page;
  });
}

TEST(DibImageTest, ImportRejectsUnknownFormatsAndShortPixelsAndLeavesNoBlock) {
  DibImage image;
  uint8_t header[40] = {};
  EXPECT_FALSE(image.Import(header, 40, nullptr, 0, nullptr, 0, 4));
  EXPECT_STREQ(LastMessage(), "Unknown import format: 4");
  EXPECT_TRUE(image.raster.empty());

  BitmapInfoHeader h;
  h.width = 10;
  h.height = 10;
  h.bitCount = 24;
  h.Write(header);
  std::vector<uint8_t> pixels(32 * 10 - 1);
  EXPECT_FALSE(image.Import(header, 40, nullptr, 0, pixels.data(), pixels.size(), 5));
  EXPECT_TRUE(image.raster.empty());
}

TEST(DibImageTest, ImportOfTopDownHeaderGivesPositiveHeightAndTopDownOrder) {
  DibImage image;
  BmpRecipe recipe;
  recipe.width = 7;
  recipe.height = -100;
  MakeImage(image, recipe);
  ASSERT_FALSE(image.raster.empty());
  EXPECT_EQ(image.raster.height, 100);
  EXPECT_EQ(image.raster.fullHeight, 100);
  EXPECT_EQ(image.raster.rowOrder, kRowOrderTopDown);
  EXPECT_EQ(image.raster.rowStride, 8u);
  EXPECT_EQ(test::PixelAt(image.raster, 3, 2), 5u);
}

TEST(DibImageTest, ImportSetsGrayFlagAndPhotometricFromThePalette) {
  DibImage image;
  BmpRecipe descending;
  for (int i = 0; i < 256; ++i) descending.palette.push_back((255 - i) * 0x010101u);
  MakeImage(image, descending);
  EXPECT_EQ(image.raster.grayFlag, 1);
  EXPECT_EQ(image.raster.photometric, kPhotometricMinIsWhite);

  BmpRecipe ascending;
  MakeImage(image, ascending);
  EXPECT_EQ(image.raster.grayFlag, 1);
  EXPECT_EQ(image.raster.photometric, kPhotometricMinIsBlack);

  BmpRecipe colour;
  colour.palette = test::GrayPalette(8);
  colour.palette[17] = 0x123456;
  MakeImage(image, colour);
  EXPECT_EQ(image.raster.grayFlag, 0);
  EXPECT_EQ(image.raster.photometric, kPhotometricPalette);

  // A ramp of 16 grays in a palette of the depth: no ramp of its own.
  BmpRecipe shortRamp;
  shortRamp.colorsUsed = 16;
  shortRamp.palette = test::GrayPalette(4);
  shortRamp.pixel = [](int x, int) { return uint32_t(x % 16); };
  MakeImage(image, shortRamp);
  EXPECT_EQ(image.raster.paletteSize, 64u);
  EXPECT_FALSE(image.IsGrayRamp());
  EXPECT_EQ(image.raster.photometric, kPhotometricPalette);

  BmpRecipe rgb;
  rgb.bits = 24;
  MakeImage(image, rgb);
  EXPECT_EQ(image.raster.grayFlag, 0);
  EXPECT_EQ(image.raster.photometric, kPhotometricRgb);
}

TEST(DibImageTest, ResolutionFromHeaderRoundsToDotsPerInch) {
  EXPECT_EQ(DpiFromPixelsPerMetre(2835), 72);
  EXPECT_EQ(DpiFromPixelsPerMetre(11811), 300);
  DibImage image;
  EXPECT_EQ(image.ResolutionFromHeader(), -1);
  BmpRecipe recipe;
  recipe.pixelsPerMetre = 2835;
  MakeImage(image, recipe);
  EXPECT_EQ(image.raster.xResolution, 72);
  EXPECT_EQ(image.raster.yResolution, 72);
  EXPECT_EQ(image.raster.resolutionUnit, kResolutionUnitInch);
}

TEST(DibImageTest, PaletteSizeFromHeaderFollowsColoursUsedThenDepth) {
  EXPECT_EQ(PaletteSizeForHeader(8, 0, 16), 64u);
  EXPECT_EQ(PaletteSizeForHeader(1, 0, 0), 8u);
  EXPECT_EQ(PaletteSizeForHeader(4, 0, 0), 64u);
  EXPECT_EQ(PaletteSizeForHeader(8, 0, 0), 1024u);
  EXPECT_EQ(PaletteSizeForHeader(16, kBiBitfields, 0), 12u);
  EXPECT_EQ(PaletteSizeForHeader(32, 0, 0), 0u);
  EXPECT_EQ(PaletteSizeForHeader(24, 0, 0), 0u);
  EXPECT_EQ(PaletteSizeForHeader(0, 0, 0), 0u);
  EXPECT_EQ(PaletteSizeForHeader(40, 0, 0), 0u);
}

TEST(DibImageTest, CloneCopiesPixelsAndSharesThePage) {
  int frees = 0;
  DibImage source;
  BmpRecipe recipe;
  recipe.bits = 24;
  recipe.pixel = [](int x, int y) { return uint32_t(0x010203 * (x + 1) + y); };
  MakeImage(source, recipe);
  source.raster.pageLink = MakeCountedPage(&frees);
  source.raster.symmetryState = 6;
  {
    DibImage copy;
    ASSERT_TRUE(copy.Clone(source));
    EXPECT_EQ(copy.raster.pageLink, source.raster.pageLink);
    EXPECT_EQ(copy.raster.symmetryState, 6);
    EXPECT_NE(copy.raster.block.data(), source.raster.block.data());
    EXPECT_EQ(test::PixelAt(copy.raster, 2, 1), test::PixelAt(source.raster, 2, 1));
    copy.Release(false);
    EXPECT_TRUE(copy.raster.empty());
    EXPECT_EQ(frees, 0);
  }
  // The copy went away; the source still holds its page.
  EXPECT_EQ(frees, 0);
  ASSERT_TRUE(source.raster.pageLink);
  source.Release(true);
  EXPECT_EQ(frees, 1);
}

TEST(DibImageTest, ReleaseKeepsOrDropsThePageAndEmptiesBothRasters) {
  int frees = 0;
  DibImage image;
  MakeImage(image, BmpRecipe{});
  image.raster.pageLink = MakeCountedPage(&frees);
  image.Release(false);
  EXPECT_TRUE(image.raster.empty());
  EXPECT_EQ(image.raster.width, 0);
  EXPECT_TRUE(image.raster.pageLink);
  image.Release(true);
  EXPECT_FALSE(image.raster.pageLink);
  EXPECT_EQ(frees, 1);
  image.Release(true);  // an empty image releases without complaint
  EXPECT_TRUE(image.raster.empty());
}

TEST(DibImageTest, FailWritesTheMessageAndCallsTheErrorCallback) {
  DibImage image;
  std::string seen;
  image.SetErrorCallback([&](const char* text) { seen = text; });
  EXPECT_FALSE(image.Fail("Failed to allocate %d bytes for import.", 1234));
  EXPECT_EQ(seen, "Failed to allocate 1234 bytes for import.");
  EXPECT_STREQ(LastMessage(), seen.c_str());
}

TEST(MessagesTest, LongTextsAreTruncatedAndEachThreadHasItsOwnBuffer) {
  SetMessage("%s", std::string(5000, 'x').c_str());
  EXPECT_EQ(std::string(LastMessage()).size(), kMessageBufferSize - 1);
  SetMessage("main");
  std::string other;
  std::thread([&] {
    SetMessage("worker");
    other = LastMessage();
  }).join();
  EXPECT_EQ(other, "worker");
  EXPECT_STREQ(LastMessage(), "main");
}

TEST(RowStrideTest, PadsRowsTo32Bits) {
  EXPECT_EQ(RowStride(1, 1), 4u);
  EXPECT_EQ(RowStride(32, 1), 4u);
  EXPECT_EQ(RowStride(33, 1), 8u);
  EXPECT_EQ(RowStride(10, 24), 32u);
  EXPECT_EQ(RowStride(0, 8), 0u);
  EXPECT_EQ(RowStride(int64_t{1} << 40, 24), 0u);
}

}  // namespace
}  // namespace leaf
