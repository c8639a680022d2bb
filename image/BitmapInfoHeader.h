// The 40-byte device-independent bitmap header at the start of every pixel block.
#pragma once

#include <cstddef>
#include <cstdint>

namespace leaf {

inline constexpr size_t kBitmapInfoHeaderSize = 40;

struct BitmapInfoHeader {
  uint32_t size = kBitmapInfoHeaderSize;
  int32_t width = 0;
  int32_t height = 0;  // negative when rows are stored top-down
  uint16_t planes = 1;
  uint16_t bitCount = 0;
  uint32_t compression = 0;
  uint32_t sizeImage = 0;
  int32_t xPelsPerMeter = 0;
  int32_t yPelsPerMeter = 0;
  uint32_t clrUsed = 0;
  uint32_t clrImportant = 0;

  // Reads the first 40 bytes at p.
  static BitmapInfoHeader Read(const uint8_t* p);
  // Writes exactly 40 bytes at p.
  void Write(uint8_t* p) const;
};

// Compression codes of the header.
inline constexpr uint32_t kBiRgb = 0;
inline constexpr uint32_t kBiRle8 = 1;
inline constexpr uint32_t kBiRle4 = 2;
inline constexpr uint32_t kBiBitfields = 3;

}  // namespace leaf
