// The settings record of the whole run: every profile key, and the run
// options that start from fixed values at every run.
#pragma once

#include <string>
#include <vector>

#include "image/PixelLimit.h"

namespace leaf {

inline constexpr int kTextPositionAbove = 2;
inline constexpr int kTextPositionLeft = 4;
inline constexpr int kTextPositionInside = 5;
inline constexpr int kTextPositionRight = 6;
inline constexpr int kTextPositionBelow = 8;

inline constexpr size_t kMaxFontNameLength = 32;
inline constexpr int kRecentFileCount = 5;

struct TextSettings {
  int align = 0;
  int orientation = 0;
  int foregroundColor = 0;         // 0x00BBGGRR
  int backgroundColor = 0xFFFFFF;  // 0x00BBGGRR
  int position = kTextPositionBelow;
  int transparentBackground = 0;
  std::string content;
  std::string fontName = "Arial";
  int fontSize = -13;
  int fontWeight = 400;
  int fontItalic = 0;
  int fontUnderline = 0;
  int fontStrikeout = 0;
  // Not stored in the profile: where an inside label goes when it is not
  // placed by hand (Text position details).
  int insideAnchor = 5;  // 1 top left .. 9 bottom right
  int paddingX = 0;
  int paddingY = 0;

  friend bool operator==(const TextSettings&, const TextSettings&) = default;
};

// Not stored in the profile.
struct RunOptions {
  int sweepFormatChoice = -1;
  int sweepAddThumbnails = 0;
  int sweepAddText = 0;
  int batchFormatChoice = -1;
  int batchAddThumbnails = 0;
  int batchAddText = 0;
  int batchReplaceExisting = 0;
  int thumbnailSizeMode = 0;  // 0 fixed width, 1 fixed height, 2 fits rectangle
  int thumbnailWidth = 100;
  int thumbnailHeight = 70;
  int thumbnailScaling = 1;  // 0 single sample, 1 favour grid centre, 2 grid average

  friend bool operator==(const RunOptions&, const RunOptions&) = default;
};

struct AppSettings {
  // General
  int imageFit = 0;
  int windowFit = 1;
  int windowCenter = 1;
  std::string openDir;
  int openType = 7;
  std::string saveDir;
  int saveType = 1;
  std::string lcOpenDir;
  int lcOpenType = 100;
  int noStartupInfo = 0;
  int printSize = 0;
  int shrinkPrint = 1;
  int fancyZoom = 1;
  int dither = 1;
  float displayGamma = 2.2f;
  int slideDelay = 5;
  std::string lcSaveDir;
  int lcSaveType = 0;
  // The largest picture opened or made, in megapixels (image/PixelLimit.h).
  int maxMegapixels = kDefaultMegapixelLimit;
  // DjVu
  int djvuQuickSet = -1;
  int djvuPhotoQty = 80;
  int djvuPhotoRes = 100;
  int djvuNoThick = 0;
  int djvuLossless = 0;
  int djvuAggressive = 0;
  int djvuTextOnly = 0;
  float djvuPhotoGamma = 2.2f;
  int djvuNoColorFilter = 0;
  int djvuNoInvFilter = 0;
  int djvuNoSizeFilter = 0;
  int djvuFilterLevel = 0;
  int djvuForeback = 0;
  int djvuUpsample = 0;
  // Recognise the page's text into a hidden text layer, in these languages.
  int djvuOcr = 0;
  std::string djvuOcrLang = "eng";
  // IW44
  int iw44PhotoQty = 80;
  int iw44Crcb = 0;
  float iw44PhotoGamma = 2.2f;
  // JPEG
  int jpegQty = 75;
  int jpegSmooth = 0;
  int jpegOptHuff = 0;
  int jpegEncodeDct = 0;
  int jpegDecodeDct = 0;
  // Sweep
  std::string sweepOpenDir;
  std::string sweepSaveDir;
  std::string sweepArchiveDir;
  int sweepSaveType = 1;
  // Text
  TextSettings text;
  // Scan: the scanner chosen in Select Source (its SANE name) and the
  // options of the last scan; empty or 0 leaves the device's own.
  std::string scanDevice;
  std::string scanMode;  // "color", "gray", "lineart"
  int scanResolution = 0;
  std::string scanSource;  // the device's own source name

  std::vector<std::string> recentFiles;  // most recent first, at most five
  RunOptions run;

  // Every field at its default; directory defaults take the given directory.
  static AppSettings Defaults(const std::string& defaultDirectory);

  friend bool operator==(const AppSettings&, const AppSettings&) = default;
};

// Fills every field from the INI file; missing, unreadable or out-of-range
// values take their default or are clamped to their range. A missing file
// yields the defaults.
AppSettings LoadSettings(const std::string& iniPath, const std::string& defaultDirectory);

// Writes every field to the INI file. False when the file cannot be written.
bool SaveSettings(const AppSettings& settings, const std::string& iniPath);

// Output-format radio index of the dialogs <-> FileTypeCode.
int FileTypeFromFormatChoice(int choice);
int FormatChoiceFromFileType(int type);

}  // namespace leaf
