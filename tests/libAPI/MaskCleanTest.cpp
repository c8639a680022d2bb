#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "GBitmap.h"
#include "libAPI/Iw44Schedule.h"
#include "libAPI/MaskClean.h"
#include "tests/libAPI/Jb2TestSupport.h"

namespace {

using leaf::test::AddBox;

GP<JB2Image> Page(int w, int h) {
  GP<JB2Image> image = JB2Image::create();
  image->set_dimension(w, h);
  return image;
}

// Ink pixels over all blits (the tests never overlap their blits).
int InkCount(const JB2Image& image) {
  int ink = 0;
  for (int i = 0; i < image.get_blit_count(); ++i) {
    const GBitmap& bits = *image.get_shape(image.get_blit(i)->shapeno).bits;
    for (unsigned y = 0; y < bits.rows(); ++y) {
      for (unsigned x = 0; x < bits.columns(); ++x) ink += bits[y][x] ? 1 : 0;
    }
  }
  return ink;
}

TEST(MaskCleanTest, LetterPageSizes) {
  EXPECT_EQ(djvu::SpeckSize(2550, 3300), 3);
  EXPECT_EQ(djvu::TileSize(2550), 127);
  EXPECT_EQ(djvu::TileSize(600), 64);
}

TEST(MaskCleanTest, AggressiveCleaningDropsSpecksUpToTheSpeckSize) {
  GP<JB2Image> page = Page(2550, 3300);
  AddBox(*page, 100, 100, 3, 3);
  AddBox(*page, 200, 100, 4, 3);
  GP<JB2Image> aggressive = djvu::CleanMask(*page, djvu::kCleanAggressive);
  ASSERT_EQ(aggressive->get_blit_count(), 1);
  EXPECT_EQ(aggressive->get_blit(0)->left, 200);
  EXPECT_EQ(aggressive->get_width(), 2550);
  EXPECT_EQ(aggressive->get_height(), 3300);
  EXPECT_EQ(djvu::CleanMask(*page, djvu::kCleanNormal)->get_blit_count(), 2);
  EXPECT_EQ(djvu::CleanMask(*page, djvu::kCleanLossless)->get_blit_count(), 2);
}

TEST(MaskCleanTest, LongRuleIsCutIntoTilesInEveryMode) {
  for (unsigned set : {djvu::kCleanLossless, djvu::kCleanNormal, djvu::kCleanAggressive}) {
    GP<JB2Image> page = Page(2550, 3300);
    AddBox(*page, 300, 1000, 2000, 3);
    GP<JB2Image> cleaned = djvu::CleanMask(*page, set);
    EXPECT_EQ(cleaned->get_blit_count(), 16) << set;
    EXPECT_EQ(InkCount(*cleaned), 6000) << set;
  }
}

TEST(MaskCleanTest, TilesAreCroppedToTheirInk) {
  // An L of 150 x 150 at tile size 64: the empty tiles vanish.
  GP<JB2Image> page = Page(600, 400);
  JB2Shape shape;
  shape.parent = -1;
  shape.bits = GBitmap::create(150, 150);
  for (int i = 0; i < 150; ++i) {
    (*shape.bits)[0][i] = 1;  // bottom row
    (*shape.bits)[i][0] = 1;  // left column
  }
  JB2Blit blit{10, 20, static_cast<unsigned>(page->add_shape(shape))};
  page->add_blit(blit);
  GP<JB2Image> tiled = djvu::SizePass(*page, djvu::kCleanTiles);
  EXPECT_EQ(tiled->get_blit_count(), 5);  // 3 along the bottom, 2 more up the side
  EXPECT_EQ(InkCount(*tiled), 299);
  for (int i = 0; i < tiled->get_blit_count(); ++i) {
    const JB2Blit& b = *tiled->get_blit(i);
    const GBitmap& bits = *tiled->get_shape(b.shapeno).bits;
    EXPECT_LE(bits.rows(), 64u);
    EXPECT_LE(bits.columns(), 64u);
    EXPECT_TRUE(bits.rows() == 1 || bits.columns() == 1 || (b.left == 10 && b.bottom == 20));
    EXPECT_TRUE(b.left == 10 || b.bottom == 20);
  }
}

TEST(MaskCleanTest, ReadingOrderGoesLineByLineLeftToRight) {
  GP<JB2Image> page = Page(1000, 400);
  // Second line (lower), then first line, shuffled; a tall capital and a
  // descender on line one, a mark slightly lower on the same line.
  AddBox(*page, 500, 100, 20, 30);  // line 2, right
  AddBox(*page, 100, 300, 20, 30);  // line 1, left
  AddBox(*page, 300, 290, 20, 45);  // line 1, tall capital
  AddBox(*page, 40, 100, 20, 30);   // line 2, left
  AddBox(*page, 200, 295, 20, 30);  // line 1, middle
  GP<JB2Image> ordered = djvu::ReadingOrderPass(*page);
  ASSERT_EQ(ordered->get_blit_count(), 5);
  const int expected[] = {100, 200, 300, 40, 500};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(ordered->get_blit(i)->left, expected[i]) << i;
  EXPECT_EQ(ordered->get_shape_count(), page->get_shape_count());
  EXPECT_EQ(InkCount(*ordered), InkCount(*page));
}

TEST(MaskCleanTest, TallMarkDoesNotSwallowTheNextLine) {
  // A vertical bar spanning two lines takes only what reaches above the
  // median bottom of its group.
  GP<JB2Image> page = Page(1000, 400);
  AddBox(*page, 10, 100, 10, 250);  // bar: top 349
  AddBox(*page, 100, 300, 20, 40);  // line 1
  AddBox(*page, 200, 300, 20, 40);  // line 1
  AddBox(*page, 50, 200, 20, 40);   // line 2
  AddBox(*page, 150, 200, 20, 40);  // line 2
  GP<JB2Image> ordered = djvu::ReadingOrderPass(*page);
  const int expected[] = {10, 100, 200, 50, 150};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(ordered->get_blit(i)->left, expected[i]) << i;
}

// A shape drawn from text rows, top row first ('#' = ink).
void AddPicture(JB2Image& image, int left, int bottom, const std::vector<std::string>& rows) {
  JB2Shape shape;
  shape.parent = -1;
  const int h = static_cast<int>(rows.size());
  const int w = static_cast<int>(rows[0].size());
  shape.bits = GBitmap::create(h, w);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) (*shape.bits)[h - 1 - y][x] = rows[y][x] == '#';
  }
  JB2Blit blit;
  blit.left = static_cast<unsigned short>(left);
  blit.bottom = static_cast<unsigned short>(bottom);
  blit.shapeno = static_cast<unsigned>(image.add_shape(shape));
  image.add_blit(blit);
}

