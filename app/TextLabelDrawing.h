// The text of a label drawn with the platform's fonts (QtGui: QFont and
// QPainter on a 1-bit QImage); the label raster and its stamping are the
// engine's (image/TextLabel.h). Used by the desktop program and the command
// line; neither needs a display.
#pragma once

#include <QFont>
#include <string>

#include "app/AppSettings.h"
#include "image/DibImage.h"
#include "image/TextLabel.h"

namespace leaf {

// Text drawing needs a QGuiApplication. A program without one (the command
// line) gets one on the offscreen platform, which needs no display; call it
// from the main thread before the first label is drawn. False when the
// program has an application object of another kind.
bool PrepareTextDrawing();

// The font a text settings record describes. The height is in pixels, in
// the convention of the settings file: negative, the height of the
// characters; positive, the height of the whole line.
QFont LabelFont(const TextSettings& text);

// Fills `label` with the settings' text, the placeholders filled with the
// file name and the present local date and time, in the settings' font,
// alignment, colours, orientation and transparency. `fontUsed`, when given,
// gets the family the platform drew with (a missing font is replaced by a
// similar one). False, with the reason in the message buffer, for an empty
// text, no fonts at all, or a label too large to make.
bool MakeTextLabel(const TextSettings& text, const std::string& fileName, DibImage& label,
                   std::string* fontUsed = nullptr);

// Makes the label for a page read from the file fileName and stamps it
// where the settings put it; false with the reason in the message buffer.
bool StampSettingsLabel(const TextSettings& text, const std::string& fileName, DibImage& page,
                        std::string* fontUsed = nullptr);

// Where the settings put a label.
LabelPlacement LabelPlacementOf(const TextSettings& text);

}  // namespace leaf
