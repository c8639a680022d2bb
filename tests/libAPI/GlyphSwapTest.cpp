// Lossy coding replaces a shape by an earlier shape of the same glyph. On
// pages of look-alike glyphs (c/e, i/l, 1/l, rn/m, O/0), printed with the
// noise of a scan at 150, 300 and 600 dpi, the glyph test must never take
// two different glyphs for one, and no print may be replaced by a print of
// another glyph.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <map>
#include <string>
#include <vector>

#include "GBitmap.h"
#include "JB2Image.h"
#include "libAPI/PackedBitmap.h"
#include "libAPI/RunImage.h"
#include "libAPI/ShapeCompare.h"
#include "libAPI/ShapeMatch.h"
#include "tests/libAPI/EncodedFile.h"
#include "tests/support/GlyphPages.h"

namespace {

using leaf::test::GlyphPage;
using leaf::test::GlyphPrint;
using leaf::test::GlyphSpec;

// "rn" twice: as set, and set tight so that the feet touch and the pair is
// one shape, the hardest case beside "m".
const std::vector<GlyphSpec> kLookAlikes = {{"c"},  {"e"}, {"i"},        {"l"}, {"1"},
                                            {"rn"}, {"m"}, {"rn", -0.1}, {"O"}, {"0"}};

// The page's components as the encoder finds them, one shape and blit each.
GP<JB2Image> Components(const GlyphPage& page, int dpi) {
  leaf::test::TestMask mask(static_cast<unsigned>(page.width), static_cast<unsigned>(page.height),
                            static_cast<unsigned>(dpi),
                            [&](unsigned x, unsigned y) { return page.at(x, y); });
  djvu::RunImage runs(mask.image, true);
  runs.AnalyzeComponents(8);
  runs.MergeOverlapping(85);
  return runs.MakeJB2Image();
}

// The largest component of every print (the glyph, without the dot of an
// i or specks of noise), with the blit that places it.
std::vector<int> MainBlits(const GlyphPage& page, const JB2Image& components) {
  std::vector<int> main(page.prints.size(), -1);
  std::vector<int> ink(page.prints.size(), 0);
  for (int b = 0; b < components.get_blit_count(); ++b) {
    const JB2Blit& blit = *components.get_blit(b);
    const djvu::PackedBitmap bits(*components.get_shape(static_cast<int>(blit.shapeno)).bits);
    const int x = blit.left + bits.width() / 2;
    const int yTop = page.height - 1 - (blit.bottom + bits.height() / 2);
    for (size_t p = 0; p < page.prints.size(); ++p) {
      const GlyphPrint& print = page.prints[p];
      if (x < print.left || x >= print.right || yTop < print.top || yTop >= print.bottom) continue;
      if (bits.ink() > ink[p]) {
        ink[p] = bits.ink();
        main[p] = b;
      }
    }
  }
  return main;
}

const std::string& Text(const GlyphPrint& print) {
  return kLookAlikes[static_cast<size_t>(print.kind)].text;
}

struct Glyphs {
  GlyphPage page;
  GP<JB2Image> components;
  std::vector<int> main;  // blit of each print's glyph
  const GBitmap& bits(size_t print) const {
    return *components->get_shape(static_cast<int>(components->get_blit(main[print])->shapeno))
                .bits;
  }
};

// A page of look-alikes: the type size and resolution, and whether prints
// are expected to be replaced at all (in thin strokes they never are).
struct Sample {
  int dpi;
  int points;
  bool replaces;
};

std::string Describe(const std::string& family, const Sample& sample) {
  return family + " " + std::to_string(sample.points) + " pt at " + std::to_string(sample.dpi) +
         " dpi";
}

Glyphs Render(const std::string& family, const Sample& sample) {
  Glyphs glyphs;
  glyphs.page = leaf::test::RenderGlyphPage(kLookAlikes, family, sample.points, sample.dpi, 12, 19);
  glyphs.components = Components(glyphs.page, sample.dpi);
  glyphs.main = MainBlits(glyphs.page, *glyphs.components);
  return glyphs;
}

// No two prints of different glyphs pass for the same glyph, where they
// fit best (as the replacement lays them); prints of one glyph often do.
void ExpectGlyphTestSeparates(const std::string& family, const Sample& sample) {
  const Glyphs glyphs = Render(family, sample);
  const int reach = djvu::GlyphReach(static_cast<unsigned>(sample.dpi));
  std::vector<djvu::PackedBitmap> packed;
  for (size_t p = 0; p < glyphs.page.prints.size(); ++p) {
    ASSERT_GE(glyphs.main[p], 0);
    packed.emplace_back(glyphs.bits(p));
  }
  int alike = 0, same = 0;
  for (size_t a = 0; a < packed.size(); ++a) {
    for (size_t b = a + 1; b < packed.size(); ++b) {
      const bool passes = djvu::GlyphPlacement(packed[a], packed[b], reach, INT_MAX).has_value() ||
                          djvu::GlyphPlacement(packed[b], packed[a], reach, INT_MAX).has_value();
      const std::string& ta = Text(glyphs.page.prints[a]);
      const std::string& tb = Text(glyphs.page.prints[b]);
      if (ta == tb) {
        ++alike;
        same += passes ? 1 : 0;
        continue;
      }
      EXPECT_FALSE(passes) << Describe(family, sample) << ": print " << a << " (" << ta
                           << ") passes for print " << b << " (" << tb << ")";
    }
  }
  if (sample.replaces) {
    EXPECT_GT(same, alike / 10) << Describe(family, sample);
  }
}

// Every print whose glyph the replacement changed shows a print of its
// own glyph.
void ExpectReplacementsKeepTheirGlyph(const std::string& family, const Sample& sample) {
  const Glyphs glyphs = Render(family, sample);
  std::map<const GBitmap*, std::string> glyphOf;
  for (size_t p = 0; p < glyphs.page.prints.size(); ++p) {
    glyphOf[&glyphs.bits(p)] = Text(glyphs.page.prints[p]);
  }
  const GP<JB2Image> matched =
      djvu::SubstituteShapes(*glyphs.components, djvu::GlyphReach(sample.dpi));
  ASSERT_EQ(matched->get_blit_count(), glyphs.components->get_blit_count());
  int replaced = 0;
  for (size_t p = 0; p < glyphs.page.prints.size(); ++p) {
    const JB2Blit& blit = *matched->get_blit(glyphs.main[p]);
    const GBitmap* shown = matched->get_shape(static_cast<int>(blit.shapeno)).bits;
    if (shown == &glyphs.bits(p)) continue;
    ++replaced;
    ASSERT_TRUE(glyphOf.count(shown)) << "print " << p << " shows a speck";
    EXPECT_EQ(glyphOf[shown], Text(glyphs.page.prints[p])) << Describe(family, sample);
  }
  if (sample.replaces) {
    EXPECT_GT(replaced, static_cast<int>(glyphs.page.prints.size()) / 8)
        << Describe(family, sample);
  }
}

class GlyphSwapTest : public testing::TestWithParam<Sample> {};

const char* const kFamilies[] = {"DejaVu Serif", "DejaVu Sans", "DejaVu Sans Mono"};

TEST_P(GlyphSwapTest, GlyphTestTellsLookAlikesApart) {
  for (const char* family : kFamilies) ExpectGlyphTestSeparates(family, GetParam());
}

TEST_P(GlyphSwapTest, ReplacedPrintsShowTheirOwnGlyph) {
  for (const char* family : kFamilies) ExpectReplacementsKeepTheirGlyph(family, GetParam());
}

INSTANTIATE_TEST_SUITE_P(Resolutions, GlyphSwapTest,
                         testing::Values(Sample{150, 10, false}, Sample{150, 20, true},
                                         Sample{300, 10, true}, Sample{600, 10, true}),
                         [](const testing::TestParamInfo<Sample>& info) {
                           return std::to_string(info.param.points) + "pt" +
                                  std::to_string(info.param.dpi) + "dpi";
                         });

}  // namespace
