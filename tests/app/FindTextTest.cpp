// Find and Copy Text over the hidden text of DjVu pages: the search itself
// (phrases, case, wrapping, turned pages) and the window's Find bar, marks
// and clipboard, on pages whose text is known.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QTest>

#include "DesktopFixtures.h"
#include "FakePrompts.h"
#include "app/CFindBar.h"
#include "app/CLeafDoc.h"
#include "app/CLeafView.h"
#include "app/CMainFrame.h"
#include "app/CTextSearch.h"
#include "app/PageTextFinder.h"
#include "formats/ImageFiles.h"
#include "formats/SaveImageFile.h"
#include "libAPI/djvu_text.h"

namespace leaf {
namespace {

djvu_text_word Word(int left, int bottom, int right, int top, const char* text) {
  return {left, bottom, right, top, text};
}

// A 400 x 200 page: "alpha Beta alpha gamma" over "delta alpha".
DjvuPageWords KnownPage() {
  DjvuPageWords page;
  page.width = 400;
  page.height = 200;
  page.words = {Word(10, 150, 60, 170, "alpha"),   Word(70, 150, 120, 170, "Beta"),
                Word(130, 150, 180, 170, "alpha"), Word(190, 150, 250, 170, "gamma"),
                Word(10, 100, 60, 120, "delta"),   Word(70, 100, 120, 120, "alpha.")};
  return page;
}

TEST(PageTextFinderTest, PhrasesAcrossWordsAndPagesBothWays) {
  DjvuPageWords other = KnownPage();
  other.words.resize(2);  // "alpha Beta"
  const PageTextFinder finder({KnownPage(), DjvuPageWords{}, other});
  EXPECT_TRUE(finder.hasText());
  EXPECT_EQ(finder.matchesOn(0, "ALPHA").size(), 3u);
  EXPECT_EQ(finder.matchesOn(0, "  alpha   beta ").size(), 1u);
  EXPECT_EQ(finder.matchesOn(0, "ha be").front(), (TextMatch{0, 0, 2}));
  EXPECT_EQ(finder.matchesOn(0, "gamma delta").front(), (TextMatch{0, 3, 2}));
  EXPECT_TRUE(finder.matchesOn(0, "").empty());
  EXPECT_TRUE(finder.matchesOn(1, "alpha").empty());

  const struct {
    TextMatch from;
    bool forward;
    TextMatch found;
  } steps[] = {
      {{0, -1, 0}, true, {0, 0, 1}}, {{0, 0, 1}, true, {0, 2, 1}},
      {{0, 5, 1}, true, {2, 0, 1}},  {{2, 0, 1}, true, {0, 0, 1}},  // wraps around
      {{0, 0, 1}, false, {2, 0, 1}}, {{0, -1, 0}, false, {0, 5, 1}},
      {{1, -1, 0}, true, {2, 0, 1}}, {{1, -1, 0}, false, {0, 5, 1}},
  };
  for (const auto& s : steps) {
    EXPECT_EQ(finder.find("alpha", s.from, s.forward), s.found)
        << s.from.page << "," << s.from.firstWord << (s.forward ? " forward" : " backward");
  }
  EXPECT_FALSE(finder.find("omega", {0, -1, 0}, true).found());
  EXPECT_FALSE(PageTextFinder().find("alpha", {0, -1, 0}, true).found());
}

TEST(PageTextFinderTest, BoxesFollowTheTurnAndTheSelectionGivesItsLines) {
  DjvuPageWords page = KnownPage();
  const PageTextFinder upright({page});
  EXPECT_EQ(upright.wordRect(0, 0, {400, 200}), QRect(QPoint(10, 30), QPoint(59, 49)));
  EXPECT_EQ(upright.wordRect(0, 0, {200, 100}), QRect(QPoint(5, 15), QPoint(29, 24)));
  EXPECT_EQ(upright.wordRect(0, 9, {400, 200}), QRect());
  const struct {
    int rotation;
    QRect rect;
  } turns[] = {
      {1, QRect(QPoint(30, 340), QPoint(49, 389))},
      {2, QRect(QPoint(340, 150), QPoint(389, 169))},
      {3, QRect(QPoint(150, 10), QPoint(169, 59))},
  };
  for (const auto& t : turns) {
    page.rotation = t.rotation;
    const QSize shown = t.rotation % 2 ? QSize(200, 400) : QSize(400, 200);
    EXPECT_EQ(PageTextFinder({page}).wordRect(0, 0, shown), t.rect) << t.rotation;
  }
  EXPECT_EQ(upright.wordsIn(0, QRect(), {400, 200}), "alpha Beta alpha gamma\ndelta alpha.");
  EXPECT_EQ(upright.wordsIn(0, QRect(QPoint(0, 60), QPoint(399, 199)), {400, 200}), "delta alpha.");
  EXPECT_EQ(upright.wordsIn(0, QRect(QPoint(65, 0), QPoint(399, 60)), {400, 200}),
            "Beta alpha gamma");
  EXPECT_EQ(upright.wordsIn(0, QRect(QPoint(300, 0), QPoint(399, 60)), {400, 200}), "");
}

// The known page as a DjVu file: a page saved by our saver with the text
// added to it.
std::string WriteKnownDjvu(const test::TempDir& dir) {
  const std::string bmp = test::WriteGrayPage(dir, "known.bmp", 400, 200);
  DibImage image;
  EXPECT_TRUE(ReadImageFile(image, bmp, kFileBmp));
  const std::string plain = dir.file("plain.djvu");
  EXPECT_TRUE(SaveImageFile(plain, kFileDjvu, image));
  djvu_text_zone line1{DJVU_ZONE_LINE, 10, 150, 250, 170, {}, {}};
  djvu_text_zone line2{DJVU_ZONE_LINE, 10, 100, 120, 120, {}, {}};
  const DjvuPageWords known = KnownPage();
  for (size_t i = 0; i < known.words.size(); ++i) {
    const djvu_text_word& w = known.words[i];
    (i < 4 ? line1 : line2)
        .children.push_back({DJVU_ZONE_WORD, w.left, w.bottom, w.right, w.top, w.text, {}});
  }
  const djvu_text_zone root{DJVU_ZONE_PAGE, 0, 0, 400, 200, {}, {line1, line2}};
  const std::vector<uint8_t> bytes = test::ReadBytes(plain);
  std::vector<uint8_t> withText;
  EXPECT_EQ(djvu_page_add_text(
                bytes.data(), bytes.size(), root,
                [](void* to, const void* data, size_t length) {
                  auto* out = static_cast<std::vector<uint8_t>*>(to);
                  out->insert(out->end(), static_cast<const uint8_t*>(data),
                              static_cast<const uint8_t*>(data) + length);
                  return length;
                },
                &withText),
            0);
  const std::string path = dir.file("known.djvu");
  test::WriteBytes(path, withText);
  return path;
}

class FindWindowTest : public ::testing::Test {
 protected:
  FindWindowTest() : settings(AppSettings::Defaults(dir.path())) {
    settings.windowFit = 0;
    settings.imageFit = 2;
    frame =
        std::make_unique<CMainFrame>(settings, QString::fromStdString(dir.file("Leafsmith.ini")),
                                     std::make_unique<test::FakePrompts>());
    frame->resize(900, 700);
    frame->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
    // Shortcuts reach only the active window; on a busy machine it becomes
    // active some time after it is exposed.
    frame->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(frame.get()));
  }
  QAction* command(const char* name) { return frame->action(QString::fromUtf8(name)); }

