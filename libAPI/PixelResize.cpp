#include "PixelResize.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "PixelImageRef.h"
#include "djvu_error.h"

namespace djvu {

void SplitRow(const unsigned char* in, size_t w, unsigned c, unsigned factor, unsigned char* out) {
  unsigned char split[3];
  for (size_t x = 0; x < w; ++x) {
    const size_t left = x > 0 ? x - 1 : x, right = x + 1 < w ? x + 1 : x;
    for (unsigned k = 0; k < c; ++k) {
      SplitSample(in[x * c + k], in[left * c + k], in[right * c + k], factor, split);
      for (unsigned i = 0; i < factor; ++i) out[(x * factor + i) * c + k] = split[i];
    }
  }
}

size_t NextPassWidth(size_t n, size_t target) { return target > 3 * n ? 3 * n : target; }

namespace {

// Averages groups of k pixels; the last group takes the pixels left over.
size_t BoxAverage(const unsigned char* in, size_t n, unsigned c, size_t k, bool bilevel,
                  unsigned char* out) {
  const size_t groups = n / k;
  for (size_t g = 0; g < groups; ++g) {
    const size_t first = g * k, count = g + 1 == groups ? n - first : k;
    for (unsigned ch = 0; ch < c; ++ch) {
      uint64_t sum = 0;
      for (size_t i = 0; i < count; ++i) sum += in[(first + i) * c + ch];
      const uint64_t mean = sum / count;
      out[g * c + ch] = static_cast<unsigned char>(bilevel ? (mean >= 128 ? 255 : 0) : mean);
    }
  }
  return groups;
}

size_t Upsample(const unsigned char* in, size_t n, unsigned c, size_t u, bool bilevel,
                unsigned char* out) {
  if (u == 1) {
    std::memcpy(out, in, n * c);
  } else if ((u == 2 || u == 3) && !bilevel) {
    SplitRow(in, n, c, static_cast<unsigned>(u), out);
  } else if (u == 2 || u == 3) {
    for (size_t x = 0; x < n; ++x) {
      for (size_t i = 0; i < u; ++i) std::memcpy(out + (x * u + i) * c, in + x * c, c);
    }
  } else {
    DJVU_PIX_THROW("Illegal upsample value");
  }
  return n * u;
}

void Fit(const unsigned char* in, size_t n, unsigned c, size_t m, bool bilevel,
         unsigned char* out) {
  if (n == m) {
    std::memcpy(out, in, n * c);
    return;
  }
  std::memcpy(out, in, c);
  for (size_t i = 1; i < m; ++i) {
    const uint64_t p = static_cast<uint64_t>(i) * (n - 1) * 256 / (m - 1);
    const size_t at = static_cast<size_t>(p >> 8);
    const unsigned f = static_cast<unsigned>(p & 255);
    for (unsigned ch = 0; ch < c; ++ch) {
      const unsigned a = in[at * c + ch];
      if (f == 0) {
        out[i * c + ch] = static_cast<unsigned char>(a);
      } else if (bilevel) {
        out[i * c + ch] = f < 128 ? static_cast<unsigned char>(a) : in[(at + 1) * c + ch];
      } else {
        const unsigned b = in[(at + 1) * c + ch];
        out[i * c + ch] = static_cast<unsigned char>((a * (256 - f) + b * f) / 256);
      }
    }
  }
}

}  // namespace

void ResizeLine(const unsigned char* in, size_t n, unsigned c, size_t m, bool bilevel,
                unsigned char* out, std::vector<unsigned char>& scratch) {
  const size_t k = n / m;
  const size_t u = m > n ? (m + n - 1) / n : 1;
  scratch.resize(std::max(n, n * u) * c);
  size_t length;
  if (k >= 2) {
    length = BoxAverage(in, n, c, k, bilevel, scratch.data());
  } else {
    length = Upsample(in, n, c, u, bilevel, scratch.data());
  }
  Fit(scratch.data(), length, c, m, bilevel, out);
}

void ResizeRowsInPlace(unsigned char* data, size_t rows, size_t n, size_t m, unsigned c,
                       bool bilevel) {
  std::vector<unsigned char> line(n * c), scratch;
  const auto pass = [&](size_t r) {
    std::memcpy(line.data(), data + r * n * c, n * c);
    ResizeLine(line.data(), n, c, m, bilevel, data + r * m * c, scratch);
  };
  // Shrinking rows move towards the front, growing rows towards the back.
  if (m <= n) {
    for (size_t r = 0; r < rows; ++r) pass(r);
  } else {
    for (size_t r = rows; r-- > 0;) pass(r);
  }
}

}  // namespace djvu
