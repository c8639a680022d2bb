// Pictures between packed bitmaps and the QImages the clipboard carries.
#include <gtest/gtest.h>

#include "app/ClipboardImage.h"
#include "image/Messages.h"
#include "tests/support/Fixtures.h"

namespace leaf {
namespace {

TEST(ClipboardImageTest, PicturesOfEveryFormatBecomeBitmapsOfOneEightOr24Bits) {
  QImage mono(10, 3, QImage::Format_MonoLSB);
  mono.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
  mono.fill(0);
  mono.setPixel(9, 2, 1);
  QImage indexed(3, 2, QImage::Format_Indexed8);
  indexed.setColorTable({qRgb(255, 0, 0), qRgb(0, 255, 0), qRgba(0, 0, 255, 0)});
  indexed.fill(1);
  indexed.setPixel(2, 1, 2);  // a transparent entry: laid on white
  QImage gray(4, 4, QImage::Format_Grayscale8);
  gray.fill(77);
  QImage rgb(5, 2, QImage::Format_RGB32);
  rgb.fill(qRgb(10, 20, 30));
  QImage alpha(5, 2, QImage::Format_ARGB32);
  alpha.fill(qRgba(0, 0, 0, 128));  // half black over white: mid gray
  struct Case {
    const char* name;
    const QImage* picture;
    int bits;
    QPoint at;
    uint32_t colour;  // 0xRRGGBB of the pixel at `at`
  } cases[] = {
      {"mono", &mono, 1, {9, 2}, 0x000000},
      {"mono white", &mono, 1, {0, 0}, 0xFFFFFF},
      {"indexed", &indexed, 8, {0, 0}, 0x00FF00},
      {"indexed transparent", &indexed, 8, {2, 1}, 0xFFFFFF},
      {"gray", &gray, 8, {3, 3}, 0x4D4D4D},
      {"rgb", &rgb, 24, {4, 1}, 0x0A141E},
      {"alpha", &alpha, 24, {2, 0}, 0x7F7F7F},
  };
  for (const Case& c : cases) {
    DibImage bitmap;
    ASSERT_TRUE(BitmapOfPicture(*c.picture, bitmap)) << c.name;
    const DibRaster& r = bitmap.raster;
    EXPECT_EQ(r.bitsPerPixel, c.bits) << c.name;
    EXPECT_EQ(r.width, c.picture->width()) << c.name;
    EXPECT_EQ(r.rowOrder, kRowOrderBottomUp) << c.name;
    uint32_t value = test::PixelAt(r, c.at.x(), c.at.y());
    if (c.bits <= 8) value = test::PaletteColor(r, static_cast<int>(value));
    EXPECT_TRUE(test::NearColor(value, c.colour, 1)) << c.name << ": " << std::hex << value;
  }
  DibImage grayBitmap;
  ASSERT_TRUE(BitmapOfPicture(gray, grayBitmap));
  EXPECT_EQ(grayBitmap.raster.grayFlag, 1);  // a gray picture is a gray page
}

TEST(ClipboardImageTest, SelectionBitmapsRoundTripThroughPictures) {
  for (int height : {9, -9}) {
    for (int bits : {1, 8, 24}) {
      test::BmpRecipe recipe;
      recipe.width = 13;
      recipe.height = height;
      recipe.bits = bits;
      recipe.pixel = [bits](int x, int y) {
        const uint32_t v = static_cast<uint32_t>(x * 31 + y * 17);
        return bits == 24 ? (v * 0x010203) & 0xFFFFFF : v % (1u << bits);
      };
      DibImage page, bitmap, back;
      test::MakeImage(page, recipe);
      ASSERT_TRUE(CopySelectionBitmap(page, {2, 1, 11, 7}, bitmap));
      EXPECT_EQ(bitmap.raster.rowOrder, kRowOrderBottomUp);
      EXPECT_EQ(bitmap.raster.width, 10);
      EXPECT_EQ(bitmap.raster.height, 7);
      const QImage picture = PictureOfBitmap(bitmap);
      EXPECT_EQ(picture.dotsPerMeterY(), 11811);
      ASSERT_TRUE(BitmapOfPicture(picture, back));
      EXPECT_EQ(back.raster.bitsPerPixel, bits);
      EXPECT_EQ(back.raster.xResolution, 300);
      for (int y = 0; y < 7; ++y) {
        for (int x = 0; x < 10; ++x) {
          ASSERT_EQ(test::PixelAt(back.raster, x, y), recipe.pixel(x + 2, y + 1))
              << bits << " bits, " << x << "," << y;
        }
      }
    }
  }
}

TEST(ClipboardImageTest, EmptyAndOversizedPicturesAreRefused) {
  DibImage bitmap;
  EXPECT_FALSE(BitmapOfPicture(QImage(), bitmap));
  EXPECT_STREQ(LastMessage(), "The clipboard holds no picture.");
  // 800 megapixels, 2.4 GB at 24 bits: beyond both the pixel limit and a
  // raster's bytes; 1200 palette megapixels: beyond the limit. The size is
  // refused before any pixel is read.
  uchar byte = 0;
  const QImage wide(&byte, 40000, 20000, 40000 * 4, QImage::Format_RGB32);
  EXPECT_FALSE(BitmapOfPicture(wide, bitmap));
  EXPECT_STREQ(LastMessage(), "The picture on the clipboard is too large (40000 x 20000 pixels).");
  const QImage palette(&byte, 40000, 30000, 40000, QImage::Format_Indexed8);
  EXPECT_FALSE(BitmapOfPicture(palette, bitmap));
  EXPECT_STREQ(LastMessage(), "The picture on the clipboard is too large (40000 x 30000 pixels).");
  EXPECT_TRUE(bitmap.raster.empty());
}

}  // namespace
}  // namespace leaf
