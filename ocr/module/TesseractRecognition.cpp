#include "TesseractRecognition.h"

#include <leptonica/allheaders.h>
#include <tesseract/baseapi.h>
#include <tesseract/ocrclass.h>
#include <tesseract/resultiterator.h>

#include <memory>

#include "OcrEngine.h"

namespace leaf {

namespace {

struct PixDeleter {
  void operator()(Pix* pix) const { pixDestroy(&pix); }
};
using OwnedPix = std::unique_ptr<Pix, PixDeleter>;

const unsigned char* StoredRow(const djvu_pixel_image& page, unsigned yFromTop) {
  const unsigned row = (page.flags & DJVU_BOTTOMUP) ? page.h - 1 - yFromTop : yFromTop;
  return page.data + page.offset + static_cast<size_t>(row) * page.rowsize;
}

// The page as leptonica holds it: 8-bit gray or 32-bit colour, top row first.
OwnedPix MakePix(const djvu_pixel_image& page, int dpi) {
  const bool gray = (page.flags & DJVU_GRAY) != 0;
  OwnedPix pix(
      pixCreate(static_cast<l_int32>(page.w), static_cast<l_int32>(page.h), gray ? 8 : 32));
  if (!pix) return nullptr;
  l_uint32* const data = pixGetData(pix.get());
  const l_int32 wpl = pixGetWpl(pix.get());
  const bool bgr = (page.flags & DJVU_BGR) != 0;
  for (unsigned y = 0; y < page.h; ++y) {
    const unsigned char* in = StoredRow(page, y);
    l_uint32* line = data + static_cast<size_t>(y) * wpl;
    for (unsigned x = 0; x < page.w; ++x, in += page.pixsize) {
      if (gray) {
        SET_DATA_BYTE(line, x, in[0]);
      } else {
        composeRGBPixel(bgr ? in[2] : in[0], in[1], bgr ? in[0] : in[2], line + x);
      }
    }
  }
  pixSetResolution(pix.get(), dpi, dpi);
  return pix;
}

// Boxes from the recogniser (top left origin, right and bottom exclusive)
// into the DjVu page's pixels.
struct BoxMapping {
  int scale;
  int height;  // of the DjVu page
  void Place(djvu_text_zone& zone, int left, int top, int right, int bottom) const {
    zone.left = left * scale;
    zone.right = right * scale;
    zone.bottom = height - bottom * scale;
    zone.top = height - top * scale;
  }
};

djvu_text_zone& AddZone(djvu_text_zone& parent, int kind, tesseract::ResultIterator& it,
                        tesseract::PageIteratorLevel level, const BoxMapping& mapping) {
  djvu_text_zone& zone = parent.children.emplace_back();
  zone.kind = kind;
  int left = 0, top = 0, right = 0, bottom = 0;
  it.BoundingBox(level, &left, &top, &right, &bottom);
  mapping.Place(zone, left, top, right, bottom);
  return zone;
}

std::string WordText(tesseract::ResultIterator& it) {
  const std::unique_ptr<char[]> text(it.GetUTF8Text(tesseract::RIL_WORD));
  std::string word = text ? text.get() : "";
  while (!word.empty() && static_cast<unsigned char>(word.back()) <= ' ') word.pop_back();
  size_t first = 0;
  while (first < word.size() && static_cast<unsigned char>(word[first]) <= ' ') ++first;
  return word.substr(first);
}

// Walks the recogniser's words in reading order, opening a region, a
// paragraph and a line whenever a word begins one. A block, paragraph or
// line whose first word is empty still opens with the next word that is not.
void CollectZones(tesseract::ResultIterator& it, djvu_text_zone& page, const BoxMapping& mapping) {
  using tesseract::RIL_BLOCK;
  using tesseract::RIL_PARA;
  using tesseract::RIL_TEXTLINE;
  using tesseract::RIL_WORD;
  bool newRegion = true, newParagraph = true, newLine = true;
  do {
    if (it.Empty(RIL_WORD)) continue;
    newRegion = newRegion || it.IsAtBeginningOf(RIL_BLOCK);
    newParagraph = newRegion || newParagraph || it.IsAtBeginningOf(RIL_PARA);
    newLine = newParagraph || newLine || it.IsAtBeginningOf(RIL_TEXTLINE);
    std::string text = WordText(it);
    if (text.empty()) continue;
    if (newRegion) AddZone(page, DJVU_ZONE_REGION, it, RIL_BLOCK, mapping);
    djvu_text_zone& region = page.children.back();
    if (newParagraph) AddZone(region, DJVU_ZONE_PARAGRAPH, it, RIL_PARA, mapping);
    djvu_text_zone& paragraph = region.children.back();
    if (newLine) AddZone(paragraph, DJVU_ZONE_LINE, it, RIL_TEXTLINE, mapping);
    djvu_text_zone& word =
        AddZone(paragraph.children.back(), DJVU_ZONE_WORD, it, RIL_WORD, mapping);
    word.text = std::move(text);
    newRegion = newParagraph = newLine = false;
  } while (it.Next(RIL_WORD));
}

bool StopRequested(void* stop, int /*words*/) {
  return static_cast<const std::atomic<bool>*>(stop)->load();
}

}  // namespace

ModuleRecognition RecogniseWithTesseract(const djvu_pixel_image& page,
                                         const std::vector<std::string>& names, int scale,
                                         const std::atomic<bool>* stop) {
  ModuleRecognition recognition;
  RecognisedText& result = recognition.text;
  OcrEngine engine;
  if (std::string missing = engine.Start(names); !missing.empty()) {
    recognition.missingLanguage = std::move(missing);
    return recognition;
  }
  // A page without a resolution has tesseract estimate it from the size of
  // its letters, as the tesseract program does.
  const int dpi = (page.flags & DJVU_HAS_DPI) ? static_cast<int>(page.xres) : 0;
  const OwnedPix pix = MakePix(page, dpi);
  if (!pix) {
    result.error = "Not enough memory for the text recogniser's copy of the page.";
    return recognition;
  }
  tesseract::TessBaseAPI& api = engine.api();
  // As the tesseract program reads a page: the layout analysed, not one block.
  api.SetPageSegMode(tesseract::PSM_AUTO);
  api.SetImage(pix.get());
  if (dpi > 0) api.SetSourceResolution(dpi);
  tesseract::ETEXT_DESC monitor;
  if (stop) {
    monitor.cancel = StopRequested;
    monitor.cancel_this = const_cast<std::atomic<bool>*>(stop);
  }
  const int status = api.Recognize(&monitor);
  if (stop && stop->load()) {
    result.error = "The text recognition was stopped.";
    return recognition;
  }
  if (status != 0) {
    result.error = "The text recogniser failed on the page.";
    return recognition;
  }
  const BoxMapping mapping{scale, static_cast<int>(page.h) * scale};
  result.page.kind = DJVU_ZONE_PAGE;
  mapping.Place(result.page, 0, 0, static_cast<int>(page.w), static_cast<int>(page.h));
  const std::unique_ptr<tesseract::ResultIterator> it(api.GetIterator());
  if (it) CollectZones(*it, result.page, mapping);
  result.ok = true;
  return recognition;
}

std::string FirstMissingLanguage(const std::vector<std::string>& names) {
  return OcrEngine().Start(names);
}

}  // namespace leaf
