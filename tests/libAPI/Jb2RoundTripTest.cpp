// The encoder drives DjVuLibre's C++ classes through headers fetched from the
// library's source package; this proves headers and library agree.
#include <gtest/gtest.h>

#include "ByteStream.h"
#include "GBitmap.h"
#include "GException.h"
#include "JB2Image.h"

namespace {

GP<GBitmap> MakeShape(int w, int h, int seed) {
  GP<GBitmap> bitmap = GBitmap::create(h, w);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) (*bitmap)[y][x] = ((x * 3 + y * 5 + seed) % 7) < 3 ? 1 : 0;
  }
  return bitmap;
}

TEST(DjVuLibreLinkTest, Jb2PageEncodesAndDecodesToTheSamePixels) {
  const int width = 200, height = 120;
  GP<JB2Image> page = JB2Image::create();
  page->set_dimension(width, height);
  for (int i = 0; i < 3; ++i) {
    JB2Shape shape;
    shape.parent = -1;
    shape.bits = MakeShape(10 + 3 * i, 12 + i, i);
    const int index = page->add_shape(shape);
    JB2Blit blit;
    blit.left = 20 + 50 * i;
    blit.bottom = 30 + 10 * i;
    blit.shapeno = index;
    page->add_blit(blit);
  }
  GP<GBitmap> expected = page->get_bitmap();

  GP<ByteStream> stream = ByteStream::create();
  page->encode(stream);
  EXPECT_GT(stream->size(), 10);
  stream->seek(0);
  GP<JB2Image> decoded = JB2Image::create();
  decoded->decode(stream);
  ASSERT_EQ(decoded->get_width(), width);
  ASSERT_EQ(decoded->get_height(), height);
  GP<GBitmap> actual = decoded->get_bitmap();
  ASSERT_EQ(actual->rows(), expected->rows());
  ASSERT_EQ(actual->columns(), expected->columns());
  int ink = 0;
  for (unsigned y = 0; y < expected->rows(); ++y) {
    for (unsigned x = 0; x < expected->columns(); ++x) {
      ASSERT_EQ((*actual)[y][x], (*expected)[y][x]) << x << "," << y;
      ink += (*expected)[y][x] ? 1 : 0;
    }
  }
  EXPECT_GT(ink, 100);
}

TEST(DjVuLibreLinkTest, DamagedStreamRaisesGException) {
  const char junk[] = "definitely not JB2 data, just some bytes to decode";
  GP<ByteStream> stream = ByteStream::create(junk, sizeof junk);
  GP<JB2Image> decoded = JB2Image::create();
  bool threw = false;
  G_TRY { decoded->decode(stream); }
  G_CATCH(ex) {
    threw = true;
    EXPECT_NE(ex.get_cause(), nullptr);
  }
  G_ENDCATCH;
  EXPECT_TRUE(threw);
}

}  // namespace
