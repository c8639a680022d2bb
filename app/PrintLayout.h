// Where a page goes on the printed sheet: its size from the image's
// resolution ("PrintSize" 0) or from its size on the screen (1), shrunk to
// the printable area when "ShrinkPrint" asks, and centred. Plain arithmetic,
// shared by printing and print preview.
#pragma once

namespace leaf {

inline constexpr int kPrintOriginalSize = 0;
inline constexpr int kPrintScreenSize = 1;

struct PrintInput {
  int width = 0;  // the image in pixels
  int height = 0;
  int xDpi = 0;  // its resolution; 0 or less when unknown
  int yDpi = 0;
  int printSize = kPrintOriginalSize;
  bool shrink = true;
  int zoomPercent = 100;   // the view's zoom, for the screen size
  double printerXDpi = 0;  // printer pixels per inch
  double printerYDpi = 0;
  double printableWidthMm = 0;
  double printableHeightMm = 0;
  double screenXDpi = 96;  // the screen's physical resolution
  double screenYDpi = 96;
};

enum class PrintCheck {
  Ok,
  UnknownResolution,  // original size asked for an image of unknown resolution
  UnknownPrintSize,   // "PrintSize" is neither 0 nor 1
  Empty,              // no image, or no printable area
};

struct PrintPlacement {
  int xPercent = 0;  // the scales, as whole percentages
  int yPercent = 0;
  int left = 0;  // in printer pixels from the printable area's top left
  int top = 0;
  int width = 0;  // the printed size in printer pixels
  int height = 0;
};

// Checks the input before any scale is worked out.
PrintCheck CheckPrintInput(const PrintInput& input);

// The printed size and place; the input must pass CheckPrintInput.
PrintPlacement PlacePrintedPage(const PrintInput& input);

}  // namespace leaf
