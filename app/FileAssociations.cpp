#include "FileAssociations.h"

#include <QtCore/QByteArray>
#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QFileInfo>
#include <QtCore/QProcess>
#include <QtCore/QSaveFile>
#include <QtCore/QStandardPaths>
#include <QtCore/QtGlobal>
#include <algorithm>

namespace leaf {

namespace {

constexpr int kToolTimeoutMs = 30000;
constexpr const char kEntryResource[] = ":/leafsmith/leafsmith.desktop";
constexpr const char kMimeResource[] = ":/leafsmith/leafsmith.xml";
constexpr const char kIconResourceDir[] = ":/leafsmith/icons";
constexpr int kIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

// Step names used in failure messages: what the user would look at to see
// what went wrong.
const char kStepOpenCommand[] = "Open command";
const char kStepFileType[] = "File type";
const char kStepIcon[] = "Icon";
const char kStepDefaultViewer[] = "Default viewer";

// $name when it is an absolute path, else ~/fallback, as the XDG base
// directory rules say.
QString XdgHome(const char* name, const char* fallback) {
  const QString value = qEnvironmentVariable(name);
  if (!value.isEmpty() && QDir::isAbsolutePath(value)) return QDir::cleanPath(value);
  return QDir::homePath() + "/" + fallback;
}

QString DataHome() { return XdgHome("XDG_DATA_HOME", ".local/share"); }
QString ConfigHome() { return XdgHome("XDG_CONFIG_HOME", ".config"); }
QString ApplicationsDir() { return DataHome() + "/applications"; }
QString UserEntryPath() { return ApplicationsDir() + "/" + kDesktopFileName; }
QString MimeDir() { return DataHome() + "/mime"; }

// The lists of default applications the user's own settings may hold, the
// desktop-specific ones ("gnome-mimeapps.list") included.
QStringList UserMimeAppsLists() {
  QStringList prefixes;
  const QStringList desktops =
      qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(':', Qt::SkipEmptyParts);
  for (const QString& desktop : desktops) prefixes << desktop.toLower() + "-";
  prefixes << QString();
  QStringList lists;
  for (const QString& dir : {ConfigHome(), ApplicationsDir()}) {
    for (const QString& prefix : prefixes) lists << dir + "/" + prefix + "mimeapps.list";
  }
  return lists;
}

QByteArray ReadResource(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}

QString ReadTextFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(file.readAll());
}

// Writes the file through a temporary file renamed into place, and only when
// its contents change.
bool WriteFile(const QString& path, const QByteArray& contents, QString* why) {
  QFile existing(path);
  if (existing.open(QIODevice::ReadOnly) && existing.readAll() == contents) return true;
  const QString dir = QFileInfo(path).absolutePath();
  if (!QDir().mkpath(dir)) {
    *why = QString("cannot create the folder \"%1\"").arg(dir);
    return false;
  }
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size() ||
      !file.commit()) {
    *why = QString("cannot write \"%1\": %2").arg(path, file.errorString());
    return false;
  }
  return true;
}

struct ToolRun {
  bool found = false;
  bool ok = false;
  QString output;
  QString failure;  // why it did not succeed
};

QString FirstLines(const QByteArray& text) {
  QStringList lines = QString::fromLocal8Bit(text).trimmed().split('\n', Qt::SkipEmptyParts);
  if (lines.size() > 3) lines = lines.mid(0, 3);
  return lines.join("; ");
}

ToolRun RunTool(const QString& name, const QStringList& arguments) {
  ToolRun run;
  const QString program = QStandardPaths::findExecutable(name);
  if (program.isEmpty()) {
    run.failure = QString("the program %1 was not found").arg(name);
    return run;
  }
  run.found = true;
  QProcess process;
  process.start(program, arguments);
  if (!process.waitForStarted(kToolTimeoutMs)) {
    run.failure = QString("%1 could not be started: %2").arg(name, process.errorString());
    return run;
  }
  if (!process.waitForFinished(kToolTimeoutMs)) {
    process.kill();
    process.waitForFinished();
    run.failure =
        QString("%1 did not finish within %2 seconds").arg(name).arg(kToolTimeoutMs / 1000);
    return run;
  }
  run.output = QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
  if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
    const QString detail = FirstLines(process.readAllStandardError());
    run.failure = process.exitStatus() != QProcess::NormalExit
                      ? QString("%1 stopped unexpectedly").arg(name)
                      : QString("%1 failed with exit status %2").arg(name).arg(process.exitCode());
    if (!detail.isEmpty()) run.failure += " (" + detail + ")";
    return run;
  }
  run.ok = true;
  return run;
}

