#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "GException.h"
#include "libAPI/MaskSub.h"
#include "tests/libAPI/Jb2TestSupport.h"

namespace {

using leaf::test::AddBox;
using leaf::test::ThrownMessage;

using djvu::ColorLayer;

// A page held in a vector: RGB, top row first, 3 bytes per pixel.
struct Page {
  int w;
  int h;
  std::vector<unsigned char> bytes;
  djvu_pixel_image image{};

  Page(int width, int height, unsigned char r, unsigned char g, unsigned char b)
      : w(width), h(height), bytes(static_cast<size_t>(width) * height * 3) {
    for (size_t i = 0; i < bytes.size(); i += 3) {
      bytes[i] = r;
      bytes[i + 1] = g;
      bytes[i + 2] = b;
    }
    image.flags = DJVU_TOPDOWN | DJVU_RGB;
    image.w = w;
    image.h = h;
    image.rowsize = 3 * w;
    image.pixsize = 3;
    image.data = bytes.data();
  }
  // (x, y) with y counted from the bottom, as DjVu does.
  void Set(int x, int y, unsigned char r, unsigned char g, unsigned char b) {
    unsigned char* p = &bytes[(static_cast<size_t>(h - 1 - y) * w + x) * 3];
    p[0] = r;
    p[1] = g;
    p[2] = b;
  }
};

GP<JB2Image> Stencil(int w, int h) {
  GP<JB2Image> stencil = JB2Image::create();
  stencil->set_dimension(w, h);
  return stencil;
}

TEST(MaskSubTest, AtReductionOneTheForegroundIsThePageUnderInk) {
  Page page(6, 4, 255, 255, 255);
  page.Set(1, 1, 10, 20, 30);
  page.Set(2, 1, 40, 50, 60);
  GP<JB2Image> stencil = Stencil(6, 4);
  AddBox(*stencil, 1, 1, 2, 1);
  ColorLayer fg;
  EXPECT_TRUE(djvu::FillForeground(page.image, *stencil, fg, 1));
  ASSERT_EQ(fg.pixmap->columns(), 6u);
  ASSERT_EQ(fg.pixmap->rows(), 4u);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 6; ++x) {
      const bool ink = y == 1 && (x == 1 || x == 2);
      EXPECT_EQ((*fg.mask)[y][x], ink ? 0 : 1) << x << "," << y;
      if (!ink) {
        EXPECT_EQ((*fg.pixmap)[y][x].r + (*fg.pixmap)[y][x].g + (*fg.pixmap)[y][x].b, 0);
      }
    }
  }
  EXPECT_EQ((*fg.pixmap)[1][1].r, 10);
  EXPECT_EQ((*fg.pixmap)[1][1].g, 20);
  EXPECT_EQ((*fg.pixmap)[1][1].b, 30);
  EXPECT_EQ((*fg.pixmap)[1][2].b, 60);
}

TEST(MaskSubTest, CellMeansAreTruncatedAverages) {
  Page page(12, 6, 255, 255, 255);
  page.Set(0, 0, 200, 10, 10);
  page.Set(7, 0, 200, 10, 10);
  page.Set(8, 1, 100, 0, 0);
  GP<JB2Image> stencil = Stencil(12, 6);
  AddBox(*stencil, 0, 0, 1, 1);
  AddBox(*stencil, 7, 0, 1, 1);
  AddBox(*stencil, 8, 1, 1, 1);
  ColorLayer fg;
  ASSERT_TRUE(djvu::FillForeground(page.image, *stencil, fg, 6));
  ASSERT_EQ(fg.pixmap->columns(), 2u);
  ASSERT_EQ(fg.pixmap->rows(), 1u);
  EXPECT_EQ((*fg.pixmap)[0][0].r, 200);
  EXPECT_EQ((*fg.pixmap)[0][0].g, 10);
  EXPECT_EQ((*fg.pixmap)[0][1].r, 150);
  EXPECT_EQ((*fg.pixmap)[0][1].g, 5);
  EXPECT_EQ((*fg.pixmap)[0][1].b, 5);
}

struct PixelImageFree {
  void operator()(djvu_pixel_image* image) const { djvu_pixel_image_free(image); }
};

