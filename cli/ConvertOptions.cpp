#include "ConvertOptions.h"

namespace leaf::cli {

std::vector<ConvertOptionGroup> ConvertOptionGroups() {
  return {
      {"General", GeneralConvertOptions()},
      {"JPEG", JpegConvertOptions()},
  };
}

}  // namespace leaf::cli
