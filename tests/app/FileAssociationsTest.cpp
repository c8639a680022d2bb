// Registering Leafsmith as the default viewer, in temporary XDG folders: what
// the desktop's own tools (xdg-mime, desktop-file-validate) see afterwards.
#include <gtest/gtest.h>

#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QFileInfo>
#include <QtCore/QMimeDatabase>
#include <QtCore/QProcess>
#include <QtCore/QStandardPaths>
#include <map>
#include <optional>

#include "app/FileAssociations.h"
#include "tests/support/TempDir.h"

namespace leaf {
namespace {

// Sets environment variables for one test and puts the old values back.
class ScopedEnvironment {
 public:
  ~ScopedEnvironment() {
    for (const auto& [name, value] : saved_) {
      if (value) {
        qputenv(name.c_str(), *value);
      } else {
        qunsetenv(name.c_str());
      }
    }
  }
  void set(const std::string& name, const QString& value) {
    remember(name);
    qputenv(name.c_str(), value.toLocal8Bit());
  }
  void unset(const std::string& name) {
    remember(name);
    qunsetenv(name.c_str());
  }

 private:
  void remember(const std::string& name) {
    if (saved_.count(name)) return;
    saved_[name] = qEnvironmentVariableIsSet(name.c_str())
                       ? std::optional<QByteArray>(qgetenv(name.c_str()))
                       : std::nullopt;
  }
  std::map<std::string, std::optional<QByteArray>> saved_;
};

QString ReadText(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

void WriteText(const QString& path, const QString& text) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(text.toUtf8());
}

struct ToolOutput {
  int status = -1;
  QString output;
};

ToolOutput RunTool(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.setProcessChannelMode(QProcess::MergedChannels);
  process.start(program, arguments);
  if (!process.waitForFinished(60000)) return {};
  return {process.exitCode(), QString::fromLocal8Bit(process.readAll()).trimmed()};
}

QString DefaultFor(const QString& mimeType) {
  return RunTool("xdg-mime", {"query", "default", mimeType}).output;
}

// A user's XDG folders, empty, and a stand-in for the program to register.
class FileAssociationsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (QStandardPaths::findExecutable("xdg-mime").isEmpty()) {
      GTEST_SKIP() << "xdg-mime is not installed (scripts/setup.sh installs xdg-utils)";
    }
    root_ = QString::fromStdString(dir_.path());
    dataHome_ = root_ + "/data";
    configHome_ = root_ + "/config";
    QDir().mkpath(root_ + "/system-data");
    QDir().mkpath(root_ + "/system-config");
    env_.set("XDG_DATA_HOME", dataHome_);
    env_.set("XDG_CONFIG_HOME", configHome_);
    // Nothing installed system-wide takes part, and xdg-mime uses the
    // desktop-neutral lists.
    env_.set("XDG_DATA_DIRS", root_ + "/system-data");
    env_.set("XDG_CONFIG_DIRS", root_ + "/system-config");
    env_.set("XDG_CURRENT_DESKTOP", "X-Generic");
    for (const char* name : {"KDE_FULL_SESSION", "KDE_SESSION_VERSION", "GNOME_DESKTOP_SESSION_ID",
                             "MATE_DESKTOP_SESSION_ID", "DESKTOP_SESSION", "XDG_MENU_PREFIX"}) {
      env_.unset(name);
    }
    program_ = root_ + "/bin/leafsmith";
    WriteText(program_, "#!/bin/sh\nexit 0\n");
    QFile::setPermissions(program_, QFile::permissions(program_) | QFile::ExeOwner);
  }

  QString userEntry() const { return dataHome_ + "/applications/leafsmith.desktop"; }

  test::TempDir dir_;
  ScopedEnvironment env_;
  QString root_, dataHome_, configHome_, program_;
};

