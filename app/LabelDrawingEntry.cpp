// The only symbol the text drawing module exports.
#include "LabelRaster.h"

const void* leafsmith_label_calls(unsigned version) {
  static constexpr leaf::LabelDrawingCalls kCalls = {leaf::PrepareQtTextDrawing,
                                                     leaf::DrawLabelText};
  return version == leaf::kLabelModuleVersion ? &kCalls : nullptr;
}
