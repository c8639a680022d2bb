// The real Open and Save As dialogs: the type rows they offer, the row they
// preselect, and the Save As dialog changing the typed extension with the type.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>
#include <functional>

#include "app/UserPrompts.h"
#include "tests/support/TempDir.h"

namespace leaf {
namespace {

// Runs check on the file dialog once it is open, then closes it (accepted or not).
void WhenDialogOpens(const std::function<void(QFileDialog&)>& check, bool accept) {
  QTimer::singleShot(0, [check, accept] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    check(*dialog);
    QMetaObject::invokeMethod(dialog, accept ? "accept" : "reject");
  });
}

TEST(PromptsTest, SaveAsChangesTheTypedExtensionWithTheType) {
  test::TempDir dir;
  CDialogPrompts prompts(nullptr);
  QStringList seen;
  WhenDialogOpens(
      [&](QFileDialog& dialog) {
        auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        ASSERT_TRUE(edit && types);
        EXPECT_EQ(types->count(), 5);
        EXPECT_EQ(types->currentIndex(), 2);  // preselected: Windows Bitmap
        seen << edit->text();
        for (int row : {3, 4, 0, 1}) {
          types->setCurrentIndex(row);
          emit types->activated(row);
          seen << edit->text();
        }
      },
      true);
  const CUserPrompts::FileChoice choice =
      prompts.chooseSavePath(QString::fromStdString(dir.path()), "scan.bmp", 2);
  EXPECT_EQ(seen, (QStringList{"scan.bmp", "scan.jpg", "scan.ppm", "scan.djvu", "scan.iw44"}));
  ASSERT_TRUE(choice.accepted);
  EXPECT_EQ(choice.filterRow, 1);
  EXPECT_EQ(choice.path, QString::fromStdString(dir.file("scan.iw44")));
}

TEST(PromptsTest, OpenPreselectsTheStoredTypeAndCancelChoosesNothing) {
  test::TempDir dir;
  CDialogPrompts prompts(nullptr);
  WhenDialogOpens(
      [](QFileDialog& dialog) {
        auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        ASSERT_NE(types, nullptr);
        EXPECT_EQ(types->count(), 7);
        EXPECT_EQ(types->currentText(), "TIFF file (*.tif *.tiff)");
      },
      false);
  EXPECT_FALSE(prompts.chooseOpenPath(QString::fromStdString(dir.path()), 4).accepted);
}

}  // namespace
}  // namespace leaf