// Largest difference of two layers' colours; -1 when their sizes or
// don't-care cells differ.
int LayerDifference(const ColorLayer& a, const ColorLayer& b) {
  if (a.pixmap->rows() != b.pixmap->rows() || a.pixmap->columns() != b.pixmap->columns()) {
    return -1;
  }
  int most = 0;
  for (unsigned y = 0; y < a.pixmap->rows(); ++y) {
    for (unsigned x = 0; x < a.pixmap->columns(); ++x) {
      if ((*a.mask)[y][x] != (*b.mask)[y][x]) return -1;
      const GPixel p = (*a.pixmap)[y][x], q = (*b.pixmap)[y][x];
      most = std::max({most, std::abs(p.r - q.r), std::abs(p.g - q.g), std::abs(p.b - q.b)});
    }
  }
  return most;
}

// A page two or three times smaller than the stencil gives the cells its
// enlargement (djvu_pixel_resample) gives, whether the cells hold whole page
// pixels or split them.
TEST(MaskSubTest, SmallerPageGivesTheCellsOfItsEnlargement) {
  Page page(9, 7, 240, 230, 200);
  for (int y = 0; y < 7; ++y) {
    for (int x = 0; x < 9; ++x) {
      if ((x + y) % 4 == 0) page.Set(x, y, 20, 40, 160);
      if (x == 4) page.Set(x, y, static_cast<unsigned char>(30 * y), 90, 10);
    }
  }
  struct Case {
    int scale, reduction;
  } cases[] = {{2, 2}, {2, 3}, {2, 4}, {2, 6}, {3, 3}, {3, 4}, {3, 6}};
  for (const Case& c : cases) {
    const int w = 9 * c.scale, h = 7 * c.scale;
    GP<JB2Image> stencil = Stencil(w, h);
    AddBox(*stencil, 1, 1, c.scale + 1, h - 3);  // edges inside page pixels
    AddBox(*stencil, w / 2, 2, 3, 3);
    const std::unique_ptr<djvu_pixel_image, PixelImageFree> enlarged(
        djvu_pixel_resample(&page.image, -c.scale, 0));
    ASSERT_NE(enlarged, nullptr);
    for (int polarity : {0, 1}) {
      ColorLayer small, big;
      djvu::EstimateCells(page.image, *stencil, small, c.reduction, polarity, 1,
                          djvu::kCellBandBudget, c.scale);
      djvu::EstimateCells(*enlarged, *stencil, big, c.reduction, polarity);
      EXPECT_EQ(LayerDifference(small, big), 0) << c.scale << " " << c.reduction << " " << polarity;
    }
    // The background leaves the ink's border out there as well, and small
    // shapes are judged by the same colours.
    for (const int border : {djvu::kInkBorder, djvu::kEnlargedInkBorder}) {
      ColorLayer smallFg, bigFg, smallBg, bigBg;
      djvu::FillForeground(page.image, *stencil, smallFg, c.reduction, c.scale);
      djvu::FillForeground(*enlarged, *stencil, bigFg, c.reduction);
      djvu::FillColourLayers(page.image, *stencil, smallBg, smallFg, c.reduction, c.reduction,
                             border, c.scale);
      djvu::FillColourLayers(*enlarged, *stencil, bigBg, bigFg, c.reduction, c.reduction, border);
      EXPECT_EQ(LayerDifference(smallBg, bigBg), 0) << c.scale << " " << c.reduction << border;
      EXPECT_EQ(LayerDifference(smallFg, bigFg), 0) << c.scale << " " << c.reduction << border;
      EXPECT_EQ(
          djvu::DropOffColourShapes(page.image, *stencil, smallFg, c.reduction, c.scale)
              ->get_blit_count(),
          djvu::DropOffColourShapes(*enlarged, *stencil, bigFg, c.reduction)->get_blit_count());
    }
  }
}

TEST(MaskSubTest, PageWithoutInkLeavesEveryForegroundCellDontCare) {
  Page page(20, 10, 90, 90, 90);
  GP<JB2Image> stencil = Stencil(20, 10);
  ColorLayer fg;
  EXPECT_FALSE(djvu::FillForeground(page.image, *stencil, fg, 3));
  for (unsigned y = 0; y < fg.mask->rows(); ++y) {
    for (unsigned x = 0; x < fg.mask->columns(); ++x) EXPECT_EQ((*fg.mask)[y][x], 1);
  }
  ColorLayer bg;
  EXPECT_TRUE(djvu::EstimateCells(page.image, *stencil, bg, 3, 0));
  EXPECT_EQ((*bg.pixmap)[0][0].g, 90);
}

