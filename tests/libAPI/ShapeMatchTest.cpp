// Shape matching: packed shapes, the glyph test, refinement parents, glyph
// replacement, speck groups and split pieces. Every lossless pass must leave
// the rendered page exactly as it was.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "ByteStream.h"
#include "GBitmap.h"
#include "JB2Image.h"
#include "libAPI/PackedBitmap.h"
#include "libAPI/ShapeCompare.h"
#include "libAPI/ShapeMatch.h"
#include "libAPI/ShapePieces.h"
#include "libAPI/SharedShapes.h"
#include "libAPI/SpeckGroups.h"

namespace {

using djvu::PackedBitmap;

// A bitmap drawn as text, top row first, '#' for ink.
GP<GBitmap> Drawn(const std::vector<std::string>& rows) {
  const int h = static_cast<int>(rows.size());
  const int w = static_cast<int>(rows.front().size());
  GP<GBitmap> bits = GBitmap::create(h, w);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) (*bits)[h - 1 - y][x] = rows[y][x] == '#' ? 1 : 0;
  }
  return bits;
}

PackedBitmap Packed(const std::vector<std::string>& rows) { return PackedBitmap(*Drawn(rows)); }

GP<JB2Image> Page(int w, int h) {
  GP<JB2Image> page = JB2Image::create();
  page->set_dimension(w, h);
  return page;
}

void Place(JB2Image& page, const GP<GBitmap>& bits, int left, int bottom) {
  JB2Shape shape;
  shape.parent = -1;
  shape.bits = bits;
  shape.userdata = 0;
  JB2Blit blit;
  blit.left = static_cast<unsigned short>(left);
  blit.bottom = static_cast<unsigned short>(bottom);
  blit.shapeno = static_cast<unsigned>(page.add_shape(shape));
  page.add_blit(blit);
}

bool SameRendering(const JB2Image& a, const JB2Image& b) {
  const GP<GBitmap> ra = a.get_bitmap();
  const GP<GBitmap> rb = b.get_bitmap();
  if (ra->rows() != rb->rows() || ra->columns() != rb->columns()) return false;
  for (unsigned y = 0; y < ra->rows(); ++y) {
    for (unsigned x = 0; x < ra->columns(); ++x) {
      if (((*ra)[y][x] != 0) != ((*rb)[y][x] != 0)) return false;
    }
  }
  return true;
}

// A blob like a letter o, w x h, with its outline roughened by the seed.
GP<GBitmap> Blob(int w, int h, unsigned seed, int ring = 3) {
  std::mt19937 random(seed);
  std::bernoulli_distribution flip(0.15);
  GP<GBitmap> bits = GBitmap::create(h, w);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const int edge = std::min({x, y, w - 1 - x, h - 1 - y});
      bool ink = edge < ring;
      if (edge == 0 || edge == ring - 1 || edge == ring) ink = ink != flip(random);
      (*bits)[y][x] = ink ? 1 : 0;
    }
  }
  return bits;
}

// A page of many roughened prints of two glyphs, and specks between them.
GP<JB2Image> NoisyPage(unsigned seed) {
  GP<JB2Image> page = Page(1200, 400);
  std::mt19937 random(seed);
  for (int i = 0; i < 60; ++i) {
    const int x = 20 + (i % 20) * 55;
    const int y = 40 + (i / 20) * 110;
    Place(*page, Blob(i % 2 ? 30 : 24, 36, seed + static_cast<unsigned>(i)), x, y);
    if (i % 3 == 0) Place(*page, Drawn({"##", "#."}), x + 40, y + 50);
    if (i % 3 == 0) Place(*page, Drawn({"#"}), x + 44, y + 52);
  }
  return page;
}

