#include "AppSettings.h"

#include <QtCore/QDir>
#include <QtCore/QFileInfo>
#include <QtCore/QSettings>
#include <QtCore/QString>
#include <QtCore/QStringList>

#include "SettingsTable.h"

namespace leaf {

namespace {

// The profile's "General" section is QSettings' top level: its keys carry no group.
constexpr const char* kGeneral = "General";

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

void TidyTextSettings(TextSettings& text) {
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
  for (const SettingDescription& s : kSettings) {
    QString text;
    if (ReadText(ini, KeyPath(s.section, s.key), text)) {
      LoadSettingText(s, text.toStdString(), settings);
    }
  }
  TidyTextSettings(settings.text);
  LoadRecentFiles(ini, settings.recentFiles);
  return settings;
}

bool SaveSettings(const AppSettings& settings, const std::string& iniPath) {
  const QString path = QString::fromStdString(iniPath);
  if (!QDir().mkpath(QFileInfo(path).absolutePath())) return false;
  QSettings ini(path, QSettings::IniFormat);
  for (const SettingDescription& s : kSettings) {
    ini.setValue(KeyPath(s.section, s.key), QString::fromStdString(SettingValueText(s, settings)));
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