TEST(MaskSubTest, GrayBottomUpPageGivesGrayCells) {
  // 4 x 2 gray page stored bottom row first: bottom row 10, top row 30.
  std::vector<unsigned char> bytes{10, 10, 10, 10, 30, 30, 30, 30};
  djvu_pixel_image image{};
  image.flags = DJVU_BOTTOMUP | DJVU_GRAY;
  image.w = 4;
  image.h = 2;
  image.rowsize = 4;
  image.pixsize = 1;
  image.data = bytes.data();
  GP<JB2Image> stencil = Stencil(4, 2);
  ColorLayer bg;
  ASSERT_TRUE(djvu::EstimateCells(image, *stencil, bg, 1, 0));
  EXPECT_EQ((*bg.pixmap)[0][0].r, 10);
  EXPECT_EQ((*bg.pixmap)[1][3].g, 30);
  EXPECT_EQ((*bg.pixmap)[1][3].b, 30);
  image.flags = DJVU_BOTTOMUP;
  EXPECT_EQ(ThrownMessage([&] { djvu::EstimateCells(image, *stencil, bg, 1, 0); }),
            "Unknown image Flags");
}

TEST(MaskSubTest, LastCellColumnAveragesTheNarrowRemainder) {
  Page page(301, 6, 0, 0, 0);
  for (int y = 0; y < 6; ++y) page.Set(300, y, 60, 60, 60);
  GP<JB2Image> stencil = Stencil(301, 6);
  ColorLayer bg;
  ASSERT_TRUE(djvu::EstimateCells(page.image, *stencil, bg, 6, 0));
  ASSERT_EQ(bg.pixmap->columns(), 51u);
  EXPECT_EQ((*bg.pixmap)[0][50].r, 60);
  EXPECT_EQ((*bg.pixmap)[0][49].r, 0);
}

TEST(MaskSubTest, NarrowBandsGiveTheSameCellsAsOneBand) {
  Page page(40, 37, 200, 180, 160);
  GP<JB2Image> stencil = Stencil(40, 37);
  for (int i = 0; i < 8; ++i) {
    page.Set(i * 4 + 1, i * 4 + 2, static_cast<unsigned char>(i * 20), 5, 9);
    AddBox(*stencil, i * 4, i * 4 + 1, 3, 3);
  }
  ColorLayer wide, narrow;
  djvu::EstimateCells(page.image, *stencil, wide, 3, 0);
  djvu::EstimateCells(page.image, *stencil, narrow, 3, 0, 1, 40 * 3);  // one cell row a band
  ASSERT_EQ(wide.pixmap->rows(), narrow.pixmap->rows());
  for (unsigned y = 0; y < wide.pixmap->rows(); ++y) {
    for (unsigned x = 0; x < wide.pixmap->columns(); ++x) {
      EXPECT_EQ((*wide.pixmap)[y][x].r, (*narrow.pixmap)[y][x].r);
      EXPECT_EQ((*wide.mask)[y][x], (*narrow.mask)[y][x]);
    }
  }
}

TEST(MaskSubTest, SmallShapesOffTheForegroundColourAreDropped) {
  Page page(60, 30, 255, 255, 255);
  GP<JB2Image> stencil = Stencil(60, 30);
  // A large black letter colours the foreground cells around the specks.
  AddBox(*stencil, 0, 0, 10, 20);
  AddBox(*stencil, 20, 5, 3, 3);    // light speck: dropped
  AddBox(*stencil, 30, 5, 3, 3);    // dark gray speck: kept
  AddBox(*stencil, 40, 5, 10, 20);  // 200 pixels: kept whatever its colour
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 60; ++x) {
      if (x < 10 && y < 20) page.Set(x, y, 0, 0, 0);
      if (x >= 20 && x < 23 && y >= 5 && y < 8) page.Set(x, y, 250, 250, 250);
      if (x >= 30 && x < 33 && y >= 5 && y < 8) page.Set(x, y, 30, 30, 30);
      if (x >= 40 && x < 50 && y >= 5 && y < 25) page.Set(x, y, 250, 250, 250);
    }
  }
  ColorLayer fg;
  // A foreground whose only coloured cells are black.
  ASSERT_TRUE(djvu::FillForeground(page.image, *stencil, fg, 60));
  for (unsigned y = 0; y < fg.pixmap->rows(); ++y) {
    for (unsigned x = 0; x < fg.pixmap->columns(); ++x) (*fg.pixmap)[y][x] = GPixel{0, 0, 0};
  }
  GP<JB2Image> kept = djvu::DropOffColourShapes(page.image, *stencil, fg, 60);
  ASSERT_EQ(kept->get_blit_count(), 3);
  EXPECT_EQ(kept->get_blit(0)->left, 0);
  EXPECT_EQ(kept->get_blit(1)->left, 30);
  EXPECT_EQ(kept->get_blit(2)->left, 40);
  EXPECT_EQ(kept->get_width(), 60);
  for (int i = 0; i < kept->get_shape_count(); ++i) EXPECT_EQ(kept->get_shape(i).parent, -1);

  JB2Shape child;
  child.parent = 0;
  child.bits = GBitmap::create(2, 2);
  JB2Blit blit{1, 1, static_cast<unsigned>(stencil->add_shape(child))};
  stencil->add_blit(blit);
  EXPECT_EQ(ThrownMessage([&] { djvu::DropOffColourShapes(page.image, *stencil, fg, 60); }),
            "orphan shape only!");
}

