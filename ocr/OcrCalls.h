// The calls of the text recognition module (libleafsmith-ocr.so), which holds
// everything that uses libtesseract and leptonica; the rest of the program
// reaches it through OcrModule.h. Only plain data crosses: the module keeps
// no state its callers read (it reports through the results, never through
// the message buffer).
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "PageRecognition.h"

namespace leaf {

inline constexpr const char* kOcrModuleFile = "libleafsmith-ocr.so";
inline constexpr const char* kOcrModuleEntry = "leafsmith_ocr_calls";
// Raised whenever the table or the data passed through it change.
inline constexpr unsigned kOcrModuleVersion = 1;

struct ModuleRecognition {
  RecognisedText text;          // the words, or why there are none
  std::string missingLanguage;  // the language that did not load, if that was why
};

struct OcrCalls {
  // The first of the languages (names already checked) that the recogniser
  // cannot load; "" when every one loads.
  std::string (*firstMissingLanguage)(const std::vector<std::string>& names);
  // RecognisePage's work on a page already checked.
  ModuleRecognition (*recognisePage)(const djvu_pixel_image& page,
                                     const std::vector<std::string>& names, int scale,
                                     const std::atomic<bool>* stop);
};

}  // namespace leaf

// The module's entry point: its calls, or null for a caller built for
// another version.
extern "C" __attribute__((visibility("default"))) const void* leafsmith_ocr_calls(unsigned version);
