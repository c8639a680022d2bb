#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "formats/DjvuReader.h"
#include "formats/DjvuWriter.h"
#include "formats/ImageFiles.h"
#include "image/BitmapInfoHeader.h"
#include "image/Messages.h"
#include "image/RasterChecks.h"
#include "libAPI/djvu_render.h"
#include "tests/support/DjvuPages.h"
#include "tests/support/DjvuReference.h"
#include "tests/support/Fixtures.h"
#include "tests/support/TempDir.h"

namespace leaf {
namespace {

using test::ReferenceImage;
using test::ReferenceMode;

std::string Fixture(const std::string& name) {
  return std::string(LEAF_SOURCE_DIR) + "/tests/data/djvu/" + name;
}

// Every pixel of the raster against the codec's rendering (gray rasters
// against gray references; colour as red, green, blue).
void ExpectRasterMatches(const DibRaster& r, const ReferenceImage& reference, int tolerance = 0) {
  ASSERT_EQ(r.width, reference.width);
  ASSERT_EQ(r.height, reference.height);
  int mismatches = 0;
  for (int y = 0; y < r.height; ++y) {
    for (int x = 0; x < r.width; ++x) {
      const uint32_t pixel = test::PixelAt(r, x, y);
      for (int c = 0; c < reference.channels; ++c) {
        const int ours = r.bitsPerPixel == 8 ? static_cast<int>(pixel)
                                             : static_cast<int>(pixel >> (16 - 8 * c)) & 255;
        if (std::abs(ours - reference.at(x, y, c)) > tolerance && ++mismatches < 5) {
          ADD_FAILURE() << "at " << x << "," << y << ": " << ours << " vs "
                        << int{reference.at(x, y, c)};
        }
      }
    }
  }
  EXPECT_EQ(mismatches, 0);
}

// The part of a reference rendering at reduction s that the raster keeps:
// whole reduced pixels only. A bottom-up page loses its partial top row (and
// references count from the top), every page its partial right column.
ReferenceImage WholeReducedPixels(const ReferenceImage& reference, int width, int height) {
  ReferenceImage cropped;
  cropped.width = width;
  cropped.height = height;
  cropped.channels = reference.channels;
  for (int y = 0; y < height; ++y) {
    const int from = y + (reference.height - height);
    for (int x = 0; x < width; ++x) {
      for (int c = 0; c < reference.channels; ++c) cropped.rows.push_back(reference.at(x, from, c));
    }
  }
  return cropped;
}

class DjvuReaderTest : public ::testing::Test {
 protected:
  test::TempDir dir_;
  DibImage image_;
};

TEST_F(DjvuReaderTest, ProbeSummarisesWhatEachPageHas) {
  struct Case {
    const char* file;
    int flags;
    int kind;
    FileTypeCode type;
  };
  const Case cases[] = {
      {"compound.djvu", 7, kDjvuKindCompound, kFileDjvu},
      {"bilevel.djvu", 1, kDjvuKindBilevel, kFileDjvu},
      {"photo.djvu", 2, kDjvuKindBackground, kFileDjvu},
      {"colour.iw44", 8, kDjvuKindCompound, kFileIw44},
      {"gray.iw44", 16, kDjvuKindBilevel, kFileIw44},
      // Chunks the probe does not know are stepped over; JB2 colours are a foreground.
      {"annotated.djvu", 1, kDjvuKindBilevel, kFileDjvu},
      {"fgbz.djvu", 7, kDjvuKindCompound, kFileDjvu},
      {"maskcolours.djvu", 5, kDjvuKindCompound, kFileDjvu},
  };
  for (const Case& c : cases) {
    DjvuFileInfo info;
    ASSERT_TRUE(ProbeDjvuFile(image_, Fixture(c.file), info)) << c.file << LastMessage();
    EXPECT_EQ(info.chunkFlags, c.flags) << c.file;
    EXPECT_EQ(DjvuHeaderKind(info), c.kind) << c.file;
    EXPECT_EQ(DjvuFileType(info), c.type) << c.file;
  }
  DjvuFileInfo info;
  ASSERT_TRUE(ProbeDjvuFile(image_, Fixture("compound.djvu"), info));
  EXPECT_EQ(DjvuFormName(info.formType), "DJVU");
  EXPECT_EQ(info.width, 120);
  EXPECT_EQ(info.height, 90);
  EXPECT_EQ(info.minorVersion, 24);
  EXPECT_EQ(info.resolution, 300);
  EXPECT_EQ(info.gamma, 22);
  EXPECT_EQ(DjvuHeaderKind(DjvuFileInfo{}), kDjvuKindNone);
}

TEST_F(DjvuReaderTest, ProbeRefusesBrokenStructure) {
  std::vector<uint8_t> bytes = test::ReadBytes(Fixture("bilevel.djvu"));
  const std::string path = dir_.file("page.djvu");
  const auto probe = [&](const std::vector<uint8_t>& content) {
    test::WriteBytes(path, content);
    DjvuFileInfo info;
    EXPECT_FALSE(ProbeDjvuFile(image_, path, info));
    return std::string(LastMessage());
  };
  std::vector<uint8_t> longer = bytes;
  longer.push_back(0);
  EXPECT_EQ(probe(longer), "Error! Stored FORM chunk size is 88, but actual file chunk is 89.\n");
  EXPECT_EQ(probe({'A', 'T', '&', 'T', 'F', 'O', 'R', 'M', 0, 0, 0, 4, 'D', 'J', 'V', 'I'}),
            "Error! Unknown secondary identifier: DJVI\n");
  std::vector<uint8_t> noInfo = bytes;
  std::copy_n("INFX", 4, noInfo.begin() + 16);
  EXPECT_EQ(probe(noInfo), "Error! No INFO chunk in " + path + "!\n");
  std::vector<uint8_t> noForm = bytes;
  noForm[4] = 'X';
  EXPECT_EQ(probe(noForm), "No FORM chunk found!\n");
  EXPECT_EQ(probe({'P', '4', '\n'}),
            "No preamble. " + path + " is not a valid DjVu or IW44 file!\n");
  DjvuFileInfo info;
  EXPECT_FALSE(ProbeDjvuFile(image_, dir_.file("missing.djvu"), info));
  EXPECT_EQ(std::string(LastMessage()),
            "Cannot open " + dir_.file("missing.djvu") + ": No such file or directory.");
}

TEST_F(DjvuReaderTest, LoadKeepsTheDecodedPageSharedWithClones) {
  ASSERT_TRUE(LoadHalfCoded(image_, Fixture("compound.djvu")));
  EXPECT_TRUE(image_.raster.empty());
  EXPECT_EQ(image_.raster.width, 120);
  EXPECT_EQ(image_.raster.height, 90);
  ASSERT_NE(image_.raster.pageLink, nullptr);
  {
    DibImage copy;
    ASSERT_TRUE(copy.Clone(image_));
    EXPECT_EQ(copy.raster.pageLink, image_.raster.pageLink);
    copy.Release(false);
  }
  ASSERT_TRUE(RenderDjvu(image_, kDjvuLayerColor, 24, 0, 2.2));
  EXPECT_EQ(image_.raster.pageLink.use_count(), 1);

  // A failed load says why, names nothing on standard error and leaves no page.
  testing::internal::CaptureStderr();
  test::WriteBytes(dir_.file("damaged.djvu"),
                   {'A', 'T', '&', 'T', 'F', 'O', 'R', 'M', 0, 0, 0, 12,
                    'D', 'J', 'V', 'U', 'I', 'N', 'F', 'O', 0, 0, 0, 99});
  EXPECT_FALSE(LoadHalfCoded(image_, dir_.file("damaged.djvu")));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_STRNE(LastMessage(), "");
  EXPECT_EQ(image_.raster.pageLink, nullptr);
}

TEST_F(DjvuReaderTest, ProbeDescribesEachPageOfADocument) {
  struct Case {
    const char* file;
    int page;
    int flags;
    int rotation;
    int resolution;
  };
  const Case cases[] = {
      {"book.djvu", 0, 1, 0, 300},
      {"book.djvu", 1, 7, 0, 300},
      {"indirect/index.djvu", 2, 2, 0, 150},
      // The INFO chunk's own size, before the page is turned.
      {"rotated.djvu", 1, 7, 1, 300},
      {"rotated.djvu", 2, 2, 2, 150},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.file) + " page " + std::to_string(c.page + 1));
    DjvuFileInfo info;
    ASSERT_TRUE(ProbeDjvuFile(image_, Fixture(c.file), info, c.page)) << LastMessage();
    EXPECT_EQ(DjvuFormName(info.formType), "DJVM");
    EXPECT_EQ(DjvuFileType(info), kFileDjvu);
    EXPECT_EQ(info.pageCount, 3);
    EXPECT_EQ(info.pageIndex, c.page);
    EXPECT_EQ(info.chunkFlags, c.flags);
    EXPECT_EQ(info.rotation, c.rotation);
    EXPECT_EQ(info.resolution, c.resolution);
    EXPECT_EQ(info.width, 120);
    EXPECT_EQ(info.height, 90);
    EXPECT_EQ(info.minorVersion, 24);
    EXPECT_EQ(info.gamma, 22);
  }
  DjvuFileInfo info;
  EXPECT_FALSE(ProbeDjvuFile(image_, Fixture("book.djvu"), info, 3));
  EXPECT_EQ(std::string(LastMessage()),
            "There is no page 4: " + Fixture("book.djvu") + " has 3 pages.");
  EXPECT_FALSE(ProbeDjvuFile(image_, Fixture("compound.djvu"), info, 1));
  EXPECT_EQ(std::string(LastMessage()),
            "There is no page 2: " + Fixture("compound.djvu") + " has 1 page.");
  EXPECT_FALSE(ProbeDjvuFile(image_, Fixture("no-pages.djvu"), info));
  EXPECT_EQ(std::string(LastMessage()), Fixture("no-pages.djvu") + " has no pages.");
  EXPECT_EQ(CountDjvuPages(image_, Fixture("indirect/index.djvu")), 3);
  EXPECT_EQ(CountDjvuPages(image_, Fixture("colour.iw44")), 1);
}

