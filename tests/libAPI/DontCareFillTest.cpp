#include <gtest/gtest.h>

#include <cstdlib>

#include "libAPI/DontCareFill.h"
#include "tests/libAPI/Jb2TestSupport.h"

namespace {

using leaf::test::ThrownMessage;

struct Layer {
  GP<GPixmap> pixmap;
  GP<GBitmap> mask;
  Layer(int w, int h) : pixmap(GPixmap::create(h, w)), mask(GBitmap::create(h, w)) {}
  void Set(int x, int y, unsigned char v) {
    GPixel& p = (*pixmap)[y][x];
    p.r = p.g = p.b = v;
  }
  void Hide(int x, int y) { (*mask)[y][x] = 1; }
  int At(int x, int y) const { return (*pixmap)[y][x].g; }
};

// A horizontal ramp from 0 to 250 with the cells of a box hidden and
// scrambled: the filling continues the ramp through the box, and the cells
// that were seen keep their colours.
TEST(DontCareFillTest, HolesInARampAreFilledWithTheRamp) {
  for (const auto& [w, h] : {std::pair{51, 40}, std::pair{64, 64}, std::pair{17, 5}}) {
    Layer layer(w, h);
    const auto ramp = [w](int x) { return 250 * x / (w - 1); };
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const bool inBox = x >= w / 4 && x < 3 * w / 4 && y >= h / 4 && y < 3 * h / 4;
        layer.Set(x, y, inBox ? 255 - ramp(x) : ramp(x));
        if (inBox) layer.Hide(x, y);
      }
    }
    djvu::FillDontCarePixels(*layer.pixmap, *layer.mask);
    int worst = 0;
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        if (!(*layer.mask)[y][x]) {
          ASSERT_EQ(layer.At(x, y), ramp(x)) << w << "x" << h;
        }
        worst = std::max(worst, std::abs(layer.At(x, y) - ramp(x)));
      }
    }
    // The pyramid averages across the box's width, so the filled ramp bends
    // towards its mean inside, but stays near it and never leaves its range.
    EXPECT_LT(worst, 40) << w << "x" << h;
  }
}

// One colour seen, whatever its place, colours the whole layer; an odd size
// on either side must not read past the last cell.
TEST(DontCareFillTest, OneSeenCellColoursEveryHiddenCell) {
  for (const auto& [w, h, x0, y0] : {std::tuple{1, 1, 0, 0}, std::tuple{1, 9, 0, 8},
                                     std::tuple{9, 1, 4, 0}, std::tuple{7, 5, 6, 4}}) {
    Layer layer(w, h);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) layer.Hide(x, y);
    }
    (*layer.mask)[y0][x0] = 0;
    layer.Set(x0, y0, 123);
    djvu::FillDontCarePixels(*layer.pixmap, *layer.mask);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) EXPECT_EQ(layer.At(x, y), 123) << x << "," << y;
    }
  }
}

TEST(DontCareFillTest, LayerWithNothingSeenOrNothingHiddenIsLeftAlone) {
  Layer hidden(4, 3), seen(4, 3);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 4; ++x) {
      hidden.Set(x, y, static_cast<unsigned char>(10 * x + y));
      hidden.Hide(x, y);
      seen.Set(x, y, static_cast<unsigned char>(10 * x + y));
    }
  }
  djvu::FillDontCarePixels(*hidden.pixmap, *hidden.mask);
  djvu::FillDontCarePixels(*seen.pixmap, *seen.mask);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 4; ++x) {
      EXPECT_EQ(hidden.At(x, y), 10 * x + y);
      EXPECT_EQ(seen.At(x, y), 10 * x + y);
    }
  }
  Layer empty(0, 0);
  djvu::FillDontCarePixels(*empty.pixmap, *empty.mask);
  GP<GBitmap> smaller = GBitmap::create(2, 4);
  EXPECT_NE(ThrownMessage([&] { djvu::FillDontCarePixels(*seen.pixmap, *smaller); }), "");
}

}  // namespace