TEST(MaskSubTest, ReferenceColourWindowGrowsToTheNearestColouredCell) {
  // Cells of 4 pixels; the speck's own cell has no colour, a neighbour
  // two cells away is red: a red speck stays, a white one goes.
  Page page(40, 8, 255, 255, 255);
  GP<JB2Image> stencil = Stencil(40, 8);
  AddBox(*stencil, 20, 0, 2, 2);
  page.Set(20, 0, 250, 0, 0);
  page.Set(21, 0, 250, 0, 0);
  page.Set(20, 1, 240, 0, 0);
  page.Set(21, 1, 255, 255, 255);
  ColorLayer fg;
  fg.pixmap->init(2, 10);
  fg.mask->init(2, 10);
  fg.mask->fill(1);
  (*fg.mask)[0][7] = 0;
  (*fg.pixmap)[0][7] = GPixel{0, 0, 255};
  GP<JB2Image> kept = djvu::DropOffColourShapes(page.image, *stencil, fg, 4);
  EXPECT_EQ(kept->get_blit_count(), 1);
  (*fg.pixmap)[0][7] = GPixel{255, 255, 0};  // cyan: far from every pixel
  kept = djvu::DropOffColourShapes(page.image, *stencil, fg, 4);
  EXPECT_EQ(kept->get_blit_count(), 0);
}

TEST(MaskSubTest, ForegroundTooSmallForThePageIsRefused) {
  Page page(30, 12, 255, 255, 255);
  GP<JB2Image> stencil = Stencil(30, 12);
  // Cells of 6: 5 columns and 2 rows are needed.
  struct Case {
    int pixmapRows, pixmapColumns, maskRows, maskColumns;
    const char* refusal;
  } cases[] = {{2, 4, 2, 5, "Image FG width too small"},
               {2, 5, 2, 4, "Mask FG width too small"},
               {1, 5, 2, 5, "Image FG height too small"},
               {2, 5, 1, 5, "Mask FG height too small"}};
  for (const Case& c : cases) {
    ColorLayer bg, fg;
    fg.pixmap->init(c.pixmapRows, c.pixmapColumns);
    fg.mask->init(c.maskRows, c.maskColumns);
    EXPECT_EQ(ThrownMessage([&] { djvu::FillColourLayers(page.image, *stencil, bg, fg, 6, 3); }),
              c.refusal);
  }
}

// A black bar down columns 4 and 5, blended into the paper by gray 100 in
// columns 3 and 6 and by the given grays in columns 2 and 7.
void PaintBarWithEdges(Page& page, int farLeft, int farRight) {
  for (int y = 0; y < page.h; ++y) {
    page.Set(4, y, 0, 0, 0);
    page.Set(5, y, 0, 0, 0);
    page.Set(3, y, 100, 100, 100);
    page.Set(6, y, 100, 100, 100);
    page.Set(2, y, farLeft, farLeft, farLeft);
    page.Set(7, y, farRight, farRight, farRight);
  }
}

// A bar along row 6 with blended rows 4, 5, 7 and 8 on paper 200: the
// background leaves the ink's border out across rows as across columns.
TEST(MaskSubTest, BackgroundLeavesOutTheBorderOfTheInkAcrossRows) {
  Page rows(6, 15, 200, 200, 200);
  GP<JB2Image> bar = Stencil(6, 15);
  AddBox(*bar, 0, 6, 6, 1);
  for (int x = 0; x < 6; ++x) {
    rows.Set(x, 6, 0, 0, 0);
    for (int y : {4, 5, 7, 8}) rows.Set(x, y, 120, 120, 120);
  }
  ColorLayer barFg;
  djvu::FillForeground(rows.image, *bar, barFg, 6);
  ColorLayer barBg;
  ASSERT_TRUE(djvu::FillColourLayers(rows.image, *bar, barBg, barFg, 6, 3));
  for (int cy = 0; cy < 5; ++cy) {
    if (cy == 2) {
      EXPECT_EQ((*barBg.mask)[cy][0], 1);  // rows 6..8: all within the border
    } else {
      EXPECT_EQ((*barBg.mask)[cy][0], 0) << cy;
      EXPECT_EQ((*barBg.pixmap)[cy][0].g, 200) << cy;
    }
  }
}