TEST_F(DjvuReaderTest, PagesOfADocumentReadOneByOne) {
  for (const char* file : {"book.djvu", "indirect/index.djvu", "rotated.djvu"}) {
    for (int page = 0; page < 3; ++page) {
      SCOPED_TRACE(std::string(file) + " page " + std::to_string(page + 1));
      ReadOptions options;
      options.page = page;
      options.zoom = -1;
      ASSERT_TRUE(ReadImageFile(image_, Fixture(file), kFileDjvu, options)) << LastMessage();
      EXPECT_EQ(image_.raster.pageCount, 3);
      EXPECT_EQ(image_.raster.pageIndex, page);
      const bool gray = page == 0;
      ExpectRasterMatches(
          image_.raster,
          test::RenderReference(Fixture(file), 2,
                                gray ? ReferenceMode::kMask : ReferenceMode::kColor, gray, page),
          gray ? 1 : 0);
      // Re-rendering keeps the page's place in its document.
      ASSERT_TRUE(RenderDjvu(image_, kDjvuLayerColor, 24, 0, 2.2));
      EXPECT_EQ(image_.raster.pageCount, 3);
      EXPECT_EQ(image_.raster.pageIndex, page);
    }
  }
  EXPECT_EQ(image_.raster.width, 120);  // the last page turned upside down
  EXPECT_EQ(image_.raster.height, 90);

  // A page whose file is missing names itself; the others read.
  const std::string folder = dir_.file("indirect");
  std::filesystem::copy(Fixture("indirect"), folder);
  std::filesystem::remove(folder + "/photo.djvu");
  ReadOptions third;
  third.page = 2;
  EXPECT_FALSE(ReadImageFile(image_, folder + "/index.djvu", kFileDjvu, third));
  EXPECT_EQ(std::string(LastMessage()),
            "Page 3 of 3 (photo.djvu): Failed to open 'photo.djvu': No such file or directory.");
  EXPECT_TRUE(ReadImageFile(image_, folder + "/index.djvu", kFileDjvu));
  EXPECT_FALSE(LoadHalfCoded(image_, Fixture("lying-dirm.djvu"), 2));
  EXPECT_EQ(std::string(LastMessage())
                .rfind("Cannot decode the DjVu file: Page 3 of 3 (photo.djvu): ", 0),
            0u)
      << LastMessage();
}

