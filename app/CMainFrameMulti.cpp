// The main window's Multiprocess commands: the selection bar, the batch
// conversions, the sweeper and its details, the slideshow.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QTreeWidget>

#include "BackgroundRuns.h"
#include "BackgroundTask.h"
#include "CConversionDetailsDlg.h"
#include "CLeafDoc.h"
#include "CMainFrame.h"
#include "CSaveProgressDlg.h"
#include "CSelectionBar.h"
#include "ConversionParameters.h"
#include "multi/TimeEstimate.h"

using namespace leaf;

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }
std::string S(const QString& text) { return text.toStdString(); }

// Notes Escape and Q pressed anywhere in the program while it lives; the
// key is taken, so it does nothing else.
class QuitKeyWatcher : public QObject {
 public:
  explicit QuitKeyWatcher(std::function<void()> pressed) : pressed_(std::move(pressed)) {
    qApp->installEventFilter(this);
  }
  ~QuitKeyWatcher() override { qApp->removeEventFilter(this); }

 protected:
  bool eventFilter(QObject* object, QEvent* event) override {
    if (event->type() == QEvent::KeyPress) {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if (key == Qt::Key_Escape || key == Qt::Key_Q) {
        pressed_();
        return true;
      }
    }
    return QObject::eventFilter(object, event);
  }

 private:
  std::function<void()> pressed_;
};

bool ValidOutputType(int type) { return type >= kFileDjvu && type <= kFileJpeg; }

}  // namespace

void CMainFrame::createSelectionBar() {
  selectionBar_ = new CSelectionBar(settings_, *prompts_, this);
  addDockWidget(Qt::BottomDockWidgetArea, selectionBar_);
  selectionBar_->hide();
  background_ = new CBackgroundBatch(this);
  sweeper_ = new CSweeperRun(sweepLog_, this);
  connect(selectionBar_, &CSelectionBar::fileActivated, this, [this](const QString& path) {
    if (!doc_->confirmDiscard()) return;
    doc_->setModified(false);
    openFile(path);
  });
  connect(selectionBar_, &CSelectionBar::statusText, this,
          [this](const QString& text) { statusBar()->showMessage(text); });
  connect(selectionBar_->list(), &QTreeWidget::itemSelectionChanged, this,
          &CMainFrame::updateCommands);
  connect(background_, &CBackgroundBatch::progress, this,
          [this](const QString& status, int percent, const QString& times) {
            if (!status.isEmpty()) selectionBar_->setBatchStatus(status);
            if (!times.isEmpty()) selectionBar_->setBatchTimes(times);
            selectionBar_->setBatchProgress(percent);
          });
  connect(background_, &CBackgroundBatch::finished, this, [this](int done, bool stopped) {
    selectionBar_->setBatchStatus(stopped ? tr("Interrupted after %1 files").arg(done)
                                          : tr("Done"));
    selectionBar_->setBatchProgress(0);
    selectionBar_->refreshIfListing(Q(settings_.lcSaveDir), settings_.lcSaveType);
    // The run's state is cleared by its own handler, queued before this one.
    QTimer::singleShot(0, this, &CMainFrame::updateCommands);
  });
  connect(sweeper_, &CSweeperRun::status, selectionBar_, &CSelectionBar::setSweepStatus);
  connect(sweeper_, &CSweeperRun::position, this,
          [this](qulonglong current, qulonglong total, qulonglong count) {
            selectionBar_->setSweepPosition(current, total, count);
          });
  connect(sweeper_, &CSweeperRun::converted, this, [this](const QString& folder) {
    selectionBar_->refreshIfListing(folder, settings_.sweepSaveType);
  });
  connect(sweeper_, &CSweeperRun::stopped, this, [this] {
    selectionBar_->setSweeping(false);
    QTimer::singleShot(0, this, &CMainFrame::updateCommands);
  });
}

void CMainFrame::createMultiprocessMenu() {
  QMenu* menu = menuBar()->addMenu(tr("&Multiprocess"));
  const auto add = [this, menu](const QString& text, const QString& prompt, auto run) {
    QAction* action = addCommand(menu, text, prompt);
    connect(action, &QAction::triggered, this, [this, run] { (this->*run)(); });
    return action;
  };
  add(tr("&Sweep"), tr("Convert whatever arrives in the input folder"), &CMainFrame::sweepCommand)
      ->setCheckable(true);
  add(tr("&List Swept Files"), tr("Show the files the sweeper converted"),
      &CMainFrame::listSweptFilesCommand);
  menu->addSeparator();
  QAction* slideshow = add(tr("Slidesho&w"), tr("Show the selected files one after another"),
                           &CMainFrame::slideshowCommand);
  menu->addSeparator();
  QAction* thumbnails = add(tr("Make &Thumbnails"), tr("Make thumbnails of the selected files"),
                            &CMainFrame::makeThumbnailsCommand);
  QAction* display =
      add(tr("Batch &Display and Convert"), tr("Convert the selected files, showing each one"),
          &CMainFrame::batchDisplayAndConvertCommand);
  QAction* background = add(tr("Batch Convert in the &Background"),
                            tr("Convert files that are currently selected in the background"),
                            &CMainFrame::batchInBackgroundCommand);
  QAction* stop =
      add(tr("St&op Background Conversion"), tr("Stop the conversion running in the background"),
          &CMainFrame::stopBackgroundCommand);
  menu->addSeparator();
  QAction* detailed = addCommand(menu, tr("Deta&iled List"), tr("Show the files with details"));
  detailed->setCheckable(true);
  connect(detailed, &QAction::toggled, selectionBar_, &CSelectionBar::setDetailed);
  QAction* selectAll = addCommand(menu, tr("Select &All Files"), tr("Select every listed file"));
  connect(selectAll, &QAction::triggered, selectionBar_, &CSelectionBar::selectAll);
  QAction* remove =
      addCommand(menu, tr("D&elete Selected Files"), tr("Delete the selected files for good"));
  connect(remove, &QAction::triggered, selectionBar_, &CSelectionBar::deleteSelected);
  selectionBar_->setContextActions({detailed, selectAll, nullptr, slideshow, nullptr, thumbnails,
                                    display, background, stop, nullptr, remove});
}

