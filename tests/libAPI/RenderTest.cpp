#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "libAPI/djvu_error.h"
#include "libAPI/djvu_render.h"
#include "tests/libAPI/CodecErrorCapture.h"
#include "tests/libAPI/RenderedPages.h"
#include "tests/support/DjvuPages.h"
#include "tests/support/DjvuReference.h"
#include "tests/support/TempDir.h"

namespace {

using leaf::test::ReferenceImage;
using leaf::test::ReferenceMode;
using leaf::test::RenderReference;

using leaf::test::ExpectSamePixels;
using leaf::test::Fixture;
using leaf::test::HalfCoded;
using leaf::test::Options;
using leaf::test::Pixels;
using leaf::test::RenderWhole;
using leaf::test::Sample;
using leaf::test::t_codecMessages;

size_t ReadFromFile(void* context, void* buffer, size_t length) {
  return std::fread(buffer, 1, length, static_cast<std::FILE*>(context));
}

HalfCoded Decode(const std::string& path, bool withReadRoutine = true) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return nullptr;
  HalfCoded page(djvu_decode(withReadRoutine ? ReadFromFile : nullptr, file));
  std::fclose(file);
  return page;
}

class RenderTest : public leaf::test::CodecErrorCapture {
 protected:
  leaf::test::TempDir dir_;
};

TEST_F(RenderTest, HeaderRefusalsNameWhatIsWrong) {
  const std::string djvi = dir_.path() + "/index.djvu";
  leaf::test::WriteBytes(djvi,
                         {'A', 'T', '&', 'T', 'F', 'O', 'R', 'M', 0, 0, 0, 4, 'D', 'J', 'V', 'I'});
  const std::string other = dir_.path() + "/other.djvu";
  leaf::test::WriteBytes(other,
                         {'A', 'T', '&', 'T', 'F', 'O', 'R', 'M', 0, 0, 0, 4, 'A', 'B', 'C', 'D'});
  const std::string notDjvu = dir_.path() + "/text.djvu";
  leaf::test::WriteBytes(notDjvu, std::vector<uint8_t>(40, 'x'));
  const std::string tiny = dir_.path() + "/tiny.djvu";
  leaf::test::WriteBytes(tiny, std::vector<uint8_t>(15, 'A'));
  for (bool routine : {true, false}) {
    t_codecMessages.clear();
    for (const std::string& path : {djvi, other, notDjvu, tiny}) {
      EXPECT_EQ(Decode(path, routine), nullptr) << path;
    }
    EXPECT_EQ(t_codecMessages, (std::vector<std::string>{
                                   "This file holds data shared by the pages of a DjVu "
                                   "document; it has no page to show.",
                                   "This DjVu Files Is Not A Recognized Format.",
                                   "Not a DjVu document.", "Failed to read DjVu file header"}));
    // A bundle gives its first page; a page whose included file cannot be
    // had still shows what it holds itself.
    const HalfCoded first = Decode(Fixture("bundle.djvu"), routine);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->document_pages, 2);
    EXPECT_EQ(first->page_index, 0);
    EXPECT_NE(Decode(Fixture("incl.djvu"), routine), nullptr);
  }
}

TEST_F(RenderTest, WaveletImagesTooLargeForTheCodecAreRefused) {
  // A gray IW44 file claiming 65535 x 65535 pixels: the codec's block count
  // overflows and rendering would crash inside it.
  const std::string path = dir_.path() + "/huge.iw44";
  leaf::test::WriteBytes(
      path, {'A', 'T', '&', 'T', 'F', 'O', 'R', 'M', 0,  0,    0, 22,   'B',  'M',  '4',  '4', 'B',
             'M', '4', '4', 0,   0,   0,   9,   0,   74, 0x81, 2, 0xff, 0xff, 0xff, 0xff, 0,   0});
  EXPECT_EQ(Decode(path), nullptr);
  // The same, in a file that the pages of a document include.
  const std::string book =
      std::string(LEAF_SOURCE_DIR) + "/fuzz/corpus/djvu/oversized-include.djvu";
  leaf::test::Document document(djvu_document_open(book.c_str()));
  ASSERT_NE(document, nullptr);
  EXPECT_EQ(HalfCoded(djvu_document_decode_page(document.get(), 1)), nullptr);
  EXPECT_EQ(t_codecMessages,
            (std::vector<std::string>{
                "IW44 Images Larger Than 65504 x 65504 Pixels Are Not Supported.",
                "Page 2 of 2 (p2.djvu): IW44 Images Larger Than 65504 x 65504 Pixels Are Not "
                "Supported."}));
}

