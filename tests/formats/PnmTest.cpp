#include <gtest/gtest.h>

#include "formats/FileHandle.h"
#include "formats/Pnm.h"
#include "image/Messages.h"
#include "tests/support/Fixtures.h"
#include "tests/support/TempDir.h"

namespace leaf {
namespace {

class PnmFileTest : public ::testing::Test {
 protected:
  bool Read(const std::string& bytes) {
    const std::string path = dir_.file("in.pnm");
    test::WriteText(path, bytes);
    return ReadPnm(image_, path);
  }
  int Number(const std::string& bytes, std::string* rest = nullptr) {
    const std::string path = dir_.file("number");
    test::WriteText(path, bytes);
    FileHandle file = OpenForReading(path.c_str());
    const int value = ReadPnmNumber(file.get());
    if (rest) {
      rest->clear();
      for (int c; (c = std::fgetc(file.get())) != EOF;) rest->push_back(static_cast<char>(c));
    }
    return value;
  }

  test::TempDir dir_;
  DibImage image_;
};

TEST_F(PnmFileTest, NumbersSkipSpaceAndCommentsAndConsumeOneTerminator) {
  std::string rest;
  EXPECT_EQ(Number("  \t\n42 rest", &rest), 42);
  EXPECT_EQ(rest, "rest");
  EXPECT_EQ(Number("# comment\n# another\r7\nX", &rest), 7);
  EXPECT_EQ(rest, "X");
  EXPECT_EQ(Number("12# trailing comment\nX", &rest), 12);
  EXPECT_EQ(rest, "X");
  EXPECT_EQ(Number("x12"), 0);
  EXPECT_EQ(Number("# unterminated comment"), 0);
  EXPECT_EQ(Number(""), 0);
  EXPECT_EQ(Number("99999999999999999999 "), Number("999999999999 "));  // saturates
}

TEST_F(PnmFileTest, P4RowsArePackedWithBlackAsOne) {
  // Width 10: two bytes a row in the file, four in the raster.
  std::string file = "P4\n10 2\n";
  file += std::string("\xC0\x40", 2);  // row 0: pixels 0, 1 black; 9 black
  file += std::string("\x00\x00", 2);
  ASSERT_TRUE(Read(file)) << LastMessage();
  const DibRaster& r = image_.raster;
  EXPECT_EQ(r.bitsPerPixel, 1);
  EXPECT_EQ(r.rowStride, 4u);
  EXPECT_EQ(r.rowOrder, kRowOrderBottomUp);
  EXPECT_EQ(r.photometric, kPhotometricMinIsWhite);
  EXPECT_TRUE(r.paletteEntryZeroIsLighter());
  EXPECT_EQ(test::PixelAt(r, 0, 0), 1u);
  EXPECT_EQ(test::PixelAt(r, 1, 0), 1u);
  EXPECT_EQ(test::PixelAt(r, 2, 0), 0u);
  EXPECT_EQ(test::PixelAt(r, 9, 0), 1u);
  EXPECT_EQ(test::PixelAt(r, 9, 1), 0u);
}

TEST_F(PnmFileTest, P5WithCommentsScalesSamplesToFullRange) {
  std::string file = "P5\n# made by hand\n3 2\n15\n";
  file += std::string("\x00\x07\x0F\x01\x02\x03", 6);
  ASSERT_TRUE(Read(file)) << LastMessage();
  const DibRaster& r = image_.raster;
  EXPECT_EQ(r.width, 3);
  EXPECT_EQ(r.height, 2);
  EXPECT_EQ(r.grayFlag, 1);
  EXPECT_EQ(r.photometric, kPhotometricMinIsBlack);
  EXPECT_EQ(test::PixelAt(r, 0, 0), 0u);
  EXPECT_EQ(test::PixelAt(r, 1, 0), 119u);  // 7 * 255 / 15
  EXPECT_EQ(test::PixelAt(r, 2, 0), 255u);
  EXPECT_EQ(test::PixelAt(r, 2, 1), 51u);
  EXPECT_EQ(test::PaletteColor(r, 200), 0xC8C8C8u);
}

// Samples of every maximum value come out as 0..255; above 255 they take two
// bytes, most significant first, as scanners and raw converters write them.
TEST_F(PnmFileTest, SamplesOfAnyMaximumValueReadAsEightBits) {
  struct Case {
    std::string header;
    std::string samples;  // three pixels of P5, or one of P6
    uint32_t expected[3];
    int sourceBits;
  };
  const Case cases[] = {
      {"P5 3 1 1\n", std::string("\x00\x01\x01", 3), {0, 255, 255}, 8},
      {"P5 3 1 100\n", std::string("\x00\x32\x64", 3), {0, 128, 255}, 8},
      {"P5 3 1 255\n", std::string("\x00\x32\xFF", 3), {0, 50, 255}, 8},
      {"P5 3 1 1023\n", std::string("\x00\x00\x02\x00\x03\xFF", 6), {0, 128, 255}, 16},
      {"P5 3 1 65535\n", std::string("\x00\xFF\x80\x00\xFF\xFF", 6), {1, 128, 255}, 16},
      {"P6 1 1 65535\n", std::string("\xFF\xFF\x80\x00\x00\x00", 6), {0xFF8000, 0, 0}, 48},
      {"P6 1 1 3\n", std::string("\x03\x01\x00", 3), {0xFF5500, 0, 0}, 24},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(Read(c.header + c.samples)) << c.header << LastMessage();
    const DibRaster& r = image_.raster;
    const int pixels = r.bitsPerPixel == 24 ? 1 : 3;
    for (int x = 0; x < pixels; ++x) EXPECT_EQ(test::PixelAt(r, x, 0), c.expected[x]) << c.header;
    EXPECT_EQ(r.sourceBitsPerPixel, c.sourceBits) << c.header;
  }
  // A sample above the maximum (a damaged file) reads as white.
  ASSERT_TRUE(Read("P5 1 1 15\n" + std::string("\x30", 1)));
  EXPECT_EQ(test::PixelAt(image_.raster, 0, 0), 255u);
}

TEST_F(PnmFileTest, P6SwapsToBlueGreenRed) {
  std::string file = "P6 2 1 255\n";
  file += std::string("\x10\x20\x30\x40\x50\x60", 6);
  ASSERT_TRUE(Read(file)) << LastMessage();
  const DibRaster& r = image_.raster;
  EXPECT_EQ(r.bitsPerPixel, 24);
  EXPECT_EQ(r.photometric, kPhotometricRgb);
  EXPECT_EQ(r.paletteSize, 0u);
  EXPECT_EQ(test::PixelAt(r, 0, 0), 0x102030u);
  EXPECT_EQ(test::PixelAt(r, 1, 0), 0x405060u);
  EXPECT_EQ(r.topRow(0)[0], 0x30);  // blue first in storage
}

TEST_F(PnmFileTest, RefusesWhatItCannotRead) {
  struct Case {
    std::string bytes;
    const char* message;
  };
  const Case cases[] = {
      {"P2\n2 2\n255\n", "Unsupported PNM format."},
      {"P1\n", "Unsupported PNM format."},
      {"Q5\n2 2\n255\n", "Unknown PNM format."},
      {"P", "Unknown PNM format."},
      {"P5\n2 2\n65536\n", "The PNM header has no valid maximum value."},
      {"P5\n2 2\n65535\n\x01\x02\x03\x04\x05", "Expected a row of 4 bytes, but got 1."},
      {"P5\n0 2\n255\n", "Invalid PNM image size 0 x 2."},
      {"P5\nx 2\n255\n", "Invalid PNM image size 0 x 2."},
      {"P6\n2 2\n0\n", "The PNM header has no valid maximum value."},
      {"P6\n100000000 100000000\n255\n", "Expected a row of 300000000 bytes, but got 0."},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(Read(c.bytes)) << c.bytes;
    EXPECT_NE(std::string(LastMessage()).find(c.message), std::string::npos)
        << c.bytes << ": " << LastMessage();
    EXPECT_TRUE(image_.raster.empty());
  }
  EXPECT_FALSE(ReadPnm(image_, dir_.file("missing.pgm")));
  EXPECT_EQ(std::string(LastMessage()),
            "Cannot open " + dir_.file("missing.pgm") + ": No such file or directory.");
}

TEST_F(PnmFileTest, ShortLastRowReportsTheRowLengthAndTheCount) {
  std::string file = "P6\n4 3\n255\n" + std::string(12 * 3 - 3, '\x7F');
  EXPECT_FALSE(Read(file));
  EXPECT_STREQ(LastMessage(), "Expected a row of 12 bytes, but got 9.");
  EXPECT_TRUE(image_.raster.empty());
}

TEST_F(PnmFileTest, HugeDimensionsInATinyFileFailBeforeAllocating) {
  EXPECT_FALSE(Read("P5\n30000 30000\n255\n" + std::string(100, '\0')));
  EXPECT_STREQ(LastMessage(), "Expected a row of 30000 bytes, but got 100.");
}

}  // namespace
}  // namespace leaf
