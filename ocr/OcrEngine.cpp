#include "OcrEngine.h"

#include <tesseract/baseapi.h>

#include <algorithm>
#include <vector>

#include "OcrLanguages.h"

namespace leaf {

OcrEngine::OcrEngine() : api_(std::make_unique<tesseract::TessBaseAPI>()) {}

OcrEngine::~OcrEngine() { api_->End(); }

std::string OcrEngine::Start(const std::string& languages) {
  // Tesseract reports a missing language, and much else, on stderr; the
  // callers say what went wrong in their own words.
  const std::vector<std::string> variables{"debug_file"};
  const std::vector<std::string> values{"/dev/null"};
  const bool started = api_->Init(nullptr, languages.c_str(), tesseract::OEM_DEFAULT, nullptr, 0,
                                  &variables, &values, false) == 0;
  // Tesseract goes on without a missing language when another one loads.
  std::vector<std::string> loaded;
  if (started) api_->GetLoadedLanguagesAsVector(&loaded);
  for (const std::string& name : SplitOcrLanguages(languages)) {
    if (std::find(loaded.begin(), loaded.end(), name) == loaded.end()) return name;
  }
  return started ? "" : languages;
}

}  // namespace leaf
