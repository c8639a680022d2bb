// The hidden text of a page (what OCR put there): its characters and the
// boxes of its words.
#include "ByteStream.h"
#include "DecodedPage.h"
#include "DjVuText.h"
#include "djvu_error.h"

namespace djvu {

namespace {

djvu_page_text PageText(const djvu_document& document, int page) {
  djvu_page_text result;
  const GP<DjVuFile> file = PageFile(document, page);
  const GP<ByteStream> chunks = file->get_text();
  if (!chunks) return result;
  const GP<DjVuText> text = DjVuText::create();
  chunks->seek(0);
  text->decode(chunks);
  const GP<DjVuTXT> txt = text->txt;
  if (!txt) return result;
  const GUTF8String& all = txt->textUTF8;
  result.text = static_cast<const char*>(all);
  GList<DjVuTXT::Zone*> words;
  txt->get_zones(DjVuTXT::WORD, &txt->page_zone, words);
  for (GPosition at = words; at; ++at) {
    const DjVuTXT::Zone& zone = *words[at];
    const int start = zone.text_start, length = zone.text_length;
    if (start < 0 || length < 0 || start > static_cast<int>(all.length()) - length) continue;
    std::string word = static_cast<const char*>(all.substr(start, length));
    while (!word.empty() && static_cast<unsigned char>(word.back()) <= ' ') word.pop_back();
    result.words.push_back(
        {zone.rect.xmin, zone.rect.ymin, zone.rect.xmax, zone.rect.ymax, std::move(word)});
  }
  return result;
}

}  // namespace

}  // namespace djvu

int djvu_document_page_text(djvu_document* document, int page, djvu_page_text* text) {
  return djvu::Guard(-1, [&] {
    if (!document || !document->document || !text) {
      djvu::Throw("djvu_document_page_text: no document given", djvu::kLibdjvuSource, __LINE__);
    }
    *text = djvu::PageText(*document, page);
    return 0;
  });
}