TEST_F(RenderTest, DecodedPagesDescribeThemselves) {
  HalfCoded page = Decode(Fixture("compound.djvu"));
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(page->page_width, 120u);
  EXPECT_EQ(page->page_height, 90u);
  EXPECT_EQ(page->image_width, 120u);
  EXPECT_EQ(page->resolution, 300u);
  EXPECT_FLOAT_EQ(page->gamma, 2.2f);
  EXPECT_GT(page->coded_size, 92u);
  const std::string description = page->description;
  EXPECT_NE(description.find("Sjbz"), std::string::npos) << description;
  EXPECT_NE(description.find("FG44"), std::string::npos) << description;
  EXPECT_EQ(std::count(description.begin(), description.end(), '\n'), 7) << description;

  HalfCoded iw44 = Decode(Fixture("gray.iw44"));
  ASSERT_NE(iw44, nullptr);
  EXPECT_EQ(iw44->page_width, 120u);
  EXPECT_TRUE(t_codecMessages.empty());
}

TEST_F(RenderTest, EveryLayerMatchesTheCodecsOwnRendering) {
  struct Case {
    const char* file;
    int layer;
    ReferenceMode mode;
  };
  const Case cases[] = {
      {"compound.djvu", DJVU_LAYER_COLOR, ReferenceMode::kColor},
      {"compound.djvu", DJVU_LAYER_BACKGROUND, ReferenceMode::kBackground},
      {"compound.djvu", DJVU_LAYER_FOREGROUND, ReferenceMode::kForeground},
      {"photo.djvu", DJVU_LAYER_COLOR, ReferenceMode::kColor},
      {"colour.iw44", DJVU_LAYER_COLOR, ReferenceMode::kColor},
      {"fgbz.djvu", DJVU_LAYER_COLOR, ReferenceMode::kColor},
  };
  for (const Case& c : cases) {
    HalfCoded page = Decode(Fixture(c.file));
    ASSERT_NE(page, nullptr) << c.file;
    for (int s : {1, 2, 3, 5}) {
      SCOPED_TRACE(std::string(c.file) + " layer " + std::to_string(c.layer) + " s " +
                   std::to_string(s));
      Pixels ours = RenderWhole(page.get(), s, c.layer);
      ASSERT_NE(ours, nullptr);
      ASSERT_TRUE(ours->flags & DJVU_BGR);
      ExpectSamePixels(ours.get(), RenderReference(Fixture(c.file), s, c.mode));
    }
  }
  EXPECT_TRUE(t_codecMessages.empty());
}

TEST_F(RenderTest, MasksRenderAsGrayLevels) {
  HalfCoded page = Decode(Fixture("bilevel.djvu"));
  ASSERT_NE(page, nullptr);
  // Full size: the mask is black and white whatever the layer.
  Pixels colour = RenderWhole(page.get(), 1, DJVU_LAYER_COLOR);
  ASSERT_NE(colour, nullptr);
  EXPECT_EQ(colour->flags & (DJVU_GRAY | DJVU_BILEVEL), unsigned{DJVU_GRAY | DJVU_BILEVEL});
  ExpectSamePixels(colour.get(),
                   RenderReference(Fixture("bilevel.djvu"), 1, ReferenceMode::kMask, true));

  // Reduced: layer 0 keeps the gray levels of partly covered pixels, the
  // black-and-white layer keeps only the fully black ones.
  Pixels levels = RenderWhole(page.get(), 2, DJVU_LAYER_COLOR);
  Pixels mask = RenderWhole(page.get(), 2, DJVU_LAYER_MASK);
  ASSERT_NE(levels, nullptr);
  ASSERT_NE(mask, nullptr);
  EXPECT_FALSE(levels->flags & DJVU_BILEVEL);
  EXPECT_TRUE(mask->flags & DJVU_BILEVEL);
  std::set<int> seen;
  for (unsigned i = 0; i < levels->w * levels->h; ++i) {
    const int level = levels->data[i], bw = mask->data[i];
    seen.insert(level);
    EXPECT_EQ(bw, level == 0 ? 0 : 255);
    // Five levels at a reduction of 2: 0, 64, 127, 191, 255.
    EXPECT_EQ(level % 63 == 0 || level == 64 || level == 127 || level == 191 || level == 255, true)
        << level;
  }
  EXPECT_GT(seen.size(), 2u);
}