// The cache updaters are optional: a desktop without them reads the files
// directly. When one is there, it has to succeed.
bool RunUpdater(const QString& name, const QStringList& arguments, QString* why) {
  const ToolRun run = RunTool(name, arguments);
  if (run.found && !run.ok) *why = run.failure;
  return !run.found || run.ok;
}

const char kXdgMimeMissing[] = "the program xdg-mime was not found (install the xdg-utils package)";

// The desktop file ID `xdg-mime query default` gives for the type.
bool QueryDefault(const QString& mimeType, QString* desktopId, QString* why) {
  const ToolRun run = RunTool("xdg-mime", {"query", "default", mimeType});
  if (!run.ok) {
    *why = run.found ? run.failure : QString(kXdgMimeMissing);
    return false;
  }
  *desktopId = run.output.section('\n', 0, 0).trimmed();
  return true;
}

QString RunningProgram() {
  const QString exe = QFile::symLinkTarget("/proc/self/exe");
  return exe.isEmpty() ? QString("leafsmith") : exe;
}

// The program as the desktop entry's Exec key names it: the bare name when the
// search path finds this very program under it, else the full path.
QString ProgramCommand(const QString& programPath) {
  const QString name = QFileInfo(programPath).fileName();
  const QString found = QStandardPaths::findExecutable(name);
  if (!found.isEmpty() &&
      QFileInfo(found).canonicalFilePath() == QFileInfo(programPath).canonicalFilePath()) {
    return name;
  }
  return programPath;
}

// A string value of a desktop entry.
QString EntryString(QString text) { return text.replace('\\', "\\\\"); }

// One argument of the Exec key, quoted when it holds a reserved character.
QString ExecArgument(const QString& argument) {
  static const QString kReserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
  QString text = argument;
  text.replace('%', "%%");
  if (std::any_of(text.begin(), text.end(), [](QChar c) { return kReserved.contains(c); })) {
    QString quoted;
    for (QChar c : text) {
      if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
      quoted += c;
    }
    text = '"' + quoted + '"';
  }
  return EntryString(text);
}

// Replaces (or, with an empty value, removes) every line of the key.
QString WithKey(const QString& entryText, const QString& key, const QString& value) {
  QStringList lines = entryText.split('\n');
  bool placed = false;
  for (auto line = lines.begin(); line != lines.end();) {
    if (!line->startsWith(key + "=")) {
      ++line;
    } else if (!placed && !value.isEmpty()) {
      *line = key + "=" + value;
      placed = true;
      ++line;
    } else {
      line = lines.erase(line);
    }
  }
  if (!placed && !value.isEmpty()) {
    // After the last non-empty line of the entry.
    auto last = lines.end();
    while (last != lines.begin() && (last - 1)->isEmpty()) --last;
    lines.insert(last, key + "=" + value);
  }
  return lines.join('\n');
}

QString WithMimeTypes(const QString& entryText, const QStringList& mimeTypes) {
  return WithKey(entryText, "MimeType",
                 mimeTypes.isEmpty() ? QString() : mimeTypes.join(';') + ';');
}

// The MIME types in the order of the groups; unknown ones are dropped.
QStringList InGroupOrder(const QStringList& mimeTypes) {
  QStringList ordered;
  for (const FileTypeGroup& group : FileTypeGroups()) {
    for (const QString& type : group.mimeTypes) {
      if (mimeTypes.contains(type) && !ordered.contains(type)) ordered << type;
    }
  }
  return ordered;
}

QString GroupText(const FileTypeGroup& group) {
  return QString("%1 files (%2)").arg(group.name, group.extensions.join(' '));
}

QString GroupsText(const std::vector<const FileTypeGroup*>& groups) {
  if (groups.size() == 1) return GroupText(*groups.front());
  QStringList names;
  for (const FileTypeGroup* group : groups) names << group->name;
  const QString last = names.takeLast();
  return QString("%1 and %2 files").arg(names.join(", "), last);
}

