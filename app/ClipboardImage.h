// Pictures between the page and the clipboard. What goes on the clipboard is
// a packed bitmap of the selection (header, palette, rows bottom-up) made a
// QImage, which Qt offers to other programs as PNG, BMP and the like; what
// comes from it is any QImage, made a packed bitmap of 1, 8 or 24 bits.
#pragma once

#include <QImage>

#include "image/DibImage.h"
#include "image/Selections.h"

namespace leaf {

// The rectangle of the page as a packed bitmap stored bottom-up, at the
// page's resolution. 1, 8 and 24-bit pages only ("Selections of %d bit
// images is not supported" otherwise).
bool CopySelectionBitmap(const DibImage& page, const SelectionRect& rect, DibImage& bitmap);

// A copy of a bitmap's picture as a QImage (top row first), with its
// resolution. Null for an empty bitmap.
QImage PictureOfBitmap(const DibImage& bitmap);

// A QImage as a packed bitmap stored bottom-up: 1-bit and palette pictures
// keep their palette, gray ones become an 8-bit gray ramp, everything else
// 24 bits; transparent parts are laid on white. False, with the reason in
// the message buffer, for an empty or too large picture.
bool BitmapOfPicture(const QImage& picture, DibImage& bitmap);

}  // namespace leaf
