// The only symbol the text recognition module exports.
#include "TesseractRecognition.h"

const void* leafsmith_ocr_calls(unsigned version) {
  static constexpr leaf::OcrCalls kCalls = {leaf::FirstMissingLanguage,
                                            leaf::RecogniseWithTesseract};
  return version == leaf::kOcrModuleVersion ? &kCalls : nullptr;
}
