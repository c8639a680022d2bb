// Recognising the words of a scanned page (colour, gray or black and white)
// with libtesseract, into the zones of a DjVu text layer: regions,
// paragraphs, lines and words with their boxes.
#pragma once

#include <atomic>
#include <string>

#include "OcrLanguages.h"
#include "libAPI/djvu_image.h"
#include "libAPI/djvu_text.h"

namespace leaf {

// Whether and in which languages a saved DjVu page gets its text.
struct OcrSettings {
  bool enabled = false;
  std::string languages = kDefaultOcrLanguages;
};

struct RecognisedText {
  bool ok = false;
  std::string error;    // why not, when !ok
  djvu_text_zone page;  // the page zone and every zone found in it
};

// Recognises the text of page at its resolution (estimated when it has none)
// and gives the boxes in the pixels of the page enlarged scale times (the
// DjVu page coded from it), from the bottom left. stop, when given, is
// polled while the recogniser works; setting it ends the work with an error.
RecognisedText RecognisePage(const djvu_pixel_image& page, const std::string& languages,
                             int scale = 1, const std::atomic<bool>* stop = nullptr);

}  // namespace leaf