// The renderer's pixels are held to the codec's own in the coding layer's
// tests; here every kind of page reaches the raster in its form (depth,
// reduction, row order, gray ramp), and one page's pixels show the raster
// holds them the right way up and round.
TEST_F(DjvuReaderTest, EveryKindOfPageReachesTheRaster) {
  struct Case {
    const char* file;
    int zoom;
    int bits;
  };
  for (const Case& c :
       {Case{"compound.djvu", 0, 24}, Case{"compound.djvu", -2, 24}, Case{"photo.djvu", -1, 24},
        Case{"colour.iw44", 0, 24}, Case{"bilevel.djvu", 0, 8}}) {
    SCOPED_TRACE(std::string(c.file) + " zoom " + std::to_string(c.zoom));
    ReadOptions options;
    options.zoom = c.zoom;
    ASSERT_TRUE(ReadImageFile(image_, Fixture(c.file), kFileDjvu, options)) << LastMessage();
    const DibRaster& r = image_.raster;
    EXPECT_TRUE(CheckRaster(image_, r));
    EXPECT_EQ(r.bitsPerPixel, c.bits);
    EXPECT_EQ(r.fullWidth, 120);
    EXPECT_EQ(r.width, 120 / (1 - std::min(c.zoom, 0)));
    EXPECT_EQ(r.rowOrder, kRowOrderBottomUp);
    EXPECT_EQ(r.grayFlag, c.bits == 8 ? 1 : 0);
  }
  // A third of the page, at the page's resolution.
  ReadOptions third;
  third.zoom = -2;
  ASSERT_TRUE(ReadImageFile(image_, Fixture("compound.djvu"), kFileDjvu, third));
  EXPECT_EQ(image_.raster.xResolution, 300);
  ExpectRasterMatches(image_.raster,
                      test::RenderReference(Fixture("compound.djvu"), 3, ReferenceMode::kColor));
}

