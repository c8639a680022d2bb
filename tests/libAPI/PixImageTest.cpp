#include <gtest/gtest.h>

#include <cstring>
#include <numeric>
#include <string>
#include <vector>

#include "libAPI/PnmStream.h"
#include "libAPI/djvu_error.h"
#include "libAPI/djvu_image.h"
#include "tests/libAPI/CodecErrorCapture.h"

namespace {

using PixImageTest = leaf::test::CodecErrorCapture;
using leaf::test::t_codecMessages;

// A caller-built image over a vector (alloc_tag 0).
struct CallerImage {
  std::vector<unsigned char> bytes;
  djvu_pixel_image img{};
  CallerImage(unsigned flags, unsigned w, unsigned h, unsigned pixsize, unsigned rowsize)
      : bytes(size_t{rowsize} * h + 1) {
    img = djvu_pixel_image{flags, w, h, 0, rowsize, pixsize, bytes.data(), 0, 0, 0};
  }
};

// A canonical gray image made by the layer from a top-to-bottom list of rows.
djvu_pixel_image* MakeGray(const std::vector<std::vector<int>>& rowsFromTop) {
  const unsigned h = static_cast<unsigned>(rowsFromTop.size());
  const unsigned w = static_cast<unsigned>(rowsFromTop[0].size());
  std::vector<unsigned char> bytes;
  for (const auto& row : rowsFromTop)
    for (int v : row) bytes.push_back(static_cast<unsigned char>(v));
  djvu_pixel_image caller{DJVU_TOPDOWN | DJVU_GRAY, w, h, 0, w, 1, bytes.data(), 0, 0, 0};
  return djvu_pixel_resample(&caller, 1, 0);
}

// Sample at (x, y from the top) of a canonical image.
int At(const djvu_pixel_image* img, unsigned x, unsigned yTop, unsigned channel = 0) {
  return img->data[size_t{img->h - 1 - yTop} * img->rowsize + size_t{x} * img->pixsize + channel];
}

TEST_F(PixImageTest, ValidationReportsTheFirstFailureInOrder) {
  struct Case {
    djvu_pixel_image img;
    const char* message;
  };
  unsigned char byte = 0;
  const Case cases[] = {
      {{DJVU_GRAY | DJVU_RGB | DJVU_BGR, 1, 1, 0, 0, 0, &byte, 0, 0, 0},
       "Gray Pixel images must have pixsize greater than 0"},
      {{DJVU_RGB | DJVU_BGR, 1, 1, 0, 0, 2, nullptr, 0, 0, 0},
       "Color Pixel images must have pixsize greater than 2"},
      {{DJVU_RGB | DJVU_BGR, 1, 1, 0, 0, 3, nullptr, 0, 0, 0},
       "The image can not be both RGB and BGR"},
      {{0, 1, 1, 0, 0, 3, nullptr, 0, 0, 0}, "Pixel images must be one of GRAY, RGB, or BGR"},
      {{DJVU_BGR, 2, 1, 0, 5, 3, nullptr, 0, 0, 0}, "Rowsize must be at least w*pixsize."},
      {{DJVU_BGR, 2, 1, 0, 6, 3, nullptr, 0, 0, 0}, "No Pixel Image Data Is Present"},
  };
  for (const Case& c : cases) {
    t_codecMessages.clear();
    djvu_pixel_image img = c.img;
    EXPECT_EQ(djvu_pixel_normalize(&img), nullptr);
    ASSERT_EQ(t_codecMessages.size(), 1u);
    EXPECT_EQ(t_codecMessages[0], c.message);
  }
  djvu_pixel_image empty{DJVU_GRAY, 0, 5, 0, 0, 1, nullptr, 0, 0, 0};
  EXPECT_EQ(djvu_pixel_normalize(&empty), &empty);
  EXPECT_TRUE(t_codecMessages.size() == 1u);
}

TEST_F(PixImageTest, NormalizeReversesTopDownRgbRowsAndDropsExtraBytes) {
  // Two rows of two 4-byte RGBX pixels, top row first.
  std::vector<unsigned char> bytes = {1, 2, 3, 9, 4, 5, 6, 9, 7, 8, 10, 9, 11, 12, 13, 9};
  djvu_pixel_image img{DJVU_TOPDOWN | DJVU_RGB, 2, 2, 0, 8, 4, bytes.data(), 0, 0, 0};
  ASSERT_EQ(djvu_pixel_normalize(&img), &img);
  EXPECT_TRUE(img.flags & DJVU_BOTTOMUP);
  EXPECT_TRUE(img.flags & DJVU_BGR);
  EXPECT_FALSE(img.flags & DJVU_RGB);
  EXPECT_EQ(img.rowsize, 6u);
  EXPECT_EQ(img.pixsize, 3u);
  EXPECT_EQ(img.offset, 0u);
  const std::vector<unsigned char> expected = {10, 8, 7, 13, 12, 11, 3, 2, 1, 6, 5, 4};
  EXPECT_EQ(std::vector<unsigned char>(img.data, img.data + 12), expected);
  EXPECT_EQ(img.data, bytes.data());  // done inside the caller's buffer
}

TEST_F(PixImageTest, SubsampleAveragesCellsAndPartialEdges) {
  std::vector<std::vector<int>> rows(5, std::vector<int>(5));
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x) rows[y][x] = 10 * y + x;
  djvu_pixel_image* img = MakeGray(rows);
  img->flags |= DJVU_HAS_DPI;
  img->xres = img->yres = 300;
  ASSERT_EQ(djvu_pixel_subsample(img, 2), img);
  ASSERT_EQ(img->w, 3u);
  ASSERT_EQ(img->h, 3u);
  // Bands are counted from the bottom row up: the top band holds one row.
  EXPECT_EQ(At(img, 2, 0), rows[0][4]);                     // a corner cell of one sample
  EXPECT_EQ(At(img, 0, 0), (rows[0][0] + rows[0][1]) / 2);  // an edge cell of two
  EXPECT_EQ(At(img, 2, 1), (rows[1][4] + rows[2][4]) / 2);
  EXPECT_EQ(At(img, 0, 2), (rows[3][0] + rows[3][1] + rows[4][0] + rows[4][1]) / 4);
  EXPECT_EQ(img->xres, 150u);
  djvu_pixel_image_free(img);

