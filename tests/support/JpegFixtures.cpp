#include "tests/support/JpegFixtures.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace leaf::test {

void MakeJpegFile(const std::string& path, const JpegSpec& spec) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_TRUE(file) << path;
  jpeg_error_mgr errors;
  jpeg_compress_struct info;
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  jpeg_stdio_dest(&info, file);
  info.image_width = static_cast<JDIMENSION>(spec.width);
  info.image_height = static_cast<JDIMENSION>(spec.height);
  info.input_components = spec.input == JCS_GRAYSCALE ? 1 : spec.input == JCS_CMYK ? 4 : 3;
  info.in_color_space = spec.input;
  jpeg_set_defaults(&info);
  if (spec.file != JCS_UNKNOWN) jpeg_set_colorspace(&info, spec.file);
  info.write_Adobe_marker = spec.adobeMarker;
  jpeg_set_quality(&info, spec.quality, TRUE);
  info.density_unit = static_cast<UINT8>(spec.densityUnit);
  info.X_density = static_cast<UINT16>(spec.xDensity);
  info.Y_density = static_cast<UINT16>(spec.yDensity);
  if (!spec.scans.empty()) {
    info.scan_info = spec.scans.data();
    info.num_scans = static_cast<int>(spec.scans.size());
  }
  jpeg_start_compress(&info, TRUE);
  std::vector<JSAMPLE> row(static_cast<size_t>(spec.width) * info.input_components);
  for (int y = 0; y < spec.height; ++y) {
    for (int x = 0; x < spec.width; ++x) {
      for (int c = 0; c < info.input_components; ++c) {
        row[static_cast<size_t>(x) * info.input_components + c] = spec.sample(x, y, c);
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
