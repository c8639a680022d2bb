#include <gtest/gtest.h>

#include "MaskTestSupport.h"

namespace maskfind {
namespace {

TEST(WorkImageTest, HasATwoPixelWhiteBorder) {
  work_image image = make_work_image(5, 3);
  EXPECT_EQ(image.image.flags, static_cast<unsigned>(DJVU_GRAY));
  EXPECT_EQ(image.image.rowsize, 9u);
  EXPECT_EQ(image.image.offset, 20u);  // (5 + 5) * 2: row 2, column 2
  EXPECT_EQ(image.image.pixsize, 1u);
  EXPECT_EQ(image.buffer.size(), 9u * 7u);
  for (size_t i = 0; i < image.buffer.size(); ++i) ASSERT_EQ(image.buffer[i], 63);
  EXPECT_EQ(image.row(0), image.buffer.data() + 20);
}

TEST(WorkImageTest, ReplicatedBorderRepeatsTheNearestPixel) {
  work_image image = test::MakeWorkImage(3, 2, [](int x, int y) { return 10 * y + x; });
  replicate_border(image);
  EXPECT_EQ(image.row(-2)[-2], 0);
  EXPECT_EQ(image.row(-1)[1], 1);
  EXPECT_EQ(image.row(0)[4], 2);
  EXPECT_EQ(image.row(3)[-1], 10);
  EXPECT_EQ(image.row(3)[4], 12);
}

TEST(WorkImageTest, ColourToGrayWeighsTheBytesByTheirOrder) {
  std::vector<uint8_t> rgb = {200, 100, 50, 255, 255, 255};
  djvu_pixel_image page{};
  page.flags = DJVU_RGB;
  page.w = 2;
  page.h = 1;
  page.pixsize = 3;
  page.rowsize = 6;
  page.data = rgb.data();
  work_image gray = make_work_image(2, 1);
  colour_to_gray(page, gray);
  EXPECT_EQ(gray.row(0)[0], (612 * 200 + 1202 * 100 + 233 * 50) >> 11);  // 124
  EXPECT_EQ(gray.row(0)[1], 254);  // white never reaches 255: the weights add up to 2047
  std::vector<uint8_t> bgr = {50, 100, 200};
  page.flags = DJVU_BGR;
  page.w = 1;
  page.data = bgr.data();
  work_image one = make_work_image(1, 1);
  colour_to_gray(page, one);
  EXPECT_EQ(one.row(0)[0], 124);

  test::ErrorCollector errors;
  page.flags = 0;
  EXPECT_THROW(colour_to_gray(page, one), mask_failure);
  EXPECT_TRUE(errors.saw("Rgb image has unknow color representation (neither RGB nor BGR)"));
  EXPECT_THROW(colour_to_gray(page, gray), mask_failure);
  EXPECT_TRUE(errors.saw("Diff. image dimensions"));
}

TEST(WorkImageTest, SixBitsAndTheTonalSplit) {
  test::PlainImage gray = test::MakeGrayImage(4, 1, [](int x, int) {
    const int values[] = {255, 4, 100, 200};
    return values[x];
  });
  work_image six = make_work_image(4, 1);
  gray_to_six_bits(gray.image, six);
  EXPECT_EQ(six.row(0)[0], 63);
  EXPECT_EQ(six.row(0)[1], 1);

  work_image light = make_work_image(4, 1), dark = make_work_image(4, 1);
  split_tones(gray.image, 128, light, dark);
  EXPECT_EQ(light.row(0)[2], 0);   // 100 < 128
  EXPECT_EQ(dark.row(0)[2], 50);   // 100 * 64 / 128
  EXPECT_EQ(light.row(0)[3], 36);  // (200 - 128) * 64 / (256 - 128)
  EXPECT_EQ(dark.row(0)[3], 63);
  EXPECT_EQ(light.row(0)[0], 63);  // 127 * 64 / 128

  test::ErrorCollector errors;
  djvu_pixel_image notGray = gray.image;
  notGray.flags = DJVU_RGB;
  EXPECT_THROW(gray_to_six_bits(notGray, six), mask_failure);
  EXPECT_TRUE(errors.saw("Not a grey image"));
}

}  // namespace
}  // namespace maskfind
