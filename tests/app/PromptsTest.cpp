// The real Open and Save As dialogs: the type rows they offer, the row they
// preselect, and the Save As dialog changing the typed extension with the
// type; the question which pages a DjVu save takes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
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
        EXPECT_EQ(types->count(), 6);
        EXPECT_EQ(types->currentIndex(), 2);  // preselected: Windows Bitmap
        seen << edit->text();
        for (int row : {3, 4, 5, 0, 1}) {
          types->setCurrentIndex(row);
          emit types->activated(row);
          seen << edit->text();
        }
      },
      true);
  const CUserPrompts::FileChoice choice =
      prompts.chooseSavePath(QString::fromStdString(dir.path()), "scan.bmp", 2);
  EXPECT_EQ(seen, (QStringList{"scan.bmp", "scan.jpg", "scan.ppm", "scan.png", "scan.djvu",
                               "scan.iw44"}));
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
        EXPECT_EQ(types->count(), 8);
        EXPECT_EQ(types->currentText(), "TIFF file (*.tif *.tiff)");
      },
      false);
  EXPECT_FALSE(prompts.chooseOpenPath(QString::fromStdString(dir.path()), 4).accepted);
}

TEST(PromptsTest, PagesQuestionOffersAllPagesThisPageAndCancel) {
  CDialogPrompts prompts(nullptr);
  using Choice = CUserPrompts::PagesChoice;
  const struct {
    const char* button;
    Choice choice;
  } cases[] = {
      {"all pages", Choice::AllPages}, {"this page", Choice::ThisPage}, {"Cancel", Choice::Cancel}};
  for (const auto& c : cases) {
    QTimer::singleShot(0, [&c] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      EXPECT_TRUE(box->text().contains("12 pages")) << box->text().toStdString();
      for (QAbstractButton* button : box->buttons()) {
        if (button->text().remove('&') == c.button) button->click();
      }
    });
    EXPECT_EQ(prompts.choosePagesToSave(12), c.choice) << c.button;
  }
}

}  // namespace
}  // namespace leaf