void CMainFrame::connectSelectionBarAction(QAction* toggle) {
  connect(toggle, &QAction::toggled, selectionBar_, &QWidget::setVisible);
  connect(selectionBar_, &QDockWidget::visibilityChanged, toggle,
          [bar = selectionBar_, toggle] { toggle->setChecked(bar->isVisible()); });
}

void CMainFrame::endManyFilesWork() {
  selectionBar_->disconnect();
  background_->disconnect();
  sweeper_->disconnect();
  delete background_;
  background_ = nullptr;
  delete sweeper_;  // it writes to the log
  sweeper_ = nullptr;
}

void CMainFrame::updateManyFilesCommands() {
  const bool busy = background_->busy();
  const bool selected = selectionBar_->hasSelection();
  const bool idleWithFiles = !busy && selected && !slideshowRunning_ && !foregroundRunning_;
  for (const char* name : {"Slideshow", "Make Thumbnails", "Batch Display and Convert",
                           "Batch Convert in the Background", "Delete Selected Files"}) {
    action(QString::fromLatin1(name))->setEnabled(idleWithFiles);
  }
  action(QStringLiteral("Stop Background Conversion"))->setEnabled(busy);
  action(QStringLiteral("Sweep"))->setChecked(sweeper_->running());
}

// ----- batch conversion -----

bool CMainFrame::confirmBatchStart() {
  if (!batchSettingsCommand()) return false;
  if (settings_.run.batchAddThumbnails && !thumbnailSettingsCommand()) return false;
  return true;
}

void CMainFrame::batchInBackgroundCommand() {
  if (confirmBatchStart()) startBackgroundBatch(false);
}

void CMainFrame::makeThumbnailsCommand() {
  if (thumbnailSettingsCommand()) startBackgroundBatch(true);
}

bool CMainFrame::startBackgroundBatch(bool thumbnailsOnly) {
  if (!thumbnailsOnly && !ValidOutputType(settings_.lcSaveType)) {
    prompts_->showError(tr("Unknown output type!"));
    return false;
  }
  std::vector<BatchInput> inputs;
  const QStringList paths = selectionBar_->selectedPaths();
  const QList<long long> sizes = selectionBar_->selectedSizes();
  for (int i = 0; i < paths.size(); ++i) inputs.push_back({S(paths[i]), sizes[i]});
  if (inputs.empty()) return false;
  ConversionSettings conversion = BatchConversionSettings(settings_);
  conversion.thumbnailsOnly = thumbnailsOnly;
  if (thumbnailsOnly) conversion.outputType = kFileJpeg;
  const bool started = background_->start(std::move(inputs), Q(settings_.lcSaveDir),
                                          std::move(conversion), backgroundWorkers_);
  updateCommands();
  return started;
}

void CMainFrame::stopBackgroundCommand() {
  if (!background_->busy()) return;
  if (prompts_->askYesNo(tr("Do you want to interrupt the background batch conversion?"))) {
    background_->requestStop();
  }
}

void CMainFrame::batchDisplayAndConvertCommand() {
  if (confirmBatchStart()) runForegroundBatch();
}

