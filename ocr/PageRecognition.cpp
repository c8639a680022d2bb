#include "PageRecognition.h"

#include "OcrModule.h"

namespace leaf {

RecognisedText RecognisePage(const djvu_pixel_image& page, const std::string& languages, int scale,
                             const std::atomic<bool>* stop) {
  RecognisedText result;
  if (!page.data || page.w == 0 || page.h == 0 || scale < 1) {
    result.error = "There is no page to recognise.";
    return result;
  }
  const std::vector<std::string> names = SplitOcrLanguages(languages);
  if (names.empty()) {
    result.error = CheckOcrLanguages(languages);
    return result;
  }
  const OcrModuleCalls& module = OcrModule();
  if (!module.calls) {
    result.error = module.error;
    return result;
  }
  ModuleRecognition recognition = module.calls->recognisePage(page, names, scale, stop);
  if (!recognition.missingLanguage.empty()) {
    recognition.text.error = MissingOcrLanguage(recognition.missingLanguage);
  }
  return std::move(recognition.text);
}

}  // namespace leaf
