// The batch conversion in the background and the sweeper, each on worker
// threads of idle priority with images of their own, while the window goes
// on working. What they report reaches the window as queued signals.
#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "multi/BatchRunner.h"
#include "multi/ConversionLog.h"
#include "multi/Sweeper.h"

class CBackgroundBatch : public QObject {
  Q_OBJECT

 public:
  explicit CBackgroundBatch(QObject* parent = nullptr);
  ~CBackgroundBatch() override;  // stops after the files in hand and waits for them

  bool busy() const { return busy_; }
  bool thumbnailsOnly() const { return thumbnailsOnly_; }

  // Starts the run; false when one is running already.
  bool start(std::vector<leaf::BatchInput> inputs, const QString& outputFolder,
             leaf::ConversionSettings settings, int workers = 0);
  // The run stops after the files in hand.
  void requestStop() { stop_ = true; }

 signals:
  // "Loading a.tif (3/10)", the bar's position and the elapsed and left times.
  void progress(const QString& status, int percent, const QString& times);
  // The run ended: files finished, and whether the stop request ended it.
  void finished(int done, bool stopped);

 private:
  void join();

  std::thread worker_;
  std::atomic<bool> stop_{false};
  bool busy_ = false;
  bool thumbnailsOnly_ = false;
};

class CSweeperRun : public QObject {
  Q_OBJECT

 public:
  explicit CSweeperRun(leaf::ConversionLog& log, QObject* parent = nullptr);
  ~CSweeperRun() override;  // stops after the file in hand and waits for it

  bool running() const { return running_; }
  // Starts sweeping; false when running already.
  bool start(const leaf::SweepFolders& folders, leaf::ConversionSettings settings);
  void requestStop() { stop_ = true; }

 signals:
  void status(const QString& text);
  void position(qulonglong current, qulonglong total, qulonglong count);
  // A file was converted into this folder.
  void converted(const QString& outputFolder);
  void stopped();

 private:
  void join();

  leaf::ConversionLog& log_;
  std::thread worker_;
  std::atomic<bool> stop_{false};
  bool running_ = false;
};
