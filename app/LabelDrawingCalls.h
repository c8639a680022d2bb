// The calls of the text drawing module (libleafsmith-labels.so), which draws
// label text with the platform's fonts through QtGui; the rest of the
// program reaches it through TextLabelDrawing.h and never links QtGui for
// it. Only plain data crosses: the module keeps no state its callers read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/AppSettings.h"

namespace leaf {

inline constexpr const char* kLabelModuleFile = "libleafsmith-labels.so";
inline constexpr const char* kLabelModuleEntry = "leafsmith_label_calls";
// Raised whenever the table or the data passed through it change.
inline constexpr unsigned kLabelModuleVersion = 1;

// Text drawn on one bit per pixel: `height` rows of `bytesPerRow` bytes, top
// row first, the most significant bit leftmost, set where the text is.
struct DrawnLabelText {
  std::string error;  // why nothing was drawn; "" when it was
  int width = 0;
  int height = 0;
  size_t bytesPerRow = 0;
  std::vector<uint8_t> bits;
  std::string fontUsed;  // the family the platform drew with
};

struct LabelDrawingCalls {
  // Makes sure there is a QGuiApplication (see PrepareTextDrawing).
  bool (*prepare)();
  // Draws content (placeholders already filled) in the settings' font and
  // alignment.
  DrawnLabelText (*draw)(const TextSettings& text, const std::string& content);
};

}  // namespace leaf

// The module's entry point: its calls, or null for a caller built for
// another version.
extern "C" __attribute__((visibility("default"))) const void* leafsmith_label_calls(
    unsigned version);
