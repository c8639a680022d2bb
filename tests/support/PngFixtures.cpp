#include "PngFixtures.h"

#include <gtest/gtest.h>
#include <png.h>

namespace leaf::test {

namespace {

int ChannelsOf(int colorType) {
  switch (colorType) {
    case PNG_COLOR_TYPE_RGB: return 3;
    case PNG_COLOR_TYPE_GRAY_ALPHA: return 2;
    case PNG_COLOR_TYPE_RGB_ALPHA: return 4;
    default: return 1;
  }
}

void Append(png_structp png, png_bytep data, size_t length) {
  auto* bytes = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  bytes->insert(bytes->end(), data, data + length);
}

// One row packed as the file stores it: samples of 1, 2 and 4 bits filled
// from the most significant bit, 16-bit samples big-endian.
std::vector<uint8_t> PackRow(const PngRecipe& recipe, uint32_t y) {
  const int channels = ChannelsOf(recipe.colorType);
  const size_t bits = size_t{recipe.width} * channels * recipe.depth;
  std::vector<uint8_t> row((bits + 7) / 8);
  const uint32_t mask = recipe.depth == 16 ? 0xFFFF : (1u << recipe.depth) - 1;
  size_t at = 0;
  for (uint32_t x = 0; x < recipe.width; ++x) {
    for (int s = 0; s < channels; ++s, at += recipe.depth) {
      const uint32_t value = recipe.sample(x, y, s) & mask;
      if (recipe.depth == 16) {
        row[at / 8] = static_cast<uint8_t>(value >> 8);
        row[at / 8 + 1] = static_cast<uint8_t>(value);
      } else {
        row[at / 8] |= static_cast<uint8_t>(value << (8 - recipe.depth - at % 8));
      }
    }
  }
  return row;
}

bool Write(const PngRecipe& recipe, std::vector<uint8_t>& bytes) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  std::vector<std::vector<uint8_t>> rows;
  for (uint32_t y = 0; y < recipe.height; ++y) rows.push_back(PackRow(recipe, y));
  std::vector<png_bytep> pointers;
  for (auto& row : rows) pointers.push_back(row.data());
  std::vector<png_color> palette;
  for (uint32_t c : recipe.palette) {
    palette.push_back(png_color{static_cast<png_byte>(c >> 16), static_cast<png_byte>(c >> 8),
                                static_cast<png_byte>(c)});
  }
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, &bytes, Append, nullptr);
  png_set_IHDR(png, info, recipe.width, recipe.height, recipe.depth, recipe.colorType,
               recipe.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!palette.empty()) png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
  if (!recipe.transparent.empty()) {
    png_set_tRNS(png, info, recipe.transparent.data(), static_cast<int>(recipe.transparent.size()),
                 nullptr);
  }
  if (recipe.pixelsPerMetre) {
    png_set_pHYs(png, info, recipe.pixelsPerMetre, recipe.pixelsPerMetre, PNG_RESOLUTION_METER);
  }
  png_set_rows(png, info, pointers.data());
  png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

std::vector<uint8_t> MakePngFile(const PngRecipe& recipe) {
  std::vector<uint8_t> bytes;
  EXPECT_TRUE(Write(recipe, bytes)) << "libpng refused the recipe";
  return bytes;
}

}  // namespace leaf::test
