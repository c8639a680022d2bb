// The help window: each topic opens its page, links and the panes lead to
// pages, back and forward retrace them, and one window serves every request.
#include <gtest/gtest.h>

#include <QtCore/QTimer>
#include <QtGui/QTextCursor>
#include <QtGui/QTextDocument>
#include <QtTest/QTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QDialog>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QListWidget>
#include <QtWidgets/QMessageBox>
#include <QtWidgets/QTabWidget>
#include <QtWidgets/QTextBrowser>
#include <QtWidgets/QTreeWidget>
#include <memory>

#include "app/CHelpWindow.h"
#include "app/HelpContents.h"

namespace {

using leaf::help::PageTitle;

class HelpWindowTest : public ::testing::Test {
 protected:
  void TearDown() override {
    if (CHelpWindow* window = CHelpWindow::instance()) window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(CHelpWindow::instance(), nullptr) << "the closed window is deleted";
  }

  static CHelpWindow* Shown(const QString& topic, QWidget* parent = nullptr) {
    CHelpWindow::showTopic(topic, parent);
    return CHelpWindow::instance();
  }
};

struct MessageBoxSeen {
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  bool seen = false;
};

// Closes the next message box once it is up, noting what it said.
void AnswerNextMessageBox(MessageBoxSeen& seen) {
  QTimer::singleShot(0, [&seen] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    seen = {box->text(), box->icon(), true};
    box->accept();
  });
}

TEST_F(HelpWindowTest, EveryPageOpensAsItsTopic) {
  for (const QString& page : leaf::help::Pages()) {
    SCOPED_TRACE(page.toStdString());
    CHelpWindow* window = Shown(page);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->currentTopic(), page);
    EXPECT_EQ(window->windowTitle(), "Leafsmith Help - " + PageTitle(page));
    EXPECT_TRUE(window->browser()->toPlainText().contains(PageTitle(page)));
    QTreeWidgetItem* current = window->contentsTree()->currentItem();
    ASSERT_NE(current, nullptr);
    EXPECT_EQ(current->text(0), PageTitle(page));
    // To look at the pages: LEAF_SCREENSHOT_DIR=/tmp/help shell_support_tests
    if (const QString shots = qEnvironmentVariable("LEAF_SCREENSHOT_DIR"); !shots.isEmpty()) {
      window->grab().save(shots + "/" + QString(page).replace(".html", ".png"));
    }
  }
}

// One window serves every request; a topic with an anchor opens its page
// there, and an unknown topic is reported, opening no window or leaving the
// open one on its page.
TEST_F(HelpWindowTest, OneWindowServesEveryRequestAndUnknownTopicsAreReported) {
  for (const char* topic : {"Nope.html", "../../etc/passwd", "Contents.html#nosuch"}) {
    SCOPED_TRACE(topic);
    MessageBoxSeen seen;
    AnswerNextMessageBox(seen);
    CHelpWindow::showTopic(topic);
    ASSERT_TRUE(seen.seen);
    EXPECT_EQ(seen.text, leaf::help::MissingTopicMessage(topic));
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
    EXPECT_EQ(CHelpWindow::instance(), nullptr);
  }
  CHelpWindow* first = Shown("Contents.html");
  CHelpWindow* window = Shown("DjvuOptions.html#background");
  EXPECT_EQ(first, window);
  EXPECT_EQ(window->currentTopic(), "DjvuOptions.html#background");
  EXPECT_EQ(window->contentsTree()->currentItem()->text(0), PageTitle("DjvuOptions.html"));
  EXPECT_TRUE(window->browser()->isBackwardAvailable());

  MessageBoxSeen seen;
  AnswerNextMessageBox(seen);
  CHelpWindow::showTopic("Nope.html");
  EXPECT_TRUE(seen.seen);
  EXPECT_EQ(CHelpWindow::instance(), window);
  EXPECT_EQ(window->currentTopic(), "DjvuOptions.html#background");
}

// Tab moves the keyboard focus to the page's first link and Return follows
// it, as a reader without a mouse would.
TEST_F(HelpWindowTest, FollowingALinkOpensItsPageAndBackReturns) {
  CHelpWindow* window = Shown("Resize.html");
  QTextBrowser* browser = window->browser();
  browser->setFocus();
  QTest::keyClick(browser, Qt::Key_Tab);
  QTest::keyClick(browser, Qt::Key_Return);
  const QString followed = window->currentTopic();
  EXPECT_NE(followed, "Resize.html");
  EXPECT_TRUE(leaf::help::IsTopic(followed)) << followed.toStdString();
  EXPECT_FALSE(browser->toPlainText().isEmpty());

  browser->backward();
  EXPECT_EQ(window->currentTopic(), "Resize.html");
  browser->forward();
  EXPECT_EQ(window->currentTopic(), followed);
}

