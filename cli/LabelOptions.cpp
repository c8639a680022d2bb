// The text label options of "convert": --label stamps a label where it
// stands among the editing options; the --label-... options give every label
// its look, starting from the settings' "Text" section.
#include <strings.h>

#include <cstdio>
#include <filesystem>

#include "Args.h"
#include "ConvertOptions.h"
#include "app/TextLabelDrawing.h"
#include "image/Messages.h"
#include "image/NearestColor.h"

namespace leaf::cli {

namespace {

struct Name {
  const char* text;
  int value;
};

int ParseName(const std::string& option, const std::string& value, std::span<const Name> names) {
  for (const Name& name : names) {
    if (value == name.text) return name.value;
  }
  std::string known;
  for (const Name& name : names) known += std::string(known.empty() ? "" : ", ") + name.text;
  throw UsageError(option + " takes " + known + ", not '" + value + "'");
}

constexpr Name kPositions[] = {{"above", kTextPositionAbove},
                               {"below", kTextPositionBelow},
                               {"left", kTextPositionLeft},
                               {"right", kTextPositionRight},
                               {"inside", kTextPositionInside}};
constexpr Name kAnchors[] = {{"top-left", 1},    {"top", 2},    {"top-right", 3},
                             {"left", 4},        {"center", 5}, {"right", 6},
                             {"bottom-left", 7}, {"bottom", 8}, {"bottom-right", 9}};
constexpr Name kAlignments[] = {{"left", 0}, {"center", 1}, {"right", 2}};
constexpr Name kOrientations[] = {{"left-to-right", kLabelLeftToRight},
                                  {"bottom-to-top", kLabelBottomToTop},
                                  {"top-to-bottom", kLabelTopToBottom}};

// The look every label of the job shares, made from the settings the first
// time an option asks for it.
TextSettings& Look(ConvertJob& job) {
  if (!job.label) job.label = std::make_shared<TextSettings>(job.settings.text);
  return *job.label;
}

uint32_t PackedRgb(uint32_t rgb) { return PackColor(rgb >> 16, rgb >> 8, rgb); }

// Says once per run that the font asked for is not there.
void NoteFontUsed(const std::string& asked, const std::string& used) {
  static bool noted = false;
  if (noted || used.empty() || strcasecmp(asked.c_str(), used.c_str()) == 0) return;
  noted = true;
  std::fprintf(stderr,
               "leafsmith-cli: the font \"%s\" is not installed; labels are drawn with \"%s\"\n",
               asked.c_str(), used.c_str());
}

bool Stamp(const TextSettings& look, const std::string& text, DibImage& image,
           const std::string& input) {
  TextSettings settings = look;
  if (!text.empty()) settings.content = text;
  std::string used;
  const std::string fileName = std::filesystem::path(input).filename().string();
  if (!StampSettingsLabel(settings, fileName, image, &used)) return false;
  NoteFontUsed(settings.fontName, used);
  return true;
}

void ApplyLabel(ConvertJob& job, const std::string&, const std::string& value) {
  // Here, on the main thread, before any worker draws. When the text cannot
  // be drawn (the module is missing), each label fails with the reason.
  PrepareTextDrawing();
  Look(job);
  ++job.labels;
  const std::shared_ptr<const TextSettings> look = job.label;
  job.edits.push_back(
      {"stamp the text label", [look, value](DibImage& image, const std::string& input) {
         return Stamp(*look, value, image, input);
       }});
}

void ApplyPosition(ConvertJob& job, const std::string& option, const std::string& value) {
  TextSettings& look = Look(job);
  look.position = ParseName(option, value, kPositions);
  // Beside the page a label reads along the edge, as the Add Text dialog sets it.
  look.orientation = look.position == kTextPositionLeft    ? kLabelBottomToTop
                     : look.position == kTextPositionRight ? kLabelTopToBottom
                                                           : kLabelLeftToRight;
}

void ApplyAnchor(ConvertJob& job, const std::string& option, const std::string& value) {
  TextSettings& look = Look(job);
  look.insideAnchor = ParseName(option, value, kAnchors);
  look.position = kTextPositionInside;
}

void ApplyPadding(ConvertJob& job, const std::string& option, const std::string& value) {
  const std::vector<std::string> parts = SplitText(value, ',');
  if (parts.size() > 2) throw UsageError(option + " takes H or H,V, not '" + value + "'");
  TextSettings& look = Look(job);
  look.paddingX = ParseInt(option, parts[0], 0, kMaxLabelPadding);
  look.paddingY =
      parts.size() == 2 ? ParseInt(option, parts[1], 0, kMaxLabelPadding) : look.paddingX;
}

void ApplyFont(ConvertJob& job, const std::string& option, const std::string& value) {
  if (value.empty() || value.size() > kMaxFontNameLength) {
    throw UsageError(option + " takes a font name of 1 to 32 characters");
  }
  Look(job).fontName = value;
}

void ApplySize(ConvertJob& job, const std::string& option, const std::string& value) {
  Look(job).fontSize = -ParseInt(option, value, 1, 4096);
}

void ApplyBold(ConvertJob& job, const std::string&, const std::string&) {
  Look(job).fontWeight = 700;
}
void ApplyItalic(ConvertJob& job, const std::string&, const std::string&) {
  Look(job).fontItalic = 1;
}
void ApplyUnderline(ConvertJob& job, const std::string&, const std::string&) {
  Look(job).fontUnderline = 1;
}
void ApplyStrikeout(ConvertJob& job, const std::string&, const std::string&) {
  Look(job).fontStrikeout = 1;
}

void ApplyColor(ConvertJob& job, const std::string& option, const std::string& value) {
  Look(job).foregroundColor = static_cast<int>(PackedRgb(ParseRgb(option, value)));
}

void ApplyBackground(ConvertJob& job, const std::string& option, const std::string& value) {
  Look(job).backgroundColor = static_cast<int>(PackedRgb(ParseRgb(option, value)));
}

void ApplyTransparent(ConvertJob& job, const std::string&, const std::string&) {
  Look(job).transparentBackground = 1;
}

void ApplyAlign(ConvertJob& job, const std::string& option, const std::string& value) {
  Look(job).align = ParseName(option, value, kAlignments);
}

void ApplyOrientation(ConvertJob& job, const std::string& option, const std::string& value) {
  Look(job).orientation = ParseName(option, value, kOrientations);
}

const ConvertOption kOptions[] = {
    {"--label", "TEXT",
     "stamp a text label here among the edits; $filename, $date and $time are filled in, a "
     "line break starts a new line; \"\" takes the settings' TextContent",
     ApplyLabel},
    {"--label-position", "WHERE",
     "above, below, left, right (reading along the edge) or inside; default: the settings'",
     ApplyPosition},
    {"--label-anchor", "A",
     "inside the page: top-left, top, top-right, left, center, right, bottom-left, bottom, "
     "bottom-right",
     ApplyAnchor},
    {"--label-padding", "H[,V]", "pixels between an inside label and the page's edges",
     ApplyPadding},
    {"--label-font", "NAME", "font family (a similar one stands in for a missing font)", ApplyFont},
    {"--label-size", "PIXELS", "height of the characters in the page's pixels", ApplySize},
    {"--label-bold", nullptr, "bold letters", ApplyBold},
    {"--label-italic", nullptr, "italic letters", ApplyItalic},
    {"--label-underline", nullptr, "underlined text", ApplyUnderline},
    {"--label-strikeout", nullptr, "struck-out text", ApplyStrikeout},
    {"--label-color", "#RRGGBB", "colour of the text (nearest palette colour on palette pages)",
     ApplyColor},
    {"--label-background", "#RRGGBB", "colour of the label's ground", ApplyBackground},
    {"--label-transparent", nullptr, "let the page show between the letters", ApplyTransparent},
    {"--label-align", "HOW", "lines of the label: left, center or right", ApplyAlign},
    {"--label-orientation", "HOW", "left-to-right, bottom-to-top or top-to-bottom",
     ApplyOrientation},
};

}  // namespace

std::span<const ConvertOption> LabelConvertOptions() { return kOptions; }

}  // namespace leaf::cli
