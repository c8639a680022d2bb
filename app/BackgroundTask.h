// Runs long work (opening, saving) on a worker thread while the window keeps
// repainting and a progress dialog moves. The caller waits in a local event
// loop; input to every other window is held back meanwhile. Stop abandons
// the work: the caller goes on at once, the worker finishes on its own and
// whatever it made is dropped (a save commits nothing after a stop).
#pragma once

#include <functional>
#include <memory>
#include <string>

class CSaveProgressDlg;

namespace leaf {

struct TaskState;

// What the work sees of its task.
class TaskReporter {
 public:
  explicit TaskReporter(std::shared_ptr<TaskState> state) : state_(std::move(state)) {}

  // Thread-safe; the dialog shows the latest report.
  void Progress(const char* text, int percent) const;
  bool StopRequested() const;
  // Runs step (under the task's lock) unless the task was stopped, and from
  // then on a stop no longer counts: what step did stands. False when
  // stopped or when step returned false.
  bool CommitUnlessStopped(const std::function<bool()>& step) const;

 private:
  std::shared_ptr<TaskState> state_;
};

enum class TaskOutcome { Finished, Stopped };

// Runs work on the thread pool and waits for it; the dialog appears after
// showAfterMs (0: at once) and its Stop button stops the task.
TaskOutcome RunBackgroundTask(CSaveProgressDlg& dialog, int showAfterMs,
                              std::function<void(const TaskReporter&)> work);

// Waits for abandoned work to end (at exit, so that no temporary file stays).
void WaitForBackgroundTasks();

}  // namespace leaf
