#include "ConvertOptions.h"

namespace leaf::cli {

std::vector<ConvertOptionGroup> ConvertOptionGroups() {
  return {
      {"General", GeneralConvertOptions()},
      {"JPEG", JpegConvertOptions()},
      {"DjVu and IW44", DjvuConvertOptions()},
      {"Text recognition (DjVu)", OcrConvertOptions()},
      {"Editing (applied in the order given)", EditConvertOptions()},
  };
}

SaveParameters ConvertJob::saveParameters() const {
  SaveParameters parameters = SaveParametersFor(settings);
  if (noUpsample) parameters.djvu.upsample = kDjvuUpsampleNone;
  if (ocr.enabled) parameters.djvu.ocr = ocr;
  return parameters;
}

}  // namespace leaf::cli