TEST(PackedBitmapTest, FetchesAcrossWordsAndOutsideTheBitmap) {
  PackedBitmap bits(130, 2);
  bits.set(0, 0);
  bits.set(63, 0);
  bits.set(64, 0);
  bits.set(129, 1);
  EXPECT_EQ(bits.Fetch(0, 0), (uint64_t{1} << 63) | 1);
  EXPECT_EQ(bits.Fetch(0, 63), 3u);
  EXPECT_EQ(bits.Fetch(0, -1), uint64_t{1} << 1);
  EXPECT_EQ(bits.Fetch(1, 100), uint64_t{1} << 29);
  EXPECT_EQ(bits.Fetch(1, 130), 0u);
  EXPECT_EQ(bits.Fetch(2, 0), 0u);
  EXPECT_EQ(bits.Fetch(0, -64), 0u);
}

TEST(PackedBitmapTest, CountsInkOutlineAndDifferences) {
  const PackedBitmap block = Packed({"####", "####", "####", "####"});
  EXPECT_EQ(block.ink(), 16);
  EXPECT_EQ(block.OutlinePixels(), 12);
  const PackedBitmap bar = Packed({"####"});
  EXPECT_EQ(djvu::DifferingPixels(block, bar, 0, 0, 100), 12);
  EXPECT_EQ(djvu::DifferingPixels(block, bar, 1, 0, 100), 14);
  EXPECT_EQ(djvu::DifferingPixels(block, bar, 0, 4, 100), 20);
  EXPECT_GT(djvu::DifferingPixels(block, bar, 0, 4, 5), 5);  // stops once past the limit
  const GP<GBitmap> back = Packed({"#..", ".##"}).ToGBitmap();
  EXPECT_EQ((*back)[1][0], 1);
  EXPECT_EQ((*back)[0][2], 1);
  EXPECT_EQ((*back)[0][0], 0);
}

TEST(ShapeCompareTest, RefinementPlacementLaysCentresOnEachOther) {
  const PackedBitmap wide(9, 7);
  const PackedBitmap narrow(6, 4);
  const djvu::Placement p = djvu::RefinementPlacement(wide, narrow, 100);
  EXPECT_EQ(p.dx, 4 - 2);
  EXPECT_EQ(p.dy, 3 - 2);
}

// Prints of one glyph differ along their outlines; different glyphs in
// their strokes.
TEST(ShapeCompareTest, GlyphTestAcceptsMovedOutlinesOnly) {
  const PackedBitmap o = Packed({".######.", "###..###", "##....##", "##....##", "##....##",
                                 "##....##", "###..###", ".######."});
  const PackedBitmap bolder = Packed({".######.", "########", "###..###", "##....##", "##....##",
                                      "###..###", "########", ".######."});
  EXPECT_TRUE(djvu::SameGlyph(o, bolder, 0, 0, 1));
  // The hole closed: no longer an o.
  const PackedBitmap filled = Packed({".######.", "########", "########", "########", "########",
                                      "########", "########", ".######."});
  EXPECT_FALSE(djvu::SameGlyph(o, filled, 0, 0, 1));
  // A gap bridged (rn against m): the ring opened at its top.
  const PackedBitmap open = Packed({"........", "##....##", "##....##", "##....##", "##....##",
                                    "##....##", "###..###", ".######."});
  EXPECT_FALSE(djvu::SameGlyph(o, open, 0, 0, 1));
  // A mark away from the outline (the bar of an e).
  const PackedBitmap barred = Packed({".######.", "###..###", "##....##", "##.####.", "##....##",
                                      "##....##", "###..###", ".######."});
  EXPECT_FALSE(djvu::SameGlyph(o, barred, 0, 0, 1));
}

TEST(ShapeCompareTest, GlyphPlacementWantsSolidShapesOfTheSameSize) {
  std::vector<std::string> solid(10, "##########");
  std::vector<std::string> shifted = solid;
  shifted[1] = "#########.";
  const std::optional<djvu::Placement> same =
      djvu::GlyphPlacement(PackedBitmap(*Drawn(solid)), PackedBitmap(*Drawn(shifted)), 1, 1000);
  ASSERT_TRUE(same);
  EXPECT_EQ(same->differing, 1);
  // Hairline strokes are never replaced, however alike.
  const PackedBitmap line = Packed({"#.........", ".#........", "..#.......", "...#......"});
  EXPECT_FALSE(djvu::GlyphPlacement(line, line, 1, 1000));
  // Nor are shapes of other sizes.
  std::vector<std::string> taller = solid;
  taller.insert(taller.begin(), 3, "##########");
  EXPECT_FALSE(
      djvu::GlyphPlacement(PackedBitmap(*Drawn(solid)), PackedBitmap(*Drawn(taller)), 1, 1000));
}

