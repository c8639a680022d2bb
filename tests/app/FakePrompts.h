// Answers the document's questions in place of a person, and records what
// was asked and shown.
#pragma once

#include <QString>
#include <QStringList>
#include <deque>

#include "app/UserPrompts.h"

namespace leaf::test {

class FakePrompts : public CUserPrompts {
 public:
  // Answers given in order; Cancel when none is left.
  std::deque<Answer> answers;
  // What the save and open dialogs return.
  FileChoice saveChoice;
  FileChoice openChoice;

  QStringList questions;
  QStringList errors;
  QStringList errorDetails;
  QStringList warnings;
  QStringList messages;
  QString proposedName;
  QString saveFolder;
  int saveFilterRow = -1;
  int openFilterRow = -1;
  int djvuSettingsShown = 0;
  // Select Source and the scan options: what was offered, what is answered.
  QString scanDevice;
  bool acceptScanDevice = true;
  QString scanDeviceOffered;
  scan::ScanRequest scanOptions;
  bool acceptScanOptions = true;
  QString scanOptionsDevice;
  bool scanOptionsAllPages = false;
  // What the folder chooser returns, and the titles and start folders it was shown with.
  QString folderChoice;
  QStringList folderTitles;
  QStringList folderStarts;
  // The answer to "all pages" or "this page", and the page counts asked about.
  PagesChoice pagesChoice = PagesChoice::AllPages;
  QList<int> pagesAsked;

  Answer askYesNoCancel(const QString& text) override {
    questions << text;
    if (answers.empty()) return Answer::Cancel;
    const Answer answer = answers.front();
    answers.pop_front();
    return answer;
  }
  bool askYesNo(const QString& text) override { return askYesNoCancel(text) == Answer::Yes; }
  bool askYesNoWarning(const QString& text) override { return askYesNoCancel(text) == Answer::Yes; }
  void showError(const QString& text, const QString& detail) override {
    errors << text;
    errorDetails << detail;
  }
  void showWarning(const QString& text) override { warnings << text; }
  void showMessage(const QString& text) override { messages << text; }
  FileChoice chooseSavePath(const QString& folder, const QString& proposed, int row) override {
    saveFolder = folder;
    proposedName = proposed;
    saveFilterRow = row;
    return saveChoice;
  }
  FileChoice chooseOpenPath(const QString&, int row) override {
    openFilterRow = row;
    return openChoice;
  }
  void reviewDjvuSettings() override { ++djvuSettingsShown; }
  bool chooseScanDevice(QString& device) override {
    scanDeviceOffered = device;
    if (!acceptScanDevice) return false;
    device = scanDevice;
    return true;
  }
  bool chooseScanOptions(const QString& device, const scan::ScannerCapabilities&, bool allPages,
                         scan::ScanRequest& request) override {
    scanOptionsDevice = device;
    scanOptionsAllPages = allPages;
    if (!acceptScanOptions) return false;
    request = scanOptions;
    return true;
  }
  QString chooseFolder(const QString& title, const QString& start) override {
    folderTitles << title;
    folderStarts << start;
    return folderChoice;
  }
  PagesChoice choosePagesToSave(int pageCount) override {
    pagesAsked << pageCount;
    return pagesChoice;
  }
};

}  // namespace leaf::test
