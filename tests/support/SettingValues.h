// Values for the settings of the table, for tests that go through all of them.
#pragma once

#include <string>

#include "app/SettingsTable.h"

namespace leaf::test {

inline int IntOf(const SettingDescription& s, const AppSettings& settings) {
  AppSettings copy = settings;
  return s.integer(copy);
}

inline float FloatOf(const SettingDescription& s, const AppSettings& settings) {
  AppSettings copy = settings;
  return s.decimal(copy);
}

// A valid value of the setting other than its default.
inline void SetNonDefault(const SettingDescription& s, AppSettings& settings) {
  const AppSettings defaults;
  if (s.integer) {
    const int fallback = IntOf(s, defaults);
    int value = s.highest() != fallback ? s.highest() : s.lowest();
    if (s.type == SettingType::kChoice) {
      value = s.choices.back() != fallback ? s.choices.back() : s.choices.front();
    }
    s.integer(settings) = value;
  } else if (s.decimal) {
    s.decimal(settings) = FloatOf(s, defaults) == 3.5f ? 4.5f : 3.5f;
  } else {
    s.text(settings) = std::string(s.type == SettingType::kFolder ? "/tmp/" : "") + "a " + s.key;
  }
}

// Default settings with this one set to a number.
inline AppSettings WithValue(const SettingDescription& s, double value) {
  AppSettings settings;
  if (s.integer) s.integer(settings) = static_cast<int>(value);
  if (s.decimal) s.decimal(settings) = static_cast<float>(value);
  return settings;
}

}  // namespace leaf::test
