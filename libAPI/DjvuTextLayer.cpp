// djvu_page_add_text: the words of a page as its TXTz chunk, through
// DjVuLibre's DjVuTXT.
#include "BSByteStream.h"
#include "ByteStream.h"
#include "DjVuText.h"
#include "DjvuOutput.h"
#include "IFFByteStream.h"
#include "djvu_error.h"
#include "djvu_text.h"

namespace {

constexpr const char* kSource = "libAPI/libdjvu";
// BZZ block size in kilobytes, as DjVuLibre's tools use for text.
constexpr int kBzzBlockSize = 1024;

// What follows a zone's text in the page's string: words are parted by
// spaces, every larger zone ends with its own separator.
char SeparatorAfter(int kind, bool lastOfParent) {
  switch (kind) {
    case DJVU_ZONE_WORD: return lastOfParent ? '\0' : ' ';
    case DJVU_ZONE_LINE: return DjVuTXT::end_of_line;
    case DJVU_ZONE_PARAGRAPH: return DjVuTXT::end_of_paragraph;
    case DJVU_ZONE_REGION: return DjVuTXT::end_of_region;
    case DJVU_ZONE_COLUMN: return DjVuTXT::end_of_column;
    default: return '\0';
  }
}

// A word's text without characters that would be taken for separators.
GUTF8String WordText(const std::string& text) {
  std::string clean;
  clean.reserve(text.size());
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= ' ') clean.push_back(c);
  }
  return GUTF8String(clean.c_str());
}

// Fills target from source, appending the zone's text to all; a parent
// appends the separator that follows each child and counts it in the
// child's text.
void FillZone(DjVuTXT::Zone& target, const djvu_text_zone& source, GUTF8String& all) {
  if (source.kind < DJVU_ZONE_PAGE || source.kind > DJVU_ZONE_WORD) {
    djvu::Throw("djvu_page_add_text: unknown zone kind", kSource, __LINE__);
  }
  target.ztype = static_cast<DjVuTXT::ZoneType>(source.kind);
  target.rect =
      GRect(source.left, source.bottom, source.right - source.left, source.top - source.bottom);
  target.text_start = static_cast<int>(all.length());
  if (source.kind == DJVU_ZONE_WORD) all += WordText(source.text);
  for (size_t i = 0; i < source.children.size(); ++i) {
    const djvu_text_zone& child = source.children[i];
    if (child.kind <= source.kind) {
      djvu::Throw("djvu_page_add_text: a zone inside one of its own kind or a smaller one", kSource,
                  __LINE__);
    }
    DjVuTXT::Zone* made = target.append_child();
    FillZone(*made, child, all);
    const char separator = SeparatorAfter(child.kind, i + 1 == source.children.size());
    if (separator != '\0') {
      all += separator;
      ++made->text_length;
    }
  }
  target.text_length = static_cast<int>(all.length()) - target.text_start;
}

void PutText(IFFByteStream& iff, const djvu_text_zone& root) {
  const GP<DjVuTXT> txt = DjVuTXT::create();
  GUTF8String all;
  FillZone(txt->page_zone, root, all);
  txt->textUTF8 = all;
  iff.put_chunk("TXTz");
  {
    GP<ByteStream> bzz = BSByteStream::create(iff.get_bytestream(), kBzzBlockSize);
    txt->encode(bzz);
  }
  iff.close_chunk();
}

int AddText(const void* page, size_t length, const djvu_text_zone& root, djvu_output_routine output,
            void* context) {
  if (!page || length == 0) djvu::Throw("djvu_page_add_text: no page given", kSource, __LINE__);
  if (root.kind != DJVU_ZONE_PAGE) {
    djvu::Throw("djvu_page_add_text: the text must begin with the page zone", kSource, __LINE__);
  }
  const GP<ByteStream> in = ByteStream::create(page, length);
  const GP<IFFByteStream> source = IFFByteStream::create(in);
  GUTF8String id;
  if (!source->get_chunk(id) || id != "FORM:DJVU") {
    djvu::Throw("djvu_page_add_text: not a single DjVu page", kSource, __LINE__);
  }
  const GP<ByteStream> out = ByteStream::create();
  const GP<IFFByteStream> target = IFFByteStream::create(out);
  target->put_chunk("FORM:DJVU", 1);
  while (source->get_chunk(id)) {
    if (id != "TXTa" && id != "TXTz") {
      target->put_chunk(id);
      target->get_bytestream()->copy(*source->get_bytestream());
      target->close_chunk();
    }
    source->close_chunk();
  }
  // A page without words has no text layer (DjVuLibre refuses an empty one).
  if (djvu_text_word_count(root) > 0) PutText(*target, root);
  target->close_chunk();
  target->flush();
  djvu::HandOver(*out, output, context);
  return 0;
}

}  // namespace

size_t djvu_text_word_count(const djvu_text_zone& zone) {
  size_t count = zone.kind == DJVU_ZONE_WORD ? 1 : 0;
  for (const djvu_text_zone& child : zone.children) count += djvu_text_word_count(child);
  return count;
}

int djvu_page_add_text(const void* page, size_t length, const djvu_text_zone& root,
                       djvu_output_routine output, void* context) {
  return djvu::Guard(-1, [&] { return AddText(page, length, root, output, context); });
}
