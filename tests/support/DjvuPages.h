// DjVu pages built in memory with DjVuLibre's own encoder classes, for the
// structures the command-line tools do not write.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace leaf::test {

// A bilevel page (INFO, Djbz, Sjbz) whose shapes live in a shape dictionary
// inside the page: three shapes placed all over the page.
std::vector<uint8_t> MakeSharedDictionaryPage(int width, int height, int dpi);

}  // namespace leaf::test
