#include <gtest/gtest.h>

#include <vector>

#include "RasterTestSupport.h"
#include "image/Messages.h"
#include "image/NearestColor.h"
#include "image/TextLabel.h"

namespace leaf {
namespace {

using test::PixelAt;

constexpr uint32_t kRed = 0x0000FF;     // packed red + 256 green + 65536 blue
constexpr uint32_t kBlue = 0xFF0000;    //
constexpr uint32_t kRedRgb = 0xFF0000;  // as PixelAt gives it: 0xRRGGBB
constexpr uint32_t kBlueRgb = 0x0000FF;

std::tm FifthOfMarch2001() {
  std::tm when{};
  when.tm_year = 101;
  when.tm_mon = 2;
  when.tm_mday = 5;
  when.tm_hour = 9;
  when.tm_min = 7;
  when.tm_sec = 2;
  return when;
}

// Drawn text bits of a width x height label: a pattern that shows which way
// the label is turned (set where (x + 2y) % 5 == 0, and the whole top row).
struct Drawn {
  int width, height;
  size_t bytesPerRow;
  std::vector<uint8_t> bits;
  bool at(int x, int y) const { return y == 0 || (x + 2 * y) % 5 == 0; }
};

Drawn DrawnText(int width, int height) {
  Drawn d{width, height, static_cast<size_t>((width + 7) / 8 + 3), {}};
  d.bits.assign(d.bytesPerRow * height, 0);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (d.at(x, y)) d.bits[y * d.bytesPerRow + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    }
  }
  return d;
}

DibImage MakeLabel(const Drawn& d, int orientation = 0, bool transparent = false,
                   uint32_t text = kRed, uint32_t ground = kBlue) {
  DibImage label;
  EXPECT_TRUE(BuildTextLabel(label, d.bits.data(), d.bytesPerRow, d.width, d.height, text, ground,
                             orientation, transparent));
  return label;
}

TEST(TextLabelTest, PlaceholdersAreFilledEveryTimeTheyOccur) {
  const std::tm when = FifthOfMarch2001();
  struct Case {
    const char* content;
    const char* fileName;
    const char* expected;
  } cases[] = {
      {"$filename $date $time", "scan0042.tif", "scan0042.tif 3/5/2001 09:07:02"},
      {"$date$date", "", "3/5/20013/5/2001"},
      {"$filename", "", ""},
      {"no placeholder, 100$", "a", "no placeholder, 100$"},
      {"$filename", "$date", "$date"},  // an inserted name is not searched again
      {"$time\n$filename", "x", "09:07:02\nx"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ExpandLabelPlaceholders(c.content, c.fileName, when), c.expected) << c.content;
  }
}

TEST(TextLabelTest, LabelRasterHoldsTheTextInItsColours) {
  const Drawn d = DrawnText(21, 9);
  const DibImage label = MakeLabel(d, 0, true);
  const DibRaster& r = label.raster;
  EXPECT_EQ(r.width, 21);
  EXPECT_EQ(r.height, 9);
  EXPECT_EQ(r.bitsPerPixel, 1);
  EXPECT_EQ(r.rowOrder, kRowOrderBottomUp);
  EXPECT_EQ(test::PaletteColor(r, 0), kBlueRgb);
  EXPECT_EQ(test::PaletteColor(r, 1), kRedRgb);
  EXPECT_EQ(r.transparentFlag, 1);
  EXPECT_EQ(r.transparentColor, kBlue);
  for (int y = 0; y < 9; ++y) {
    for (int x = 0; x < 21; ++x) ASSERT_EQ(PixelAt(r, x, y), d.at(x, y) ? 1u : 0u) << x << "," << y;
  }
  EXPECT_TRUE(test::PaddingIsZero(r));
}

TEST(TextLabelTest, TurnedLabelsReadUpwardsOrDownwards) {
  const Drawn d = DrawnText(200, 30);
  const DibImage up = MakeLabel(d, kLabelBottomToTop);
  const DibImage down = MakeLabel(d, kLabelTopToBottom);
  ASSERT_EQ(up.raster.width, 30);
  ASSERT_EQ(up.raster.height, 200);
  ASSERT_EQ(down.raster.width, 30);
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 200; ++x) {
      const uint32_t v = d.at(x, y) ? 1 : 0;
      // Read from the bottom up: the text's first column is the bottom row.
      ASSERT_EQ(PixelAt(up.raster, y, 199 - x), v);
      ASSERT_EQ(PixelAt(down.raster, 29 - y, x), v);
    }
  }
  DibImage bad;
  EXPECT_FALSE(BuildTextLabel(bad, d.bits.data(), d.bytesPerRow, 200, 30, 0, 0, 3, false));
  EXPECT_STREQ(LastMessage(), "Unknown text orientation: 3");
  EXPECT_FALSE(BuildTextLabel(bad, d.bits.data(), 2, 200, 30, 0, 0, 0, false));
  EXPECT_FALSE(BuildTextLabel(bad, d.bits.data(), d.bytesPerRow, 0, 30, 0, 0, 0, false));
}

