// One libtesseract recogniser, started in some languages and ended when it
// goes; its diagnostics are kept off the terminal.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace tesseract {
class TessBaseAPI;
}

namespace leaf {

class OcrEngine {
 public:
  OcrEngine();
  ~OcrEngine();
  OcrEngine(const OcrEngine&) = delete;
  OcrEngine& operator=(const OcrEngine&) = delete;

  // Loads the languages (names already checked by SplitOcrLanguages).
  // Returns "" when every one is loaded, otherwise the first that is not
  // (missing or broken).
  std::string Start(const std::vector<std::string>& names);
  tesseract::TessBaseAPI& api() { return *api_; }

 private:
  std::unique_ptr<tesseract::TessBaseAPI> api_;
};

}  // namespace leaf
