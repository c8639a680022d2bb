#include "OcrEngine.h"

#include <tesseract/baseapi.h>

#include <algorithm>
#include <mutex>

namespace leaf {

namespace {

// Tesseract reports a missing language, and much else, on stderr; the callers
// say what went wrong in their own words. The setting is global to the
// library, so it is made once, before any recogniser starts.
void QuietDiagnostics() {
  static std::once_flag once;
  std::call_once(once, [] { tesseract::TessBaseAPI().SetVariable("debug_file", "/dev/null"); });
}

}  // namespace

OcrEngine::OcrEngine() : api_((QuietDiagnostics(), std::make_unique<tesseract::TessBaseAPI>())) {}

OcrEngine::~OcrEngine() { api_->End(); }

std::string OcrEngine::Start(const std::vector<std::string>& names) {
  std::string languages;
  for (const std::string& name : names) languages += (languages.empty() ? "" : "+") + name;
  const bool started = api_->Init(nullptr, languages.c_str(), tesseract::OEM_DEFAULT) == 0;
  // Tesseract goes on without a missing language when another one loads.
  std::vector<std::string> loaded;
  if (started) api_->GetLoadedLanguagesAsVector(&loaded);
  for (const std::string& name : names) {
    if (std::find(loaded.begin(), loaded.end(), name) == loaded.end()) return name;
  }
  return started ? "" : languages;
}

}  // namespace leaf
