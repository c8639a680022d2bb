#include <cstdio>
#include <sstream>

#include "Command.h"
#include "SettingOptions.h"

namespace leaf::cli {

std::string SettingsUsage() {
  std::ostringstream text;
  text << "usage: leafsmith-cli settings [--write] [SETTING OPTIONS]\n\n"
          "Shows which settings file is in use and the values read from it, after\n"
          "the options given have changed them. --write writes every setting back to\n"
          "that file (making a complete file with the defaults when none exists).\n"
          "A switch is turned on by its option alone and set with --option=0 or 1.\n";
  const char* section = "";
  for (const SettingDescription& s : kSettings) {
    if (std::string_view(section) != s.section) {
      section = s.section;
      text << "\n[" << section << "]\n";
    }
    text << HelpLine(s.option, SettingValueName(s), SettingOptionHelp(s));
  }
  return text.str();
}

namespace {

void PrintSettings(const AppSettings& settings) {
  const char* section = "";
  for (const SettingDescription& s : kSettings) {
    if (std::string_view(section) != s.section) {
      section = s.section;
      std::printf("[%s]\n", section);
    }
    std::printf("%s=%s\n", s.key, SettingValueText(s, settings).c_str());
  }
}

}  // namespace

int RunSettings(Context& context, Args& args) {
  bool write = false;
  while (!args.empty()) {
    const std::string item = args.next();
    if (item == "--write") {
      write = true;
      continue;
    }
    std::string name = item, value;
    const bool inlineValue = SplitOptionValue(item, name, value);
    const SettingDescription* setting = FindSettingOption(name);
    if (!setting) throw UsageError("settings: unknown argument " + item);
    if (!inlineValue && SettingValueName(*setting)) value = args.valueFor(name);
    ApplySettingOption(*setting, name, value, context.settings);
  }
  std::printf("Settings file: %s\n", context.settingsPath.c_str());
  PrintSettings(context.settings);
  if (write) {
    if (!SaveSettings(context.settings, context.settingsPath)) {
      std::fprintf(stderr, "leafsmith-cli: failed to write %s\n", context.settingsPath.c_str());
      return kExitFailure;
    }
    std::printf("Wrote %s\n", context.settingsPath.c_str());
  }
  return kExitOk;
}

}  // namespace leaf::cli