QStringList MimeTypesOf(const std::vector<const FileTypeGroup*>& groups) {
  QStringList types;
  for (const FileTypeGroup* group : groups) types << group->mimeTypes;
  return types;
}

bool InstallIcons(QString* why) {
  const QString themeDir = DataHome() + "/icons/hicolor";
  for (int size : kIconSizes) {
    const QByteArray png =
        ReadResource(QString("%1/leafsmith-%2.png").arg(kIconResourceDir).arg(size));
    const QString path = QString("%1/%2x%2/apps/leafsmith.png").arg(themeDir).arg(size);
    if (!WriteFile(path, png, why)) return false;
  }
  return WriteFile(themeDir + "/scalable/apps/leafsmith.svg",
                   ReadResource(QString(kIconResourceDir) + "/leafsmith.svg"), why);
}

// Makes desktopId the default of every type, then checks that the desktop
// now answers with it (a desktop-specific list may still override it).
bool SetDefaults(const QStringList& mimeTypes, QString* why) {
  const ToolRun run = RunTool("xdg-mime", QStringList{"default", kDesktopFileName} + mimeTypes);
  if (!run.ok) {
    *why = run.found ? run.failure : QString(kXdgMimeMissing);
    return false;
  }
  for (const QString& type : mimeTypes) {
    QString answer;
    if (!QueryDefault(type, &answer, why)) return false;
    if (answer != kDesktopFileName) {
      *why = QString("%1 files still open with %2 after xdg-mime set the default")
                 .arg(type, answer.isEmpty() ? QString("no program") : answer);
      return false;
    }
  }
  return true;
}

AssociationResult Failure(const QString& action, const QString& step, const QString& why) {
  const QString detail = QString("%1: %2.").arg(step, why);
  return {false, action, detail, action + "\n\n" + detail};
}

QStringList ClaimedMimeTypesOfUserEntry() {
  return desktop_entry::ClaimedMimeTypes(ReadTextFile(UserEntryPath()));
}

AssociationResult Register(const std::vector<const FileTypeGroup*>& groups,
                           const QString& programPath) {
  const QString action =
      QString("Leafsmith could not be made the default viewer of %1.").arg(GroupsText(groups));
  const QString program = programPath.isEmpty() ? RunningProgram() : programPath;
  const QStringList types = MimeTypesOf(groups);
  QString why;

  const QStringList claimed = InGroupOrder(ClaimedMimeTypesOfUserEntry() + types);
  const QString entry = desktop_entry::UserEntryText(program, claimed);
  if (!WriteFile(UserEntryPath(), entry.toUtf8(), &why)) {
    return Failure(action, kStepOpenCommand, why);
  }
  if (!WriteFile(MimeDir() + "/packages/leafsmith.xml", ReadResource(kMimeResource), &why) ||
      !RunUpdater("update-mime-database", {MimeDir()}, &why)) {
    return Failure(action, kStepFileType, why);
  }
  if (!InstallIcons(&why)) return Failure(action, kStepIcon, why);
  if (!RunUpdater("update-desktop-database", {"-q", ApplicationsDir()}, &why)) {
    return Failure(action, kStepOpenCommand, why);
  }
  if (!SetDefaults(types, &why)) return Failure(action, kStepDefaultViewer, why);
  return {};
}

}  // namespace

const std::vector<FileTypeGroup>& FileTypeGroups() {
  static const std::vector<FileTypeGroup> groups = {
      {FileGroup::DjVu,
       "DjVu",
       {".djvu", ".djv"},
       "Leaf.DJVU",
       "Leaf DjVu Image",
       {"image/vnd.djvu", "image/vnd.djvu+multipage"}},
      {FileGroup::Iw44,
       "IW44",
       {".iw44", ".iw4"},
       "Leaf.IW44",
       "Leaf IW44 Image",
       {"image/x-iw44"}},
      {FileGroup::Jpeg, "JPEG", {".jpeg", ".jpg"}, "Leaf.JPEG", "Leaf JPEG Image", {"image/jpeg"}},
      {FileGroup::Tiff, "TIFF", {".tiff", ".tif"}, "Leaf.TIFF", "Leaf TIFF Image", {"image/tiff"}},
      {FileGroup::Bmp, "BMP", {".bmp"}, "Leaf.BMP", "Leaf BMP Image", {"image/bmp"}},
      {FileGroup::Pnm,
       "PNM",
       {".pbm", ".pgm", ".ppm"},
       "Leaf.PNM",
       "Leaf PNM Image",
       {"image/x-portable-bitmap", "image/x-portable-graymap", "image/x-portable-pixmap"}},
  };
  return groups;
}

