// The sweeper's conversions: a list of the log with the output name, when,
// size, time taken, compression factor and status; sorting by any column,
// Refresh and Purge.
#pragma once

#include <QDialog>
#include <vector>

#include "UserPrompts.h"
#include "multi/ConversionLog.h"

class QTreeWidget;

class CConversionDetailsDlg : public QDialog {
  Q_OBJECT

 public:
  CConversionDetailsDlg(leaf::ConversionLog& log, CUserPrompts& prompts, QWidget* parent = nullptr);

  // Copies the log and lists it in the current order.
  void refresh();
  // Asks, then empties the log.
  void purge();
  // Sorts by a column as a header click does (the same column again reverses).
  void sortBy(int column);

  QTreeWidget* list() const { return list_; }

 private:
  void showRows();

  leaf::ConversionLog& log_;
  CUserPrompts& prompts_;
  QTreeWidget* list_;
  std::vector<leaf::ConversionLogEntry> rows_;
  int sortColumn_ = 0;
  bool ascending_ = true;
};