TEST_F(RenderTest, ReductionsAboveTwelveAreSplit) {
  HalfCoded page = Decode(Fixture("compound.djvu"));
  ASSERT_NE(page, nullptr);
  const djvu_render_options options = Options(DJVU_LAYER_COLOR);
  // 14 = 7 x 2: the codec renders 18 x 13 at 7, then the halves are averaged.
  Pixels reduced(djvu_render(&options, page.get(), 14, 0, 0, 120 / 14, 90 / 14));
  ASSERT_NE(reduced, nullptr);
  EXPECT_EQ(reduced->w, 9u);
  EXPECT_EQ(reduced->h, 7u);
  EXPECT_EQ(reduced->xres, 21u);  // 300 / 14
  Pixels at13(djvu_render(&options, page.get(), 13, 0, 0, 120 / 13, 90 / 13));
  ASSERT_NE(at13, nullptr);
  EXPECT_EQ(at13->w, 10u);
  EXPECT_EQ(djvu_render(&options, page.get(), 0, 0, 0, 5, 5), nullptr);
  EXPECT_EQ(djvu_render(&options, page.get(), 1, 4, 0, 3, 5), nullptr);
  EXPECT_EQ(djvu_render(&options, nullptr, 1, 0, 0, 5, 5), nullptr);
  // One column, one row, one pixel: rectangles too.
  for (const auto& [x1, y1] : {std::pair{3, 5}, std::pair{8, 0}, std::pair{3, 0}}) {
    Pixels thin(djvu_render(&options, page.get(), 1, 3, 0, x1, y1));
    ASSERT_NE(thin, nullptr) << x1 << "," << y1;
    EXPECT_EQ(thin->w, static_cast<unsigned>(x1 - 2));
    EXPECT_EQ(thin->h, static_cast<unsigned>(y1 + 1));
  }
  EXPECT_EQ(t_codecMessages, (std::vector<std::string>{
                                 "Non-posative subsample value", "Invalid rectangle specified.",
                                 "djvu_render: djvu_halfcoded_image is required"}));
}

TEST_F(RenderTest, MissingLayersAreWhiteAndGrayPagesComeBackGray) {
  HalfCoded photo = Decode(Fixture("photo.djvu"));
  ASSERT_NE(photo, nullptr);
  const djvu_render_options foreground = Options(DJVU_LAYER_FOREGROUND);
  Pixels white(djvu_render(&foreground, photo.get(), 1, 10, 20, 29, 24));
  ASSERT_NE(white, nullptr);
  EXPECT_EQ(white->w, 20u);
  EXPECT_EQ(white->h, 5u);
  EXPECT_EQ(white->rowsize, 21u);
  EXPECT_EQ(white->flags & DJVU_GRAY, unsigned{DJVU_GRAY});
  for (unsigned i = 0; i < white->rowsize * white->h; ++i) ASSERT_EQ(white->data[i], 255);

  HalfCoded gray = Decode(Fixture("gray.iw44"));
  ASSERT_NE(gray, nullptr);
  Pixels whole = RenderWhole(gray.get(), 1, DJVU_LAYER_COLOR);
  ASSERT_NE(whole, nullptr);
  EXPECT_TRUE(whole->flags & DJVU_GRAY);
  EXPECT_EQ(whole->pixsize, 1u);
  EXPECT_EQ(whole->rowsize, 120u);
  ExpectSamePixels(whole.get(),
                   RenderReference(Fixture("gray.iw44"), 1, ReferenceMode::kColor, true));
  // Part of the page stays in colour form.
  const djvu_render_options colour = Options(DJVU_LAYER_COLOR);
  Pixels part(djvu_render(&colour, gray.get(), 1, 0, 0, 50, 50));
  ASSERT_NE(part, nullptr);
  EXPECT_TRUE(part->flags & DJVU_BGR);
}

TEST_F(RenderTest, ShallowDisplaysGetDitheredColours) {
  HalfCoded page = Decode(Fixture("photo.djvu"));
  ASSERT_NE(page, nullptr);
  Pixels cube = RenderWhole(page.get(), 1, DJVU_LAYER_COLOR, 8);
  Pixels fifteen = RenderWhole(page.get(), 1, DJVU_LAYER_COLOR, 16);
  Pixels full = RenderWhole(page.get(), 1, DJVU_LAYER_COLOR, 24);
  ASSERT_TRUE(cube && fifteen && full);
  std::set<int> cubeValues, fifteenValues, fullValues;
  for (unsigned i = 0; i < cube->w * cube->h * 3; ++i) {
    cubeValues.insert(cube->data[i]);
    fifteenValues.insert(fifteen->data[i]);
    fullValues.insert(full->data[i]);
  }
  EXPECT_LE(cubeValues.size(), 6u);
  for (int v : cubeValues) EXPECT_EQ(v % 51, 0) << v;
  EXPECT_LE(fifteenValues.size(), 33u);  // 32 levels and full white
  EXPECT_GT(fullValues.size(), 32u);
}

