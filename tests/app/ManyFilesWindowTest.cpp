// The selection bar, the batch conversions, the sweeper with its details
// dialog and the slideshow in the main window, on the offscreen platform.
#include <gtest/gtest.h>
#include <utime.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>

#include "FakePrompts.h"
#include "app/BackgroundRuns.h"
#include "app/CConversionDetailsDlg.h"
#include "app/CLeafDoc.h"
#include "app/CMainFrame.h"
#include "app/CSelectionBar.h"
#include "tests/support/PnmFixtures.h"
#include "tests/support/TempDir.h"

namespace leaf {
namespace {

using Answer = CUserPrompts::Answer;

class ManyFilesWindowTest : public ::testing::Test {
 protected:
  ManyFilesWindowTest() : settings(AppSettings::Defaults(dir.path())) {
    settings.windowFit = 0;
    settings.lcOpenDir = dir.file("in");
    settings.lcOpenType = kFileAllSupported;
    settings.lcSaveDir = dir.file("out");
    settings.lcSaveType = kFileBmp;
    for (const char* name : {"a.pgm", "b.pgm", "c.pgm"}) {
      test::WriteGrayPgm(dir.file(std::string("in/") + name), name[0], 60, 40);
    }
    test::WriteText(dir.file("in/notes.txt"), "not listed");
    std::filesystem::create_directories(dir.file("in/sub"));
    auto fake = std::make_unique<test::FakePrompts>();
    prompts = fake.get();
    frame = std::make_unique<CMainFrame>(settings, QString(), std::move(fake));
    frame->resize(1000, 800);
    frame->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
    bar = frame->selectionBar();
  }

  QStringList rows() const {
    QStringList names;
    for (int row = 0; row < bar->list()->topLevelItemCount(); ++row) {
      names << bar->list()->topLevelItem(row)->text(0);
    }
    return names;
  }
  bool enabled(const char* name) { return frame->action(QString::fromUtf8(name))->isEnabled(); }

