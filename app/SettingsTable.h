// One description of every profile setting: its section and key, its type,
// the range it must lie in, what becomes of a stored value outside it, its
// command-line option and the dialog that edits it. The profile store, the
// command line (its options and --help) and the settings dialogs' ranges
// are all made from this table, so a range moved here moves everywhere.
// A setting's default is the initial value of its field in AppSettings
// (directories default to the program directory, see AppSettings::Defaults).
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "AppSettings.h"

namespace leaf {

enum class SettingType {
  kNumber,  // a whole number in minimum..maximum
  kSwitch,  // 0 or 1
  kChoice,  // one of the listed whole numbers
  kGamma,   // a decimal in minimum..maximum, stored as text "%2.1f"
  kFolder,  // a directory path
  kText,    // any text
};

// What loading does with a stored number outside the range.
enum class OutOfRange {
  kClamp,       // the nearest end of the range
  kUseDefault,  // the default (a code that means nothing when clamped)
};

// Where the user edits a setting. kProgram: the program keeps it itself (the
// last folder of a file dialog, the start-up hint's check box).
enum class SettingEditor {
  kProgram,
  kGeneralSettings,
  kDjvuSettings,
  kAdvancedDjvu,
  kIw44Settings,
  kJpegSettings,
  kThumbnailOptions,
  kBatchSettings,
  kSweeperOptions,
  kTextLabel,
};

struct SettingDescription {
  const char* section;
  const char* key;
  SettingType type;
  double minimum = 0;  // numbers, switches and gammas
  double maximum = 0;
  std::span<const int> choices = {};  // kChoice: the values kept
  OutOfRange outOfRange = OutOfRange::kClamp;
  SettingEditor editor = SettingEditor::kProgram;
  // The command-line option, its help, and whether "convert" takes it (the
  // settings a conversion uses); "settings" takes every option.
  const char* option = nullptr;
  const char* help = nullptr;
  bool conversion = false;
  // The field; the one that matches the type is set.
  int& (*integer)(AppSettings&) = nullptr;
  float& (*decimal)(AppSettings&) = nullptr;
  std::string& (*text)(AppSettings&) = nullptr;