TEST(MaskCleanTest, SmoothingRemovesBumpsAndFillsPinholes) {
  GP<JB2Image> page = Page(100, 100);
  AddPicture(*page, 10, 20,
             {
                 "....#...",  // a bump on the top edge: cropped away
                 "######..",
                 "######..",
                 "###.####",  // a pinhole, and a one-pixel spur to the right
                 "######..",
                 "######..",
             });
  AddPicture(*page, 50, 50, {"#"});  // a lone pixel: nothing left
  GP<JB2Image> smooth = djvu::SmoothingPass(*page);
  ASSERT_EQ(smooth->get_blit_count(), 1);
  const JB2Blit& blit = *smooth->get_blit(0);
  EXPECT_EQ(blit.left, 10);
  EXPECT_EQ(blit.bottom, 20);
  const GBitmap& bits = *smooth->get_shape(blit.shapeno).bits;
  ASSERT_EQ(bits.rows(), 5u);
  ASSERT_EQ(bits.columns(), 7u);  // the spur's second pixel stays: it has two side neighbours
  EXPECT_EQ(InkCount(*smooth), 30 + 1);
  EXPECT_TRUE(bits[2][3]);  // the pinhole
}

TEST(MaskCleanTest, OnlyLossyCleaningSmooths) {
  GP<JB2Image> page = Page(100, 100);
  AddPicture(*page, 10, 20, {"#####.", "######", "#####."});
  EXPECT_EQ(InkCount(*djvu::CleanMask(*page, djvu::kCleanLossless)), 16);
  EXPECT_EQ(InkCount(*djvu::CleanMask(*page, djvu::kCleanNormal)), 15);
}

TEST(MaskCleanTest, IdenticalShapesAreShared) {
  GP<JB2Image> page = Page(200, 100);
  AddPicture(*page, 10, 10, {"##", "#."});
  AddPicture(*page, 40, 10, {"##", ".#"});
  AddPicture(*page, 70, 10, {"##", "#."});
  GP<JB2Image> shared = djvu::SharingPass(*page);
  EXPECT_EQ(shared->get_shape_count(), 2);
  ASSERT_EQ(shared->get_blit_count(), 3);
  EXPECT_EQ(shared->get_blit(0)->shapeno, shared->get_blit(2)->shapeno);
  EXPECT_NE(shared->get_blit(0)->shapeno, shared->get_blit(1)->shapeno);
  EXPECT_EQ(shared->get_blit(2)->left, 70);
  // Cleaning always ends with the sharing pass.
  EXPECT_EQ(djvu::CleanMask(*page, djvu::kCleanLossless)->get_shape_count(), 2);
}

TEST(Iw44ScheduleTest, SlicesFollowQualityAndSubsampling) {
  auto slices = [](unsigned quality, int k) {
    const djvu::Iw44Schedule s = djvu::MakeIw44Schedule(quality, k);
    return std::vector<int>{s.chunks[0].slices, s.chunks[1].slices, s.chunks[2].slices,
                            s.chunks[3].slices};
  };
  EXPECT_EQ(slices(100, 3), (std::vector<int>{76, 97, 105, 122}));
  EXPECT_EQ(slices(80, 3), (std::vector<int>{74, 87, 92, 102}));
  EXPECT_EQ(slices(75, 3), (std::vector<int>{74, 84, 88, 97}));
  EXPECT_EQ(slices(0, 3), slices(75, 3));
  EXPECT_TRUE(djvu::MakeIw44Schedule(0, 3).madeFromDefault);
  EXPECT_EQ(slices(150, 3), slices(100, 3));
  EXPECT_EQ(slices(30, 1), (std::vector<int>{62, 67, 68, 72}));
  EXPECT_EQ(slices(75, 0), slices(75, 1));
  EXPECT_EQ(slices(75, 40)[0], 85 + 2);
  const djvu::Iw44Schedule s = djvu::MakeIw44Schedule(75, 3);
  EXPECT_EQ(s.chunks[0].bytes, 0);
  EXPECT_EQ(s.chunks[3].decibels, 0);
}

}  // namespace