// The groups reuse the types the shared MIME database already gives these
// extensions; IW44, which it lacks, comes from our own package.
TEST(FileTypeGroupsTest, MimeTypesAreThoseTheDesktopGivesTheExtensions) {
  const QMimeDatabase database;
  for (const FileTypeGroup& group : FileTypeGroups()) {
    if (group.group == FileGroup::Iw44) {
      EXPECT_EQ(group.mimeTypes, QStringList{"image/x-iw44"});
      continue;
    }
    for (const QString& extension : group.extensions) {
      SCOPED_TRACE(extension.toStdString());
      const QList<QMimeType> types = database.mimeTypesForFileName("page" + extension);
      ASSERT_FALSE(types.isEmpty());
      for (const QMimeType& type : types) EXPECT_TRUE(group.mimeTypes.contains(type.name()));
    }
  }
}

TEST(DesktopEntryTest, InstalledEntryIsValidAndClaimsEveryGroup) {
  const QString path = LEAF_SOURCE_DIR "/app/desktop/leafsmith.desktop";
  if (!QStandardPaths::findExecutable("desktop-file-validate").isEmpty()) {
    const ToolOutput validation = RunTool("desktop-file-validate", {path});
    EXPECT_EQ(validation.status, 0) << validation.output.toStdString();
    EXPECT_TRUE(validation.output.isEmpty()) << validation.output.toStdString();
  }
  QStringList all;
  for (const FileTypeGroup& group : FileTypeGroups()) all << group.mimeTypes;
  EXPECT_EQ(desktop_entry::ClaimedMimeTypes(ReadText(path)), all);
  EXPECT_TRUE(ReadText(path).contains("\nExec=leafsmith %f\n"));
}

