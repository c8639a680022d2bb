#include "tests/support/TiffFixtures.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <algorithm>
#include <memory>

namespace leaf::test {

namespace {

struct Closer {
  void operator()(TIFF* t) const { TIFFClose(t); }
};

// Packs the samples of one row (or one plane of a row) most significant bit first.
std::vector<uint8_t> PackRow(const TiffRecipe& recipe, uint32_t y, int firstSample, int samples) {
  const size_t bits = static_cast<size_t>(recipe.width) * samples * recipe.bitsPerSample;
  std::vector<uint8_t> row((bits + 7) / 8);
  const uint32_t mask = recipe.bitsPerSample >= 32 ? ~0u : (1u << recipe.bitsPerSample) - 1;
  size_t bit = 0;
  for (uint32_t x = 0; x < recipe.width; ++x) {
    for (int s = firstSample; s < firstSample + samples; ++s) {
      const uint32_t v = recipe.sample(x, y, s) & mask;
      if (recipe.bitsPerSample == 16) {
        row[bit / 8] = static_cast<uint8_t>(v);  // native (little-endian) order
        row[bit / 8 + 1] = static_cast<uint8_t>(v >> 8);
      } else {
        for (int b = recipe.bitsPerSample - 1; b >= 0; --b, ++bit) {
          if ((v >> b) & 1) row[bit / 8] |= static_cast<uint8_t>(0x80 >> (bit % 8));
        }
        continue;
      }
      bit += 16;
    }
  }
  return row;
}

void SetTags(TIFF* t, const TiffRecipe& recipe) {
  TIFFSetField(t, TIFFTAG_IMAGEWIDTH, recipe.width);
  TIFFSetField(t, TIFFTAG_IMAGELENGTH, recipe.height);
  TIFFSetField(t, TIFFTAG_COMPRESSION, recipe.compression);
  TIFFSetField(t, TIFFTAG_PHOTOMETRIC, recipe.photometric);
  if (recipe.compression == COMPRESSION_JPEG && recipe.photometric == PHOTOMETRIC_YCBCR) {
    TIFFSetField(t, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);  // the rows given are RGB
  }
  if (recipe.writeBitsPerSample) TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, recipe.bitsPerSample);
  if (recipe.writeSamplesPerPixel) TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, recipe.samplesPerPixel);
  TIFFSetField(t, TIFFTAG_PLANARCONFIG,
               recipe.separatePlanes ? PLANARCONFIG_SEPARATE : PLANARCONFIG_CONTIG);
  if (recipe.resolutionUnit) {
    if (recipe.writeResolutionUnit) TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, recipe.resolutionUnit);
    TIFFSetField(t, TIFFTAG_XRESOLUTION, recipe.xResolution);
    TIFFSetField(t, TIFFTAG_YRESOLUTION, recipe.yResolution);
  }
  if (recipe.inkSet) TIFFSetField(t, TIFFTAG_INKSET, recipe.inkSet);
  if (recipe.extraSamples) {
    std::vector<uint16_t> kinds(recipe.extraSamples, EXTRASAMPLE_ASSOCALPHA);
    TIFFSetField(t, TIFFTAG_EXTRASAMPLES, recipe.extraSamples, kinds.data());
  }
  if (!recipe.colorMap.empty()) {
    const size_t n = recipe.colorMap.size() / 3;
    TIFFSetField(t, TIFFTAG_COLORMAP, recipe.colorMap.data(), recipe.colorMap.data() + n,
                 recipe.colorMap.data() + 2 * n);
  }
  if (recipe.tileSize) {
    TIFFSetField(t, TIFFTAG_TILEWIDTH, recipe.tileSize);
    TIFFSetField(t, TIFFTAG_TILELENGTH, recipe.tileSize);
  } else if (recipe.rowsPerStrip) {
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, recipe.rowsPerStrip);
  }
}

void CopyBits(const uint8_t* from, size_t fromBit, uint8_t* to, size_t toBit, size_t count) {
  for (size_t i = 0; i < count; ++i, ++fromBit, ++toBit) {
    if (from[fromBit / 8] & (0x80 >> (fromBit % 8))) to[toBit / 8] |= 0x80 >> (toBit % 8);
  }
}

void WriteTiles(TIFF* t, const TiffRecipe& recipe) {
  const int samples = recipe.samplesPerPixel;
  const size_t pixelBits = static_cast<size_t>(samples) * recipe.bitsPerSample;
  const size_t tileRowBytes = static_cast<size_t>(TIFFTileRowSize(t));
  std::vector<uint8_t> tile(static_cast<size_t>(TIFFTileSize(t)));
  for (uint32_t ty = 0; ty < recipe.height; ty += recipe.tileSize) {
    for (uint32_t tx = 0; tx < recipe.width; tx += recipe.tileSize) {
      std::fill(tile.begin(), tile.end(), 0);
      for (uint32_t y = ty; y < ty + recipe.tileSize && y < recipe.height; ++y) {
        const std::vector<uint8_t> row = PackRow(recipe, y, 0, samples);
        const uint32_t columns = std::min(recipe.tileSize, recipe.width - tx);
        CopyBits(row.data(), tx * pixelBits, tile.data() + (y - ty) * tileRowBytes, 0,
                 columns * pixelBits);
      }
      ASSERT_GE(TIFFWriteTile(t, tile.data(), tx, ty, 0, 0), 0);
    }
  }
}

void WriteRows(TIFF* t, const TiffRecipe& recipe) {
  const int planes = recipe.separatePlanes ? recipe.samplesPerPixel : 1;
  const int perPlane = recipe.separatePlanes ? 1 : recipe.samplesPerPixel;
  for (int plane = 0; plane < planes; ++plane) {
    for (uint32_t y = 0; y < recipe.height; ++y) {
      std::vector<uint8_t> row = PackRow(recipe, y, plane, perPlane);
      ASSERT_GE(TIFFWriteScanline(t, row.data(), y, static_cast<uint16_t>(plane)), 0);
    }
  }
}

}  // namespace

void WriteTiff(const std::string& path, const std::vector<TiffRecipe>& pages) {
  std::unique_ptr<TIFF, Closer> t(TIFFOpen(path.c_str(), "w"));
  ASSERT_TRUE(t) << path;
  for (const TiffRecipe& recipe : pages) {
    SetTags(t.get(), recipe);
    if (!recipe.writePixels) {
      const uint8_t raw[16] = {};
      ASSERT_GE(TIFFWriteRawStrip(t.get(), 0, const_cast<uint8_t*>(raw), sizeof raw), 0);
    } else if (recipe.tileSize) {
      WriteTiles(t.get(), recipe);
    } else {
      WriteRows(t.get(), recipe);
    }
    ASSERT_TRUE(TIFFWriteDirectory(t.get()));
  }
}

}  // namespace leaf::test
