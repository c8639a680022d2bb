// `cmake --install` into a temporary prefix lays out the programs and their
// loadable modules, the desktop entry, the MIME type and the icons where the
// desktop looks for them.
#include <gtest/gtest.h>

#include <QtCore/QFile>
#include <QtCore/QFileInfo>
#include <QtCore/QProcess>
#include <QtCore/QStandardPaths>

#include "tests/support/TempDir.h"

namespace leaf {
namespace {

TEST(DesktopInstallTest, InstallPutsEveryFileInItsPlace) {
  test::TempDir dir;
  const QString prefix = QString::fromStdString(dir.path()) + "/prefix";
  QProcess install;
  install.setProcessChannelMode(QProcess::MergedChannels);
  install.start(LEAF_CMAKE_COMMAND, {"--install", LEAF_BINARY_DIR, "--prefix", prefix});
  ASSERT_TRUE(install.waitForFinished(120000));
  ASSERT_EQ(install.exitCode(), 0) << install.readAll().toStdString();

  QStringList expected = {
      "bin/leafsmith-cli",
      LEAF_MODULE_INSTALL_DIR "/libleafsmith-ocr.so",
      LEAF_MODULE_INSTALL_DIR "/libleafsmith-labels.so",
      "share/applications/leafsmith.desktop",
      "share/mime/packages/leafsmith.xml",
      "share/icons/hicolor/scalable/apps/leafsmith.svg",
  };
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    expected << QString("share/icons/hicolor/%1x%1/apps/leafsmith.png").arg(size);
  }
  if (LEAF_HAS_DESKTOP_PROGRAM) expected << "bin/leafsmith";
  for (const QString& file : expected) {
    EXPECT_TRUE(QFileInfo(prefix + "/" + file).isFile()) << file.toStdString();
  }
  EXPECT_TRUE(QFileInfo(prefix + "/bin/leafsmith-cli").isExecutable());

  // The install refreshed the MIME cache of the prefix.
  if (!QStandardPaths::findExecutable("update-mime-database").isEmpty()) {
    QFile globs(prefix + "/share/mime/globs2");
    ASSERT_TRUE(globs.open(QIODevice::ReadOnly));
    EXPECT_TRUE(globs.readAll().contains("image/x-iw44:*.iw4"));
  }
  if (!QStandardPaths::findExecutable("desktop-file-validate").isEmpty()) {
    QProcess validate;
    validate.setProcessChannelMode(QProcess::MergedChannels);
    validate.start("desktop-file-validate", {prefix + "/share/applications/leafsmith.desktop"});
    ASSERT_TRUE(validate.waitForFinished(60000));
    EXPECT_EQ(validate.exitCode(), 0) << validate.readAll().toStdString();
  }
}

}  // namespace
}  // namespace leaf
