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

// A bundled document of bilevel pages whose shapes live in one dictionary
// shared by every page: a FORM:DJVI "dict.iff" holding the Djbz, included
// (INCL) by each page. With a folder, the same document is also written
// there in indirect form (index.djvu, dict.iff, p1.djvu, p2.djvu, ...).
std::vector<uint8_t> MakeSharedDictionaryBook(int pages, int width, int height, int dpi,
                                              const std::string& indirectFolder = "");

}  // namespace leaf::test