  img = MakeGray(rows);
  img->flags |= DJVU_HAS_DPI;
  img->xres = img->yres = 300;
  ASSERT_EQ(djvu_pixel_subsample(img, 7), img);
  EXPECT_EQ(img->xres, 43u);
  djvu_pixel_image_free(img);
}

TEST_F(PixImageTest, SubsampleByOneChangesNothingAndZeroIsRefused) {
  CallerImage caller(DJVU_TOPDOWN | DJVU_GRAY | DJVU_HAS_DPI, 3, 2, 1, 4);
  caller.img.xres = caller.img.yres = 300;
  const djvu_pixel_image before = caller.img;
  EXPECT_EQ(djvu_pixel_subsample(&caller.img, 1), &caller.img);
  EXPECT_EQ(std::memcmp(&before, &caller.img, sizeof before), 0);
  EXPECT_EQ(djvu_pixel_subsample(&caller.img, 0), nullptr);
  ASSERT_EQ(t_codecMessages.size(), 1u);
  EXPECT_EQ(t_codecMessages[0], "Non-posative scale specified in djvu_pixel_subsample");
}

TEST_F(PixImageTest, EnlargingKeepsEveryBlockMeanAndStaysInRange) {
  // Subsampling the enlarged image by the same factor must give the original
  // back exactly: doubling, smoothing and tripling keep each block's mean.
  std::vector<std::vector<int>> rows(7, std::vector<int>(9));
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 9; ++x) rows[y][x] = (x * 37 + y * 91 + (x * y) % 5 * 50) % 256;
  djvu_pixel_image* original = MakeGray(rows);
  for (int factor : {2, 3, 4, 6, 5}) {
    for (int smoothing : {0, 10, 90}) {
      djvu_pixel_image* big = djvu_pixel_resample(original, -factor, smoothing);
      ASSERT_NE(big, nullptr);
      ASSERT_EQ(big->w, 9u * factor);
      ASSERT_EQ(big->h, 7u * factor);
      ASSERT_EQ(djvu_pixel_subsample(big, factor), big);
      EXPECT_EQ(std::memcmp(big->data, original->data, 63), 0) << factor << " " << smoothing;
      djvu_pixel_image_free(big);
    }
  }
  djvu_pixel_image_free(original);
  EXPECT_TRUE(t_codecMessages.empty());
}

