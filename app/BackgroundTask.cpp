#include "BackgroundTask.h"

#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QPointer>
#include <QThreadPool>
#include <QTimer>
#include <mutex>

#include "CSaveProgressDlg.h"

namespace leaf {

struct TaskState {
  std::mutex mutex;
  bool finished = false;
  bool stopped = false;
  bool committed = false;
  std::string text;
  int percent = -1;
  bool reportPending = false;
  // Touched on the interface thread only.
  QPointer<CSaveProgressDlg> dialog;
  QEventLoop* loop = nullptr;
};

namespace {

// Runs fn on the interface thread.
void PostToInterface(std::function<void()> fn) {
  QMetaObject::invokeMethod(qApp, std::move(fn), Qt::QueuedConnection);
}

void ShowLatestReport(const std::shared_ptr<TaskState>& state) {
  std::string text;
  int percent;
  {
    const std::lock_guard lock(state->mutex);
    state->reportPending = false;
    text = state->text;
    percent = state->percent;
  }
  if (state->dialog) state->dialog->setProgress(QString::fromStdString(text), percent);
}

// Holds back input to every window but the dialog while a task runs.
class InputBlocker : public QObject {
 public:
  explicit InputBlocker(QWidget* dialog) : dialog_(dialog) { qApp->installEventFilter(this); }
  ~InputBlocker() override { qApp->removeEventFilter(this); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!IsUserInput(event->type())) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget && dialog_ && widget->window() == dialog_->window()) return false;
    if (!widget && event->type() != QEvent::Shortcut) return false;
    event->ignore();
    return true;
  }

 private:
  static bool IsUserInput(QEvent::Type type) {
    switch (type) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::Wheel:
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
      case QEvent::Shortcut:
      case QEvent::ShortcutOverride:
      case QEvent::DragEnter:
      case QEvent::DragMove:
      case QEvent::Drop:
      case QEvent::Close: return true;
      default: return false;
    }
  }

  QPointer<QWidget> dialog_;
};

}  // namespace

void TaskReporter::Progress(const char* text, int percent) const {
  bool post = false;
  {
    const std::lock_guard lock(state_->mutex);
    if (text && *text) state_->text = text;
    state_->percent = percent;
    post = !state_->reportPending;
    state_->reportPending = true;
  }
  if (post) PostToInterface([state = state_] { ShowLatestReport(state); });
}

bool TaskReporter::StopRequested() const {
  const std::lock_guard lock(state_->mutex);
  return state_->stopped;
}

bool TaskReporter::CommitUnlessStopped(const std::function<bool()>& step) const {
  const std::lock_guard lock(state_->mutex);
  if (state_->stopped) return false;
  state_->committed = true;
  return step();
}

TaskOutcome RunBackgroundTask(CSaveProgressDlg& dialog, int showAfterMs,
                              std::function<void(const TaskReporter&)> work) {
  auto state = std::make_shared<TaskState>();
  QEventLoop loop;
  state->dialog = &dialog;
  state->loop = &loop;

  QObject::connect(&dialog, &CSaveProgressDlg::stopRequested, &loop, [&] {
    {
      const std::lock_guard lock(state->mutex);
      if (!state->finished && !state->committed) state->stopped = true;
    }
    loop.quit();
  });
  QTimer showTimer;
  showTimer.setSingleShot(true);
  QObject::connect(&showTimer, &QTimer::timeout, &dialog, [&] {
    dialog.show();
    dialog.raise();
  });

  QThreadPool::globalInstance()->start([state, work = std::move(work)] {
    work(TaskReporter(state));
    {
      const std::lock_guard lock(state->mutex);
      state->finished = true;
    }
    PostToInterface([state] {
      if (state->loop) state->loop->quit();
    });
  });

  {
    const InputBlocker blocker(&dialog);
    QApplication::setOverrideCursor(Qt::BusyCursor);
    bool done;
    {
      const std::lock_guard lock(state->mutex);
      done = state->finished;
    }
    if (!done) {
      showTimer.start(showAfterMs);
      loop.exec();
    }
    QApplication::restoreOverrideCursor();
  }
  showTimer.stop();
  dialog.hide();
  state->loop = nullptr;
  state->dialog = nullptr;
  const std::lock_guard lock(state->mutex);
  if (!state->finished && !state->stopped) {
    // The loop ended for another reason (the application is quitting).
    state->stopped = !state->committed;
  }
  return state->stopped ? TaskOutcome::Stopped : TaskOutcome::Finished;
}

void WaitForBackgroundTasks() { QThreadPool::globalInstance()->waitForDone(); }

}  // namespace leaf
