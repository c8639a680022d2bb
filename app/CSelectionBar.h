// The selection bar, docked below the view: a folder's files to pick for the
// slideshow, the batch conversions and deletion, with a folder chooser and a
// type filter; and the status of the sweeper and of the batch conversions.
#pragma once

#include <QDockWidget>
#include <QList>
#include <QStringList>
#include <vector>

#include "AppSettings.h"
#include "UserPrompts.h"
#include "multi/FolderListing.h"

class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QProgressBar;
class QTreeWidget;
class QTreeWidgetItem;

class CSelectionBar : public QDockWidget {
  Q_OBJECT

 public:
  CSelectionBar(leaf::AppSettings& settings, CUserPrompts& prompts, QWidget* parent = nullptr);

  // Lists "LCOpenDir" filtered by "LCOpenType" again.
  void fill();
  // Fills again when the folder is the one listed (and the type is shown).
  void refreshIfListing(const QString& folder, int fileType);

  // The selected files' names, sizes and full paths, in list order.
  QStringList selectedNames() const;
  QList<long long> selectedSizes() const;
  QStringList selectedPaths() const;
  bool hasSelection() const;

  void selectAll();
  // Asks, then deletes the selected files for good.
  void deleteSelected();
  void setDetailed(bool detailed);
  bool isDetailed() const { return detailed_; }
  // Sorts by a column as a header click does (the same column again reverses).
  void sortBy(int column);
  // The commands of the list's context menu.
  void setContextActions(const QList<QAction*>& actions) { contextActions_ = actions; }
  // Opens a row as a double click does: a file is reported, a folder entered.
  void activateRow(int row);

  QTreeWidget* list() const { return list_; }
  QComboBox* folderBox() const { return folderBox_; }
  QComboBox* filterBox() const { return filterBox_; }

  // The "Sweeping" group.
  void setSweeping(bool running);
  void setSweepStatus(const QString& text);
  void setSweepPosition(size_t current, size_t total, size_t count);
  QString sweepStatus() const;
  QString sweepPosition() const;
  // The "Batch Conversion" group.
  void setBatchStatus(const QString& text);
  void setBatchTimes(const QString& text);
  void setBatchProgress(int percent);
  QString batchStatus() const;
  QString batchTimes() const;
  int batchProgress() const;

 signals:
  // A file row was double-clicked.
  void fileActivated(const QString& path);
  // A text for the status bar ("Current directory: ...").
  void statusText(const QString& text);

 private:
  QWidget* makeListSide();
  QWidget* makeStatusSide();
  void rebuildFolderBox();
  void enterFolder(const QString& folder);
  void showEntries();
  QString folder() const;

  leaf::AppSettings& settings_;
  CUserPrompts& prompts_;
  QTreeWidget* list_ = nullptr;
  QComboBox* folderBox_ = nullptr;
  QComboBox* filterBox_ = nullptr;
  QGroupBox* sweepGroup_ = nullptr;
  QLabel* sweepStatus_ = nullptr;
  QLabel* sweepPosition_ = nullptr;
  QLabel* batchStatus_ = nullptr;
  QLabel* batchTimes_ = nullptr;
  QProgressBar* batchBar_ = nullptr;
  QList<QAction*> contextActions_;
  std::vector<leaf::FolderEntry> entries_;
  int sortColumn_ = leaf::kFolderColumnName;
  int sortSign_ = 1;
  bool detailed_ = false;
};
