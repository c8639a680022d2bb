#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <functional>
#include <vector>

#include "image/BitmapInfoHeader.h"
#include "scanner/PageAssembler.h"

namespace leaf::scan {
namespace {

// One frame's bytes: every line is bytesPerLine long, its samples written by
// the function (sample index within the line, line) at the frame's depth.
std::vector<uint8_t> FrameBytes(const FrameFormat& f, int lines,
                                const std::function<int(int index, int line)>& sample) {
  const int samples = f.pixelsPerLine * (f.kind == FrameKind::Rgb ? 3 : 1);
  std::vector<uint8_t> bytes(static_cast<size_t>(f.bytesPerLine) * lines, 0xEE);
  for (int y = 0; y < lines; ++y) {
    uint8_t* line = bytes.data() + static_cast<size_t>(y) * f.bytesPerLine;
    if (f.depth == 1) std::memset(line, 0, (samples + 7) / 8);
    for (int i = 0; i < samples; ++i) {
      const int v = sample(i, y);
      if (f.depth == 8) {
        line[i] = static_cast<uint8_t>(v);
      } else if (f.depth == 16) {
        const uint16_t word = static_cast<uint16_t>(v);
        std::memcpy(line + 2 * i, &word, 2);
      } else if (v) {
        line[i / 8] |= static_cast<uint8_t>(0x80 >> (i % 8));
      }
    }
  }
  return bytes;
}

bool Feed(PageAssembler& page, const FrameFormat& f, const std::vector<uint8_t>& bytes,
          size_t piece = 0) {
  if (!page.BeginFrame(f)) return false;
  if (piece == 0) piece = bytes.size();
  for (size_t at = 0; at < bytes.size(); at += piece) {
    if (!page.Add(bytes.data() + at, std::min(piece, bytes.size() - at))) return false;
  }
  page.EndFrame();
  return true;
}

std::array<int, 3> Rgb(const DibRaster& r, int x, int y) {
  const uint8_t* p = r.topRow(y) + 3 * x;
  return {p[2], p[1], p[0]};
}

int Bit(const DibRaster& r, int x, int y) { return (r.topRow(y)[x / 8] >> (7 - x % 8)) & 1; }

TEST(PageAssembler, GrayLinesOfEveryDepthBecomeEightBitGray) {
  for (int depth : {8, 16}) {
    SCOPED_TRACE(depth);
    const FrameFormat f{FrameKind::Gray, depth, 5, 5 * depth / 8 + 3, 4, true};
    const auto value = [](int x, int y) { return 40 * y + 7 * x; };
    PageAssembler page;
    ASSERT_TRUE(Feed(page, f, FrameBytes(f, 4, [&](int i, int y) {
                       return depth == 8 ? value(i, y) : value(i, y) << 8 | 0x5A;
                     })));
    DibImage image;
    ASSERT_TRUE(page.Finish(image, 300, 300)) << page.error();
    const DibRaster& r = image.raster;
    EXPECT_EQ(r.width, 5);
    EXPECT_EQ(r.height, 4);
    EXPECT_EQ(r.bitsPerPixel, 8);
    EXPECT_EQ(r.grayFlag, 1);
    EXPECT_EQ(r.sourceBitsPerPixel, depth);
    for (int y = 0; y < 4; ++y) {
      for (int x = 0; x < 5; ++x) EXPECT_EQ(r.topRow(y)[x], value(x, y)) << x << "," << y;
    }
  }
}

TEST(PageAssembler, LineArtKeepsOneBitWithInkAsBlackAndPaddingAsPaper) {
  // 11 pixels: the line's last byte holds 3 pixels and 5 bits of noise.
  const FrameFormat f{FrameKind::Gray, 1, 11, 3, 2, true};
  std::vector<uint8_t> bytes = FrameBytes(f, 2, [](int x, int y) { return (x + y) % 3 == 0; });
  bytes[1] |= 0x1F;  // bits past the width
  bytes[3 + 1] |= 0x1F;
  PageAssembler page;
  ASSERT_TRUE(Feed(page, f, bytes));
  DibImage image;
  ASSERT_TRUE(page.Finish(image, 200, 200));
  const DibRaster& r = image.raster;
  EXPECT_EQ(r.bitsPerPixel, 1);
  EXPECT_TRUE(r.paletteEntryZeroIsLighter());
  const uint8_t* black = r.palette() + kPaletteEntrySize;
  EXPECT_EQ(black[0] + black[1] + black[2], 0);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 11; ++x) EXPECT_EQ(Bit(r, x, y), (x + y) % 3 == 0 ? 1 : 0);
    EXPECT_EQ(r.topRow(y)[1] & 0x1F, 0) << "padding bits are paper";
  }
}

