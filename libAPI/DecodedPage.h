// The codec's side of a djvu_halfcoded_image and of a djvu_document.
#pragma once

#include <string>
#include <vector>

#include "DjVuDocument.h"
#include "DjVuImage.h"
#include "DocumentPort.h"
#include "djvu_document.h"
#include "djvu_render.h"

struct djvu_decoded_page {
  GP<DjVuImage> image;
  // The document the page came from: the files it includes are reached
  // through it.
  GP<DjVuDocument> document;
};

struct djvu_document {
  GP<DjVuDocument> document;
  GP<djvu::DocumentPort> port;
  int kind = 0;
  int pages = 0;
};

namespace djvu {

inline constexpr char kLibdjvuSource[] = "libAPI/libdjvu";

// The render options with no caller's record taken over them.
djvu_render_options DefaultRenderOptions();

// Every byte left in the stream.
std::vector<unsigned char> ReadAll(ByteStream& stream);

// A document over a whole file held in memory; null after a reported failure.
djvu_document* ReadDocument(const std::vector<unsigned char>& bytes);

// The file of a page (0 = first), not decoded; raises a message naming the
// page when there is no such page or its file cannot be had.
GP<DjVuFile> PageFile(const djvu_document& document, int page);

// Decodes one page of an open document.
// Raises the codec's or the layer's message, prefixed with the page's name
// when the document has more than one page.
djvu_halfcoded_image* DecodeDocumentPage(djvu_document& document, int page);

// The message for a failure of one page: "Page 3 of 10 (p0003.djvu): what".
// For a single-page document, just what.
std::string PageMessage(const djvu_document& document, int page, const std::string& what);

}  // namespace djvu