TEST_F(PixImageTest, DoublingInterpolatesAndSmoothingChangesTheResult) {
  djvu_pixel_image* ramp = MakeGray({{0, 40, 80, 120, 160}, {0, 40, 80, 120, 160}});
  djvu_pixel_image* plain = djvu_pixel_resample(ramp, -2, 0);
  ASSERT_NE(plain, nullptr);
  for (unsigned x = 1; x < 9; ++x) EXPECT_LT(At(plain, x, 0), At(plain, x + 1, 0)) << x;
  djvu_pixel_image* spot =
      MakeGray({{100, 100, 100, 100}, {100, 150, 100, 100}, {100, 100, 100, 100}});
  djvu_pixel_image* rough = djvu_pixel_resample(spot, -2, 0);
  djvu_pixel_image* smooth = djvu_pixel_resample(spot, -2, 10);
  ASSERT_NE(rough, nullptr);
  ASSERT_NE(smooth, nullptr);
  EXPECT_NE(std::memcmp(rough->data, smooth->data, 8 * 6), 0);
  for (auto* img : {ramp, plain, spot, rough, smooth}) djvu_pixel_image_free(img);
}

TEST_F(PixImageTest, ObjectHeapBuffersMoveToTheLayerHeapWhenTheyGrow) {
  auto* img = new djvu_pixel_image{};
  img->data = new unsigned char[2 * 8]{1, 2, 3, 0, 0, 0, 0, 0, 4, 5, 6};
  img->alloc_tag = reinterpret_cast<intptr_t>(img->data);
  img->flags = DJVU_GRAY | DJVU_BOTTOMUP;
  img->w = 3;
  img->h = 2;
  img->pixsize = 1;
  img->rowsize = 8;
  ASSERT_EQ(djvu_pixel_transform(img, 0, 6, 4), img);
  EXPECT_EQ(img->alloc_tag, DJVU_ALLOC_LAYER);
  EXPECT_EQ(img->rowsize, 6u);
  djvu_pixel_image_free(img);
  EXPECT_TRUE(t_codecMessages.empty());
}

TEST_F(PixImageTest, NarrowAndBilevelImagesAreReplicated) {
  unsigned char one = 77;
  djvu_pixel_image dot{DJVU_GRAY, 1, 1, 0, 1, 1, &one, 0, 0, 0};
  djvu_pixel_image* big = djvu_pixel_resample(&dot, -2, 0);
  ASSERT_NE(big, nullptr);
  EXPECT_EQ(big->w * big->h, 4u);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(big->data[i], 77);
  djvu_pixel_image_free(big);

  djvu_pixel_image* bilevel = MakeGray({{0, 255, 255, 0, 255}, {255, 0, 0, 255, 0}});
  bilevel->flags |= DJVU_BILEVEL;
  big = djvu_pixel_resample(bilevel, -4, 10);
  ASSERT_NE(big, nullptr);
  for (size_t i = 0; i < size_t{big->w} * big->h; ++i) {
    ASSERT_TRUE(big->data[i] == 0 || big->data[i] == 255) << i;
  }
  EXPECT_EQ(At(big, 5, 0), 255);
  EXPECT_EQ(At(big, 4, 4), 0);
  EXPECT_EQ(At(big, 4, 3), 255);
  djvu_pixel_image_free(big);
  djvu_pixel_image_free(bilevel);
}

TEST_F(PixImageTest, ResampleScalesResolutionsBothWays) {
  djvu_pixel_image* img = MakeGray({{1, 2, 3, 4}, {5, 6, 7, 8}});
  img->flags |= DJVU_HAS_DPI;
  img->xres = img->yres = 100;
  djvu_pixel_image* up = djvu_pixel_resample(img, -3, 0);
  ASSERT_NE(up, nullptr);
  EXPECT_EQ(up->xres, 300u);
  djvu_pixel_image* down = djvu_pixel_resample(up, 3, 0);
  ASSERT_NE(down, nullptr);
  EXPECT_EQ(down->xres, 100u);
  EXPECT_EQ(std::memcmp(down->data, img->data, 8), 0);
  djvu_pixel_image_free(down);
  djvu_pixel_image_free(up);
  djvu_pixel_image_free(img);
}

TEST_F(PixImageTest, TransformToOwnSizeOnlyNormalisesAndToNothingReleases) {
  std::vector<unsigned char> bytes = {1, 2, 3, 4, 5, 6};
  djvu_pixel_image img{DJVU_TOPDOWN | DJVU_GRAY, 3, 2, 0, 3, 1, bytes.data(), 0, 0, 0};
  ASSERT_EQ(djvu_pixel_transform(&img, 0, 3, -2), &img);
  EXPECT_EQ(std::vector<unsigned char>(bytes.begin(), bytes.end()),
            (std::vector<unsigned char>{4, 5, 6, 1, 2, 3}));

  djvu_pixel_image* owned = djvu_pixel_resample(&img, 1, 0);
  ASSERT_EQ(djvu_pixel_transform(owned, 360, 0, 0), owned);
  EXPECT_EQ(owned->data, nullptr);
  EXPECT_EQ(owned->alloc_tag, 0);
  EXPECT_EQ(owned->w, 0u);
  djvu_pixel_image_free(owned);  // a layer-made record without buffer
  EXPECT_TRUE(t_codecMessages.empty());
}

