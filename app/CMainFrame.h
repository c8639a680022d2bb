// The main window: menus, toolbar with the zoom box, status bar, the view,
// the Open dialog, recent files, drag and drop, and closing.
#pragma once

#include <QHash>
#include <QMainWindow>
#include <QRect>
#include <QString>
#include <functional>
#include <memory>

#include "AppSettings.h"
#include "UserPrompts.h"
#include "multi/ConversionLog.h"
#include "scanner/ScanTypes.h"

class QPrinter;

class CBackgroundBatch;
class CFindBar;
class CTextSearch;
class CGeneralSettingsDlg;
class CSelectionBar;
class CSweeperRun;
class CLeafDoc;
class CLeafView;
class QAction;
class QActionGroup;
class QComboBox;
class QLabel;
class QMenu;
class QThreadPool;

class CMainFrame : public QMainWindow {
  Q_OBJECT

 public:
  // profilePath: where the settings are written when the window closes
  // (empty: not written). prompts: null for the real dialogs.
  CMainFrame(leaf::AppSettings& settings, QString profilePath,
             std::unique_ptr<CUserPrompts> prompts = nullptr, QWidget* parent = nullptr);
  ~CMainFrame() override;

  CLeafDoc& document() { return *doc_; }
  CLeafView& view() { return *view_; }
  CUserPrompts& prompts() { return *prompts_; }

  // Opens a file (command line, recent files, drops): true on success.
  bool openFile(const QString& path);

  // Commands, callable by tests as the menus call them.
  void openCommand();
  // Scans a page (or with allPages every page in the feeder) into a new
  // untitled document, from the scanner chosen in Select Source.
  void newScanCommand(bool allPages = false);
  void selectSourceCommand();
  void exitCommand();
  void cutCommand();
  void resizeCommand();
  void printCommand();
  void printPreviewCommand();
  void printSetupCommand();
  // Prints the page on the printer (Print, and each page Print Preview draws).
  bool printOnto(QPrinter& printer);
  void addTextCommand();
  void textSettingsCommand();
  // Find and Copy Text over the hidden text of DjVu pages (CMainFrameText.cpp).
  void findCommand();
  void findAgainCommand(bool forward);
  void copyTextCommand();
  CFindBar* findBar() const { return findBar_; }
  CTextSearch& textSearch() { return *textSearch_; }

  // The desktop session is ending: true when the program may quit (the page
  // is saved or given up, and the user said Yes to quitting).
  bool queryEndSession();
  void startupInformationCommand();
  void helpTopicsCommand();
  void registerAsDefaultViewerCommand();
  void aboutCommand();

  // The settings dialogs of the Options menu; true when closed with OK.
  bool generalSettingsCommand();
  bool djvuSettingsCommand();
  bool iw44SettingsCommand();
  bool jpegSettingsCommand();
  bool thumbnailSettingsCommand();
  bool batchSettingsCommand();
  bool sweepSettingsCommand();

  // The Multiprocess commands. The batch and sweep commands show their
  // settings dialogs first; the start functions after them are what they
  // then run.
  void sweepCommand();
  bool startSweeper();
  void listSweptFilesCommand();
  // Shows the selected files in turn until Escape or Q; returns how many
  // were shown.
  int slideshowCommand();
  void makeThumbnailsCommand();
  void batchDisplayAndConvertCommand();
  // Converts the selected files one by one, each shown; returns the number
  // of files finished.
  int runForegroundBatch();
  void batchInBackgroundCommand();
  bool startBackgroundBatch(bool thumbnailsOnly);
  void stopBackgroundCommand();
  // Workers of a background batch (0: one per core).
  void setBackgroundWorkers(int workers) { backgroundWorkers_ = workers; }

  CSelectionBar* selectionBar() const { return selectionBar_; }
  CBackgroundBatch* backgroundBatch() const { return background_; }
  CSweeperRun* sweeperRun() const { return sweeper_; }
  leaf::ConversionLog& sweepLog() { return sweepLog_; }

  // The action of a menu entry, by its text without "&" and "..." ("Zoom In").
  QAction* action(const QString& name) const;
  QComboBox* zoomBox() const { return zoomBox_; }
  QString sizePaneText() const;
  QString dpiPaneText() const;

  // Re-evaluates which commands are enabled and checked.
  void updateCommands();

 signals:
  // The slideshow shows the index-th selected file.
  void slideShown(int index, const QString& path);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  QAction* addCommand(QMenu* menu, const QString& text, const QString& prompt,
                      const QList<QKeySequence>& shortcuts = {});
  QAction* addDocCommand(QMenu* menu, const QString& text, const QString& prompt,
                         const std::function<void()>& run,
                         const QList<QKeySequence>& shortcuts = {});
  void createFileMenu();
  void createEditMenu();
  void addTextCommands(QMenu* menu);
  void updateTextCommands();
  void createViewMenu();
  void createImageMenu();
  void createOptionsMenu();
  void createMultiprocessMenu();
  void createSelectionBar();
  void connectSelectionBarAction(QAction* toggle);
  void updateManyFilesCommands();
  // Stops the background work (after the files in hand) before the log and
  // the window it reports to go.
  void endManyFilesWork();
  // The batch settings dialog (and the thumbnail options when asked for).
  bool confirmBatchStart();
  void createHelpMenu();
  void createToolBar();
  void createStatusBar();
  void connectDocument();

  void openRecentFile(int index);
  void updateRecentFiles();
  void updateInfoPanes();
  void updateTitle();
  void fitWindowToImage();
  void onZoomBoxChosen(int entry);
  // Opens the scanner off the interface thread and reads what it offers;
  // device: the name asked for, then the one opened.
  bool queryScanner(std::string& device, leaf::scan::ScannerCapabilities& caps);
  // The view's selection, or an empty rectangle for the whole image.
  QRect selectionOrWhole() const;
  void openFormatSettings(int fileType);
  void markModifiedIfSavedAs(int documentType);
  void applyFileAssociations(const CGeneralSettingsDlg& dialog);

  leaf::AppSettings& settings_;
  QString profilePath_;
  std::unique_ptr<CUserPrompts> prompts_;
  // Made at the first print command; keeps the printer and paper chosen.
  std::unique_ptr<QPrinter> printer_;
  QPrinter& printer();
  CLeafDoc* doc_ = nullptr;
  CLeafView* view_ = nullptr;
  CTextSearch* textSearch_ = nullptr;
  CFindBar* findBar_ = nullptr;

  QToolBar* toolBar_ = nullptr;
  QComboBox* zoomBox_ = nullptr;
  QLabel* sizePane_ = nullptr;
  QLabel* dpiPane_ = nullptr;
  QList<QAction*> recentActions_;
  QAction* recentSeparator_ = nullptr;
  QActionGroup* layerGroup_ = nullptr;
  QHash<QString, QAction*> actions_;
  QThreadPool* associationQueries_ = nullptr;  // asks the desktop for the file associations
  bool settingsWritten_ = false;

  CSelectionBar* selectionBar_ = nullptr;
  CBackgroundBatch* background_ = nullptr;
  CSweeperRun* sweeper_ = nullptr;
  leaf::ConversionLog sweepLog_;  // lives as long as the window
  int backgroundWorkers_ = 0;
  bool slideshowRunning_ = false;
  bool foregroundRunning_ = false;
};