TEST_F(DjvuReaderTest, LayersRenderThroughTheScaledRenderer) {
  ASSERT_TRUE(LoadHalfCoded(image_, Fixture("compound.djvu")));
  ASSERT_TRUE(RenderDjvu(image_, kDjvuLayerBackground, 24, -1, 2.2));
  ExpectRasterMatches(image_.raster, test::RenderReference(Fixture("compound.djvu"), 2,
                                                           ReferenceMode::kBackground));
  ASSERT_TRUE(RenderDjvu(image_, kDjvuLayerMask, 8, 0, 2.2));
  EXPECT_EQ(image_.raster.bitsPerPixel, 8);
  const ReferenceImage mask =
      test::RenderReference(Fixture("compound.djvu"), 1, ReferenceMode::kMask, true);
  ExpectRasterMatches(image_.raster, mask);
  // The foreground at a reduction beyond the codec's: 13 renders at 13, 24 at 12 then by 2.
  for (int zoom : {-12, -23}) {
    ASSERT_TRUE(RenderDjvu(image_, kDjvuLayerColor, 24, zoom, 2.2)) << LastMessage();
    EXPECT_EQ(image_.raster.width, 120 / (1 - zoom));
    EXPECT_EQ(image_.raster.height, 90 / (1 - zoom));
  }
}

TEST_F(DjvuReaderTest, StripsCoverTallPagesExactly) {
  const std::string path = dir_.file("tall.djvu");
  test::WriteBytes(path, test::MakeSharedDictionaryPage(64, 3301, 300));
  ASSERT_TRUE(LoadHalfCoded(image_, path));
  // Direct: 33 strips of 100 rows and a last strip of rows 3299-3300.
  ASSERT_TRUE(RenderDjvu(image_, kDjvuLayerColor, 24, 0, 2.2)) << LastMessage();
  ExpectRasterMatches(image_.raster, test::RenderReference(path, 1, ReferenceMode::kMask, true));
  for (int zoom : {-1, -2, -4}) {
    SCOPED_TRACE(zoom);
    const int s = 1 - zoom;
    ASSERT_TRUE(RenderDjvu(image_, kDjvuLayerColor, 24, zoom, 2.2)) << LastMessage();
    const ReferenceImage cropped = WholeReducedPixels(
        test::RenderReference(path, s, ReferenceMode::kMask, true), 64 / s, 3301 / s);
    ExpectRasterMatches(image_.raster, cropped, 1);
    // Scaled: the black-and-white layer keeps only fully black pixels.
    ASSERT_TRUE(RenderDjvu(image_, kDjvuLayerMask, 24, zoom, 2.2)) << LastMessage();
    ASSERT_EQ(image_.raster.height, 3301 / s);
    for (int y = 0; y < cropped.height; ++y) {
      for (int x = 0; x < cropped.width; ++x) {
        const int expected = cropped.at(x, y) == 0 ? 0 : 255;
        ASSERT_EQ(static_cast<int>(test::PixelAt(image_.raster, x, y)), expected) << x << "," << y;
      }
    }
  }
}

