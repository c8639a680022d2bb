// The hidden text of DjVu pages (what a recogniser put there, ours or any
// other encoder's), read for printing, searching and copying.
#pragma once

#include <string>
#include <vector>

#include "libAPI/djvu_document.h"

namespace leaf {

// The text of one page: its words with their boxes (DjVu page pixels, from
// the bottom left) and its characters as plain text.
struct DjvuPageWords {
  int width = 0;  // of the page before its INFO chunk turns it
  int height = 0;
  int rotation = 0;   // quarter turns counter-clockwise the page is shown with
  std::string plain;  // lines on lines of their own, paragraphs parted by an empty line
  std::vector<djvu_text_word> words;
};

// The text of the pages of the DjVu file at path (every page, or only the
// page given, 0 = first). False with the reason in the message buffer when
// the file is not a DjVu file or a page cannot be read.
bool ReadDjvuTexts(const std::string& path, std::vector<DjvuPageWords>& pages, int onlyPage = -1);

// A page's characters as plain text: DjVu's column, region, paragraph and
// line separators become line ends, at most one empty line in a row, and
// the text ends with one line end (nothing at all when it is empty).
std::string PlainDjvuText(const std::string& text);

}  // namespace leaf
