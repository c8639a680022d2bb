// The editing options of "convert": each adds one step to the job's edits,
// applied in the order given on the command line.
#include <climits>
#include <vector>

#include "Args.h"
#include "ConvertOptions.h"
#include "image/DepthConversions.h"
#include "image/Enlarge.h"
#include "image/NearestColor.h"
#include "image/Resampling.h"
#include "image/Selections.h"
#include "image/Thumbnail.h"
#include "image/Transforms.h"

namespace leaf::cli {

namespace {

constexpr int kMaxSide = 65535;

struct Size {
  int width;
  int height;
};

Size ParseSize(const std::string& option, const std::string& text) {
  const std::vector<std::string> sides = SplitText(text, 'x');
  if (sides.size() != 2) throw UsageError(option + " takes a size WxH, not '" + text + "'");
  return {ParseInt(option, sides[0], 1, kMaxSide), ParseInt(option, sides[1], 1, kMaxSide)};
}

int ParseMethod(const std::string& option, const std::string& name) {
  if (name == "single") return kSingleSample;
  if (name == "center" || name == "centre") return kFavorGridCenter;
  if (name == "average") return kGridAverage;
  throw UsageError(option + ": unknown scaling method '" + name + "' (single, center or average)");
}

// "WxH" or "WxH:method"; the method defaults to favouring the grid centre.
struct Resampling {
  Size size;
  int method = kFavorGridCenter;
};

Resampling ParseResampling(const std::string& option, const std::string& value) {
  const std::vector<std::string> parts = SplitText(value, ':');
  if (parts.size() > 2) throw UsageError(option + " takes WxH[:method], not '" + value + "'");
  const int method = parts.size() == 2 ? ParseMethod(option, parts[1]) : kFavorGridCenter;
  return {ParseSize(option, parts[0]), method};
}

// A fill colour: "#RRGGBB", or a whole number given to the operation as it
// stands (a palette index, or red + 256 green + 65536 blue for 24 bits).
struct Fill {
  bool isColour = true;
  uint32_t value = 0xFFFFFF;  // 0xRRGGBB when isColour
};

Fill ParseFill(const std::string& option, const std::string& text) {
  if (!text.empty() && text[0] == '#') return {true, ParseRgb(option, text)};
  return {false, static_cast<uint32_t>(ParseInt(option, text, 0, 0xFFFFFF))};
}

// The fill value Enlarge takes for a colour: packed for 24 bits, else the
// index of the nearest palette colour.
uint32_t FillValueFor(const DibRaster& r, uint32_t rgb) {
  const uint32_t packed = PackColor(rgb >> 16, rgb >> 8, rgb);
  return r.bitsPerPixel > 8 ? packed : NearestPaletteIndex(r, packed);
}

void AddEdit(ConvertJob& job, std::string description, std::function<bool(DibImage&)> apply) {
  job.edits.push_back({std::move(description),
                       [apply](DibImage& image, const std::string&) { return apply(image); }});
}

void ApplyFlip(ConvertJob& job, const std::string&, const std::string&) {
  AddEdit(job, "flip", [](DibImage& image) { return Flip(image, true); });
}

void ApplyMirror(ConvertJob& job, const std::string&, const std::string&) {
  AddEdit(job, "mirror", Mirror);
}

void ApplyRotate(ConvertJob& job, const std::string& option, const std::string& value) {
  bool (*rotate)(DibImage&) = nullptr;
  if (value == "left") rotate = RotateLeft;
  if (value == "right") rotate = RotateRight;
  if (value == "180") rotate = RotateHalfTurn;
  if (!rotate) throw UsageError(option + " takes left, right or 180, not '" + value + "'");
  AddEdit(job, "rotate", rotate);
}

void ApplyNegative(ConvertJob& job, const std::string&, const std::string&) {
  AddEdit(job, "make the negative", Negative);
}

void ApplyGray(ConvertJob& job, const std::string&, const std::string&) {
  AddEdit(job, "convert to gray", ToGray);
}

void ApplyCrop(ConvertJob& job, const std::string& option, const std::string& value) {
  const std::vector<std::string> parts = SplitText(value, ',');
  if (parts.size() != 4) throw UsageError(option + " takes L,T,R,B, not '" + value + "'");
  const SelectionRect rect{
      ParseInt(option, parts[0], 0, INT_MAX), ParseInt(option, parts[1], 0, INT_MAX),
      ParseInt(option, parts[2], 0, INT_MAX), ParseInt(option, parts[3], 0, INT_MAX)};
  AddEdit(job, "crop the image", [rect](DibImage& image) { return Crop(image, rect); });
}

void ApplyResize(ConvertJob& job, const std::string& option, const std::string& value) {
  const Resampling to = ParseResampling(option, value);
  AddEdit(job, "resize", [to](DibImage& image) {
    return Resize(image, to.size.width, to.size.height, to.method);
  });
}

void ApplyEnlarge(ConvertJob& job, const std::string& option, const std::string& value) {
  const std::vector<std::string> parts = SplitText(value, ':');
  if (parts.size() > 3) {
    throw UsageError(option + " takes WxH[:anchor[:colour]], not '" + value + "'");
  }
  const Size size = ParseSize(option, parts[0]);
  const int anchor = parts.size() > 1 ? ParseInt(option, parts[1], 1, 9) : 5;
  const Fill fill = parts.size() > 2 ? ParseFill(option, parts[2]) : Fill{};
  AddEdit(job, "enlarge", [size, anchor, fill](DibImage& image) {
    // Anchors count stored rows from the bottom of the picture: store it
    // bottom-up so that they mean what the help says.
    if (image.raster.rowOrder == kRowOrderTopDown && !Flip(image, false)) return false;
    const uint32_t c = fill.isColour ? FillValueFor(image.raster, fill.value) : fill.value;
    return Enlarge(image, size.width, size.height, anchor, c);
  });
}

void ApplyThumbnail(ConvertJob& job, const std::string& option, const std::string& value) {
  const Resampling to = ParseResampling(option, value);
  job.writeThumbnail = true;
  AddEdit(job, "make the thumbnail", [to](DibImage& image) {
    return MakeThumbnail(image, to.size.width, to.size.height, to.method);
  });
}

const ConvertOption kOptions[] = {
    {"--flip", nullptr, "turn the picture upside down", ApplyFlip},
    {"--mirror", nullptr, "mirror the picture left to right", ApplyMirror},
    {"--rotate", "DIR", "rotate a quarter turn left or right, or 180 degrees", ApplyRotate},
    {"--negative", nullptr, "invert the colours", ApplyNegative},
    {"--gray", nullptr, "convert to 8-bit gray", ApplyGray},
    {"--crop", "L,T,R,B", "keep only the rectangle (inclusive pixel coordinates, 0,0 = top left)",
     ApplyCrop},
    {"--resize", "WxH[:M]",
     "resample to W x H; M is the scaling method: single, center (default) or average",
     ApplyResize},
    {"--enlarge", "WxH[:A[:C]]",
     "grow the canvas to W x H; A is where the picture stays: 1 top left, 3 top right, "
     "7 bottom left, 9 bottom right, others centred (default); C is the fill, #RRGGBB "
     "(default white) or a raw palette index",
     ApplyEnlarge},
    {"--thumbnail", "WxH[:M]",
     "write a W x H thumbnail instead of the picture (methods as --resize)", ApplyThumbnail},
};

}  // namespace

std::span<const ConvertOption> EditConvertOptions() { return kOptions; }

}  // namespace leaf::cli
