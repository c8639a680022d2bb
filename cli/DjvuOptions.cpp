// The DjVu and IW44 settings as options of "convert"; each overrides the
// settings file's value for this conversion.
#include "ConvertOptions.h"

namespace leaf::cli {

std::span<const ConvertOption> DjvuConvertOptions() {
  static const std::vector<ConvertOption> options = SettingConvertOptions({"DjVu", "IW44"});
  return options;
}

}  // namespace leaf::cli