TEST(ShapeMatchTest, LosslessMatchingKeepsThePageAndLinksLookAlikes) {
  const GP<JB2Image> page = NoisyPage(7);
  const GP<JB2Image> matched = djvu::MatchShapes(*page, {false, 1});
  EXPECT_TRUE(SameRendering(*page, *matched));
  int refined = 0;
  for (int i = 0; i < matched->get_shape_count(); ++i) {
    const int parent = matched->get_shape(i).parent;
    EXPECT_LT(parent, i);
    refined += parent >= 0 ? 1 : 0;
  }
  EXPECT_GT(refined, 40);
  // Shapes come in the order of their first blit.
  int next = 0;
  for (int i = 0; i < matched->get_blit_count(); ++i) {
    const int shapeno = static_cast<int>(matched->get_blit(i)->shapeno);
    EXPECT_LE(shapeno, next);
    if (shapeno == next) ++next;
  }
  // The coder takes the parents, and the page decodes as it was.
  const GP<ByteStream> stream = ByteStream::create();
  matched->encode(stream);
  stream->seek(0);
  const GP<JB2Image> decoded = JB2Image::create();
  decoded->decode(stream);
  EXPECT_TRUE(SameRendering(*page, *decoded));
}

TEST(ShapeMatchTest, LossyMatchingReplacesPrintsOfOneGlyph) {
  const GP<JB2Image> page = Page(600, 200);
  const GP<GBitmap> o = Blob(24, 36, 1, 5);
  GP<GBitmap> other = GBitmap::create();
  other->init(*o);
  (*other)[0][12] = 0;  // an outline pixel less
  Place(*page, o, 10, 10);
  Place(*page, other, 100, 10);
  Place(*page, Blob(36, 36, 3, 5), 200, 10);  // wider: another glyph
  const GP<JB2Image> matched = djvu::SubstituteShapes(*page, 1);
  ASSERT_EQ(matched->get_blit_count(), 3);
  EXPECT_EQ(matched->get_blit(1)->shapeno, matched->get_blit(0)->shapeno);
  EXPECT_EQ(matched->get_blit(1)->left, 100);
  EXPECT_EQ(matched->get_blit(1)->bottom, 10);
  EXPECT_NE(matched->get_blit(2)->shapeno, matched->get_blit(0)->shapeno);
  EXPECT_EQ(matched->get_shape_count(), 2);
}

TEST(SpeckGroupsTest, NeighbouringSpecksBecomeOneShape) {
  const GP<JB2Image> page = NoisyPage(11);
  const GP<JB2Image> grouped = djvu::GroupSpecks(*page);
  EXPECT_TRUE(SameRendering(*page, *grouped));
  EXPECT_EQ(grouped->get_blit_count(), page->get_blit_count() - 20);
  // Groups stay within their size limit.
  const GP<JB2Image> field = Page(400, 400);
  for (int y = 0; y < 300; y += 6) {
    for (int x = 0; x < 300; x += 6) Place(*field, Drawn({"#"}), x, y);
  }
  const GP<JB2Image> groups = djvu::GroupSpecks(*field);
  EXPECT_TRUE(SameRendering(*field, *groups));
  EXPECT_LT(groups->get_blit_count(), 100);
  for (int i = 0; i < groups->get_shape_count(); ++i) {
    EXPECT_LE(groups->get_shape(i).bits->columns(), unsigned{djvu::kSpeckGroupSide});
    EXPECT_LE(groups->get_shape(i).bits->rows(), unsigned{djvu::kSpeckGroupSide});
  }
}