// Paper 200, a dark bar with a mid-gray anti-aliased edge around it: the
// background leaves out the ink's border, two pixels either side (cells 0
// and 2 keep plain paper, cell 1 holds only border pixels: don't care).
// On an enlarged page the background leaves out one pixel around ink only:
// what lies beyond it (here the lighter blend two columns from the bar, a
// faint stroke the mask did not take) is kept, as the page shows it.
TEST(MaskSubTest, EnlargedPagesKeepMoreOfTheInksEdgeInTheBackground) {
  Page page(12, 3, 200, 200, 200);
  GP<JB2Image> stencil = Stencil(12, 3);
  AddBox(*stencil, 4, 0, 2, 3);
  PaintBarWithEdges(page, 140, 170);
  struct Case {
    int border;
    int left;   // cell 0: columns 0..2
    int right;  // cell 2: columns 6..8
  } cases[] = {{djvu::kInkBorder, 200, 200},
               {djvu::kEnlargedInkBorder, (200 + 200 + 140) / 3, (170 + 200) / 2}};
  for (const Case& c : cases) {
    ColorLayer fg;
    ASSERT_TRUE(djvu::FillForeground(page.image, *stencil, fg, 6));
    ColorLayer bg;
    ASSERT_TRUE(djvu::FillColourLayers(page.image, *stencil, bg, fg, 6, 3, c.border));
    EXPECT_EQ((*bg.mask)[0][1], 1) << c.border;  // columns 3..5: ink and its first pixel
    EXPECT_EQ((*bg.mask)[0][0], 0) << c.border;
    EXPECT_EQ((*bg.pixmap)[0][0].r, c.left) << c.border;
    EXPECT_EQ((*bg.pixmap)[0][2].r, c.right) << c.border;
    EXPECT_EQ((*bg.pixmap)[0][3].r, 200) << c.border;
  }
}

TEST(MaskSubTest, PaintingColoursForegroundCellsLeftEmpty) {
  // The foreground was estimated before the shape grew into a new cell.
  Page page(12, 6, 255, 255, 255);
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 6; ++x) page.Set(x, y, 0, 0, 200);
  }
  GP<JB2Image> before = Stencil(12, 6);
  AddBox(*before, 0, 0, 6, 6);
  ColorLayer fg;
  ASSERT_TRUE(djvu::FillForeground(page.image, *before, fg, 6));
  EXPECT_EQ((*fg.mask)[0][1], 1);
  // The new column is paper-white on the page: it does not count toward the
  // colour, which comes from the blue pixels alone.
  GP<JB2Image> after = Stencil(12, 6);
  AddBox(*after, 0, 0, 7, 6);
  ColorLayer bg;
  ASSERT_TRUE(djvu::FillColourLayers(page.image, *after, bg, fg, 6, 3));
  EXPECT_EQ((*fg.mask)[0][1], 0);
  const GPixel painted = (*fg.pixmap)[0][1];
  EXPECT_EQ(painted.r, 0);
  EXPECT_EQ(painted.g, 0);
  EXPECT_EQ(painted.b, 200);

  // A shape with nothing but paper under it takes the paper's colour
  // rather than failing the page.
  Page paper(24, 6, 250, 240, 230);
  GP<JB2Image> none = Stencil(24, 6);
  ColorLayer emptyFg;
  ASSERT_FALSE(djvu::FillForeground(paper.image, *none, emptyFg, 6));
  GP<JB2Image> ghost = Stencil(24, 6);
  AddBox(*ghost, 20, 2, 2, 2);
  ColorLayer paperBg;
  ASSERT_TRUE(djvu::FillColourLayers(paper.image, *ghost, paperBg, emptyFg, 6, 3));
  EXPECT_EQ((*emptyFg.mask)[0][3], 0);
  EXPECT_EQ((*emptyFg.pixmap)[0][3].r, 250);
  EXPECT_EQ((*emptyFg.pixmap)[0][3].b, 230);
}

}  // namespace
