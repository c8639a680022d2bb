#include "TextLabelDrawing.h"

#include <ctime>

#include "LabelDrawingCalls.h"
#include "image/Messages.h"
#include "loader/LoadableModule.h"

namespace leaf {

namespace {

using LabelModuleCalls = ModuleCalls<LabelDrawingCalls>;

const LabelModuleCalls& LabelModule() {
  static const LabelModuleCalls module = TypedModuleCalls<LabelDrawingCalls>(
      LoadModule(kLabelModuleFile, kLabelModuleEntry, kLabelModuleVersion),
      "Text labels cannot be drawn here");
  return module;
}

}  // namespace

bool PrepareTextDrawing() {
  const LabelModuleCalls& module = LabelModule();
  // Without the module the labels fail, each with the reason.
  return module.calls && module.calls->prepare();
}

LabelPlacement LabelPlacementOf(const TextSettings& text) {
  LabelPlacement placement;
  placement.position = text.position;
  placement.anchor = text.insideAnchor;
  placement.paddingX = text.paddingX;
  placement.paddingY = text.paddingY;
  return placement;
}

bool MakeTextLabel(const TextSettings& text, const std::string& fileName, DibImage& label,
                   std::string* fontUsed) {
  const LabelModuleCalls& module = LabelModule();
  if (!module.calls) return label.Fail("%s", module.error.c_str());
  const std::time_t clock = std::time(nullptr);
  std::tm now{};
  localtime_r(&clock, &now);
  const DrawnLabelText drawn =
      module.calls->draw(text, ExpandLabelPlaceholders(text.content, fileName, now));
  if (!drawn.error.empty()) return label.Fail("%s", drawn.error.c_str());
  if (fontUsed) *fontUsed = drawn.fontUsed;
  return BuildTextLabel(label, drawn.bits.data(), drawn.bytesPerRow, drawn.width, drawn.height,
                        static_cast<uint32_t>(text.foregroundColor),
                        static_cast<uint32_t>(text.backgroundColor), text.orientation,
                        text.transparentBackground != 0);
}

bool StampSettingsLabel(const TextSettings& text, const std::string& fileName, DibImage& page,
                        std::string* fontUsed) {
  DibImage label;
  if (!MakeTextLabel(text, fileName, label, fontUsed)) {
    const std::string reason = LastMessage();
    SetMessage("the label could not be made: %s", reason.c_str());
    return false;
  }
  return StampTextLabel(page, label, LabelPlacementOf(text));
}

}  // namespace leaf
