#include "tests/support/JpegFixtures.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace leaf::test {

void MakeJpegFile(const std::string& path, const JpegRecipe& recipe) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_TRUE(file) << path;
  jpeg_error_mgr errors;
  jpeg_compress_struct info;
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  jpeg_stdio_dest(&info, file);
  info.image_width = static_cast<JDIMENSION>(recipe.width);
  info.image_height = static_cast<JDIMENSION>(recipe.height);
  info.input_components = recipe.input == JCS_GRAYSCALE ? 1 : recipe.input == JCS_CMYK ? 4 : 3;
  info.in_color_space = recipe.input;
  jpeg_set_defaults(&info);
  if (recipe.file != JCS_UNKNOWN) jpeg_set_colorspace(&info, recipe.file);
  info.write_Adobe_marker = recipe.adobeMarker;
  jpeg_set_quality(&info, recipe.quality, TRUE);
  info.density_unit = static_cast<UINT8>(recipe.densityUnit);
  info.X_density = static_cast<UINT16>(recipe.xDensity);
  info.Y_density = static_cast<UINT16>(recipe.yDensity);
  if (!recipe.scans.empty()) {
    info.scan_info = recipe.scans.data();
    info.num_scans = static_cast<int>(recipe.scans.size());
  }
  jpeg_start_compress(&info, TRUE);
  std::vector<JSAMPLE> row(static_cast<size_t>(recipe.width) * info.input_components);
  for (int y = 0; y < recipe.height; ++y) {
    for (int x = 0; x < recipe.width; ++x) {
      for (int c = 0; c < info.input_components; ++c) {
        row[static_cast<size_t>(x) * info.input_components + c] = recipe.sample(x, y, c);
      }
    }
    JSAMPROW rows[] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::fclose(file);
}

std::vector<jpeg_scan_info> ManyScanScript() {
  std::vector<jpeg_scan_info> scans;
  scans.push_back({1, {0}, 0, 0, 0, 0});
  for (int k = 1; k < 64; ++k) {
    scans.push_back({1, {0}, k, k, 0, 8});
    for (int al = 7; al >= 0; --al) scans.push_back({1, {0}, k, k, al + 1, al});
  }
  return scans;
}

}  // namespace leaf::test