TEST_F(PixImageTest, TransformTurnsByQuarterTurns) {
  // 3 x 2 picture:  a b c
  //                 d e f
  djvu_pixel_image* img = MakeGray({{1, 2, 3}, {4, 5, 6}});
  ASSERT_EQ(djvu_pixel_transform(img, 90, 2, 3), img);  // clockwise
  EXPECT_EQ(img->w, 2u);
  EXPECT_EQ(img->h, 3u);
  EXPECT_EQ(At(img, 0, 0), 4);
  EXPECT_EQ(At(img, 1, 0), 1);  // old top-left is the new top-right
  EXPECT_EQ(At(img, 1, 2), 3);
  ASSERT_EQ(djvu_pixel_transform(img, -90, 3, 2), img);  // back again
  EXPECT_EQ(At(img, 0, 0), 1);
  EXPECT_EQ(At(img, 2, 1), 6);
  ASSERT_EQ(djvu_pixel_transform(img, 180, 3, 2), img);
  EXPECT_EQ(At(img, 0, 0), 6);
  EXPECT_EQ(At(img, 2, 1), 1);
  EXPECT_EQ(djvu_pixel_transform(img, 45, 3, 2), nullptr);
  ASSERT_EQ(t_codecMessages.size(), 1u);
  EXPECT_EQ(t_codecMessages[0], "Can only rotate 0,90,180, and 270 degrees");
  djvu_pixel_image_free(img);
}

TEST_F(PixImageTest, TransformScalesToExactSizesWithResolutionFollowing) {
  std::vector<std::vector<int>> rows(6, std::vector<int>(10));
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 10; ++x) rows[y][x] = 20 * x + y;
  djvu_pixel_image* img = MakeGray(rows);
  img->flags |= DJVU_HAS_DPI;
  img->xres = img->yres = 100;
  for (auto [w, h] : {std::pair{25u, 6u}, {47u, 3u}, {5u, 19u}, {1u, 1u}, {33u, 40u}}) {
    djvu_pixel_image* out =
        djvu_pixel_transform_copy(img, 0, static_cast<int>(w), static_cast<int>(h));
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(out->w, w);
    EXPECT_EQ(out->h, h);
    // Reductions and fits round one after the other: within one dot.
    EXPECT_NEAR(out->xres, (10 + 200 * w) / 20, 1) << w;
    EXPECT_NEAR(out->yres, (6 + 200 * h) / 12, 1) << h;
    // Values rise from left to right as in the source.
    for (unsigned x = 1; x < w; ++x) EXPECT_GE(At(out, x, 0), At(out, x - 1, 0));
    djvu_pixel_image_free(out);
  }
  djvu_pixel_image_free(img);
}

// A buffer the caller owns is neither grown nor freed by the layer.
TEST_F(PixImageTest, CallerBuffersCannotGrowOrBeFreed) {
  CallerImage caller(DJVU_GRAY, 2, 2, 1, 2);
  EXPECT_EQ(djvu_pixel_transform(&caller.img, 0, 4, 4), nullptr);
  djvu_pixel_image_free(&caller.img);
  EXPECT_EQ(t_codecMessages,
            (std::vector<std::string>{
                "Can only increase the size of internally generated images",
                "djvu_pixel_image_free: pixel image was not allocated by djvuapi"}));
  EXPECT_EQ(caller.img.data, caller.bytes.data());
}

TEST_F(PixImageTest, ExtractClampsCornersAndCountsRowsFromTheBottom) {
  // 4 x 3 top-down BGR source; pixel value = 10 * row from top + column.
  std::vector<unsigned char> bytes(4 * 3 * 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x)
      for (int k = 0; k < 3; ++k)
        bytes[(y * 4 + x) * 3 + k] = static_cast<unsigned char>(10 * y + x + 100 * k);
  djvu_pixel_image src{
      DJVU_TOPDOWN | DJVU_BGR | DJVU_HAS_DPI, 4, 3, 0, 12, 3, bytes.data(), 0, 200, 150};
  djvu_pixel_image dst{};
  ASSERT_EQ(djvu_pixel_extract(&src, &dst, 9, 1, 2, -5), &dst);
  EXPECT_EQ(dst.w, 2u);  // columns 2..3
  EXPECT_EQ(dst.h, 2u);  // rows 0..1 from the bottom: the two lower picture rows
  EXPECT_TRUE(dst.flags & DJVU_BOTTOMUP);
  EXPECT_EQ(dst.xres, 200u);
  EXPECT_EQ(dst.yres, 150u);
  EXPECT_EQ(dst.data[0], 22);      // stored row 0 = bottom picture row (row 2 from top)
  EXPECT_EQ(dst.data[3 * 2], 12);  // then the row above it
  EXPECT_EQ(dst.data[3 * 2 + 5], 213);
  _djvu_free(dst.data);
  EXPECT_TRUE(t_codecMessages.empty());
}

