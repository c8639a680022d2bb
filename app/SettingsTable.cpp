#include "SettingsTable.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace leaf {

namespace {

// Read access through the table's field functions, which take the record
// to change; the value is only read here.
int IntOf(const SettingDescription& s, const AppSettings& settings) {
  return s.integer(const_cast<AppSettings&>(settings));
}

float FloatOf(const SettingDescription& s, const AppSettings& settings) {
  return s.decimal(const_cast<AppSettings&>(settings));
}

std::string_view Trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

bool ParseWhole(std::string_view text, long long& value) {
  const std::string digits(Trimmed(text));
  if (digits.empty()) return false;
  errno = 0;
  char* end = nullptr;
  value = std::strtoll(digits.c_str(), &end, 10);
  return *end == '\0' && errno != ERANGE;
}

bool ParseDecimal(std::string_view text, double& value) {
  const std::string digits(Trimmed(text));
  if (digits.empty()) return false;
  char* end = nullptr;
  value = std::strtod(digits.c_str(), &end);
  return *end == '\0' && std::isfinite(value);
}

std::string GammaText(double gamma) {
  char text[32];
  std::snprintf(text, sizeof text, "%2.1f", gamma);
  return text;
}

}  // namespace

const SettingDescription* FindSetting(std::string_view key) {
  for (const SettingDescription& s : kSettings) {
    if (key == s.key) return &s;
  }
  return nullptr;
}

const SettingDescription* FindSettingOption(std::string_view option) {
  for (const SettingDescription& s : kSettings) {
    if (s.option && option == s.option) return &s;
  }
  return nullptr;
}

std::string SettingValueText(const SettingDescription& s, const AppSettings& settings) {
  if (s.isInteger()) return std::to_string(IntOf(s, settings));
  if (s.decimal) return GammaText(FloatOf(s, settings));
  return s.text(const_cast<AppSettings&>(settings));
}

std::string SettingDefaultText(const SettingDescription& s, const std::string& defaultDirectory) {
  return SettingValueText(s, AppSettings::Defaults(defaultDirectory));
}

std::string SettingRangeText(const SettingDescription& s) {
  switch (s.type) {
    case SettingType::kNumber:
      return std::to_string(s.lowest()) + ".." + std::to_string(s.highest());
    case SettingType::kChoice: {
      std::string text;
      for (int value : s.choices) {
        if (!text.empty()) text += ", ";
        text += std::to_string(value);
      }
      return text;
    }
    case SettingType::kGamma: return GammaText(s.minimum) + ".." + GammaText(s.maximum);
    default: return {};
  }
}

bool SettingAccepts(const SettingDescription& s, double value) {
  if (!std::isfinite(value) || value < s.minimum || value > s.maximum) return false;
  if (!s.isInteger()) return true;
  if (value != std::floor(value)) return false;
  if (s.type != SettingType::kChoice) return true;
  return std::find(s.choices.begin(), s.choices.end(), static_cast<int>(value)) != s.choices.end();
}

bool LoadSettingText(const SettingDescription& s, const std::string& text, AppSettings& settings) {
  if (s.text) {
    s.text(settings) = text;
    return true;
  }
  if (s.decimal) {
    double value;
    if (!ParseDecimal(text, value)) return false;
    s.decimal(settings) = static_cast<float>(std::clamp(value, s.minimum, s.maximum));
    return true;
  }
  long long value;
  if (!ParseWhole(text, value)) return false;
  if (SettingAccepts(s, static_cast<double>(value))) {
    s.integer(settings) = static_cast<int>(value);
  } else if (s.outOfRange == OutOfRange::kUseDefault) {
    AppSettings defaults;
    s.integer(settings) = s.integer(defaults);
  } else {
    s.integer(settings) = static_cast<int>(std::clamp<long long>(value, s.lowest(), s.highest()));
  }
  return true;
}

}  // namespace leaf
