// Select Source: the scanners SANE can reach, listed off the interface
// thread (network scanners can take seconds to answer), with Refresh. The
// choice is the device's SANE name.
#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "scanner/ScanTypes.h"

class QLabel;
class QListWidget;
class QPushButton;

class CSelectSourceDlg : public QDialog {
  Q_OBJECT

 public:
  // Fills the list (empty when none is connected); false with the reason
  // when the scanner library cannot be used. Runs on a worker thread.
  using DeviceLister = std::function<bool(std::vector<leaf::scan::ScanDevice>&, std::string&)>;

  // current: the device chosen before, selected when it is listed again.
  // lister: null for the scanners SANE finds.
  explicit CSelectSourceDlg(const QString& current, QWidget* parent = nullptr,
                            DeviceLister lister = nullptr);

  // The SANE name of the selected scanner; empty when none is selected.
  QString selectedDevice() const;
  // True while the list is being made.
  bool isListing() const { return listing_; }
  QListWidget* deviceList() const { return list_; }
  QString statusText() const;

  // Lists the scanners again.
  void refresh();

 signals:
  // The list was made again (also after a failure, which the status shows).
  void devicesListed();

 private:
  void showDevices(const std::vector<leaf::scan::ScanDevice>& devices, bool ok,
                   const QString& error);
  void updateButtons();

  DeviceLister lister_;
  QString wanted_;
  bool listing_ = false;
  QListWidget* list_;
  QLabel* status_;
  QPushButton* refresh_;
  QPushButton* ok_;
};
