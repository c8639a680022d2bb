// The languages text is recognised in: tesseract's names joined by '+'
// ("eng", "eng+deu"), each installed as a traineddata file by the Debian
// package tesseract-ocr-NAME.
#pragma once

#include <string>
#include <vector>

namespace leaf {

inline constexpr const char* kDefaultOcrLanguages = "eng";

// The names of a language list; empty when the list is malformed (empty,
// an empty name, characters other than letters, digits, '_', '-' and the
// '/' of "script/Latin", or a name that climbs out of the data folder).
std::vector<std::string> SplitOcrLanguages(const std::string& languages);

// The Debian package that installs a language: "tesseract-ocr-deu",
// "tesseract-ocr-chi-sim" for chi_sim, "tesseract-ocr-script-latn" for
// script/Latin.
std::string OcrLanguagePackage(const std::string& language);

// "" when text can be recognised in every language of the list, otherwise
// why not: "The text recognition language 'deu' is not installed (install
// the Debian package tesseract-ocr-deu)." Loads the recogniser, which takes
// a moment: check once before many pages.
std::string CheckOcrLanguages(const std::string& languages);

// The message for a language that is not installed.
std::string MissingOcrLanguage(const std::string& language);

}  // namespace leaf