// Where the label's top left corner lands, in picture coordinates of the
// stamped page, and the stamped page's size, for every position and anchor.
struct Where {
  LabelPlacement placement;
  int width, height;            // of the stamped page
  int left, top;                // of the label on it
  int pictureLeft, pictureTop;  // where the old picture went
};

TEST(TextLabelTest, EveryPositionAndAnchorPutsTheLabelWhereItsNameSays) {
  const int w = 60, h = 40, lw = 21, lh = 9, px = 4, py = 3;
  const Where cases[] = {
      {{kLabelAbove}, w, h + lh, (w - lw) / 2, 0, 0, lh},
      {{kLabelBelow}, w, h + lh, (w - lw) / 2, h, 0, 0},
      {{kLabelLeft}, w + lw, h, 0, h - lh - (h - lh) / 2, lw, 0},
      {{kLabelRight}, w + lw, h, w, h - lh - (h - lh) / 2, 0, 0},
      {{kLabelInside, 1, px, py}, w, h, px, py, 0, 0},
      {{kLabelInside, 2, px, py}, w, h, (w - lw) / 2, py, 0, 0},
      {{kLabelInside, 3, px, py}, w, h, w - lw - px, py, 0, 0},
      {{kLabelInside, 4, px, py}, w, h, px, h - lh - (h - lh) / 2, 0, 0},
      {{kLabelInside, 5, px, py}, w, h, (w - lw) / 2, h - lh - (h - lh) / 2, 0, 0},
      {{kLabelInside, 6, px, py}, w, h, w - lw - px, h - lh - (h - lh) / 2, 0, 0},
      {{kLabelInside, 7, px, py}, w, h, px, h - lh - py, 0, 0},
      {{kLabelInside, 8, px, py}, w, h, (w - lw) / 2, h - lh - py, 0, 0},
      {{kLabelInside, 9, px, py}, w, h, w - lw - px, h - lh - py, 0, 0},
  };
  const Drawn d = DrawnText(lw, lh);
  const DibImage label = MakeLabel(d);
  for (int storedHeight : {h, -h}) {  // bottom-up and top-down pages
    for (const Where& c : cases) {
      SCOPED_TRACE("position " + std::to_string(c.placement.position) + " anchor " +
                   std::to_string(c.placement.anchor) + (storedHeight < 0 ? " top-down" : ""));
      DibImage page;
      test::MakeNoiseImage(page, w, storedHeight, 24, 7);
      const test::Picture before = test::PictureOf(page.raster);
      ASSERT_TRUE(StampTextLabel(page, label, c.placement));
      ASSERT_EQ(page.raster.width, c.width);
      ASSERT_EQ(page.raster.height, c.height);
      for (int y = 0; y < c.height; ++y) {
        for (int x = 0; x < c.width; ++x) {
          const int lx = x - c.left, ly = y - c.top;
          const int ox = x - c.pictureLeft, oy = y - c.pictureTop;
          uint32_t want = kBlueRgb;  // grown canvas: the label's background
          if (lx >= 0 && lx < lw && ly >= 0 && ly < lh) {
            want = d.at(lx, ly) ? kRedRgb : kBlueRgb;
          } else if (ox >= 0 && ox < w && oy >= 0 && oy < h) {
            want = before[oy][ox];
          }
          ASSERT_EQ(PixelAt(page.raster, x, y), want) << x << "," << y;
        }
      }
    }
  }
}