  test::TempDir dir;
  AppSettings settings;
  std::unique_ptr<CMainFrame> frame;
};

TEST_F(FindWindowTest, CtrlFFindsMarksAndStepsThroughThePage) {
  ASSERT_TRUE(frame->openFile(QString::fromStdString(WriteKnownDjvu(dir))));
  ASSERT_TRUE(command("Find")->isEnabled());
  QTest::keyClick(frame.get(), Qt::Key_F, Qt::ControlModifier);
  CFindBar* bar = frame->findBar();
  ASSERT_TRUE(bar->isVisible());
  QTest::keyClicks(bar->field(), "ALPHA");
  EXPECT_EQ(frame->view().textMarks().size(), 3u);  // marked as it is typed
  QTest::keyClick(bar->field(), Qt::Key_Return);
  EXPECT_EQ(bar->status(), "1 of 3 on page 1");
  ASSERT_EQ(frame->view().currentTextMarks().size(), 1u);
  EXPECT_EQ(frame->view().currentTextMarks()[0], QRect(QPoint(10, 30), QPoint(59, 49)));
  EXPECT_EQ(frame->view().textMarks().size(), 2u);
  QTest::keyClick(frame.get(), Qt::Key_F3);
  EXPECT_EQ(bar->status(), "2 of 3 on page 1");
  QTest::keyClick(frame.get(), Qt::Key_F3, Qt::ShiftModifier);
  QTest::keyClick(frame.get(), Qt::Key_F3, Qt::ShiftModifier);
  EXPECT_EQ(bar->status(), "3 of 3 on page 1");  // wrapped to the last
  frame->findBar()->field()->setText("omega");
  frame->findAgainCommand(true);
  EXPECT_EQ(bar->status(), "Not found");
  EXPECT_TRUE(frame->view().textMarks().empty());
  QTest::keyClick(bar->field(), Qt::Key_Escape);
  EXPECT_FALSE(bar->isVisible());
}

// Copy Text takes the words of the selection, or of the whole page without
// one. Turned or flipped, the page still shows its marks over the words, and
// a selection on the turned page copies the words it covers.
TEST_F(FindWindowTest, CopiedWordsAndMarksFollowTheSelectionAndATurnedPage) {
  ASSERT_TRUE(frame->openFile(QString::fromStdString(WriteKnownDjvu(dir))));
  QApplication::clipboard()->clear();
  frame->view().setSelection(QRect(QPoint(0, 60), QPoint(399, 199)));
  QTest::keyClick(frame.get(), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(QApplication::clipboard()->text(), "delta alpha.");
  frame->view().dropSelection();
  frame->copyTextCommand();
  EXPECT_EQ(QApplication::clipboard()->text(), "alpha Beta alpha gamma\ndelta alpha.");

  frame->findCommand();
  frame->findBar()->field()->setText("ALPHA");
  frame->findAgainCommand(true);
  ASSERT_EQ(frame->view().currentTextMarks().size(), 1u);
  ASSERT_TRUE(frame->document().rotateRight());
  ASSERT_EQ(frame->view().currentTextMarks().size(), 1u);
  EXPECT_EQ(frame->view().currentTextMarks()[0], QRect(QPoint(150, 10), QPoint(169, 59)));
  EXPECT_EQ(frame->view().textMarks().size(), 2u);

  QApplication::clipboard()->clear();
  frame->view().setSelection(QRect(QPoint(0, 0), QPoint(139, 399)));
  frame->copyTextCommand();
  EXPECT_EQ(QApplication::clipboard()->text(), "delta alpha.");

  ASSERT_TRUE(frame->document().rotateLeft());
  ASSERT_TRUE(frame->document().flip());
  ASSERT_EQ(frame->view().currentTextMarks().size(), 1u);
  EXPECT_EQ(frame->view().currentTextMarks()[0], QRect(QPoint(10, 150), QPoint(59, 169)));
}

TEST_F(FindWindowTest, FindTurnsToThePageOfAnotherEncodersText) {
  const QString book = QString::fromUtf8(LEAF_SOURCE_DIR "/tests/data/djvu/book.djvu");
  ASSERT_TRUE(frame->openFile(book));
  frame->view().goToPage(1);
  ASSERT_EQ(frame->document().pageIndex(), 1);
  frame->findCommand();
  frame->findBar()->field()->setText("WORLD");
  frame->findAgainCommand(true);
  EXPECT_EQ(frame->document().pageIndex(), 0);
  EXPECT_EQ(frame->findBar()->status(), "1 of 1 on page 1");
  EXPECT_EQ(frame->view().currentTextMarks().size(), 1u);
}

TEST_F(FindWindowTest, PagesWithoutTextSaySoAndOtherFilesHaveNoFind) {
  ASSERT_TRUE(frame->openFile(QString::fromStdString(test::WriteCompoundDjvu(dir))));
  frame->findCommand();
  frame->findBar()->field()->setText("anything");
  frame->findAgainCommand(true);
  EXPECT_EQ(frame->findBar()->status(), "This document has no hidden text");
  ASSERT_TRUE(frame->openFile(QString::fromStdString(test::WriteGrayPage(dir, "gray.bmp"))));
  EXPECT_FALSE(command("Find")->isEnabled());
  EXPECT_FALSE(command("Copy Text")->isEnabled());
}

}  // namespace
}  // namespace leaf