int CMainFrame::runForegroundBatch() {
  if (!ValidOutputType(settings_.lcSaveType)) {
    prompts_->showError(tr("Unknown output type!"));
    return 0;
  }
  const QStringList paths = selectionBar_->selectedPaths();
  const QList<long long> sizes = selectionBar_->selectedSizes();
  if (paths.isEmpty()) return 0;
  foregroundRunning_ = true;
  updateCommands();
  // The pages are shown at full size without dithering while the run lasts.
  const int dither = settings_.dither, fancyZoom = settings_.fancyZoom;
  settings_.dither = 0;
  settings_.fancyZoom = 0;
  bool keyPressed = false;
  QuitKeyWatcher watcher([&keyPressed] { keyPressed = true; });
  long long totalBytes = 0, doneBytes = 0;
  for (long long size : sizes) totalBytes += size;
  const ConversionSettings conversion = BatchConversionSettings(settings_);
  QElapsedTimer clock;
  clock.start();
  const int n = static_cast<int>(paths.size());
  int finished = 0;
  bool interrupted = false;
  for (int i = 1; i <= n && !interrupted; ++i) {
    const QString& path = paths[i - 1];
    const QString name = QFileInfo(path).fileName();
    selectionBar_->setBatchStatus(tr("Loading %1 (%2/%3)").arg(name).arg(i).arg(n));
    doc_->setModified(false);
    const bool shown = openFile(path);
    selectionBar_->setBatchProgress(100 * (2 * i - 1) / (2 * n));
    if (shown) {
      selectionBar_->setBatchStatus(tr("Saving %1 (%2/%3)").arg(name).arg(i).arg(n));
      statusBar()->showMessage(tr("Saving %1. Press ESC or Q to quit.").arg(name));
      CSaveProgressDlg dialog(tr("Batch conversion"), tr("Converting %1...").arg(name), this);
      const std::string input = S(path);
      const std::string stem = S(QDir(Q(settings_.lcSaveDir)).filePath(name));
      const TaskOutcome outcome = RunBackgroundTask(
          dialog, 500,
          [input, stem, conversion](const TaskReporter&) { ConvertFile(input, stem, conversion); });
      interrupted = outcome == TaskOutcome::Stopped;
    }
    ++finished;
    doneBytes += sizes[i - 1];
    selectionBar_->setBatchProgress(100 * i / n);
    const long long elapsed = clock.elapsed() / 1000;
    selectionBar_->setBatchTimes(
        Q(ElapsedAndLeftText(elapsed, EstimateTime(elapsed, totalBytes, doneBytes))));
    if (keyPressed && i < n) {
      keyPressed = false;
      interrupted = prompts_->askYesNo(tr("Do you want to interrupt the batch conversion?"));
    }
  }
  selectionBar_->refreshIfListing(Q(settings_.lcSaveDir), settings_.lcSaveType);
  selectionBar_->setBatchStatus(interrupted ? tr("Interrupted after %1 files").arg(finished)
                                            : tr("Done"));
  selectionBar_->setBatchProgress(0);
  statusBar()->clearMessage();
  settings_.dither = dither;
  settings_.fancyZoom = fancyZoom;
  foregroundRunning_ = false;
  updateCommands();
  return finished;
}

// ----- sweeper -----

void CMainFrame::sweepCommand() {
  if (sweeper_->running()) {
    sweeper_->requestStop();
    selectionBar_->setSweepStatus(tr("Stopping after the file in hand"));
    return;
  }
  if (!sweepSettingsCommand()) {
    updateCommands();
    return;
  }
  if (settings_.run.sweepAddThumbnails && !thumbnailSettingsCommand()) {
    updateCommands();
    return;
  }
  startSweeper();
}

bool CMainFrame::startSweeper() {
  const SweepFolders folders{settings_.sweepOpenDir, settings_.sweepSaveDir,
                             settings_.sweepArchiveDir};
  ConversionLog scratch;
  // A folder that cannot be made stops the start without a word.
  if (!Sweeper(folders, {}, scratch).PrepareFolders()) {
    updateCommands();
    return false;
  }
  const bool started = sweeper_->start(folders, SweepConversionSettings(settings_));
  if (started) {
    selectionBar_->setSweeping(true);
    selectionBar_->setSweepStatus(tr("Waiting for input"));
  }
  updateCommands();
  return started;
}

void CMainFrame::listSweptFilesCommand() {
  CConversionDetailsDlg dialog(sweepLog_, *prompts_, this);
  dialog.exec();
}

// ----- slideshow -----

int CMainFrame::slideshowCommand() {
  const QStringList paths = selectionBar_->selectedPaths();
  if (paths.isEmpty()) return 0;
  const bool barShown = selectionBar_->isVisible();
  selectionBar_->hide();
  slideshowRunning_ = true;
  updateCommands();
  QEventLoop wait;
  bool ended = false;
  QuitKeyWatcher watcher([&] {
    ended = true;
    wait.quit();
  });
  QTimer delay;
  delay.setSingleShot(true);
  connect(&delay, &QTimer::timeout, &wait, &QEventLoop::quit);
  int shown = 0;
  for (int i = 0; !ended; i = (i + 1) % static_cast<int>(paths.size())) {
    doc_->setModified(false);  // the show replaces the page without asking
    openFile(paths[i]);
    repaint();
    ++shown;
    statusBar()->showMessage(
        tr("Showing image %1/%2. Press ESC or Q to quit.").arg(i + 1).arg(paths.size()));
    emit slideShown(i, paths[i]);
    if (ended) break;
    delay.start(std::max(1, settings_.slideDelay) * 1000);
    wait.exec();
  }
  statusBar()->clearMessage();
  slideshowRunning_ = false;
  if (barShown) selectionBar_->show();
  updateCommands();
  return shown;
}
