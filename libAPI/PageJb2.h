// The JB2 shapes of a coded page, taken out of the page and put back: for
// sharing shapes among the pages of a document, a page's Sjbz chunk is
// decoded, and the page is rewritten to include a shared dictionary.
#pragma once

#include <string>
#include <vector>

#include "GSmartPointer.h"
#include "JB2Image.h"

namespace djvu {

using PageBytes = std::vector<unsigned char>;

// A page's shapes and resolution; no shapes (null) when the page has no
// Sjbz chunk, or has a dictionary of its own (Djbz or INCL), or is no
// FORM:DJVU page. page is a whole FORM:DJVU file, with or without "AT&T".
struct PageShapes {
  GP<JB2Image> shapes;
  unsigned dpi = 0;
};
PageShapes ReadPageShapes(const PageBytes& page);

// The page with its Sjbz chunk coded from shapes, which inherit the
// dictionary in the file named dictionary; an INCL chunk naming it goes
// before. Every other chunk is copied as it is. No "AT&T" in front.
PageBytes WithSharedShapes(const PageBytes& page, const JB2Image& shapes,
                           const std::string& dictionary);

// A FORM:DJVI file holding the dictionary (its Djbz chunk), no "AT&T".
PageBytes DictionaryFile(const JB2Dict& dictionary);

}  // namespace djvu