TEST(TextLabelTest, FiguresOfTheBook) {
  // A 200 x 30 label above a 1000 x 800 page: 1000 x 830, the label at
  // column 400 of stored row 800, the top.
  const DibImage label = MakeLabel(DrawnText(200, 30));
  DibImage page;
  test::MakeNoiseImage(page, 1000, 800, 8, 3);
  ASSERT_TRUE(StampTextLabel(page, label, {kLabelAbove}));
  EXPECT_EQ(page.raster.width, 1000);
  EXPECT_EQ(page.raster.height, 830);
  EXPECT_EQ(PixelAt(page.raster, 400, 0), NearestPaletteIndex(page.raster, kRed));  // top row
  // An inside label at anchor 9 with paddings 10 and 5: column 1000 - 200 - 10,
  // stored row 5.
  DibImage inside;
  test::MakeNoiseImage(inside, 1000, 800, 24, 3);
  ASSERT_TRUE(StampTextLabel(inside, label, {kLabelInside, 9, 10, 5}));
  EXPECT_EQ(PixelAt(inside.raster, 790, 800 - 5 - 30), kRedRgb);  // its top row
  EXPECT_NE(PixelAt(inside.raster, 789, 800 - 5 - 30), kRedRgb);
}

TEST(TextLabelTest, TransparentLabelsChangeOnlyTextPixels) {
  const Drawn d = DrawnText(21, 9);
  const DibImage label = MakeLabel(d, 0, true);
  DibImage page;
  test::MakeNoiseImage(page, 40, 30, 24, 5);
  const test::Picture before = test::PictureOf(page.raster);
  ASSERT_TRUE(StampTextLabel(page, label, {kLabelInside, 1, 0, 0}));
  for (int y = 0; y < 9; ++y) {
    for (int x = 0; x < 21; ++x) {
      EXPECT_EQ(PixelAt(page.raster, x, y), d.at(x, y) ? kRedRgb : before[y][x]) << x << "," << y;
    }
  }
}

TEST(TextLabelTest, PalettePagesGetTheNearestColours) {
  const DibImage label = MakeLabel(DrawnText(21, 9), 0, false, kRed, 0x808080);  // on gray
  DibImage gray;
  test::MakeNoiseImage(gray, 40, 30, 8, 5, test::GrayPalette(8));
  ASSERT_TRUE(StampTextLabel(gray, label, {kLabelBelow}));
  EXPECT_EQ(PixelAt(gray.raster, 9, 30), 85u);   // top row of the label: red as gray
  EXPECT_EQ(PixelAt(gray.raster, 0, 35), 128u);  // the grown strip: the label's ground

  DibImage bilevel;
  test::MakeNoiseImage(bilevel, 40, 30, 1, 5, {0xFFFFFF, 0x000000});
  const DibImage dark = MakeLabel(DrawnText(21, 9), 0, false, 0x000000, 0xFFFFFF);
  ASSERT_TRUE(StampTextLabel(bilevel, dark, {kLabelAbove}));
  EXPECT_EQ(PixelAt(bilevel.raster, 9, 0), 1u);  // black text
  EXPECT_EQ(PixelAt(bilevel.raster, 0, 8), 0u);  // the grown strip: white
}

TEST(TextLabelTest, ALabelThatDoesNotFitOrAnUnknownPlaceLeavesThePageAlone) {
  const DibImage label = MakeLabel(DrawnText(50, 9));
  struct Case {
    LabelPlacement placement;
    const char* message;
  } cases[] = {
      {{kLabelAbove}, "Inserted image out of bounds in the original."},  // wider than the page
      {{kLabelInside, 3, 0, 0}, "Inserted image out of bounds in the original."},
      {{3}, "Unknown text label position: 3 (anchor 5)"},  // the profile's old default
      {{kLabelInside, 10}, "Unknown text label position: 5 (anchor 10)"},
      {{kLabelInside, 1, -1, 0}, "Text label padding out of range: -1, 0"},
      {{kLabelInside, 7, 0, 25}, "Inserted image out of bounds in the original."},
  };
  for (const Case& c : cases) {
    DibImage page;
    test::MakeNoiseImage(page, 40, -30, 8, 5);
    const test::Picture before = test::PictureOf(page.raster);
    EXPECT_FALSE(StampTextLabel(page, label, c.placement));
    EXPECT_STREQ(LastMessage(), c.message);
    EXPECT_EQ(page.raster.width, 40);
    EXPECT_EQ(page.raster.height, 30);
    EXPECT_EQ(page.raster.rowOrder, kRowOrderTopDown);
    EXPECT_EQ(test::PictureOf(page.raster), before);
  }
}

}  // namespace
}  // namespace leaf