  test::TempDir dir;
  AppSettings settings;
  test::FakePrompts* prompts = nullptr;
  std::unique_ptr<CMainFrame> frame;
  CSelectionBar* bar = nullptr;
};

TEST_F(ManyFilesWindowTest, BarListsFiltersEntersFoldersAndDeletes) {
  EXPECT_FALSE(bar->isVisible()) << "shown on request";
  frame->action("Selection Bar")->trigger();
  EXPECT_TRUE(bar->isVisible());
  EXPECT_EQ(rows(), (QStringList{"..", "sub", "a.pgm", "b.pgm", "c.pgm"}));
  bar->sortBy(kFolderColumnName);  // the same column again: descending, folders last
  EXPECT_EQ(rows(), (QStringList{"c.pgm", "b.pgm", "a.pgm", "sub", ".."}));
  bar->sortBy(kFolderColumnName);

  bar->activateRow(1);  // sub
  EXPECT_EQ(settings.lcOpenDir, dir.file("in/sub"));
  EXPECT_EQ(rows(), QStringList{".."});
  bar->activateRow(0);
  EXPECT_EQ(settings.lcOpenDir, dir.file("in"));

  bar->filterBox()->setCurrentIndex(5);  // TIFF
  emit bar->filterBox()->activated(5);
  EXPECT_EQ(settings.lcOpenType, kFileTiff);
  EXPECT_EQ(rows(), (QStringList{"..", "sub"}));
  emit bar->filterBox()->activated(6);

  bar->selectAll();
  EXPECT_EQ(bar->selectedNames(), (QStringList{"a.pgm", "b.pgm", "c.pgm"}));
  prompts->answers = {Answer::No};
  bar->deleteSelected();
  EXPECT_TRUE(test::FileExists(dir.file("in/a.pgm")));
  prompts->answers = {Answer::Yes};
  bar->deleteSelected();
  ASSERT_EQ(prompts->questions.size(), 2);
  EXPECT_TRUE(prompts->questions[1].contains("delete these 3 files?"));
  EXPECT_FALSE(test::FileExists(dir.file("in/a.pgm")));
  EXPECT_EQ(rows(), (QStringList{"..", "sub"}));
}

TEST_F(ManyFilesWindowTest, CommandsFollowTheSelection) {
  EXPECT_FALSE(enabled("Batch Convert in the Background"));
  EXPECT_FALSE(enabled("Slideshow"));
  EXPECT_FALSE(enabled("Stop Background Conversion"));
  bar->selectAll();
  EXPECT_TRUE(enabled("Batch Convert in the Background"));
  EXPECT_TRUE(enabled("Make Thumbnails"));
  EXPECT_TRUE(enabled("Slideshow"));
  EXPECT_TRUE(enabled("Delete Selected Files"));
}

TEST_F(ManyFilesWindowTest, BackgroundBatchConvertsWhileTheWindowWorks) {
  std::filesystem::create_directories(dir.file("out"));
  test::WriteText(dir.file("out/a.bmp"), "earlier");
  bar->selectAll();
  frame->setBackgroundWorkers(2);
  ASSERT_TRUE(frame->startBackgroundBatch(false));
  EXPECT_FALSE(enabled("Batch Convert in the Background"));
  EXPECT_TRUE(enabled("Stop Background Conversion"));
  QTRY_VERIFY_WITH_TIMEOUT(!frame->backgroundBatch()->busy(), 60000);
  EXPECT_EQ(test::AllFilesBelow(dir.file("out")),
            (std::vector<std::string>{"a-1.bmp", "a.bmp", "b.bmp", "c.bmp"}));
  QTRY_COMPARE(bar->batchStatus(), QStringLiteral("Done"));
  EXPECT_TRUE(bar->batchTimes().startsWith("Elapsed: 0:00:")) << bar->batchTimes().toStdString();
  EXPECT_EQ(bar->batchProgress(), 0);
  EXPECT_TRUE(enabled("Batch Convert in the Background"));

  settings.lcSaveType = 0;
  EXPECT_FALSE(frame->startBackgroundBatch(false));
  EXPECT_EQ(prompts->errors, QStringList{"Unknown output type!"});
  ASSERT_TRUE(frame->startBackgroundBatch(true)) << "thumbnails need no output type";
  QTRY_VERIFY_WITH_TIMEOUT(!frame->backgroundBatch()->busy(), 60000);
  EXPECT_TRUE(test::FileExists(dir.file("out/a.jpg")));
}

TEST_F(ManyFilesWindowTest, ForegroundBatchShowsEachPage) {
  settings.lcSaveType = kFilePnm;
  bar->selectAll();
  EXPECT_EQ(frame->runForegroundBatch(), 3);
  EXPECT_EQ(test::AllFilesBelow(dir.file("out")),
            (std::vector<std::string>{"a.pgm", "b.pgm", "c.pgm"}));
  EXPECT_TRUE(frame->document().path().endsWith("c.pgm")) << "the last page stays shown";
  EXPECT_EQ(bar->batchStatus(), QStringLiteral("Done"));
  EXPECT_EQ(settings.dither, 1) << "restored after the run";
}

TEST_F(ManyFilesWindowTest, SweeperConvertsAndTheDetailsListAndPurge) {
  settings.sweepOpenDir = dir.file("sweep/in");
  settings.sweepSaveDir = dir.file("sweep/out");
  settings.sweepArchiveDir = dir.file("sweep/old");
  settings.sweepSaveType = kFileBmp;
  ASSERT_TRUE(frame->startSweeper());
  EXPECT_TRUE(frame->action("Sweep")->isChecked());
  const std::string input = dir.file("sweep/in/x.pgm");
  test::WriteGrayPgm(input, 1, 60, 40);
  const utimbuf old{1000000000, 1000000000};  // long settled
  utime(input.c_str(), &old);
  QTRY_VERIFY_WITH_TIMEOUT(test::FileExists(dir.file("sweep/old/finished/x.pgm")), 30000);
  EXPECT_TRUE(test::FileExists(dir.file("sweep/out/x.bmp")));
  frame->sweepCommand();  // stops it
  QTRY_VERIFY_WITH_TIMEOUT(!frame->sweeperRun()->running(), 30000);
  QTRY_VERIFY(!frame->action("Sweep")->isChecked());
  EXPECT_TRUE(bar->sweepPosition().startsWith("Current: ")) << bar->sweepPosition().toStdString();

  CConversionDetailsDlg details(frame->sweepLog(), *prompts);
  ASSERT_EQ(details.list()->topLevelItemCount(), 1);
  const QTreeWidgetItem* row = details.list()->topLevelItem(0);
  EXPECT_EQ(row->text(0), QStringLiteral("x.bmp"));
  EXPECT_EQ(row->text(5), QStringLiteral("Ok"));
  // The time it took, in whole seconds (a busy machine may need more than one).
  EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d+ s$")).match(row->text(3)).hasMatch())
      << row->text(3).toStdString();
  prompts->answers = {Answer::Yes};
  details.purge();
  EXPECT_EQ(details.list()->topLevelItemCount(), 0);
  EXPECT_EQ(frame->sweepLog().count(), 0u);
}

TEST_F(ManyFilesWindowTest, SlideshowLoopsUntilQ) {
  settings.slideDelay = 1;
  bar->selectAll();
  QStringList shown;
  QObject::connect(frame.get(), &CMainFrame::slideShown, [&](int, const QString& path) {
    shown << QFileInfo(path).fileName();
    EXPECT_TRUE(frame->statusBar()->currentMessage().startsWith("Showing image "));
    if (shown.size() == 4) QTest::keyClick(frame.get(), Qt::Key_Q);
  });
  EXPECT_EQ(frame->slideshowCommand(), 4);
  EXPECT_EQ(shown, (QStringList{"a.pgm", "b.pgm", "c.pgm", "a.pgm"}));
  EXPECT_TRUE(frame->document().path().endsWith("a.pgm")) << "the page on screen stays open";
  EXPECT_FALSE(bar->isVisible()) << "a hidden bar stays hidden";
}

}  // namespace
}  // namespace leaf
