// Label text drawn with the platform's fonts (QtGui: QFont and QPainter on a
// 1-bit QImage). This is the text drawing module's code; the program uses it
// through TextLabelDrawing.h, which loads the module when a label is made.
#pragma once

#include <QFont>
#include <string>

#include "LabelDrawingCalls.h"

namespace leaf {

// Text drawing needs a QGuiApplication. A program without one (the command
// line) gets one on the offscreen platform, which needs no display; call it
// from the main thread before the first label is drawn. False when the
// program has an application object of another kind.
bool PrepareQtTextDrawing();

// The font a text settings record describes. The height is in pixels, in
// the convention of the settings file: negative, the height of the
// characters; positive, the height of the whole line.
QFont LabelFont(const TextSettings& text);

// Draws content in the settings' font and alignment; the error says why not
// for no application to draw with, no fonts at all, an empty text or a
// label too large to make.
DrawnLabelText DrawLabelText(const TextSettings& text, const std::string& content);

}  // namespace leaf
