#include "AppSettings.h"

#include <QtCore/QDir>
#include <QtCore/QFileInfo>
#include <QtCore/QSettings>
#include <QtCore/QString>
#include <QtCore/QStringList>
#include <algorithm>
#include <span>

namespace leaf {

namespace {

// The profile's "General" section is QSettings' top level: its keys carry no group.
constexpr const char* kGeneral = "General";

constexpr int kPhotoResolutions[] = {25, 50, 100, 150, 200, 300};
constexpr int kOpenTypes[] = {1, 2, 3, 4, 5, 6, 7, 100};
constexpr int kListTypes[] = {1, 2, 3, 4, 5, 6, 100};
constexpr int kSweepTypes[] = {1, 2, 3, 4, 5, 99};
constexpr int kTextPositions[] = {kTextPositionAbove, kTextPositionLeft, kTextPositionInside,
                                  kTextPositionRight, kTextPositionBelow};

template <typename Record>
struct IntKey {
  const char* section;
  const char* key;
  int Record::*field;
  int min;
  int max;
  std::span<const int> allowed = {};  // when given, other values take the default
};

template <typename Record>
struct StringKey {
  const char* section;
  const char* key;
  std::string Record::*field;
};

struct FloatKey {
  const char* section;
  const char* key;
  float AppSettings::*field;
};

// In the order the profile is written.
const IntKey<AppSettings> kIntKeys[] = {
    {kGeneral, "ImageFit", &AppSettings::imageFit, 0, 3},
    {kGeneral, "WindowFit", &AppSettings::windowFit, 0, 1},
    {kGeneral, "WindowCenter", &AppSettings::windowCenter, 0, 1},
    {kGeneral, "OpenType", &AppSettings::openType, 1, 100, kOpenTypes},
    {kGeneral, "SaveType", &AppSettings::saveType, 1, 5},
    {kGeneral, "LCOpenType", &AppSettings::lcOpenType, 1, 100, kListTypes},
    {kGeneral, "NoStartupInfo", &AppSettings::noStartupInfo, 0, 1},
    {kGeneral, "PrintSize", &AppSettings::printSize, 0, 1},
    {kGeneral, "ShrinkPrint", &AppSettings::shrinkPrint, 0, 1},
    {kGeneral, "FancyZoom", &AppSettings::fancyZoom, 0, 1},
    {kGeneral, "Dither", &AppSettings::dither, 0, 1},
    {kGeneral, "SlideDelay", &AppSettings::slideDelay, 1, 600},
    {"DjVu", "DjvuQuickSet", &AppSettings::djvuQuickSet, -1, 2},
    {"DjVu", "DjvuPhotoQty", &AppSettings::djvuPhotoQty, 20, 100},
    {"DjVu", "DjvuPhotoRes", &AppSettings::djvuPhotoRes, 25, 300, kPhotoResolutions},
    {"DjVu", "DjvuNoThick", &AppSettings::djvuNoThick, 0, 1},
    {"DjVu", "DjvuLossless", &AppSettings::djvuLossless, 0, 1},
    {"DjVu", "DjvuAggressive", &AppSettings::djvuAggressive, 0, 1},
    {"DjVu", "DjvuTextOnly", &AppSettings::djvuTextOnly, 0, 1},
    {"DjVu", "DjvuNoColorFilter", &AppSettings::djvuNoColorFilter, 0, 1},
    {"DjVu", "DjvuNoInvFilter", &AppSettings::djvuNoInvFilter, 0, 1},
    {"DjVu", "DjvuNoSizeFilter", &AppSettings::djvuNoSizeFilter, 0, 1},
    {"DjVu", "DjvuFilterLevel", &AppSettings::djvuFilterLevel, -200, 200},
    {"DjVu", "DjvuForeback", &AppSettings::djvuForeback, 0, 255},
    {"DjVu", "DjvuUpsample", &AppSettings::djvuUpsample, 0, 3},
    {"IW44", "Iw44PhotoQty", &AppSettings::iw44PhotoQty, 20, 100},
    {"IW44", "Iw44Crcb", &AppSettings::iw44Crcb, 0, 2},
    {"JPEG", "JpegQty", &AppSettings::jpegQty, 0, 100},
    {"JPEG", "JpegSmooth", &AppSettings::jpegSmooth, 0, 100},
    {"JPEG", "JpegOptHuff", &AppSettings::jpegOptHuff, 0, 1},
    {"JPEG", "JpegEncodeDCT", &AppSettings::jpegEncodeDct, 0, 2},
    {"JPEG", "JpegDecodeDCT", &AppSettings::jpegDecodeDct, 0, 2},
    {kGeneral, "LCSaveType", &AppSettings::lcSaveType, 0, 5},
    {"Sweep", "SweepSaveType", &AppSettings::sweepSaveType, 1, 99, kSweepTypes},
    {"Scan", "ScanResolution", &AppSettings::scanResolution, 0, 19200},
};

const IntKey<TextSettings> kTextIntKeys[] = {
    {"Text", "TextAlign", &TextSettings::align, 0, 2},
    {"Text", "TextOrientation", &TextSettings::orientation, 0, 2},
    {"Text", "TextForegroundColor", &TextSettings::foregroundColor, 0, 0xFFFFFF},
    {"Text", "TextBackgroundColor", &TextSettings::backgroundColor, 0, 0xFFFFFF},
    {"Text", "TextPosition", &TextSettings::position, 2, 8, kTextPositions},
    {"Text", "TextTransparentBackground", &TextSettings::transparentBackground, 0, 1},
    {"Text", "TextFontSize", &TextSettings::fontSize, -1000, 1000},
    {"Text", "TextFontWeight", &TextSettings::fontWeight, 0, 1000},
    {"Text", "TextFontItalic", &TextSettings::fontItalic, 0, 1},
    {"Text", "TextFontUnderline", &TextSettings::fontUnderline, 0, 1},
    {"Text", "TextFontStrikeout", &TextSettings::fontStrikeout, 0, 1},
};

const StringKey<AppSettings> kStringKeys[] = {
    {kGeneral, "OpenDir", &AppSettings::openDir},
    {kGeneral, "SaveDir", &AppSettings::saveDir},
    {kGeneral, "LCOpenDir", &AppSettings::lcOpenDir},
    {kGeneral, "LCSaveDir", &AppSettings::lcSaveDir},
    {"Sweep", "SweepOpenDir", &AppSettings::sweepOpenDir},
    {"Sweep", "SweepSaveDir", &AppSettings::sweepSaveDir},
    {"Sweep", "SweepArchiveDir", &AppSettings::sweepArchiveDir},
    {"Scan", "ScanDevice", &AppSettings::scanDevice},
    {"Scan", "ScanMode", &AppSettings::scanMode},
    {"Scan", "ScanSource", &AppSettings::scanSource},
};

const StringKey<TextSettings> kTextStringKeys[] = {
    {"Text", "TextContent", &TextSettings::content},
    {"Text", "TextFontName", &TextSettings::fontName},
};

const FloatKey kFloatKeys[] = {
    {kGeneral, "DisplayGamma", &AppSettings::displayGamma},
    {"DjVu", "DjvuPhotoGamma", &AppSettings::djvuPhotoGamma},
    {"IW44", "Iw44PhotoGamma", &AppSettings::iw44PhotoGamma},
};

constexpr float kMinGamma = 0.1f;
constexpr float kMaxGamma = 10.0f;
constexpr const char* kRecentSection = "Recent File List";

QString KeyPath(const char* section, const char* key) {
  if (QString(section) == kGeneral) return key;
  return QString(section) + '/' + key;
}

// A stored value as text; a value QSettings split at commas is joined again.
bool ReadText(const QSettings& ini, const QString& path, QString& text) {
  const QVariant value = ini.value(path);
  if (!value.isValid()) return false;
  text =
      value.typeId() == QMetaType::QStringList ? value.toStringList().join(", ") : value.toString();
  return true;
}

template <typename Record>
void LoadInt(const QSettings& ini, const IntKey<Record>& k, Record& record) {
  QString text;
  if (!ReadText(ini, KeyPath(k.section, k.key), text)) return;
  bool ok = false;
  const long long value = text.trimmed().toLongLong(&ok, 10);
  if (!ok) return;
  if (!k.allowed.empty()) {
    if (std::find(k.allowed.begin(), k.allowed.end(), value) != k.allowed.end()) {
      record.*k.field = static_cast<int>(value);
    }
    return;
  }
  record.*k.field = static_cast<int>(std::clamp<long long>(value, k.min, k.max));
}

template <typename Record>
void LoadString(const QSettings& ini, const StringKey<Record>& k, Record& record) {
  QString text;
  if (ReadText(ini, KeyPath(k.section, k.key), text)) record.*k.field = text.toStdString();
}

void LoadFloat(const QSettings& ini, const FloatKey& k, AppSettings& settings) {
  QString text;
  if (!ReadText(ini, KeyPath(k.section, k.key), text)) return;
  bool ok = false;
  const float value = text.trimmed().toFloat(&ok);
  if (ok && value == value) settings.*k.field = std::clamp(value, kMinGamma, kMaxGamma);
}

void LoadTextSettings(const QSettings& ini, TextSettings& text) {
  for (const auto& k : kTextIntKeys) LoadInt(ini, k, text);
  for (const auto& k : kTextStringKeys) LoadString(ini, k, text);
  if (text.fontName.empty()) text.fontName = TextSettings{}.fontName;
  if (text.fontName.size() > kMaxFontNameLength) text.fontName.resize(kMaxFontNameLength);
}

void LoadRecentFiles(const QSettings& ini, std::vector<std::string>& files) {
  files.clear();
  for (int i = 1; i <= kRecentFileCount; ++i) {
    QString text;
    const QString path = QString("%1/File%2").arg(kRecentSection).arg(i);
    if (ReadText(ini, path, text) && !text.isEmpty()) files.push_back(text.toStdString());
  }
}

}  // namespace

AppSettings AppSettings::Defaults(const std::string& defaultDirectory) {
  AppSettings settings;
  settings.lcOpenDir = defaultDirectory;
  settings.lcSaveDir = defaultDirectory;
  settings.sweepOpenDir = defaultDirectory;
  settings.sweepSaveDir = defaultDirectory;
  settings.sweepArchiveDir = defaultDirectory;
  return settings;
}

AppSettings LoadSettings(const std::string& iniPath, const std::string& defaultDirectory) {
  AppSettings settings = AppSettings::Defaults(defaultDirectory);
  if (!QFileInfo(QString::fromStdString(iniPath)).isFile()) return settings;
  const QSettings ini(QString::fromStdString(iniPath), QSettings::IniFormat);
  for (const auto& k : kIntKeys) LoadInt(ini, k, settings);
  for (const auto& k : kStringKeys) LoadString(ini, k, settings);
  for (const auto& k : kFloatKeys) LoadFloat(ini, k, settings);
  LoadTextSettings(ini, settings.text);
  LoadRecentFiles(ini, settings.recentFiles);
  return settings;
}

bool SaveSettings(const AppSettings& settings, const std::string& iniPath) {
  const QString path = QString::fromStdString(iniPath);
  if (!QDir().mkpath(QFileInfo(path).absolutePath())) return false;
  QSettings ini(path, QSettings::IniFormat);
  for (const auto& k : kIntKeys) ini.setValue(KeyPath(k.section, k.key), settings.*k.field);
  for (const auto& k : kStringKeys) {
    ini.setValue(KeyPath(k.section, k.key), QString::fromStdString(settings.*k.field));
  }
  for (const auto& k : kFloatKeys) {
    ini.setValue(KeyPath(k.section, k.key), QString::asprintf("%2.1f", settings.*k.field));
  }
  for (const auto& k : kTextIntKeys)
    ini.setValue(KeyPath(k.section, k.key), settings.text.*k.field);
  for (const auto& k : kTextStringKeys) {
    ini.setValue(KeyPath(k.section, k.key), QString::fromStdString(settings.text.*k.field));
  }
  ini.remove(kRecentSection);
  for (size_t i = 0; i < settings.recentFiles.size() && i < kRecentFileCount; ++i) {
    ini.setValue(QString("%1/File%2").arg(kRecentSection).arg(i + 1),
                 QString::fromStdString(settings.recentFiles[i]));
  }
  ini.sync();
  return ini.status() == QSettings::NoError;
}

int FileTypeFromFormatChoice(int choice) {
  constexpr int kTypes[] = {1, 2, 3, 5, 4};
  return choice >= 0 && choice < 5 ? kTypes[choice] : 99;
}

int FormatChoiceFromFileType(int type) {
  switch (type) {
    case 1: return 0;
    case 2: return 1;
    case 3: return 2;
    case 4: return 4;
    case 5: return 3;
    default: return -1;
  }
}

}  // namespace leaf
