// Work on a worker thread behind the progress dialog: progress reaches the
// dialog, Stop returns at once and nothing is committed after it.
#include <gtest/gtest.h>

#include <QTimer>
#include <atomic>
#include <chrono>
#include <thread>

#include "app/BackgroundTask.h"
#include "app/CSaveProgressDlg.h"

namespace leaf {
namespace {

using namespace std::chrono_literals;

TEST(BackgroundTaskTest, FinishedWorkReportsProgressToTheDialog) {
  CSaveProgressDlg dialog("Save in progress", "Saving");
  std::atomic<bool> onWorker{false};
  const auto ui = std::this_thread::get_id();
  bool committed = false;
  const TaskOutcome outcome = RunBackgroundTask(dialog, 0, [&](const TaskReporter& reporter) {
    onWorker = std::this_thread::get_id() != ui;
    reporter.Progress("Encoding Mask", 40);
    std::this_thread::sleep_for(50ms);
    committed = reporter.CommitUnlessStopped([] { return true; });
  });
  EXPECT_EQ(outcome, TaskOutcome::Finished);
  EXPECT_TRUE(onWorker);
  EXPECT_TRUE(committed);
  EXPECT_EQ(dialog.status(), "Encoding Mask");
  EXPECT_EQ(dialog.position(), 40);
  EXPECT_FALSE(dialog.isVisible());
}

TEST(BackgroundTaskTest, StopReturnsAtOnceAndBlocksTheCommit) {
  CSaveProgressDlg dialog("Save in progress", "Saving");
  auto release = std::make_shared<std::atomic<bool>>(false);
  auto committed = std::make_shared<std::atomic<int>>(-1);
  QTimer::singleShot(30, &dialog, [&] { dialog.reject(); });  // the Stop button
  const auto start = std::chrono::steady_clock::now();
  const TaskOutcome outcome =
      RunBackgroundTask(dialog, 0, [release, committed](const TaskReporter& reporter) {
        while (!*release) std::this_thread::sleep_for(5ms);
        *committed = reporter.CommitUnlessStopped([] { return true; }) ? 1 : 0;
      });
  EXPECT_EQ(outcome, TaskOutcome::Stopped);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
  *release = true;
  WaitForBackgroundTasks();
  EXPECT_EQ(*committed, 0);
}

TEST(BackgroundTaskTest, AStopAfterTheCommitStillCountsAsFinished) {
  CSaveProgressDlg dialog("Save in progress", "Saving");
  auto committedFlag = std::make_shared<std::atomic<bool>>(false);
  const TaskOutcome outcome =
      RunBackgroundTask(dialog, 0, [&dialog, committedFlag](const TaskReporter& reporter) {
        reporter.CommitUnlessStopped([&] { return *committedFlag = true; });
        // Stop pressed after the file was put in place.
        QMetaObject::invokeMethod(
            &dialog, [&dialog] { dialog.reject(); }, Qt::QueuedConnection);
        std::this_thread::sleep_for(50ms);
      });
  EXPECT_TRUE(*committedFlag);
  EXPECT_EQ(outcome, TaskOutcome::Finished);
}

}  // namespace
}  // namespace leaf
