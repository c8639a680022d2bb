#include "Pnm.h"

#include <climits>
#include <cstring>
#include <memory>
#include <vector>

#include "FileHandle.h"
#include "RasterLayout.h"
#include "image/BitmapInfoHeader.h"

namespace leaf {

namespace {

constexpr int kMagicP1 = 'P' * 256 + '1';
constexpr int kMagicP2 = 'P' * 256 + '2';
constexpr int kMagicP3 = 'P' * 256 + '3';
constexpr int kMagicP4 = 'P' * 256 + '4';
constexpr int kMagicP5 = 'P' * 256 + '5';
constexpr int kMagicP6 = 'P' * 256 + '6';
// Header numbers saturate here; no valid size comes near it.
constexpr int kNumberCeiling = INT_MAX / 10 - 9;

bool IsSpace(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Skips a comment whose "#" was just read. False at end of file or byte 255.
bool SkipComment(std::FILE* file) {
  for (;;) {
    const int c = std::fgetc(file);
    if (c == EOF || c == 255) return false;
    if (c == '\n' || c == '\r') return true;
  }
}

int BitsForMagic(int magic) {
  switch (magic) {
    case kMagicP4: return 1;
    case kMagicP5: return 8;
    case kMagicP6: return 24;
    default: return 0;
  }
}

void FillPalette(uint8_t* palette, int bits) {
  if (bits == 1) {
    std::memset(palette, 255, 3);  // entry 0 white; entry 1 stays black
  } else if (bits == 8) {
    for (int i = 0; i < 256; ++i) std::memset(palette + i * 4, i, 3);
  }
}

void SwapRedAndBlue(uint8_t* row, int width) {
  for (int x = 0; x < width; ++x) std::swap(row[3 * x], row[3 * x + 2]);
}

// The largest maximum value PNM allows; above 255 samples take two bytes,
// most significant first.
constexpr int kLargestMaxValue = 65535;

// Maps the file's samples 0..maxValue to 0..255, rounded; values above the
// maximum (a damaged file) read as 255.
class SampleScale {
 public:
  explicit SampleScale(int maxValue)
      : maxValue_(maxValue),
        sampleBytes_(maxValue > 255 ? 2 : 1),
        table_(sampleBytes_ == 2 ? 0 : 256) {
    for (int v = 0; v < static_cast<int>(table_.size()); ++v) table_[v] = Scale(v);
  }
  // True when the samples are bytes that need no change.
  bool identity() const { return maxValue_ == 255; }
  size_t sampleBytes() const { return sampleBytes_; }
  // Converts n samples read from the file into n bytes (in may equal out
  // for one-byte samples).
  void Convert(const uint8_t* in, uint8_t* out, size_t n) const {
    if (sampleBytes_ == 1) {
      for (size_t i = 0; i < n; ++i) out[i] = table_[in[i]];
    } else {
      for (size_t i = 0; i < n; ++i) out[i] = Scale(in[2 * i] << 8 | in[2 * i + 1]);
    }
  }

 private:
  uint8_t Scale(int v) const {
    return v >= maxValue_ ? 255 : static_cast<uint8_t>((v * 255 + maxValue_ / 2) / maxValue_);
  }
  int maxValue_;
  size_t sampleBytes_;
  std::vector<uint8_t> table_;
};

}  // namespace

int ReadPnmNumber(std::FILE* file) {
  int c = std::fgetc(file);
  for (;;) {
    if (c == '#') {
      if (!SkipComment(file)) return 0;
    } else if (!IsSpace(c)) {
      break;
    }
    c = std::fgetc(file);
  }
  if (c < '0' || c > '9') return 0;
  int value = 0;
  while (c >= '0' && c <= '9') {
    value = value < kNumberCeiling ? value * 10 + (c - '0') : kNumberCeiling;
    c = std::fgetc(file);
    if (c == '#' && !SkipComment(file)) return 0;
  }
  return value;
}

bool ReadPnm(DibImage& image, const std::string& path, bool headerOnly) {
  image.Release(true);
  FileHandle file = OpenInputFile(image, path);
  if (!file) return false;
  const int first = std::fgetc(file.get());
  const int second = std::fgetc(file.get());
  const int magic = (first == EOF || second == EOF) ? 0 : first * 256 + second;
  if (magic == kMagicP1 || magic == kMagicP2 || magic == kMagicP3) {
    return image.Fail("Unsupported PNM format.");
  }
  const int bits = BitsForMagic(magic);
  if (bits == 0) return image.Fail("Unknown PNM format.");

  const int width = ReadPnmNumber(file.get());
  const int height = ReadPnmNumber(file.get());
  int maxValue = 255;
  if (bits != 1) {
    maxValue = ReadPnmNumber(file.get());
    if (maxValue <= 0 || maxValue > kLargestMaxValue) {
      return image.Fail("The PNM header has no valid maximum value.");
    }
  }
  const SampleScale scale(maxValue);
  if (width <= 0 || height <= 0)
    return image.Fail("Invalid PNM image size %d x %d.", width, height);
  // Bytes of a file row: packed bits, or one or two bytes a sample.
  const size_t samples = bits == 1 ? 0 : static_cast<size_t>(width) * (bits / 8);
  const size_t rowBytes =
      bits == 1 ? (static_cast<size_t>(width) + 7) / 8 : samples * scale.sampleBytes();
  // Rows the file cannot supply are reported before anything is allocated.
  const long long remaining = RemainingBytes(file.get());
  if (!headerOnly && remaining >= 0 &&
      static_cast<unsigned long long>(remaining) / rowBytes <
          static_cast<unsigned long long>(height)) {
    return image.Fail("Expected a row of %zu bytes, but got %zu.", rowBytes,
                      static_cast<size_t>(remaining) % rowBytes);
  }
  const size_t paletteSize = bits == 1 ? 8 : bits == 8 ? 1024 : 0;
  RasterLayout layout;
  if (!PlanRaster(image, width, height, bits, paletteSize, layout)) return false;

  PixelBlock block = AllocateRaster(layout, 0, 0, headerOnly);
  if (!block) return image.Fail("Failed to allocate %zu bytes for the image.", layout.total);
  FillPalette(block.data() + kBitmapInfoHeaderSize, bits);

  uint8_t* pixels = block.data() + kBitmapInfoHeaderSize + paletteSize;
  // Two-byte samples are read beside the row and reduced into it.
  std::vector<uint8_t> wide(scale.sampleBytes() == 2 && !headerOnly ? rowBytes : 0);
  for (int y = 0; y < height && !headerOnly; ++y) {
    uint8_t* row = pixels + static_cast<size_t>(height - 1 - y) * layout.rowStride;
    uint8_t* target = wide.empty() ? row : wide.data();
    const size_t got = std::fread(target, 1, rowBytes, file.get());
    if (got != rowBytes)
      return image.Fail("Expected a row of %zu bytes, but got %zu.", rowBytes, got);
    if (bits != 1 && !scale.identity()) scale.Convert(target, row, samples);
    if (bits == 24) SwapRedAndBlue(row, width);
  }

  InstallRaster(image, std::move(block), layout);
  DibRaster& r = image.raster;
  r.sourceBitsPerPixel = bits * static_cast<int>(scale.sampleBytes());
  r.photometric = bits == 1   ? kPhotometricMinIsWhite
                  : bits == 8 ? kPhotometricMinIsBlack
                              : kPhotometricRgb;
  r.grayFlag = bits == 8 && image.IsGrayRamp() ? 1 : 0;
  if (headerOnly) r.block.reset();
  return true;
}

}  // namespace leaf
