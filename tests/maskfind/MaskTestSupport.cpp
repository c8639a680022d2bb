#include "MaskTestSupport.h"

#include <algorithm>
#include <array>

namespace maskfind::test {

namespace {
std::vector<std::string> g_messages;
void Collect(const char* message, const char*, int) { g_messages.push_back(message); }
}  // namespace

ErrorCollector::ErrorCollector() {
  g_messages.clear();
  djvu_mask_set_error_hook(Collect);
}
ErrorCollector::~ErrorCollector() { djvu_mask_set_error_hook(nullptr); }
const std::vector<std::string>& ErrorCollector::messages() const { return g_messages; }
bool ErrorCollector::saw(const std::string& message) const {
  return std::find(g_messages.begin(), g_messages.end(), message) != g_messages.end();
}

work_image MakeWorkImage(int w, int h, const std::function<int(int x, int y)>& value) {
  work_image image = make_work_image(w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) image.row(y)[x] = static_cast<uint8_t>(value(x, y));
  }
  return image;
}

PlainImage MakeGrayImage(int w, int h, const std::function<int(int x, int y)>& value) {
  PlainImage plain;
  plain.bytes.resize(static_cast<size_t>(w) * h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x)
      plain.bytes[static_cast<size_t>(y) * w + x] = static_cast<uint8_t>(value(x, y));
  }
  plain.image.flags = DJVU_GRAY;
  plain.image.w = static_cast<unsigned>(w);
  plain.image.h = static_cast<unsigned>(h);
  plain.image.rowsize = static_cast<unsigned>(w);
  plain.image.pixsize = 1;
  plain.image.data = plain.bytes.data();
  return plain;
}

PlainImage MakeRgbImage(int w, int h, const std::function<int(int x, int y)>& value) {
  PlainImage plain;
  plain.bytes.resize(static_cast<size_t>(w) * h * 3);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      for (int c = 0; c < 3; ++c) {
        plain.bytes[(static_cast<size_t>(y) * w + x) * 3 + c] = static_cast<uint8_t>(value(x, y));
      }
    }
  }
  plain.image.flags = DJVU_RGB;
  plain.image.w = static_cast<unsigned>(w);
  plain.image.h = static_cast<unsigned>(h);
  plain.image.rowsize = static_cast<unsigned>(3 * w);
  plain.image.pixsize = 3;
  plain.image.data = plain.bytes.data();
  return plain;
}

run_list MakeRuns(const std::vector<std::array<int, 3>>& runs, int w, int h) {
  run_list list(4);
  for (const auto& r : runs) list.append(r[0], r[1], r[2]);
  list.finish(w, h);
  return list;
}

run_list RunsFromArt(const std::vector<std::string>& art) {
  run_list list(16);
  const int h = static_cast<int>(art.size());
  const int w = h ? static_cast<int>(art[0].size()) : 0;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w;) {
      if (art[y][x] != '#') {
        ++x;
        continue;
      }
      int end = x;
      while (end + 1 < w && art[y][end + 1] == '#') ++end;
      list.append(y, x, end);
      x = end + 1;
    }
  }
  list.finish(w, h);
  return list;
}

}  // namespace maskfind::test
