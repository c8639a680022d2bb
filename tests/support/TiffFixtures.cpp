#include "tests/support/TiffFixtures.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <memory>

namespace leaf::test {

namespace {

struct Closer {
  void operator()(TIFF* t) const { TIFFClose(t); }
};

// Packs the samples of one row (or one plane of a row) most significant bit first.
std::vector<uint8_t> PackRow(const TiffSpec& spec, uint32_t y, int firstSample, int samples) {
  const size_t bits = static_cast<size_t>(spec.width) * samples * spec.bitsPerSample;
  std::vector<uint8_t> row((bits + 7) / 8);
  const uint32_t mask = spec.bitsPerSample >= 32 ? ~0u : (1u << spec.bitsPerSample) - 1;
  size_t bit = 0;
  for (uint32_t x = 0; x < spec.width; ++x) {
    for (int s = firstSample; s < firstSample + samples; ++s) {
      const uint32_t v = spec.sample(x, y, s) & mask;
      if (spec.bitsPerSample == 16) {
        row[bit / 8] = static_cast<uint8_t>(v);  // native (little-endian) order
        row[bit / 8 + 1] = static_cast<uint8_t>(v >> 8);
      } else {
        for (int b = spec.bitsPerSample - 1; b >= 0; --b, ++bit) {
          if ((v >> b) & 1) row[bit / 8] |= static_cast<uint8_t>(0x80 >> (bit % 8));
        }
        continue;
      }
      bit += 16;
    }
  }
  return row;
}

void SetTags(TIFF* t, const TiffSpec& spec) {
  TIFFSetField(t, TIFFTAG_IMAGEWIDTH, spec.width);
  TIFFSetField(t, TIFFTAG_IMAGELENGTH, spec.height);
  TIFFSetField(t, TIFFTAG_COMPRESSION, spec.compression);
  TIFFSetField(t, TIFFTAG_PHOTOMETRIC, spec.photometric);
  if (spec.compression == COMPRESSION_JPEG && spec.photometric == PHOTOMETRIC_YCBCR) {
    TIFFSetField(t, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);  // the rows given are RGB
  }
  if (spec.writeBitsPerSample) TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, spec.bitsPerSample);
  if (spec.writeSamplesPerPixel) TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, spec.samplesPerPixel);
  TIFFSetField(t, TIFFTAG_PLANARCONFIG,
               spec.separatePlanes ? PLANARCONFIG_SEPARATE : PLANARCONFIG_CONTIG);
  if (spec.resolutionUnit) {
    TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, spec.resolutionUnit);
    TIFFSetField(t, TIFFTAG_XRESOLUTION, spec.xResolution);
    TIFFSetField(t, TIFFTAG_YRESOLUTION, spec.yResolution);
  }
  if (spec.inkSet) TIFFSetField(t, TIFFTAG_INKSET, spec.inkSet);
  if (spec.extraSamples) {
    std::vector<uint16_t> kinds(spec.extraSamples, EXTRASAMPLE_ASSOCALPHA);
    TIFFSetField(t, TIFFTAG_EXTRASAMPLES, spec.extraSamples, kinds.data());
  }
  if (!spec.colorMap.empty()) {
    const size_t n = spec.colorMap.size() / 3;
    TIFFSetField(t, TIFFTAG_COLORMAP, spec.colorMap.data(), spec.colorMap.data() + n,
                 spec.colorMap.data() + 2 * n);
  }
  if (spec.tileSize) {
    TIFFSetField(t, TIFFTAG_TILEWIDTH, spec.tileSize);
    TIFFSetField(t, TIFFTAG_TILELENGTH, spec.tileSize);
  } else if (spec.rowsPerStrip) {
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, spec.rowsPerStrip);
  }
}

void WriteTiles(TIFF* t, const TiffSpec& spec) {
  const int samples = spec.samplesPerPixel;
  const size_t pixelBytes = static_cast<size_t>(samples) * spec.bitsPerSample / 8;
  std::vector<uint8_t> tile(static_cast<size_t>(TIFFTileSize(t)));
  for (uint32_t ty = 0; ty < spec.height; ty += spec.tileSize) {
    for (uint32_t tx = 0; tx < spec.width; tx += spec.tileSize) {
      std::fill(tile.begin(), tile.end(), 0);
      for (uint32_t y = ty; y < ty + spec.tileSize && y < spec.height; ++y) {
        const std::vector<uint8_t> row = PackRow(spec, y, 0, samples);
        for (uint32_t x = tx; x < tx + spec.tileSize && x < spec.width; ++x) {
          std::copy_n(row.begin() + x * pixelBytes, pixelBytes,
                      tile.begin() + ((y - ty) * spec.tileSize + (x - tx)) * pixelBytes);
        }
      }
      ASSERT_GE(TIFFWriteTile(t, tile.data(), tx, ty, 0, 0), 0);
    }
  }
}

void WriteRows(TIFF* t, const TiffSpec& spec) {
  const int planes = spec.separatePlanes ? spec.samplesPerPixel : 1;
  const int perPlane = spec.separatePlanes ? 1 : spec.samplesPerPixel;
  for (int plane = 0; plane < planes; ++plane) {
    for (uint32_t y = 0; y < spec.height; ++y) {
      std::vector<uint8_t> row = PackRow(spec, y, plane, perPlane);
      ASSERT_GE(TIFFWriteScanline(t, row.data(), y, static_cast<uint16_t>(plane)), 0);
    }
  }
}

}  // namespace

void WriteTiff(const std::string& path, const std::vector<TiffSpec>& pages) {
  std::unique_ptr<TIFF, Closer> t(TIFFOpen(path.c_str(), "w"));
  ASSERT_TRUE(t) << path;
  for (const TiffSpec& spec : pages) {
    SetTags(t.get(), spec);
    if (!spec.writePixels) {
      const uint8_t raw[16] = {};
      ASSERT_GE(TIFFWriteRawStrip(t.get(), 0, const_cast<uint8_t*>(raw), sizeof raw), 0);
    } else if (spec.tileSize) {
      WriteTiles(t.get(), spec);
    } else {
      WriteRows(t.get(), spec);
    }
    ASSERT_TRUE(TIFFWriteDirectory(t.get()));
  }
}

}  // namespace leaf::test
