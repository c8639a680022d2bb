#include "SettingOptions.h"

#include "Args.h"
#include "app/DjvuQuickSet.h"

namespace leaf::cli {

namespace {

constexpr size_t kHelpColumn = 30;

}  // namespace

const char* SettingValueName(const SettingDescription& s) {
  switch (s.type) {
    case SettingType::kSwitch: return nullptr;
    case SettingType::kGamma: return "G";
    case SettingType::kFolder: return "DIR";
    case SettingType::kText: return "TEXT";
    default: return "N";
  }
}

std::string SettingOptionHelp(const SettingDescription& s) {
  std::string details = SettingRangeText(s);
  std::string fallback;
  if (s.type == SettingType::kSwitch) {
    fallback = SettingDefaultText(s, {}) == "1" ? "on" : "off";
  } else if (s.isInteger()) {
    AppSettings defaults;
    fallback = std::to_string(s.integer(defaults));
  } else {
    fallback = SettingDefaultText(s, {});
  }
  if (!fallback.empty()) {
    if (!details.empty()) details += "; ";
    details += "default " + fallback;
  }
  std::string help = s.help;
  if (!details.empty()) help += " (" + details + ")";
  return help + " [" + s.key + "]";
}

std::string HelpLine(const std::string& option, const char* valueName, const std::string& help) {
  std::string head = "  " + option;
  if (valueName) head += std::string(" ") + valueName;
  head += head.size() < kHelpColumn ? std::string(kHelpColumn - head.size(), ' ')
                                    : "\n" + std::string(kHelpColumn, ' ');
  return head + help + "\n";
}

void ApplySettingOption(const SettingDescription& s, const std::string& option,
                        const std::string& value, AppSettings& settings) {
  if (s.type == SettingType::kSwitch) {
    s.integer(settings) = value.empty() ? 1 : ParseInt(option, value, 0, 1);
    return;
  }
  if (s.text) {
    if (s.type == SettingType::kFolder && value.empty())
      throw UsageError(option + " needs a folder");
    s.text(settings) = value;
    return;
  }
  if (s.decimal) {
    s.decimal(settings) = static_cast<float>(ParseDouble(option, value, s.minimum, s.maximum));
    return;
  }
  const int number = ParseInt(option, value, s.lowest(), s.highest());
  if (!SettingAccepts(s, number)) {
    throw UsageError(option + " takes one of " + SettingRangeText(s) + ", not '" + value + "'");
  }
  s.integer(settings) = number;
  if (&s == &Setting("DjvuQuickSet")) ApplyDjvuQuickSet(settings, number);
}

bool SplitOptionValue(const std::string& item, std::string& option, std::string& value) {
  const auto equals = item.find('=');
  if (equals == std::string::npos) return false;
  option = item.substr(0, equals);
  value = item.substr(equals + 1);
  if (value.empty()) throw UsageError(option + "= needs a value after the '='");
  return true;
}

}  // namespace leaf::cli
