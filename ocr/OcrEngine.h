// One libtesseract recogniser, started in some languages and ended when it
// goes; its diagnostics are kept off the terminal.
#pragma once

#include <memory>
#include <string>

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

  // Loads the languages ("eng+deu"); false when one is missing or broken.
  bool Start(const std::string& languages);
  tesseract::TessBaseAPI& api() { return *api_; }

 private:
  std::unique_ptr<tesseract::TessBaseAPI> api_;
};

}  // namespace leaf
