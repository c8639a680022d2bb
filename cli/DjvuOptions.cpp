// The DjVu and IW44 settings as options of "convert"; each overrides the
// settings file's value for this conversion.
#include "Args.h"
#include "ConvertOptions.h"

namespace leaf::cli {

namespace {

// "auto" chooses from the page's resolution (setting 0); 1 never enlarges,
// which no setting says, so the job keeps it.
void ApplyUpsample(ConvertJob& job, const std::string& option, const std::string& value) {
  constexpr const SettingDescription& upsample = Setting("DjvuUpsample");
  const int factor =
      value == "auto" ? 0 : ParseInt(option, value, upsample.lowest() + 1, upsample.highest() + 1);
  job.settings.djvuUpsample = factor == 0 ? 0 : factor - 1;
  job.noUpsample = factor == 1;
}

std::vector<ConvertOption> DjvuOptions() {
  std::vector<ConvertOption> options = SettingConvertOptions({"DjVu", "IW44"});
  options.push_back({"--upsample", "N",
                     "enlarge colour and gray pages N times (1..4) before saving as DjVu; auto "
                     "(the default): pages below 200 dpi until they have 250 (beyond 2x "
                     "at most 13.5 megapixels, 2x at most 36), but not photographs",
                     ApplyUpsample});
  return options;
}

}  // namespace

std::span<const ConvertOption> DjvuConvertOptions() {
  static const std::vector<ConvertOption> options = DjvuOptions();
  return options;
}

}  // namespace leaf::cli
