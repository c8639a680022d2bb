// Text labels: a line or block of text stamped on a page, above, below, left
// or right of the picture (the canvas grows to make room) or inside it at one
// of nine anchors. The text is drawn by the platform (see app/TextLabelDrawing.h);
// here are its placeholders, the label raster made from the drawn text, and
// the stamping.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

#include "DibImage.h"

namespace leaf {

// Where a label goes.
inline constexpr int kLabelAbove = 2;
inline constexpr int kLabelLeft = 4;
inline constexpr int kLabelInside = 5;
inline constexpr int kLabelRight = 6;
inline constexpr int kLabelBelow = 8;

// How the label reads: along the page, or turned.
inline constexpr int kLabelLeftToRight = 0;
inline constexpr int kLabelBottomToTop = 1;
inline constexpr int kLabelTopToBottom = 2;

inline constexpr int kMaxLabelPadding = 32767;

struct LabelPlacement {
  int position = kLabelBelow;  // 2 above, 4 left, 5 inside, 6 right, 8 below
  int anchor = 5;              // inside: 1 top left .. 9 bottom right, as on a keypad turned over
  int paddingX = 0;            // pixels from the picture's left or right edge (inside)
  int paddingY = 0;            // pixels from its top or bottom edge (inside)
};

// The text with "$filename" (the file name), "$date" ("3/5/2001": month,
// day, year) and "$time" ("09:07:02") replaced, every occurrence, in this
// order; a replacement is never searched again.
std::string ExpandLabelPlaceholders(const std::string& content, const std::string& fileName,
                                    const std::tm& now);

// Makes the label raster from drawn text: `bits` holds `height` rows of
// `width` pixels, top row first, one bit per pixel (most significant bit
// leftmost), set where the text is. The label is 1 bit per pixel, stored
// bottom-up, palette entry 0 the background colour and entry 1 the text
// colour (both red + 256 green + 65536 blue); orientation 1 turns it left,
// 2 right. With a transparent background its background colour is skipped
// when it is stamped.
bool BuildTextLabel(DibImage& label, const uint8_t* bits, size_t bytesPerRow, int width, int height,
                    uint32_t textColor, uint32_t backgroundColor, int orientation,
                    bool transparentBackground);

// Stamps the label on the page: grows the canvas for a label outside the
// picture (in the label's background colour, or the nearest palette colour),
// then writes the label in, its colours matched to the page's palette. A
// label that does not fit, or an unknown position or anchor, fails with the
// page unchanged.
bool StampTextLabel(DibImage& page, const DibImage& label, const LabelPlacement& placement);

}  // namespace leaf