// Clicks the first link whose text is linkText, where the page shows it.
void ClickLink(QTextBrowser* browser, const QString& linkText) {
  QTextCursor cursor = browser->document()->find(linkText);
  ASSERT_FALSE(cursor.isNull()) << linkText.toStdString();
  ASSERT_TRUE(cursor.charFormat().isAnchor()) << linkText.toStdString();
  cursor.setPosition(cursor.selectionStart() + 1);
  browser->setTextCursor(cursor);
  browser->ensureCursorVisible();
  const QRect where = browser->cursorRect(cursor);
  QTest::mouseClick(browser->viewport(), Qt::LeftButton, {}, where.center() + QPoint(2, 0));
}

TEST_F(HelpWindowTest, ClickedLinksAndContentsEntriesOpenTheirPages) {
  CHelpWindow* window = Shown("Contents.html");
  ClickLink(window->browser(), "Opening files from the desktop");
  EXPECT_EQ(window->currentTopic(), "FileAssociations.html");
  ClickLink(window->browser(), "File associations");
  EXPECT_EQ(window->currentTopic(), "GeneralOptions.html#associations");
  EXPECT_EQ(window->contentsTree()->currentItem()->text(0), PageTitle("GeneralOptions.html"));

  QTreeWidget* tree = window->contentsTree();
  const auto items =
      tree->findItems(PageTitle("IW44Options.html"), Qt::MatchExactly | Qt::MatchRecursive);
  ASSERT_EQ(items.size(), 1);
  tree->scrollToItem(items.front());
  const QRect rect = tree->visualItemRect(items.front());
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, rect.center());
  EXPECT_EQ(window->currentTopic(), "IW44Options.html");
}

TEST_F(HelpWindowTest, ContentsPaneFollowsTheTableOfContents) {
  CHelpWindow* window = Shown("Contents.html");
  QTreeWidget* tree = window->contentsTree();
  ASSERT_EQ(tree->topLevelItemCount(), 1);
  QTreeWidgetItemIterator it(tree);
  for (const leaf::help::ContentsEntry& entry : leaf::help::TableOfContents()) {
    ASSERT_NE(*it, nullptr);
    EXPECT_EQ((*it)->text(0), PageTitle(entry.page));
    int depth = 0;
    for (QTreeWidgetItem* up = (*it)->parent(); up; up = up->parent()) ++depth;
    EXPECT_EQ(depth, entry.depth) << entry.page.toStdString();
    ++it;
  }
  EXPECT_EQ(*it, nullptr);
}

TEST_F(HelpWindowTest, IndexFilterNarrowsTheListAndReturnOpensTheFirstMatch) {
  CHelpWindow* window = Shown("Contents.html");
  window->panes()->setCurrentIndex(1);
  QTest::keyClicks(window->indexFilter(), "huffman");
  QListWidget* index = window->indexList();
  int visible = 0;
  for (int row = 0; row < index->count(); ++row) {
    if (index->item(row)->isHidden()) continue;
    ++visible;
    EXPECT_TRUE(index->item(row)->text().contains("huffman", Qt::CaseInsensitive));
  }
  EXPECT_GE(visible, 1);
  QTest::keyClick(window->indexFilter(), Qt::Key_Return);
  EXPECT_EQ(window->currentTopic(), "JpegOptions.html");

  window->indexFilter()->clear();
  int shown = 0;
  for (int row = 0; row < index->count(); ++row) shown += index->item(row)->isHidden() ? 0 : 1;
  EXPECT_EQ(shown, index->count());
}

TEST_F(HelpWindowTest, BelongsToItsParentsWindow) {
  QWidget main;
  QWidget* child = new QWidget(&main);
  main.show();
  CHelpWindow* window = Shown("Contents.html", child);
  EXPECT_EQ(window->parentWidget(), &main);
  EXPECT_TRUE(window->isWindow());
  window->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// A modal dialog blocks every window but its own children, so the help asked
// for from it belongs to it while it is open, and goes back to the main
// window, still open, when it closes.
TEST_F(HelpWindowTest, FollowsTheModalDialogItIsAskedFrom) {
  QWidget main;
  main.show();
  CHelpWindow* window = Shown("Contents.html", &main);
  ASSERT_EQ(window->parentWidget(), &main);

  auto dialog = std::make_unique<QDialog>(&main);
  dialog->setModal(true);
  dialog->show();
  ASSERT_EQ(QApplication::activeModalWidget(), dialog.get());
  EXPECT_EQ(Shown("DjvuOptions.html", dialog.get()), window);
  EXPECT_EQ(window->parentWidget(), dialog.get());
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(window->currentTopic(), "DjvuOptions.html");

  dialog->hide();
  EXPECT_EQ(window->parentWidget(), &main);
  EXPECT_TRUE(window->isVisible());
  dialog.reset();
  EXPECT_EQ(CHelpWindow::instance(), window);
  window->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(HelpWindowTest, EscapeClosesTheWindow) {
  CHelpWindow* window = Shown("Contents.html");
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  QTest::keyClick(window->browser(), Qt::Key_Escape);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(CHelpWindow::instance(), nullptr);
}

}  // namespace
