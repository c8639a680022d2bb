// Text labels made from the settings and stamped on pages, for the desktop
// program and the command line; neither needs a display. The text is drawn
// with the platform's fonts by the text drawing module (LabelRaster.h),
// loaded the first time a label is asked for, so that this code needs no
// QtGui; the label raster and its stamping are the engine's
// (image/TextLabel.h).
#pragma once

#include <string>

#include "app/AppSettings.h"
#include "image/DibImage.h"
#include "image/TextLabel.h"

namespace leaf {

// Text drawing needs a QGuiApplication. A program without one (the command
// line) gets one on the offscreen platform, which needs no display; call it
// from the main thread before the first label is drawn. False when the
// program has an application object of another kind, or the text drawing
// module cannot be loaded (MakeTextLabel then says why).
bool PrepareTextDrawing();

// Fills `label` with the settings' text, the placeholders filled with the
// file name and the present local date and time, in the settings' font,
// alignment, colours, orientation and transparency. `fontUsed`, when given,
// gets the family the platform drew with (a missing font is replaced by a
// similar one). False, with the reason in the message buffer, for an empty
// text, no fonts at all, a label too large to make, or no text drawing.
bool MakeTextLabel(const TextSettings& text, const std::string& fileName, DibImage& label,
                   std::string* fontUsed = nullptr);

// Makes the label for a page read from the file fileName and stamps it
// where the settings put it; false with the reason in the message buffer.
bool StampSettingsLabel(const TextSettings& text, const std::string& fileName, DibImage& page,
                        std::string* fontUsed = nullptr);

// Where the settings put a label.
LabelPlacement LabelPlacementOf(const TextSettings& text);

}  // namespace leaf