TEST(DesktopEntryTest, UserEntryStartsTheGivenProgramQuotedWhereNeeded) {
  struct Case {
    QString program;
    QString exec;
  };
  const Case cases[] = {
      {"/opt/leafsmith/bin/leafsmith", "Exec=/opt/leafsmith/bin/leafsmith %f"},
      {"/home/ann/My Programs/leafsmith", "Exec=\"/home/ann/My Programs/leafsmith\" %f"},
      {"/tmp/100%/leafsmith", "Exec=/tmp/100%%/leafsmith %f"},
      {"/tmp/a$b/leafsmith", "Exec=\"/tmp/a\\\\$b/leafsmith\" %f"},
  };
  for (const Case& c : cases) {
    const QString text = desktop_entry::UserEntryText(c.program, {"image/jpeg", "image/vnd.djvu"});
    EXPECT_TRUE(text.contains("\n" + c.exec + "\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("\nTryExec=" + QString(c.program).replace("\\", "\\\\") + "\n"));
    // In the order of the groups.
    EXPECT_EQ(desktop_entry::ClaimedMimeTypes(text), (QStringList{"image/vnd.djvu", "image/jpeg"}));
  }
  EXPECT_FALSE(desktop_entry::UserEntryText("/x/leafsmith", {}).contains("MimeType="));
}

TEST(DesktopEntryTest, WithoutDefaultsTakesOutOnlyOurEntriesOfTheTypes) {
  struct Case {
    const char* before;
    const char* after;
  };
  const Case cases[] = {
      {"[Default Applications]\nimage/jpeg=leafsmith.desktop\ntext/plain=ed.desktop\n",
       "[Default Applications]\ntext/plain=ed.desktop\n"},
      {"[Default Applications]\nimage/jpeg=gimp.desktop;leafsmith.desktop;\n",
       "[Default Applications]\nimage/jpeg=gimp.desktop;\n"},
      {"[Default Applications]\nimage/jpeg=gimp.desktop\n",
       "[Default Applications]\nimage/jpeg=gimp.desktop\n"},
      {"[Added Associations]\nimage/jpeg=leafsmith.desktop;\n",
       "[Added Associations]\nimage/jpeg=leafsmith.desktop;\n"},
      {"[Default Applications]\nimage/tiff=leafsmith.desktop\n\n[Added Associations]\n"
       "image/jpeg=leafsmith.desktop;\n",
       "[Default Applications]\nimage/tiff=leafsmith.desktop\n\n[Added Associations]\n"
       "image/jpeg=leafsmith.desktop;\n"},
      {"", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(desktop_entry::WithoutDefaults(c.before, {"image/jpeg"}, "leafsmith.desktop"),
              c.after)
        << c.before;
  }
}

TEST_F(FileAssociationsTest, RegisteringAGroupMakesLeafsmithItsDefault) {
  EXPECT_FALSE(IsGroupRegistered(FileGroup::DjVu));
  const AssociationResult result = RegisterGroup(FileGroup::DjVu, program_);
  ASSERT_TRUE(result.ok) << result.message.toStdString();

  EXPECT_EQ(DefaultFor("image/vnd.djvu"), "leafsmith.desktop");
  EXPECT_EQ(DefaultFor("image/vnd.djvu+multipage"), "leafsmith.desktop");
  EXPECT_TRUE(IsGroupRegistered(FileGroup::DjVu));
  EXPECT_FALSE(IsGroupRegistered(FileGroup::Jpeg));
  EXPECT_NE(DefaultFor("image/jpeg"), "leafsmith.desktop");

  // The user's desktop entry starts this program and claims only DjVu.
  const QString entry = ReadText(userEntry());
  EXPECT_TRUE(entry.contains("\nExec=" + program_ + " %f\n")) << entry.toStdString();
  EXPECT_EQ(desktop_entry::ClaimedMimeTypes(entry),
            (QStringList{"image/vnd.djvu", "image/vnd.djvu+multipage"}));
  const ToolOutput validation = RunTool("desktop-file-validate", {userEntry()});
  EXPECT_EQ(validation.status, 0) << validation.output.toStdString();

  // The IW44 type and the icons are in place.
  EXPECT_TRUE(QFile::exists(dataHome_ + "/mime/packages/leafsmith.xml"));
  if (!QStandardPaths::findExecutable("update-mime-database").isEmpty()) {
    EXPECT_TRUE(ReadText(dataHome_ + "/mime/globs2").contains("image/x-iw44:*.iw44"));
  }
  for (const char* icon : {"16x16/apps/leafsmith.png", "48x48/apps/leafsmith.png",
                           "256x256/apps/leafsmith.png", "scalable/apps/leafsmith.svg"}) {
    EXPECT_GT(QFileInfo(dataHome_ + "/icons/hicolor/" + icon).size(), 100) << icon;
  }
}

TEST_F(FileAssociationsTest, UnregisteringReversesItAndKeepsOtherDefaults) {
  WriteText(configHome_ + "/mimeapps.list", "[Default Applications]\ntext/plain=ed.desktop\n");
  ASSERT_TRUE(RegisterGroup(FileGroup::DjVu, program_).ok);
  ASSERT_TRUE(IsGroupRegistered(FileGroup::DjVu));

  const AssociationResult result = UnregisterGroup(FileGroup::DjVu);
  ASSERT_TRUE(result.ok) << result.message.toStdString();
  EXPECT_FALSE(IsGroupRegistered(FileGroup::DjVu));
  EXPECT_NE(DefaultFor("image/vnd.djvu"), "leafsmith.desktop");
  EXPECT_NE(DefaultFor("image/vnd.djvu+multipage"), "leafsmith.desktop");
  const QString list = ReadText(configHome_ + "/mimeapps.list");
  EXPECT_TRUE(list.contains("text/plain=ed.desktop")) << list.toStdString();
  EXPECT_FALSE(list.contains("leafsmith.desktop")) << list.toStdString();
  EXPECT_TRUE(desktop_entry::ClaimedMimeTypes(ReadText(userEntry())).isEmpty());

  // Unregistering what is not registered changes nothing and succeeds.
  EXPECT_TRUE(UnregisterGroup(FileGroup::Bmp).ok);
}

TEST_F(FileAssociationsTest, DefaultViewerOfEveryGroupThenOneGivenBack) {
  const AssociationResult result = RegisterAsDefaultViewer(program_);
  ASSERT_TRUE(result.ok) << result.message.toStdString();
  for (const FileTypeGroup& group : FileTypeGroups()) {
    EXPECT_TRUE(IsGroupRegistered(group.group)) << group.name.toStdString();
  }
  ASSERT_TRUE(UnregisterGroup(FileGroup::Pnm).ok);
  for (const FileTypeGroup& group : FileTypeGroups()) {
    EXPECT_EQ(IsGroupRegistered(group.group), group.group != FileGroup::Pnm)
        << group.name.toStdString();
  }
  const QStringList claimed = desktop_entry::ClaimedMimeTypes(ReadText(userEntry()));
  EXPECT_TRUE(claimed.contains("image/x-iw44"));
  EXPECT_FALSE(claimed.contains("image/x-portable-graymap"));
}

// A desktop-specific list read before the common one still names another
// program: registering must not claim success.
TEST_F(FileAssociationsTest, AnOverridingDesktopListIsReportedAndUnregisteringCleansIt) {
  const QString other = dataHome_ + "/applications/other-viewer.desktop";
  WriteText(other,
            "[Desktop Entry]\nType=Application\nName=Other\nExec=/bin/true %f\n"
            "MimeType=image/jpeg;\n");
  WriteText(configHome_ + "/x-generic-mimeapps.list",
            "[Default Applications]\nimage/jpeg=other-viewer.desktop\n");
  const AssociationResult result = RegisterGroup(FileGroup::Jpeg, program_);
  EXPECT_FALSE(result.ok);
  EXPECT_TRUE(result.message.contains("Default viewer:")) << result.message.toStdString();
  EXPECT_TRUE(result.message.contains("other-viewer.desktop")) << result.message.toStdString();
  EXPECT_TRUE(result.message.contains("JPEG files (.jpeg .jpg)")) << result.message.toStdString();

  WriteText(configHome_ + "/x-generic-mimeapps.list",
            "[Default Applications]\nimage/jpeg=leafsmith.desktop;other-viewer.desktop;\n");
  ASSERT_TRUE(UnregisterGroup(FileGroup::Jpeg).ok);
  EXPECT_EQ(ReadText(configHome_ + "/x-generic-mimeapps.list"),
            "[Default Applications]\nimage/jpeg=other-viewer.desktop;\n");
  EXPECT_EQ(DefaultFor("image/jpeg"), "other-viewer.desktop");
}

TEST_F(FileAssociationsTest, UnwritableDataFolderIsReportedWithTheStepThatFailed) {
  const QString blocker = root_ + "/not-a-folder";
  WriteText(blocker, "a file where the data folder should be");
  env_.set("XDG_DATA_HOME", blocker + "/share");
  const AssociationResult result = RegisterGroup(FileGroup::Tiff, program_);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.summary,
            "Leafsmith could not be made the default viewer of TIFF files (.tiff .tif).");
  EXPECT_TRUE(result.detail.startsWith("Open command: cannot create the folder \"" + blocker))
      << result.detail.toStdString();
  EXPECT_EQ(result.message, result.summary + "\n\n" + result.detail);
  EXPECT_FALSE(IsGroupRegistered(FileGroup::Tiff));
}

TEST_F(FileAssociationsTest, MissingXdgMimeIsReported) {
  const QString emptyBin = root_ + "/empty-bin";
  QDir().mkpath(emptyBin);
  env_.set("PATH", emptyBin);
  const AssociationResult result = RegisterGroup(FileGroup::Bmp, program_);
  EXPECT_FALSE(result.ok);
  EXPECT_TRUE(result.message.contains("Default viewer: the program xdg-mime was not found"))
      << result.message.toStdString();
  QString error;
  EXPECT_FALSE(IsGroupRegistered(FileGroup::Bmp, &error));
  EXPECT_TRUE(error.contains("xdg-utils")) << error.toStdString();
}

}  // namespace
}  // namespace leaf