// Pages one pixel wide or tall, and zooms that leave one row or column,
// render as DjVuLibre renders them, bilevel and compound, through the direct
// (colour) and the scaled (mask, background) renderer.
TEST_F(DjvuReaderTest, ThinPagesAndThinReductionsRender) {
  struct Case {
    int width, height, zoom;
  };
  const Case cases[] = {{1, 40, 0},  {40, 1, 0},  {1, 1, 0},  {64, 5, -2},
                        {5, 64, -2}, {64, 3, -2}, {3, 3, -2}, {130, 250, -99}};
  for (const Case& c : cases) {
    for (const int bits : {1, 24}) {
      const std::string what = std::to_string(c.width) + " x " + std::to_string(c.height) +
                               " at zoom " + std::to_string(c.zoom) + ", " + std::to_string(bits) +
                               " bits";
      test::BmpRecipe recipe;
      recipe.width = c.width;
      recipe.height = c.height;
      recipe.bits = bits;
      recipe.pixel = [bits](int x, int y) {
        const bool ink = (x + 2 * y) % 5 < 2;
        return bits == 1 ? (ink ? 0u : 1u) : (ink ? 0x301020u : 0xF0F0E0u);
      };
      DibImage source;
      test::MakeImage(source, recipe);
      const std::string path = dir_.file("thin.djvu");
      ASSERT_TRUE(SaveDjvu(source, path, kDjvuUpsampleNone, false, djvu_mask_default_options(),
                           djvu_encode_options_default()))
          << what << ": " << LastMessage();
      ASSERT_TRUE(LoadHalfCoded(image_, path)) << what;
      const int s = 1 - c.zoom, width = c.width / s, height = c.height / s;
      const bool gray = bits == 1;
      const ReferenceImage colour = WholeReducedPixels(
          test::RenderReference(path, s, ReferenceMode::kColor, gray), width, height);
      ASSERT_TRUE(RenderDjvu(image_, kDjvuLayerColor, 24, c.zoom, 2.2)) << what << LastMessage();
      ExpectRasterMatches(image_.raster, colour, s == 1 ? 0 : 1);
      const int layer = gray ? kDjvuLayerMask : kDjvuLayerBackground;
      const ReferenceImage scaled = WholeReducedPixels(
          test::RenderReference(path, s, gray ? ReferenceMode::kMask : ReferenceMode::kBackground,
                                gray),
          width, height);
      ASSERT_TRUE(RenderDjvu(image_, layer, 24, c.zoom, 2.2)) << what << LastMessage();
      ASSERT_EQ(image_.raster.width, width) << what;
      ASSERT_EQ(image_.raster.height, height) << what;
      if (s == 1) {
        ExpectRasterMatches(image_.raster, scaled);
      } else if (gray) {
        // Reduced, the black-and-white layer keeps only fully black pixels.
        for (int y = 0; y < height; ++y) {
          for (int x = 0; x < width; ++x) {
            ASSERT_EQ(static_cast<int>(test::PixelAt(image_.raster, x, y)),
                      scaled.at(x, y) == 0 ? 0 : 255)
                << what << " at " << x << "," << y;
          }
        }
      }
    }
  }
}

TEST_F(DjvuReaderTest, TheLastScaledStripStaysOnThePage) {
  // Zoom -29: strips of 10 rows from 300 source rows; 450 rows leave one
  // strip and 5 rows, fewer than the 25 rows the last strip would move back.
  const std::string path = dir_.file("short.djvu");
  test::WriteBytes(path, test::MakeSharedDictionaryPage(64, 450, 300));
  ASSERT_TRUE(LoadHalfCoded(image_, path));
  ASSERT_TRUE(RenderDjvu(image_, kDjvuLayerColor, 24, -29, 2.2)) << LastMessage();
  EXPECT_TRUE(CheckRaster(image_, image_.raster));
  EXPECT_EQ(image_.raster.height, 15);
  // The block before the rows is untouched: the header still says 2 x 15.
  const BitmapInfoHeader header = BitmapInfoHeader::Read(image_.raster.header());
  EXPECT_EQ(header.width, 2);
  EXPECT_EQ(header.height, 15);
  EXPECT_EQ(test::PaletteColor(image_.raster, 255), 0xFFFFFFu);
}

TEST_F(DjvuReaderTest, RenderFailuresAreReported) {
  EXPECT_FALSE(RenderDjvu(image_, kDjvuLayerColor, 24, 0, 2.2));
  EXPECT_STREQ(LastMessage(), "Failed to render sample area.");
  test::WriteBytes(dir_.file("empty.djvu"),
                   {'A', 'T', '&', 'T', 'F', 'O', 'R', 'M', 0, 0, 0, 22, 'D', 'J', 'V', 'U', 'I',
                    'N', 'F', 'O', 0,   0,   0,   10,  0,   9, 0, 9, 24, 0,   100, 0,   22,  1});
  EXPECT_FALSE(ReadImageFile(image_, dir_.file("empty.djvu"), kFileDjvu));
  EXPECT_EQ(std::string(LastMessage()),
            dir_.file("empty.djvu") + " has no mask, background or colour image to show.");
}

}  // namespace
}  // namespace leaf