TEST_F(RenderTest, ScaledRenderingPicksAWholeReduction) {
  HalfCoded page = Decode(Fixture("compound.djvu"));
  ASSERT_NE(page, nullptr);
  const djvu_render_options options = Options(DJVU_LAYER_COLOR);
  Pixels third(djvu_render_scaled(&options, page.get(), 0, 0, 119, 89, 0, 40, 30));
  ASSERT_NE(third, nullptr);
  EXPECT_EQ(third->w, 40u);
  EXPECT_EQ(third->h, 30u);
  EXPECT_EQ(third->xres, 100u);
  ExpectSamePixels(third.get(),
                   RenderReference(Fixture("compound.djvu"), 3, ReferenceMode::kColor));
  // Not a whole reduction: rendered at full size and fitted.
  Pixels odd(djvu_render_scaled(&options, page.get(), 0, 0, 119, 89, 90, 70, 50));
  ASSERT_NE(odd, nullptr);
  EXPECT_EQ(odd->w, 70u);
  EXPECT_EQ(odd->h, 50u);
  EXPECT_EQ(djvu_render_scaled(&options, page.get(), 0, 0, 119, 89, 0, 0, 10), nullptr);
  EXPECT_TRUE(t_codecMessages.empty());
}

TEST_F(RenderTest, OptionRecordsAreTakenForTheirOwnSize) {
  HalfCoded page = Decode(Fixture("photo.djvu"));
  ASSERT_NE(page, nullptr);
  // Size 8 takes only the gamma: the layer (background) and depth are ignored.
  djvu_render_options shortRecord{8, 1.0f, 8, 0, DJVU_LAYER_FOREGROUND, 0};
  djvu_render_options gammaOnly = Options(DJVU_LAYER_COLOR);
  gammaOnly.gamma = 1.0f;
  Pixels a(djvu_render(&shortRecord, page.get(), 2, 0, 0, 30, 30));
  Pixels b(djvu_render(&gammaOnly, page.get(), 2, 0, 0, 30, 30));
  ASSERT_TRUE(a && b);
  EXPECT_EQ(std::memcmp(a->data, b->data, a->rowsize * a->h), 0);
  Pixels c(djvu_render(nullptr, page.get(), 2, 0, 0, 30, 30));
  ASSERT_TRUE(c);
  EXPECT_NE(std::memcmp(a->data, c->data, a->rowsize * a->h), 0);

  djvu_render_options* fresh = djvu_render_options_default(nullptr, 0);
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(fresh->size, 24u);
  EXPECT_FLOAT_EQ(fresh->gamma, 2.2f);
  EXPECT_EQ(fresh->depth, 24);
  _djvu_free(fresh);
  unsigned char buffer[24];
  std::memset(buffer, 0xAA, sizeof buffer);
  ASSERT_EQ(djvu_render_options_default(reinterpret_cast<djvu_render_options*>(buffer), 10),
            reinterpret_cast<djvu_render_options*>(buffer));
  unsigned size;
  std::memcpy(&size, buffer, 4);
  EXPECT_EQ(size, 10u);
  EXPECT_EQ(buffer[10], 0xAA);
  EXPECT_EQ(djvu_render_options_default(reinterpret_cast<djvu_render_options*>(buffer), 4),
            nullptr);
}

TEST_F(RenderTest, PagesWithAnInPageDictionaryRender) {
  const std::string path = dir_.path() + "/djbz.djvu";
  leaf::test::WriteBytes(path, leaf::test::MakeSharedDictionaryPage(130, 60, 400));
  HalfCoded page = Decode(path);
  ASSERT_NE(page, nullptr);
  EXPECT_NE(std::string(page->description).find("Djbz"), std::string::npos);
  for (int s : {1, 3}) {
    Pixels mask = RenderWhole(page.get(), s, DJVU_LAYER_COLOR);
    ASSERT_NE(mask, nullptr);
    ExpectSamePixels(mask.get(), RenderReference(path, s, ReferenceMode::kMask, true), 1);
  }
}

TEST_F(RenderTest, CorpusPagesMatchTheCodec) {
  const std::string corpus = LEAF_CORPUS_DIR;
  if (!leaf::test::FileExists(corpus + "/djvu3spec-p5.djvu")) GTEST_SKIP() << "no corpus";
  for (const char* name : {"djvu3spec-p5.djvu", "book-p3.djvu"}) {
    const std::string path = corpus + "/" + name;
    HalfCoded page = Decode(path);
    ASSERT_NE(page, nullptr) << name;
    const bool compound = std::string(name) == "djvu3spec-p5.djvu";
    SCOPED_TRACE(name);
    Pixels ours = RenderWhole(page.get(), 4, DJVU_LAYER_COLOR);
    ASSERT_NE(ours, nullptr);
    ExpectSamePixels(
        ours.get(),
        RenderReference(path, 4, compound ? ReferenceMode::kColor : ReferenceMode::kMask,
                        !compound),
        compound ? 0 : 1);
  }
}

}  // namespace
