// Writing a page's hidden text: the words a recogniser found on it, with
// their lines, paragraphs and regions, as a TXTz chunk (DjVu's compressed
// text layer) that readers search, select and copy.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "djvu_encode.h"

// The kinds of text zone, from the whole page down to a word.
enum : int {
  DJVU_ZONE_PAGE = 1,
  DJVU_ZONE_COLUMN = 2,
  DJVU_ZONE_REGION = 3,
  DJVU_ZONE_PARAGRAPH = 4,
  DJVU_ZONE_LINE = 5,
  DJVU_ZONE_WORD = 6,
};

// One zone and the zones inside it, in reading order. Boxes are in page
// pixels from the bottom left corner (x right, y up), left and bottom
// inclusive, right and top exclusive. Only words carry text (UTF-8).
struct djvu_text_zone {
  int kind = DJVU_ZONE_PAGE;
  int left = 0, bottom = 0, right = 0, top = 0;
  std::string text;
  std::vector<djvu_text_zone> children;
};

// The number of words under a zone.
size_t djvu_text_word_count(const djvu_text_zone& zone);

// Hands output the single-page file page (FORM:DJVU, length bytes) with the
// text as its TXTz chunk, in place of any text it had (a page zone without
// words leaves the page without text). root is the page zone; its box should
// be the whole page. Returns 0, or -1 after a reported
// failure (not a DjVu page, a zone of the wrong kind under another).
int djvu_page_add_text(const void* page, size_t length, const djvu_text_zone& root,
                       djvu_output_routine output, void* context);
