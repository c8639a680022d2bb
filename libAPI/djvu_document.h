// DjVu documents of every kind: single pages, bundled documents (FORM:DJVM
// with a DIRM directory), indirect documents (an index file naming page
// files beside it), the two obsolete multipage forms, and pages that include
// shared files (INCL: a shape dictionary, shared annotations). Opening reads
// the directory only; each page is decoded on its own, when it is asked for,
// into a djvu_halfcoded_image that lives independently of the document.
//
// A page that cannot be decoded (its file is missing, the directory lies
// about where it is, its data is damaged) is reported with a message naming
// the page; the other pages of the document stay readable.
//
// A document may be used from one thread at a time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "djvu_io.h"
#include "djvu_render.h"

struct djvu_document;

// How a document is stored (djvu_document_kind).
enum : int {
  DJVU_DOCUMENT_SINGLE_PAGE = 1,  // one FORM:DJVU, PM44 or BM44
  DJVU_DOCUMENT_BUNDLED = 2,      // FORM:DJVM holding every file
  DJVU_DOCUMENT_INDIRECT = 3,     // an index file and one file per page
  DJVU_DOCUMENT_OLD_BUNDLED = 4,  // the obsolete forms
  DJVU_DOCUMENT_OLD_INDEXED = 5,
};

// Opens the document in the named file; null after a reported failure. For
// an indirect document, path is its index file; the page files and shared
// files are looked up beside it, and only regular files are read.
djvu_document* djvu_document_open(const char* path);

// Reads a whole single-page or bundled document through read (or, without
// one, from context as a stdio FILE*, standard input when null). Files it
// includes cannot be looked up and count as missing.
djvu_document* djvu_document_read(djvu_read_routine read, void* context);

// Releases the document; pages decoded from it stay valid. Null is ignored.
void djvu_document_free(djvu_document* document);

int djvu_document_page_count(const djvu_document* document);
int djvu_document_kind(const djvu_document* document);

// Decodes page (0 = first) into a new djvu_halfcoded_image, turned as the
// page's INFO chunk says. Null after a reported failure, whose message names
// the page when the document has more than one.
djvu_halfcoded_image* djvu_document_decode_page(djvu_document* document, int page);

// What a page's INFO chunk says, read without decoding the page.
struct djvu_page_info {
  unsigned width;  // pixels, as the page is shown (turned by the rotation)
  unsigned height;
  unsigned resolution;  // dots per inch, 0 when unknown
  float gamma;
  unsigned version;  // minor + 256 * major
  int rotation;      // quarter turns counter-clockwise, 0..3
};

// 0 and info filled, or -1 after a reported failure naming the page. A page
// without an INFO chunk (an IW44 file) gets the size of its wavelet image.
int djvu_document_page_info(djvu_document* document, int page, djvu_page_info* info);

// The identifiers of the chunks of a page, its own and those of the files it
// includes (in the order met, each file once); empty after a reported
// failure. Nothing is decoded.
std::vector<std::string> djvu_document_page_chunks(djvu_document* document, int page);

// The page's name in the document's directory ("p0001.djvu"), and its title
// (the name when the directory gives none); empty for single-page files.
std::string djvu_document_page_name(const djvu_document* document, int page);
std::string djvu_document_page_title(const djvu_document* document, int page);

// One bookmark of the document's outline, in document order; a bookmark's
// children follow it with level + 1.
struct djvu_outline_entry {
  int level;           // 0 for the top level
  std::string title;   // UTF-8
  std::string target;  // as stored: "#p0005.djvu", "#5", or a URL
  int page;            // the page the target names (0 = first), -1 for none
};
std::vector<djvu_outline_entry> djvu_document_outline(const djvu_document* document);

// The hidden text of a page (TXTa or TXTz chunks): its characters in reading
// order as UTF-8, and its words with their boxes in page pixels (x right,
// y up from the page's bottom left corner, unturned).
struct djvu_text_word {
  int left, bottom, right, top;  // inclusive left and bottom, exclusive right and top
  std::string text;
};
struct djvu_page_text {
  std::string text;
  std::vector<djvu_text_word> words;
};
// 0 and text filled (empty when the page has none), -1 after a reported failure.
int djvu_document_page_text(djvu_document* document, int page, djvu_page_text* text);