  bool isInteger() const { return integer != nullptr; }
  int lowest() const { return static_cast<int>(minimum); }
  int highest() const { return static_cast<int>(maximum); }
};

namespace settings_fields {

template <auto Field>
int& Int(AppSettings& s) {
  return s.*Field;
}
template <auto Field>
int& TextInt(AppSettings& s) {
  return s.text.*Field;
}
template <auto Field>
float& Float(AppSettings& s) {
  return s.*Field;
}
template <auto Field>
std::string& String(AppSettings& s) {
  return s.*Field;
}
template <auto Field>
std::string& TextString(AppSettings& s) {
  return s.text.*Field;
}

inline constexpr int kPhotoResolutions[] = {25, 50, 100, 150, 200, 300};
inline constexpr int kOpenTypes[] = {1, 2, 3, 4, 5, 6, 7, 8, 100};
inline constexpr int kSaveTypes[] = {1, 2, 3, 4, 5, 8};
inline constexpr int kListTypes[] = {1, 2, 3, 4, 5, 6, 100};
inline constexpr int kBatchTypes[] = {0, 1, 2, 3, 4, 5};
inline constexpr int kSweepTypes[] = {1, 2, 3, 4, 5, 99};
inline constexpr int kQuickSets[] = {-1, 0, 1, 2};
inline constexpr int kTextPositions[] = {kTextPositionAbove, kTextPositionLeft, kTextPositionInside,
                                         kTextPositionRight, kTextPositionBelow};

using T = SettingType;
using E = SettingEditor;
using S = SettingDescription;
using A = AppSettings;
using X = TextSettings;

// The parts every entry has.
constexpr S Entry(const char* section, const char* key, T type, double minimum, double maximum,
                  E editor, const char* option, const char* help, bool conversion) {
  S s{section, key, type, minimum, maximum};
  s.editor = editor;
  s.option = option;
  s.help = help;
  s.conversion = conversion;
  return s;
}

constexpr S Number(const char* section, const char* key, int& (*field)(A&), int minimum,
                   int maximum, E editor, const char* option, const char* help,
                   bool conversion = false) {
  S s = Entry(section, key, T::kNumber, minimum, maximum, editor, option, help, conversion);
  s.integer = field;
  return s;
}

constexpr S Switch(const char* section, const char* key, int& (*field)(A&), E editor,
                   const char* option, const char* help, bool conversion = false) {
  S s = Number(section, key, field, 0, 1, editor, option, help, conversion);
  s.type = T::kSwitch;
  return s;
}

constexpr S Choice(const char* section, const char* key, int& (*field)(A&),
                   std::span<const int> choices, E editor, const char* option, const char* help,
                   bool conversion = false) {
  S s = Number(section, key, field, choices.front(), choices.back(), editor, option, help,
               conversion);
  s.type = T::kChoice;
  s.choices = choices;
  s.outOfRange = OutOfRange::kUseDefault;
  return s;
}

constexpr S Gamma(const char* section, const char* key, float& (*field)(A&), E editor,
                  const char* option, const char* help, bool conversion = false) {
  S s = Entry(section, key, T::kGamma, 0.1, 10.0, editor, option, help, conversion);
  s.decimal = field;
  return s;
}

constexpr S Words(const char* section, const char* key, std::string& (*field)(A&), T type, E editor,
                  const char* option, const char* help) {
  S s = Entry(section, key, type, 0, 0, editor, option, help, false);
  s.text = field;
  return s;
}

// A text setting that conversions take.
constexpr S ConversionWords(const char* section, const char* key, std::string& (*field)(A&),
                            E editor, const char* option, const char* help) {
  S s = Words(section, key, field, T::kText, editor, option, help);
  s.conversion = true;
  return s;
}

// In the order the profile is written.
inline constexpr S kSettingsTable[] = {
    // General
    Number("General", "ImageFit", Int<&A::imageFit>, 0, 3, E::kGeneralSettings, "--image-fit",
           "fit an opened page: 0 width, 1 height, 2 both, 3 not at all"),
    Switch("General", "WindowFit", Int<&A::windowFit>, E::kGeneralSettings, "--window-fit",
           "fit the window to the page"),
    Switch("General", "WindowCenter", Int<&A::windowCenter>, E::kGeneralSettings, "--window-center",
           "centre the window after fitting it"),
    Words("General", "OpenDir", String<&A::openDir>, T::kFolder, E::kProgram, "--open-dir",
          "folder of the last Open"),
    Choice("General", "OpenType", Int<&A::openType>, kOpenTypes, E::kProgram, "--open-type",
           "type filter of the last Open; 7 is all supported files"),
    Words("General", "SaveDir", String<&A::saveDir>, T::kFolder, E::kProgram, "--save-dir",
          "folder of the last Save As"),
    Choice("General", "SaveType", Int<&A::saveType>, kSaveTypes, E::kProgram, "--save-type",
           "type of the last Save As"),
    Words("General", "LCOpenDir", String<&A::lcOpenDir>, T::kFolder, E::kProgram, "--list-dir",
          "folder of the selection bar's file list"),
    Choice("General", "LCOpenType", Int<&A::lcOpenType>, kListTypes, E::kProgram, "--list-type",
           "type filter of the selection bar's file list; 100 is all"),
    Switch("General", "NoStartupInfo", Int<&A::noStartupInfo>, E::kProgram, "--no-startup-info",
           "do not show the start-up hint"),
    Number("General", "PrintSize", Int<&A::printSize>, 0, 1, E::kGeneralSettings, "--print-size",
           "print at 0 the original size, 1 the screen size"),
    Switch("General", "ShrinkPrint", Int<&A::shrinkPrint>, E::kGeneralSettings, "--shrink-print",
           "shrink a page to fit the paper"),
    Switch("General", "FancyZoom", Int<&A::fancyZoom>, E::kGeneralSettings, "--fancy-zoom",
           "fancy zooming of DjVu pages"),
    Switch("General", "Dither", Int<&A::dither>, E::kGeneralSettings, "--dither",
           "dither on displays of few colours"),
    Gamma("General", "DisplayGamma", Float<&A::displayGamma>, E::kGeneralSettings,
          "--display-gamma", "display gamma of DjVu and IW44 pages"),
    Number("General", "SlideDelay", Int<&A::slideDelay>, 1, 600, E::kGeneralSettings,
           "--slide-delay", "slideshow delay in seconds"),
    Number("General", "MaxMegapixels", Int<&A::maxMegapixels>, 1, kLargestMegapixelLimit,
           E::kProgram, "--max-megapixels",
           "refuse pictures larger than this many megapixels, opened or made", true),
    // DjVu
    Choice("DjVu", "DjvuQuickSet", Int<&A::djvuQuickSet>, kQuickSets, E::kDjvuSettings,
           "--quick-set",
           "DjVu source: 0 high, 1 medium, 2 low resolution, -1 custom; sets the text and "
           "upsampling options of its preset",
           true),
    Number("DjVu", "DjvuPhotoQty", Int<&A::djvuPhotoQty>, 20, 100, E::kDjvuSettings, "--quality",
           "DjVu background quality", true),
    Choice("DjVu", "DjvuPhotoRes", Int<&A::djvuPhotoRes>, kPhotoResolutions, E::kDjvuSettings,
           "--bg-dpi", "DjVu background resolution", true),
    Switch("DjVu", "DjvuNoThick", Int<&A::djvuNoThick>, E::kAdvancedDjvu, "--no-thicken",
           "do not thicken the DjVu text by a pixel", true),
    Switch("DjVu", "DjvuLossless", Int<&A::djvuLossless>, E::kAdvancedDjvu, "--lossless",
           "keep every mark of the DjVu text mask", true),
    Switch("DjVu", "DjvuAggressive", Int<&A::djvuAggressive>, E::kAdvancedDjvu, "--aggressive",
           "also drop specks from the DjVu text mask", true),
    Switch("DjVu", "DjvuTextOnly", Int<&A::djvuTextOnly>, E::kAdvancedDjvu, "--text-only",
           "write only the black-and-white text mask", true),
    Gamma("DjVu", "DjvuPhotoGamma", Float<&A::djvuPhotoGamma>, E::kAdvancedDjvu, "--gamma",
          "gamma of the source for DjVu", true),
    Switch("DjVu", "DjvuNoColorFilter", Int<&A::djvuNoColorFilter>, E::kAdvancedDjvu,
           "--no-color-filter", "mask: no colour filter", true),
    Switch("DjVu", "DjvuNoInvFilter", Int<&A::djvuNoInvFilter>, E::kAdvancedDjvu, "--no-inv-filter",
           "mask: no inverted-text filter", true),
    Switch("DjVu", "DjvuNoSizeFilter", Int<&A::djvuNoSizeFilter>, E::kAdvancedDjvu,
           "--no-size-filter", "mask: no size filter", true),
    Number("DjVu", "DjvuFilterLevel", Int<&A::djvuFilterLevel>, -200, 200, E::kAdvancedDjvu,
           "--filter-level", "mask filter level; larger keeps more", true),
    Number("DjVu", "DjvuForeback", Int<&A::djvuForeback>, 0, 255, E::kAdvancedDjvu, "--foreback",
           "mask foreback level; 0 is off", true),
    Number("DjVu", "DjvuUpsample", Int<&A::djvuUpsample>, 0, 3, E::kAdvancedDjvu, "--djvu-upsample",
           "enlarging before saving as DjVu: 0 automatic, 1 2x, 2 3x, 3 4x (convert: --upsample)"),
    Switch("DjVu", "DjvuOcr", Int<&A::djvuOcr>, E::kDjvuSettings, "--ocr",
           "add searchable text: recognise the text of DjVu pages as scanned (beside the "
           "encoder) into a hidden text layer",
           true),
    ConversionWords("DjVu", "DjvuOcrLang", String<&A::djvuOcrLang>, E::kDjvuSettings, "--ocr-lang",
                    "languages of the text recognition, tesseract's names joined by '+' (eng+deu); "
                    "each needs its Debian package tesseract-ocr-NAME"),
    // IW44
    Number("IW44", "Iw44PhotoQty", Int<&A::iw44PhotoQty>, 20, 100, E::kIw44Settings,
           "--iw44-quality", "IW44 quality", true),
    Number("IW44", "Iw44Crcb", Int<&A::iw44Crcb>, 0, 2, E::kIw44Settings, "--crcb",
           "IW44 colour: 0 half, 1 full, 2 none (gray)", true),
    Gamma("IW44", "Iw44PhotoGamma", Float<&A::iw44PhotoGamma>, E::kIw44Settings, "--iw44-gamma",
          "gamma of the source for IW44", true),
    // JPEG
    Number("JPEG", "JpegQty", Int<&A::jpegQty>, 0, 100, E::kJpegSettings, "--jpeg-quality",
           "JPEG quality", true),
    Number("JPEG", "JpegSmooth", Int<&A::jpegSmooth>, 0, 100, E::kJpegSettings, "--jpeg-smooth",
           "JPEG smoothing", true),
    Switch("JPEG", "JpegOptHuff", Int<&A::jpegOptHuff>, E::kJpegSettings, "--jpeg-optimize",
           "optimal JPEG Huffman tables", true),
    Number("JPEG", "JpegEncodeDCT", Int<&A::jpegEncodeDct>, 0, 2, E::kJpegSettings,
           "--jpeg-encode-dct", "DCT method of JPEG writing: 0 accurate, 1 fast, 2 float", true),
    Number("JPEG", "JpegDecodeDCT", Int<&A::jpegDecodeDct>, 0, 2, E::kJpegSettings,
           "--jpeg-decode-dct", "DCT method of JPEG reading: 0 accurate, 1 fast, 2 float", true),
    // General again: the batch output
    Words("General", "LCSaveDir", String<&A::lcSaveDir>, T::kFolder, E::kBatchSettings,
          "--batch-dir", "batch and thumbnail output folder"),
    Choice("General", "LCSaveType", Int<&A::lcSaveType>, kBatchTypes, E::kBatchSettings,
           "--batch-type", "batch output type; 0 is none chosen"),
    // Sweep
    Words("Sweep", "SweepOpenDir", String<&A::sweepOpenDir>, T::kFolder, E::kSweeperOptions,
          "--sweep-input", "sweeper input folder"),
    Words("Sweep", "SweepSaveDir", String<&A::sweepSaveDir>, T::kFolder, E::kSweeperOptions,
          "--sweep-output", "sweeper output folder"),
    Words("Sweep", "SweepArchiveDir", String<&A::sweepArchiveDir>, T::kFolder, E::kSweeperOptions,
          "--sweep-archive", "sweeper archive folder"),
    Choice("Sweep", "SweepSaveType", Int<&A::sweepSaveType>, kSweepTypes, E::kSweeperOptions,
           "--sweep-type", "sweeper output type; 99 is none"),
    // Scan: kept by Select Source and New Scan
    Words("Scan", "ScanDevice", String<&A::scanDevice>, T::kText, E::kProgram, "--scan-device",
          "the scanner Select Source chose (its SANE name); empty: the first found"),
    Words("Scan", "ScanMode", String<&A::scanMode>, T::kText, E::kProgram, "--scan-mode",
          "mode of the last scan: color, gray or lineart; empty: the device's"),
    Number("Scan", "ScanResolution", Int<&A::scanResolution>, 0, 19200, E::kProgram,
           "--scan-resolution", "resolution of the last scan in dpi; 0: the device's"),
    Words("Scan", "ScanSource", String<&A::scanSource>, T::kText, E::kProgram, "--scan-source",
          "source of the last scan (the device's name for it); empty: the device's"),
    // Text
    Number("Text", "TextAlign", TextInt<&X::align>, 0, 2, E::kTextLabel, "--text-align",
           "label lines: 0 left, 1 centred, 2 right"),
    Number("Text", "TextOrientation", TextInt<&X::orientation>, 0, 2, E::kTextLabel,
           "--text-orientation", "label text: 0 left to right, 1 bottom to top, 2 top to bottom"),
    Number("Text", "TextForegroundColor", TextInt<&X::foregroundColor>, 0, 0xFFFFFF, E::kTextLabel,
           "--text-color", "label text colour, 0x00BBGGRR as a number"),
    Number("Text", "TextBackgroundColor", TextInt<&X::backgroundColor>, 0, 0xFFFFFF, E::kTextLabel,
           "--text-background", "label background colour, 0x00BBGGRR as a number"),
    Choice("Text", "TextPosition", TextInt<&X::position>, kTextPositions, E::kTextLabel,
           "--text-position", "label place: 2 above, 4 left, 5 inside, 6 right, 8 below"),
    Switch("Text", "TextTransparentBackground", TextInt<&X::transparentBackground>, E::kTextLabel,
           "--text-transparent", "transparent label background"),
    Words("Text", "TextContent", TextString<&X::content>, T::kText, E::kTextLabel, "--text-content",
          "label text; $filename, $date and $time are filled in"),
    Words("Text", "TextFontName", TextString<&X::fontName>, T::kText, E::kTextLabel, "--text-font",
          "label font face (at most 32 characters kept)"),
    Number("Text", "TextFontSize", TextInt<&X::fontSize>, -1000, 1000, E::kTextLabel,
           "--text-font-size", "label font height (negative: character height)"),
    Number("Text", "TextFontWeight", TextInt<&X::fontWeight>, 0, 1000, E::kTextLabel,
           "--text-font-weight", "label font weight (400 normal, 700 bold)"),
    Switch("Text", "TextFontItalic", TextInt<&X::fontItalic>, E::kTextLabel, "--text-italic",
           "italic label font"),
    Switch("Text", "TextFontUnderline", TextInt<&X::fontUnderline>, E::kTextLabel,
           "--text-underline", "underlined label font"),
    Switch("Text", "TextFontStrikeout", TextInt<&X::fontStrikeout>, E::kTextLabel,
           "--text-strikeout", "struck-out label font"),
};

}  // namespace settings_fields

inline constexpr std::span<const SettingDescription> kSettings = settings_fields::kSettingsTable;

// The description of a key; a key that is not in the table does not compile
// where it is looked up in a constant expression.
consteval const SettingDescription& Setting(std::string_view key) {
  for (const SettingDescription& s : settings_fields::kSettingsTable) {
    if (std::string_view(s.key) == key) return s;
  }
  throw "no such setting";
}

// The description with that key or option (runtime lookups); nullptr when none.
const SettingDescription* FindSetting(std::string_view key);
const SettingDescription* FindSettingOption(std::string_view option);

// A setting's value and its default (the default directory for folders) as
// text: whole numbers in decimal, gammas "%2.1f", texts as they stand.
std::string SettingValueText(const SettingDescription& s, const AppSettings& settings);
std::string SettingDefaultText(const SettingDescription& s, const std::string& defaultDirectory);
// The allowed values for a user: "20..100", "25, 50, 100", "0.1..10.0"; empty
// for switches and texts.
std::string SettingRangeText(const SettingDescription& s);

// Sets a setting from stored text the way loading does: a number outside
// the range is clamped or takes the default by the description; text that
// is no number leaves the value as it is. False when it was not a number.
bool LoadSettingText(const SettingDescription& s, const std::string& text, AppSettings& settings);

// True when the value lies in the setting's range (a whole number for
// integer settings, one of the choices for choices).
bool SettingAccepts(const SettingDescription& s, double value);

}  // namespace leaf
