// The text recognition module's work, through libtesseract and leptonica.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "ocr/OcrCalls.h"

namespace leaf {

// Recognises the words of a page already checked (data, size, scale and
// language names).
ModuleRecognition RecogniseWithTesseract(const djvu_pixel_image& page,
                                         const std::vector<std::string>& names, int scale,
                                         const std::atomic<bool>* stop);

// The first language of names that does not load; "" when all do.
std::string FirstMissingLanguage(const std::vector<std::string>& names);

}  // namespace leaf
