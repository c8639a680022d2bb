#include "BackgroundRuns.h"

#include <sched.h>

#include <QDir>
#include <QFileInfo>
#include <chrono>
#include <mutex>

#include "multi/TimeEstimate.h"

using namespace leaf;

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

void LowerThisThreadsPriority() {
  sched_param parameter{};
  sched_setscheduler(0, SCHED_IDLE, &parameter);
}

}  // namespace

CBackgroundBatch::CBackgroundBatch(QObject* parent) : QObject(parent) {}

CBackgroundBatch::~CBackgroundBatch() {
  stop_ = true;
  join();
}

void CBackgroundBatch::join() {
  if (worker_.joinable()) worker_.join();
}

bool CBackgroundBatch::start(std::vector<BatchInput> inputs, const QString& outputFolder,
                             ConversionSettings settings, int workers) {
  if (busy_) return false;
  join();
  busy_ = true;
  thumbnailsOnly_ = settings.thumbnailsOnly;
  stop_ = false;
  auto job = std::make_shared<BatchJob>();
  job->inputs = std::move(inputs);
  job->outputFolder = outputFolder.toStdString();
  job->settings = std::move(settings);
  job->workers = workers;
  job->idlePriority = true;
  connect(
      this, &CBackgroundBatch::finished, this,
      [this] {
        join();
        busy_ = false;
        thumbnailsOnly_ = false;
      },
      Qt::SingleShotConnection);
  emit progress(tr("Starting"), 0, tr("Elapsed:\tTime left:"));
  worker_ = std::thread([this, job] {
    const auto start = std::chrono::steady_clock::now();
    const size_t count = job->inputs.size();
    long long totalBytes = 0, doneBytes = 0;
    for (const BatchInput& input : job->inputs) totalBytes += input.bytes;
    size_t started = 0, done = 0;
    BatchEvents events;
    events.started = [&](size_t index) {
      ++started;
      const QString name = QFileInfo(Q(job->inputs[index].path)).fileName();
      emit progress(tr("Loading %1 (%2/%3)").arg(name).arg(index + 1).arg(count),
                    static_cast<int>(100 * (2 * done + 1) / (2 * count)), QString());
    };
    events.finished = [&](size_t index, const ConversionResult&) {
      ++done;
      doneBytes += job->inputs[index].bytes;
      const long long elapsed =
          std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start)
              .count();
      const QString times =
          Q(ElapsedAndLeftText(elapsed, EstimateTime(elapsed, totalBytes, doneBytes)));
      emit progress(QString(), static_cast<int>(100 * done / count), times);
    };
    const BatchSummary summary = RunBatch(*job, events, stop_);
    emit finished(static_cast<int>(summary.finished), summary.stopped);
  });
  return true;
}

CSweeperRun::CSweeperRun(ConversionLog& log, QObject* parent) : QObject(parent), log_(log) {}

CSweeperRun::~CSweeperRun() {
  stop_ = true;
  join();
}

void CSweeperRun::join() {
  if (worker_.joinable()) worker_.join();
}

bool CSweeperRun::start(const SweepFolders& folders, ConversionSettings settings) {
  if (running_) return false;
  join();
  running_ = true;
  stop_ = false;
  connect(
      this, &CSweeperRun::stopped, this,
      [this] {
        join();
        running_ = false;
      },
      Qt::SingleShotConnection);
  worker_ = std::thread([this, folders, settings = std::move(settings)] {
    LowerThisThreadsPriority();
    SweepEvents events;
    events.status = [this](const std::string& text) { emit status(Q(text)); };
    events.position = [this](size_t current, size_t total) {
      emit position(current, total, log_.count());
    };
    events.converted = [this, folders](const ConversionLogEntry& entry) {
      emit converted(QFileInfo(QDir(Q(folders.output)).filePath(Q(entry.inputName))).path());
    };
    Sweeper sweeper(folders, settings, log_, events);
    sweeper.SetSettleSeconds(2);
    sweeper.Run(stop_);
    emit stopped();
  });
  return true;
}
