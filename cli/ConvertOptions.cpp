#include "ConvertOptions.h"

namespace leaf::cli {

std::vector<ConvertOptionGroup> ConvertOptionGroups() {
  return {
      {"General", GeneralConvertOptions()},
      {"JPEG", JpegConvertOptions()},
      {"DjVu and IW44", DjvuConvertOptions()},
      {"Editing (applied in the order given)", EditConvertOptions()},
      {"Text labels", LabelConvertOptions()},
  };
}

}  // namespace leaf::cli
