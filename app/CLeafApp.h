// The program's start: the settings, the main window, the file named on the
// command line, the start-up hint; and at the end the settings written back.
#pragma once

#include <QApplication>
#include <QString>
#include <memory>

#include "AppSettings.h"

class CMainFrame;

class CLeafApp {
 public:
  CLeafApp(int& argc, char** argv);
  ~CLeafApp();

  // Runs the program; the process's exit status.
  int run();

  leaf::AppSettings& settings() { return settings_; }
  const QString& profilePath() const { return profilePath_; }

 private:
  bool parseCommandLine(const QStringList& arguments);
  void showStartupHint();
  void warnAboutLowColorDisplay();

  int& argc_;
  char** argv_;
  std::unique_ptr<QApplication> app_;  // made once the command line asks for a window
  leaf::AppSettings settings_;
  QString profilePath_;
  QString fileToOpen_;
  int earlyExit_ = -1;  // set when the command line already decided the outcome
  std::unique_ptr<CMainFrame> frame_;
};
