#include "ConvertOptions.h"

namespace leaf::cli {

std::vector<ConvertOptionGroup> ConvertOptionGroups() {
  return {
      {"General", GeneralConvertOptions()},
      {"JPEG", JpegConvertOptions()},
      {"DjVu and IW44", DjvuConvertOptions()},
      {"Editing (applied in the order given)", EditConvertOptions()},
  };
}

SaveParameters ConvertJob::saveParameters() const {
  SaveParameters parameters = SaveParametersFor(settings);
  if (noUpsample) parameters.djvu.upsample = kDjvuUpsampleNone;
  return parameters;
}

}  // namespace leaf::cli