TEST(PageAssembler, ColourFramesOfEveryLayoutGiveTheSamePage) {
  const auto red = [](int x, int) { return 30 * x + 1; };
  const auto green = [](int, int y) { return 50 * y + 2; };
  const auto blue = [](int x, int y) { return 200 - 10 * x - y; };
  const auto channel = [&](int c, int x, int y) {
    return c == 0 ? red(x, y) : c == 1 ? green(x, y) : blue(x, y);
  };
  struct Case {
    const char* name;
    std::vector<FrameKind> frames;  // RGB in one frame, or three passes in this order
    int depth;
  };
  const Case cases[] = {
      {"interleaved, 8 bits", {FrameKind::Rgb}, 8},
      {"interleaved, 16 bits", {FrameKind::Rgb}, 16},
      {"three passes R G B", {FrameKind::Red, FrameKind::Green, FrameKind::Blue}, 8},
      {"three passes B R G", {FrameKind::Blue, FrameKind::Red, FrameKind::Green}, 8},
      {"three passes of 16 bits", {FrameKind::Green, FrameKind::Blue, FrameKind::Red}, 16},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PageAssembler page;
    for (size_t n = 0; n < c.frames.size(); ++n) {
      const FrameKind kind = c.frames[n];
      const int samples = kind == FrameKind::Rgb ? 3 : 1;
      const FrameFormat f{kind, c.depth, 6, 6 * samples * c.depth / 8, 3, n + 1 == c.frames.size()};
      const auto bytes = FrameBytes(f, 3, [&](int i, int y) {
        const int ch = kind == FrameKind::Rgb     ? i % 3
                       : kind == FrameKind::Red   ? 0
                       : kind == FrameKind::Green ? 1
                                                  : 2;
        const int x = kind == FrameKind::Rgb ? i / 3 : i;
        const int v = channel(ch, x, y);
        return c.depth == 8 ? v : v << 8 | 0xFF;
      });
      ASSERT_TRUE(Feed(page, f, bytes, 5)) << page.error();
      EXPECT_EQ(page.complete(), n + 1 == c.frames.size());
    }
    DibImage image;
    ASSERT_TRUE(page.Finish(image, 150, 150)) << page.error();
    ASSERT_EQ(image.raster.bitsPerPixel, 24);
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < 6; ++x) {
        const std::array<int, 3> expected{red(x, y), green(x, y), blue(x, y)};
        EXPECT_EQ(Rgb(image.raster, x, y), expected) << x << "," << y;
      }
    }
  }
}

TEST(PageAssembler, OneBitColourSamplesAreFullOrNone) {
  const FrameFormat f{FrameKind::Rgb, 1, 3, 2, 1, true};
  PageAssembler page;
  // Pixel 0 red, pixel 1 green + blue, pixel 2 white.
  const int bits[9] = {1, 0, 0, 0, 1, 1, 1, 1, 1};
  ASSERT_TRUE(Feed(page, f, FrameBytes(f, 1, [&](int i, int) { return bits[i]; })));
  DibImage image;
  ASSERT_TRUE(page.Finish(image, 100, 100));
  EXPECT_EQ(Rgb(image.raster, 0, 0), (std::array<int, 3>{255, 0, 0}));
  EXPECT_EQ(Rgb(image.raster, 1, 0), (std::array<int, 3>{0, 255, 255}));
  EXPECT_EQ(Rgb(image.raster, 2, 0), (std::array<int, 3>{255, 255, 255}));
}

TEST(PageAssembler, PagesOfUnknownLengthTakeTheLinesThatCame) {
  const FrameFormat f{FrameKind::Gray, 8, 4, 4, -1, true};
  PageAssembler page;
  ASSERT_TRUE(page.BeginFrame(f));
  EXPECT_EQ(page.percent(), -1);
  const auto bytes = FrameBytes(f, 37, [](int x, int y) { return y * 5 + x; });
  for (size_t at = 0; at < bytes.size(); at += 7) {
    ASSERT_TRUE(page.Add(bytes.data() + at, std::min<size_t>(7, bytes.size() - at)));
  }
  DibImage image;
  ASSERT_TRUE(page.Finish(image, 75, 75));
  ASSERT_EQ(image.raster.height, 37);
  EXPECT_EQ(image.raster.topRow(0)[3], 3);
  EXPECT_EQ(image.raster.topRow(36)[2], 36 * 5 + 2);
}

