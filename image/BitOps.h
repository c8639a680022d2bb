// Bit-level helpers for 1-bit rows: the leftmost pixel of a byte is its most
// significant bit.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace leaf {

// Each byte with its bits in reverse order.
inline constexpr std::array<uint8_t, 256> kReversedBits = [] {
  std::array<uint8_t, 256> table{};
  for (int i = 0; i < 256; ++i) {
    int reversed = 0;
    for (int bit = 0; bit < 8; ++bit) {
      if (i & (1 << bit)) reversed |= 0x80 >> bit;
    }
    table[i] = static_cast<uint8_t>(reversed);
  }
  return table;
}();

// Each byte's eight bits as eight bytes of 0 or 1, the leftmost pixel first
// in memory.
inline constexpr std::array<uint64_t, 256> kBitsAsBytes = [] {
  std::array<uint64_t, 256> table{};
  for (int i = 0; i < 256; ++i) {
    uint64_t bytes = 0;
    for (int bit = 0; bit < 8; ++bit) {
      if (i & (0x80 >> bit)) bytes |= uint64_t{1} << (8 * bit);
    }
    table[i] = bytes;
  }
  return table;
}();

inline bool GetBit(const uint8_t* row, size_t x) { return (row[x >> 3] >> (7 - (x & 7))) & 1; }

inline void SetBit(uint8_t* row, size_t x, bool value) {
  const uint8_t mask = static_cast<uint8_t>(0x80 >> (x & 7));
  if (value) {
    row[x >> 3] |= mask;
  } else {
    row[x >> 3] &= static_cast<uint8_t>(~mask);
  }
}

inline uint8_t GetNibble(const uint8_t* row, size_t x) {
  return (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4);
}

inline void SetNibble(uint8_t* row, size_t x, uint8_t value) {
  uint8_t& byte = row[x >> 1];
  if (x & 1) {
    byte = static_cast<uint8_t>((byte & 0xF0) | (value & 0x0F));
  } else {
    byte = static_cast<uint8_t>((byte & 0x0F) | (value << 4));
  }
}

// Writes the first `width` pixels of a 1-bit row as bytes: `zero` for each
// clear bit, `one` for each set bit.
void UnpackBits(const uint8_t* row, uint8_t* out, size_t width, uint8_t zero, uint8_t one);

// Copies count bits from bit srcBit of src to bit dstBit of dst, leaving the
// other bits of dst as they were. Reads only the bytes that hold the source
// bits and writes only the bytes that hold the destination bits.
void CopyBits(uint8_t* dst, size_t dstBit, const uint8_t* src, size_t srcBit, size_t count);

// Transposes an 8x8 bit matrix: byte r (the most significant byte is r = 0)
// is row r, bit 7 - c of a row is column c.
inline uint64_t TransposeBits8x8(uint64_t x) {
  uint64_t t = (x ^ (x >> 7)) & 0x00AA00AA00AA00AAULL;
  x = x ^ t ^ (t << 7);
  t = (x ^ (x >> 14)) & 0x0000CCCC0000CCCCULL;
  x = x ^ t ^ (t << 14);
  t = (x ^ (x >> 28)) & 0x00000000F0F0F0F0ULL;
  return x ^ t ^ (t << 28);
}

}  // namespace leaf