TEST_F(PixImageTest, RunImagesHaveSquarePixelsAndRgbRuns) {
  // 100 x 50 colour, 200 x 100 dpi: left half black, right half white.
  std::vector<unsigned char> bytes(100 * 50 * 3, 0);
  for (int y = 0; y < 50; ++y) std::memset(&bytes[(y * 100 + 50) * 3], 255, 150);
  bytes[0] = 255;  // blue channel of the first stored pixel (bottom-left)
  djvu_pixel_image img{
      DJVU_BOTTOMUP | DJVU_BGR | DJVU_HAS_DPI, 100, 50, 0, 300, 3, bytes.data(), 0, 200, 100};
  djvu_run_image* run = djvu_pixel_to_run_image(&img);
  ASSERT_NE(run, nullptr);
  EXPECT_EQ(run->w, 100u);
  EXPECT_EQ(run->h, 100u);
  EXPECT_EQ(run->xres, 200u);
  EXPECT_EQ(run->yres, 200u);
  EXPECT_EQ(run->runtype, unsigned{DJVU_RUN_COLOR});
  size_t total = 0;
  for (unsigned i = 0; i < run->nruns; ++i) total += run->runs[i * 4] + 1u;
  EXPECT_EQ(total, 100u * 100u);
  // The first record is the top-left run, black.
  EXPECT_EQ(run->runs[0], 49);
  EXPECT_EQ(run->runs[1] + run->runs[2] + run->runs[3], 0);
  // The bottom-left pixel is blue: red 0, green 0, blue 255, stored as RGB.
  const unsigned char* last = run->runs + (run->nruns - 1) * 4;
  EXPECT_EQ(last[0], 49);
  const unsigned char* blue = last - 2 * 4;
  EXPECT_EQ(blue[0], 0);
  EXPECT_EQ(blue[1], 0);
  EXPECT_EQ(blue[3], 255);
  djvu_run_image_free(run);
}

TEST_F(PixImageTest, GrayRunsSplitAtTwoHundredFiftySixAndCrossRows) {
  std::vector<unsigned char> bytes(300 * 2, 255);
  djvu_pixel_image img{DJVU_GRAY, 300, 2, 0, 300, 1, bytes.data(), 0, 0, 0};
  djvu_run_image* run = djvu_pixel_to_run_image(&img);
  ASSERT_NE(run, nullptr);
  EXPECT_EQ(run->runtype, unsigned{DJVU_RUN_GRAY});
  ASSERT_EQ(run->nruns, 3u);  // 256 + 256 + 88 across the row end
  EXPECT_EQ(run->runs[0], 255);
  EXPECT_EQ(run->runs[2], 255);
  EXPECT_EQ(run->runs[4], 87);
  EXPECT_EQ(run->runs[5], 255);
  EXPECT_EQ(run->xres, 0u);
  djvu_run_image_free(run);
}

size_t ReadFrom(void* context, unsigned char* buffer, size_t length) {
  auto* text = static_cast<std::string*>(context);
  const size_t n = std::min(length, text->size());
  std::memcpy(buffer, text->data(), n);
  text->erase(0, n);
  return n;
}

TEST_F(PixImageTest, PnmStreamRefusesMissingAndShortInput) {
  djvu::PnmStream none(nullptr, nullptr);
  EXPECT_EQ(djvu::Guard<djvu_run_image*>(nullptr, [&] { return none.ReadRunImage(0, 0); }),
            nullptr);
  std::string shortBody = "P5\n# comment\n4 4\n255\nabc";
  djvu::PnmStream truncated(ReadFrom, &shortBody);
  EXPECT_EQ(djvu::Guard<djvu_run_image*>(nullptr, [&] { return truncated.ReadRunImage(0, 0); }),
            nullptr);
  EXPECT_EQ(t_codecMessages, (std::vector<std::string>{"No Input specified", "I/O Read Error"}));
}

}  // namespace
