#include "OcrLanguages.h"

#include <cctype>

#include "OcrModule.h"

namespace leaf {

namespace {

bool AllowedInName(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == '/';
}

bool SafeName(const std::string& name) {
  if (name.empty() || name.front() == '/' || name.back() == '/' || name.front() == '-') {
    return false;
  }
  for (const char c : name) {
    if (!AllowedInName(c)) return false;
  }
  return true;
}

// Debian names the packages of tesseract's script models by the scripts'
// four-letter codes.
std::string ScriptCode(const std::string& script) {
  static const struct {
    const char* name;
    const char* code;
  } kScripts[] = {{"Latin", "latn"},  {"Cyrillic", "cyrl"}, {"Greek", "grek"},
                  {"Arabic", "arab"}, {"Hebrew", "hebr"},   {"Devanagari", "deva"},
                  {"HanS", "hans"},   {"HanT", "hant"},     {"Japanese", "jpan"},
                  {"Hangul", "hang"}, {"Thai", "thai"},     {"Fraktur", "frak"}};
  for (const auto& s : kScripts) {
    if (script == s.name) return s.code;
  }
  std::string lower;
  for (const char c : script)
    lower.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
  return lower;
}

}  // namespace

std::vector<std::string> SplitOcrLanguages(const std::string& languages) {
  std::vector<std::string> names;
  size_t start = 0;
  while (true) {
    const size_t plus = languages.find('+', start);
    std::string name = languages.substr(start, plus == std::string::npos ? plus : plus - start);
    if (!SafeName(name) || name.find("..") != std::string::npos) return {};
    names.push_back(std::move(name));
    if (plus == std::string::npos) return names;
    start = plus + 1;
  }
}

std::string OcrLanguagePackage(const std::string& language) {
  const size_t slash = language.find('/');
  std::string suffix;
  if (slash != std::string::npos) {
    suffix = "script-" + ScriptCode(language.substr(slash + 1));
  } else {
    for (const char c : language) {
      suffix.push_back(c == '_' ? '-'
                                : static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    }
  }
  return "tesseract-ocr-" + suffix;
}

std::string CheckOcrLanguages(const std::string& languages) {
  const std::vector<std::string> names = SplitOcrLanguages(languages);
  if (names.empty()) {
    return "'" + languages +
           "' is not a list of text recognition languages (tesseract's names joined by '+', "
           "such as eng+deu).";
  }
  const OcrModuleCalls& module = OcrModule();
  if (!module.calls) return module.error;
  const std::string missing = module.calls->firstMissingLanguage(names);
  return missing.empty() ? "" : MissingOcrLanguage(missing);
}

std::string MissingOcrLanguage(const std::string& language) {
  return "The text recognition language '" + language +
         "' is not installed (install the Debian package " + OcrLanguagePackage(language) + ").";
}

}  // namespace leaf