TEST(ShapePiecesTest, AFrameAndTheLetterInsideItComeApart) {
  const GP<JB2Image> page = Page(200, 100);
  std::vector<std::string> framed(20, "#..................#");
  framed.front() = framed.back() = std::string(20, '#');
  for (int y = 5; y < 15; ++y) framed[y] = "#.....########.....#";
  Place(*page, Drawn(framed), 30, 40);
  Place(*page, Drawn({"##", "##"}), 100, 40);
  const GP<JB2Image> split = djvu::SplitIntoPieces(page);
  EXPECT_TRUE(SameRendering(*page, *split));
  EXPECT_EQ(split->get_blit_count(), 3);
  // A page without such shapes is left as it is.
  const GP<JB2Image> plain = Page(50, 50);
  Place(*plain, Drawn({"##", "##"}), 10, 10);
  EXPECT_EQ(djvu::SplitIntoPieces(plain), plain);
}

}  // namespace

namespace shared {

// Pages of blobs: page 0 and 1 share a glyph, page 1 and 2 a print of
// another one that differs in a pixel, page 2 has a glyph of its own.
std::vector<GP<JB2Image>> Pages() {
  const GP<GBitmap> o = Blob(24, 36, 1, 5);
  GP<GBitmap> nearO = GBitmap::create();
  nearO->init(*o);
  (*nearO)[0][12] = 0;
  std::vector<GP<JB2Image>> pages;
  for (int p = 0; p < 3; ++p) pages.push_back(Page(400, 200));
  Place(*pages[0], o, 10, 10);
  Place(*pages[0], Blob(30, 36, 2, 5), 60, 10);
  Place(*pages[1], o, 20, 20);
  Place(*pages[1], o, 120, 20);
  Place(*pages[2], nearO, 30, 30);
  Place(*pages[2], Blob(40, 20, 4, 5), 100, 30);
  return pages;
}

TEST(SharedShapesTest, ShapesOfSeveralPagesGoInTheDictionary) {
  const std::vector<GP<JB2Image>> pages = Pages();
  const djvu::SharedPages shared = djvu::ShareShapes(pages, {0, 0, 0});
  ASSERT_TRUE(shared.dictionary);
  // The glyph of pages 0 and 1; the others stay in their pages.
  ASSERT_EQ(shared.dictionary->get_shape_count(), 1);
  ASSERT_EQ(shared.pages.size(), 3u);
  for (size_t p = 0; p < pages.size(); ++p) {
    const JB2Image& page = *shared.pages[p];
    EXPECT_EQ(page.get_inherited_shape_count(), 1);
    EXPECT_TRUE(SameRendering(*pages[p], page)) << p;
  }
  EXPECT_EQ(shared.pages[0]->get_blit(0)->shapeno, 0u);
  EXPECT_EQ(shared.pages[1]->get_shape_count(), 1);  // the dictionary's only
  // The print a pixel apart is refined from the shared one.
  const JB2Image& third = *shared.pages[2];
  ASSERT_EQ(third.get_shape_count(), 3);
  EXPECT_EQ(third.get_shape(1).parent, 0);
  EXPECT_EQ(third.get_shape(2).parent, -1);
}

TEST(SharedShapesTest, LossyPagesShowTheSharedPrintOfTheSameGlyph) {
  const std::vector<GP<JB2Image>> pages = Pages();
  const djvu::SharedPages shared = djvu::ShareShapes(pages, {1, 1, 1});
  ASSERT_TRUE(shared.dictionary);
  const JB2Blit& replaced = *shared.pages[2]->get_blit(0);
  EXPECT_EQ(replaced.shapeno, 0u);
  EXPECT_EQ(replaced.left, 30);
  EXPECT_EQ(replaced.bottom, 30);
  // A glyph of another size keeps its own shape.
  EXPECT_GE(shared.pages[2]->get_blit(1)->shapeno, 1u);
}

TEST(SharedShapesTest, PagesWithNothingInCommonAreLeftAlone) {
  std::vector<GP<JB2Image>> pages = {Page(100, 100), Page(100, 100)};
  Place(*pages[0], Blob(20, 30, 1), 10, 10);
  Place(*pages[1], Blob(50, 20, 2), 10, 10);
  const djvu::SharedPages shared = djvu::ShareShapes(pages, {0, 0});
  EXPECT_FALSE(shared.dictionary);
  EXPECT_EQ(shared.pages, pages);
}

}  // namespace shared
