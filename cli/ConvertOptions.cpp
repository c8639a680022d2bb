#include "ConvertOptions.h"

namespace leaf::cli {

std::vector<ConvertOptionGroup> ConvertOptionGroups() {
  return {
      {"General", GeneralConvertOptions()},
      {"JPEG", JpegConvertOptions()},
      {"Editing (applied in the order given)", EditConvertOptions()},
  };
}

}  // namespace leaf::cli
