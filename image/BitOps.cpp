#include "BitOps.h"

#include <cstring>

namespace leaf {

namespace {

// The eight bits from bit position s of src; lastByte is the last byte that
// may be read.
inline uint8_t FetchByte(const uint8_t* src, size_t s, size_t lastByte) {
  const size_t i = s >> 3;
  const unsigned shift = s & 7;
  if (shift == 0) return src[i];
  unsigned value = static_cast<unsigned>(src[i]) << shift;
  if (i + 1 <= lastByte) value |= src[i + 1] >> (8 - shift);
  return static_cast<uint8_t>(value);
}

}  // namespace

void UnpackBits(const uint8_t* row, uint8_t* out, size_t width, uint8_t zero, uint8_t one) {
  // Bytes of 0 or 1 times (zero ^ one) never carry into each other.
  const uint64_t flip = zero ^ one;
  const uint64_t base = zero * 0x0101010101010101ULL;
  const size_t whole = width / 8;
  for (size_t k = 0; k < whole; ++k) {
    const uint64_t bytes = base ^ (kBitsAsBytes[row[k]] * flip);
    std::memcpy(out + 8 * k, &bytes, 8);
  }
  for (size_t x = whole * 8; x < width; ++x) out[x] = GetBit(row, x) ? one : zero;
}

void CopyBits(uint8_t* dst, size_t dstBit, const uint8_t* src, size_t srcBit, size_t count) {
  if (count == 0) return;
  const size_t lastSrcByte = (srcBit + count - 1) >> 3;
  while (count > 0 && (dstBit & 7) != 0) {
    SetBit(dst, dstBit++, GetBit(src, srcBit++));
    --count;
  }
  if ((srcBit & 7) == 0) {
    const size_t bytes = count >> 3;
    for (size_t k = 0; k < bytes; ++k) dst[(dstBit >> 3) + k] = src[(srcBit >> 3) + k];
    dstBit += bytes * 8;
    srcBit += bytes * 8;
    count -= bytes * 8;
  } else {
    while (count >= 8) {
      dst[dstBit >> 3] = FetchByte(src, srcBit, lastSrcByte);
      dstBit += 8;
      srcBit += 8;
      count -= 8;
    }
  }
  while (count > 0) {
    SetBit(dst, dstBit++, GetBit(src, srcBit++));
    --count;
  }
}

}  // namespace leaf