const FileTypeGroup& FileTypeGroupOf(FileGroup group) {
  return FileTypeGroups().at(static_cast<size_t>(group));
}

bool IsGroupRegistered(FileGroup group, QString* error) {
  for (const QString& type : FileTypeGroupOf(group).mimeTypes) {
    QString answer, why;
    if (!QueryDefault(type, &answer, &why)) {
      if (error) *error = why;
      return false;
    }
    if (answer != kDesktopFileName) return false;
  }
  return true;
}

AssociationResult RegisterGroup(FileGroup group, const QString& programPath) {
  return Register({&FileTypeGroupOf(group)}, programPath);
}

AssociationResult RegisterAsDefaultViewer(const QString& programPath) {
  std::vector<const FileTypeGroup*> all;
  for (const FileTypeGroup& group : FileTypeGroups()) all.push_back(&group);
  return Register(all, programPath);
}

AssociationResult UnregisterGroup(FileGroup group) {
  const FileTypeGroup& which = FileTypeGroupOf(group);
  const QString action =
      QString("Leafsmith could not stop being the default viewer of %1.").arg(GroupText(which));
  QString why;
  for (const QString& list : UserMimeAppsLists()) {
    if (!QFileInfo::exists(list)) continue;
    const QString text = ReadTextFile(list);
    const QString changed = desktop_entry::WithoutDefaults(text, which.mimeTypes, kDesktopFileName);
    if (changed != text && !WriteFile(list, changed.toUtf8(), &why)) {
      return Failure(action, kStepDefaultViewer, why);
    }
  }
  if (QFileInfo::exists(UserEntryPath())) {
    const QString entry = ReadTextFile(UserEntryPath());
    QStringList claimed = desktop_entry::ClaimedMimeTypes(entry);
    for (const QString& type : which.mimeTypes) claimed.removeAll(type);
    if (!WriteFile(UserEntryPath(), WithMimeTypes(entry, claimed).toUtf8(), &why) ||
        !RunUpdater("update-desktop-database", {"-q", ApplicationsDir()}, &why)) {
      return Failure(action, kStepOpenCommand, why);
    }
  }
  return {};
}

namespace desktop_entry {

QString UserEntryText(const QString& programPath, const QStringList& mimeTypes) {
  const QString command = ProgramCommand(programPath);
  QString text = QString::fromUtf8(ReadResource(kEntryResource));
  text = "# Leafsmith's desktop entry for this user, written when it was made a default viewer.\n" +
         text;
  text = WithKey(text, "Exec", ExecArgument(command) + " %f");
  text = WithKey(text, "TryExec", EntryString(command));
  return WithMimeTypes(text, InGroupOrder(mimeTypes));
}

QStringList ClaimedMimeTypes(const QString& entryText) {
  for (const QString& line : entryText.split('\n')) {
    if (line.startsWith("MimeType=")) {
      return line.mid(9).trimmed().split(';', Qt::SkipEmptyParts);
    }
  }
  return {};
}

QString WithoutDefaults(const QString& listText, const QStringList& mimeTypes,
                        const QString& desktopId) {
  QStringList lines = listText.split('\n');
  bool inDefaults = false;
  for (auto line = lines.begin(); line != lines.end();) {
    const QString trimmed = line->trimmed();
    if (trimmed.startsWith('[')) inDefaults = trimmed == "[Default Applications]";
    const qsizetype eq = trimmed.indexOf('=');
    if (!inDefaults || eq < 0 || !mimeTypes.contains(trimmed.left(eq).trimmed())) {
      ++line;
      continue;
    }
    QStringList apps = trimmed.mid(eq + 1).split(';', Qt::SkipEmptyParts);
    if (apps.removeAll(desktopId) == 0) {
      ++line;
    } else if (apps.isEmpty()) {
      line = lines.erase(line);
    } else {
      *line = trimmed.left(eq + 1) + apps.join(';') + ';';
      ++line;
    }
  }
  return lines.join('\n');
}

}  // namespace desktop_entry

}  // namespace leaf
