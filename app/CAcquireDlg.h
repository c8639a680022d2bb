// The options of a scan, as the opened scanner offers them: mode (colour,
// gray, black and white), resolution, source, the scan area when the device
// lets it be chosen, and whether every page in the feeder is scanned.
#pragma once

#include <QDialog>

#include "scanner/ScanTypes.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QGroupBox;
class QSpinBox;

class CAcquireDlg : public QDialog {
  Q_OBJECT

 public:
  // last: the options of the previous scan, taken where the device offers
  // them. allPages: the feeder box starts checked ("Acquire All Pages").
  CAcquireDlg(const QString& deviceName, const leaf::scan::ScannerCapabilities& caps,
              const leaf::scan::ScanRequest& last, bool allPages, QWidget* parent = nullptr);

  // The request the dialog stands for (device left empty).
  leaf::scan::ScanRequest request() const;

  QComboBox* modeBox() const { return mode_; }
  QComboBox* resolutionBox() const { return resolutionList_; }
  QSpinBox* resolutionSpin() const { return resolutionRange_; }
  QComboBox* sourceBox() const { return source_; }
  QGroupBox* areaBox() const { return area_; }
  QCheckBox* feederBox() const { return feeder_; }

 private:
  void addModes(const std::string& wanted);
  void addResolutions(int wanted);
  void addSources(const std::string& wanted);
  void addArea();
  void onSourceChosen();
  void onFeederToggled(bool on);

  leaf::scan::ScannerCapabilities caps_;
  QComboBox* mode_;
  QComboBox* resolutionList_;
  QSpinBox* resolutionRange_;
  QComboBox* source_;
  QGroupBox* area_;
  QDoubleSpinBox* corner_[4];  // left, top, width, height
  QCheckBox* feeder_;
};
