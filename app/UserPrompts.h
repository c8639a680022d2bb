// Everything the document asks the user: questions, failure messages and the
// file dialogs. The program shows real dialogs; tests answer in their place.
#pragma once

#include <QString>
#include <functional>

#include "scanner/ScanTypes.h"

class QWidget;

class CUserPrompts {
 public:
  enum class Answer { Yes, No, Cancel };
  // Which pages a DjVu file saved from a document of several pages takes.
  enum class PagesChoice { AllPages, ThisPage, Cancel };

  struct FileChoice {
    bool accepted = false;
    QString path;
    int filterRow = 0;
  };

  virtual ~CUserPrompts() = default;

  // A Yes/No/Cancel question with a question icon.
  virtual Answer askYesNoCancel(const QString& text) = 0;
  // A Yes/No question with a question icon; true for Yes.
  virtual bool askYesNo(const QString& text) = 0;
  // A Yes/No question with an exclamation icon (a step that cannot be
  // undone); true for Yes.
  virtual bool askYesNoWarning(const QString& text) = 0;
  // A failure with a stop icon; detail (the engine's message) may be empty.
  virtual void showError(const QString& text, const QString& detail = {}) = 0;
  // A warning with an exclamation icon.
  virtual void showWarning(const QString& text) = 0;
  // A message with an information icon.
  virtual void showMessage(const QString& text) = 0;
  // The Save As dialog: initial folder, proposed name, preselected type row.
  virtual FileChoice chooseSavePath(const QString& folder, const QString& proposedName,
                                    int filterRow) = 0;
  // The Open dialog: initial folder and preselected type row.
  virtual FileChoice chooseOpenPath(const QString& folder, int filterRow) = 0;
  // Yes to "review the settings before saving": shows the DjVu settings.
  virtual void reviewDjvuSettings() = 0;
  // Select Source: device holds the scanner chosen before and gets the new
  // choice; false for Cancel.
  virtual bool chooseScanDevice(QString& device) = 0;
  // The options of a scan on the opened device; request holds the last
  // scan's and gets the chosen ones. False for Cancel.
  virtual bool chooseScanOptions(const QString& device, const leaf::scan::ScannerCapabilities& caps,
                                 bool allPages, leaf::scan::ScanRequest& request) = 0;
  // A folder chooser with a title, starting at a folder; empty when cancelled.
  virtual QString chooseFolder(const QString& title, const QString& start) = 0;
  // Saving a document of pageCount pages as DjVu: "all pages" in one DjVu
  // document, or "this page".
  virtual PagesChoice choosePagesToSave(int pageCount) = 0;
};

// The real dialogs, owned by the given window.
class CDialogPrompts : public CUserPrompts {
 public:
  explicit CDialogPrompts(QWidget* owner) : owner_(owner) {}

  Answer askYesNoCancel(const QString& text) override;
  bool askYesNo(const QString& text) override;
  bool askYesNoWarning(const QString& text) override;
  void showError(const QString& text, const QString& detail = {}) override;
  void showWarning(const QString& text) override;
  void showMessage(const QString& text) override;
  FileChoice chooseSavePath(const QString& folder, const QString& proposedName,
                            int filterRow) override;
  FileChoice chooseOpenPath(const QString& folder, int filterRow) override;
  void reviewDjvuSettings() override;
  bool chooseScanDevice(QString& device) override;
  bool chooseScanOptions(const QString& device, const leaf::scan::ScannerCapabilities& caps,
                         bool allPages, leaf::scan::ScanRequest& request) override;
  QString chooseFolder(const QString& title, const QString& start) override;
  PagesChoice choosePagesToSave(int pageCount) override;

  // Called for reviewDjvuSettings once the DjVu settings dialog exists.
  void setDjvuSettingsHandler(std::function<void()> handler) { djvuSettings_ = std::move(handler); }

 private:
  // The dialog open at the time, else the owner: messages sit over what asked.
  QWidget* parent() const;

  QWidget* owner_;
  std::function<void()> djvuSettings_;
};
