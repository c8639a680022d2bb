#include "CAcquireDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <cstdlib>

using namespace leaf::scan;

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

QString ModeLabel(const std::string& kind) {
  if (kind == kModeColor) return CAcquireDlg::tr("Color");
  if (kind == kModeGray) return CAcquireDlg::tr("Gray");
  return CAcquireDlg::tr("Black and white");
}

// The offered value nearest to the wanted one (the first for none).
int NearestIndex(const std::vector<int>& values, int wanted) {
  int best = 0;
  for (int i = 1; i < static_cast<int>(values.size()); ++i) {
    if (std::abs(values[i] - wanted) < std::abs(values[best] - wanted)) best = i;
  }
  return best;
}

QDoubleSpinBox* MillimetreBox(double maximum, double value, QWidget* parent) {
  auto* box = new QDoubleSpinBox(parent);
  box->setDecimals(1);
  box->setRange(0, maximum);
  box->setSuffix(QStringLiteral(" mm"));
  box->setValue(value);
  return box;
}

}  // namespace

CAcquireDlg::CAcquireDlg(const QString& deviceName, const ScannerCapabilities& caps,
                         const ScanRequest& last, bool allPages, QWidget* parent)
    : QDialog(parent),
      caps_(caps),
      mode_(new QComboBox(this)),
      resolutionList_(new QComboBox(this)),
      resolutionRange_(new QSpinBox(this)),
      source_(new QComboBox(this)),
      area_(new QGroupBox(tr("Scan only an &area of the bed"), this)),
      corner_{},
      feeder_(new QCheckBox(tr("Scan every page in the document &feeder"), this)) {
  setWindowTitle(allPages ? tr("Acquire All Pages") : tr("New Scan"));
  auto* form = new QFormLayout;
  form->addRow(tr("Scanner:"), new QLabel(deviceName, this));
  addModes(last.mode);
  form->addRow(tr("&Mode:"), mode_);
  addResolutions(last.resolution);
  // A list of resolutions or a range: only the one in use is laid out.
  QWidget* resolution =
      caps_.resolutionList.empty() ? static_cast<QWidget*>(resolutionRange_) : resolutionList_;
  form->addRow(tr("&Resolution:"), resolution);
  addSources(last.source);
  form->addRow(tr("&Source:"), source_);
  if (caps_.sources.empty()) form->setRowVisible(source_, false);
  if (caps_.modes.empty()) form->setRowVisible(mode_, false);
  if (resolution->isHidden()) form->setRowVisible(resolution, false);
  addArea();

  feeder_->setVisible(caps_.hasFeeder());
  connect(feeder_, &QCheckBox::toggled, this, &CAcquireDlg::onFeederToggled);
  connect(source_, &QComboBox::activated, this, &CAcquireDlg::onSourceChosen);
  if (allPages && caps_.hasFeeder()) feeder_->setChecked(true);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText(tr("&Scan"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(area_);
  layout->addWidget(feeder_);
  layout->addWidget(buttons);
}

void CAcquireDlg::addModes(const std::string& wanted) {
  for (const std::string& kind : caps_.modes) mode_->addItem(ModeLabel(kind), Q(kind));
  int index = mode_->findData(Q(wanted));
  if (index < 0) index = mode_->findData(Q(caps_.currentMode));
  mode_->setCurrentIndex(std::max(index, 0));
}

void CAcquireDlg::addResolutions(int wanted) {
  const int target = wanted > 0 ? wanted : caps_.currentResolution;
  resolutionRange_->setSuffix(tr(" dpi"));
  if (!caps_.resolutionList.empty()) {
    for (int dpi : caps_.resolutionList) resolutionList_->addItem(tr("%1 dpi").arg(dpi), dpi);
    resolutionList_->setCurrentIndex(NearestIndex(caps_.resolutionList, target));
    resolutionRange_->hide();
  } else if (caps_.resolutionMax > 0) {
    resolutionRange_->setRange(caps_.resolutionMin, caps_.resolutionMax);
    resolutionRange_->setSingleStep(std::max(caps_.resolutionStep, 1));
    resolutionRange_->setValue(std::clamp(target, caps_.resolutionMin, caps_.resolutionMax));
    resolutionList_->hide();
  } else {
    resolutionList_->hide();
    resolutionRange_->hide();
  }
}

void CAcquireDlg::addSources(const std::string& wanted) {
  for (const std::string& source : caps_.sources) source_->addItem(Q(source), Q(source));
  int index = source_->findData(Q(wanted));
  if (index < 0) index = source_->findData(Q(caps_.currentSource));
  source_->setCurrentIndex(std::max(index, 0));
}

void CAcquireDlg::addArea() {
  area_->setCheckable(true);
  area_->setChecked(false);
  area_->setVisible(caps_.hasArea);
  const ScanArea& now = caps_.currentArea;
  const double values[] = {now.left, now.top, now.width, now.height};
  const double limits[] = {caps_.bedWidth, caps_.bedHeight, caps_.bedWidth, caps_.bedHeight};
  const QString labels[] = {tr("&Left:"), tr("&Top:"), tr("&Width:"), tr("&Height:")};
  auto* grid = new QFormLayout(area_);
  for (int i = 0; i < 4; ++i) {
    corner_[i] = MillimetreBox(limits[i], values[i], area_);
    grid->addRow(labels[i], corner_[i]);
  }
}

void CAcquireDlg::onSourceChosen() {
  const int row = source_->currentIndex();
  const bool feeder =
      row >= 0 && row < static_cast<int>(caps_.sourceIsFeeder.size()) && caps_.sourceIsFeeder[row];
  if (!feeder && feeder_->isChecked()) feeder_->setChecked(false);
}

void CAcquireDlg::onFeederToggled(bool on) {
  if (!on) return;
  const int row = source_->currentIndex();
  if (row >= 0 && row < static_cast<int>(caps_.sourceIsFeeder.size()) &&
      caps_.sourceIsFeeder[row]) {
    return;
  }
  for (int i = 0; i < static_cast<int>(caps_.sourceIsFeeder.size()); ++i) {
    if (caps_.sourceIsFeeder[i]) {
      source_->setCurrentIndex(i);
      return;
    }
  }
}

ScanRequest CAcquireDlg::request() const {
  ScanRequest request;
  if (mode_->count() > 0) request.mode = mode_->currentData().toString().toStdString();
  if (!resolutionList_->isHidden()) {
    request.resolution = resolutionList_->currentData().toInt();
  } else if (!resolutionRange_->isHidden()) {
    request.resolution = resolutionRange_->value();
  }
  if (source_->count() > 0) request.source = source_->currentData().toString().toStdString();
  if (caps_.hasArea && area_->isChecked()) {
    request.area = ScanArea{corner_[0]->value(), corner_[1]->value(), corner_[2]->value(),
                            corner_[3]->value()};
  }
  request.allPages = caps_.hasFeeder() && feeder_->isChecked();
  return request;
}