TEST(PageAssembler, APageThatEndsEarlyKeepsItsLinesAndExtraLinesAreDropped) {
  const FrameFormat f{FrameKind::Gray, 8, 3, 3, 10, true};
  for (int sent : {4, 12}) {
    SCOPED_TRACE(sent);
    PageAssembler page;
    ASSERT_TRUE(Feed(page, f, FrameBytes(f, sent, [](int x, int y) { return 10 * y + x; })));
    DibImage image;
    ASSERT_TRUE(page.Finish(image, 300, 300));
    ASSERT_EQ(image.raster.height, std::min(sent, 10));
    EXPECT_EQ(image.raster.topRow(0)[1], 1);
    EXPECT_EQ(image.raster.topRow(3)[2], 32);
  }
}

TEST(PageAssembler, TheResolutionGoesIntoTheFieldsAndTheHeader) {
  const FrameFormat f{FrameKind::Gray, 8, 2, 2, 2, true};
  PageAssembler page;
  ASSERT_TRUE(Feed(page, f, FrameBytes(f, 2, [](int, int) { return 9; })));
  DibImage image;
  ASSERT_TRUE(page.Finish(image, 300, 150));
  EXPECT_EQ(image.raster.xResolution, 300);
  EXPECT_EQ(image.raster.yResolution, 150);
  EXPECT_EQ(image.raster.resolutionUnit, kResolutionUnitInch);
  const BitmapInfoHeader header = BitmapInfoHeader::Read(image.raster.header());
  EXPECT_EQ(header.xPelsPerMeter, 11811);
  EXPECT_EQ(header.yPelsPerMeter, 5906);
}

TEST(PageAssembler, ProgressCountsEveryFrameOfThePage) {
  PageAssembler page;
  const FrameFormat red{FrameKind::Red, 8, 2, 2, 4, false};
  ASSERT_TRUE(page.BeginFrame(red));
  const uint8_t line[2] = {1, 2};
  ASSERT_TRUE(page.Add(line, 2));
  ASSERT_TRUE(page.Add(line, 2));
  EXPECT_EQ(page.percent(), 16);  // 2 of 12 lines
  page.EndFrame();
  EXPECT_EQ(page.percent(), 33);
}

TEST(PageAssembler, FramesThatCannotBeTakenAreRefusedWithAReason) {
  struct Case {
    const char* name;
    std::vector<FrameFormat> frames;
  };
  const Case cases[] = {
      {"4-bit samples", {{FrameKind::Gray, 4, 8, 4, 2, true}}},
      {"lines shorter than the pixels", {{FrameKind::Rgb, 8, 10, 29, 2, true}}},
      {"no lines", {{FrameKind::Gray, 8, 10, 10, 0, true}}},
      {"no pixels", {{FrameKind::Gray, 8, 0, 10, 3, true}}},
      {"an interleaved frame after a channel frame",
       {{FrameKind::Red, 8, 4, 4, 2, false}, {FrameKind::Rgb, 8, 4, 12, 2, true}}},
      {"the same channel twice",
       {{FrameKind::Red, 8, 4, 4, 2, false}, {FrameKind::Red, 8, 4, 4, 2, false}}},
      {"a channel of another size",
       {{FrameKind::Red, 8, 4, 4, 2, false}, {FrameKind::Green, 8, 5, 5, 2, false}}},
      {"a page too large to hold", {{FrameKind::Rgb, 8, 60000, 180000, 60000, true}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PageAssembler page;
    bool taken = true;
    for (const FrameFormat& f : c.frames) {
      taken = page.BeginFrame(f);
      if (!taken) break;
      page.EndFrame();
    }
    EXPECT_FALSE(taken);
    EXPECT_FALSE(page.error().empty());
  }
}

TEST(PageAssembler, APageWithoutDataOrWithoutItsLastFrameIsNotHandedOver) {
  PageAssembler empty;
  ASSERT_TRUE(empty.BeginFrame({FrameKind::Gray, 8, 4, 4, 3, true}));
  DibImage image;
  EXPECT_FALSE(empty.Finish(image, 100, 100));
  EXPECT_NE(empty.error().find("no image data"), std::string::npos);

  PageAssembler twoOfThree;
  const FrameFormat red{FrameKind::Red, 8, 2, 2, 1, false};
  const FrameFormat green{FrameKind::Green, 8, 2, 2, 1, false};
  ASSERT_TRUE(Feed(twoOfThree, red, {1, 2}));
  ASSERT_TRUE(Feed(twoOfThree, green, {1, 2}));
  EXPECT_FALSE(twoOfThree.Finish(image, 100, 100));
  EXPECT_TRUE(image.raster.empty());
}

}  // namespace
}  // namespace leaf::scan
