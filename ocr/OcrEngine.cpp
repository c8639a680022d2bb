#include "OcrEngine.h"

#include <tesseract/baseapi.h>

#include <vector>

namespace leaf {

OcrEngine::OcrEngine() : api_(std::make_unique<tesseract::TessBaseAPI>()) {}

OcrEngine::~OcrEngine() { api_->End(); }

bool OcrEngine::Start(const std::string& languages) {
  // Tesseract reports a missing language, and much else, on stderr; the
  // callers say what went wrong in their own words.
  const std::vector<std::string> names{"debug_file"};
  const std::vector<std::string> values{"/dev/null"};
  return api_->Init(nullptr, languages.c_str(), tesseract::OEM_DEFAULT, nullptr, 0, &names,
                    &values, false) == 0;
}

}  // namespace leaf
