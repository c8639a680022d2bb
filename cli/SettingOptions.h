// Command-line options made from the settings table: each sets one setting
// for this run, checked against the setting's range.
#pragma once

#include <string>
#include <string_view>

#include "app/SettingsTable.h"

namespace leaf::cli {

// The value's name in the help ("N", "G", "DIR", "TEXT"); nullptr for a
// switch, which is given alone to turn it on or as "--option=0|1".
const char* SettingValueName(const SettingDescription& s);

// The help of the option: what it does, the values it takes and the default.
std::string SettingOptionHelp(const SettingDescription& s);

// One line of a command's help: the option, its value name and its help.
std::string HelpLine(const std::string& option, const char* valueName, const std::string& help);

// Sets the setting from the option's value (empty for a switch given alone);
// UsageError naming the option and its range when the value is refused. The
// DjVu Quick set also sets the parameters of its preset.
void ApplySettingOption(const SettingDescription& s, const std::string& option,
                        const std::string& value, AppSettings& settings);

// Splits "--option=value" into its two parts; false when there is no "=",
// UsageError when nothing follows it.
bool SplitOptionValue(const std::string& item, std::string& option, std::string& value);

}  // namespace leaf::cli
