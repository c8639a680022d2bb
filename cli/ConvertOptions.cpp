#include "ConvertOptions.h"

#include "SettingOptions.h"

namespace leaf::cli {

namespace {

void ApplySetting(ConvertJob& job, const std::string& option, const std::string& value) {
  ApplySettingOption(*FindSettingOption(option), option, value, job.settings);
}

}  // namespace

std::vector<ConvertOption> SettingConvertOptions(std::initializer_list<std::string_view> sections) {
  std::vector<ConvertOption> options;
  for (const SettingDescription& s : kSettings) {
    if (!s.conversion) continue;
    for (std::string_view section : sections) {
      if (section == s.section) {
        options.push_back({s.option, SettingValueName(s), s.help, ApplySetting, &s});
      }
    }
  }
  return options;
}

std::vector<ConvertOptionGroup> ConvertOptionGroups() {
  return {
      {"General", GeneralConvertOptions()},
      {"JPEG", JpegConvertOptions()},
      {"DjVu and IW44", DjvuConvertOptions()},
      {"Editing (applied in the order given)", EditConvertOptions()},
      {"Text labels", LabelConvertOptions()},
  };
}

SaveParameters ConvertJob::saveParameters() const {
  SaveParameters parameters = SaveParametersFor(settings);
  if (noUpsample) parameters.djvu.upsample = kDjvuUpsampleNone;
  return parameters;
}

}  // namespace leaf::cli
