#include "CThumbnailOptionsDlg.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>

#include "SettingsControls.h"

using namespace leaf;

namespace {

constexpr int kFixedWidth = 0;
constexpr int kFixedHeight = 1;
constexpr int kFitsRectangle = 2;

}  // namespace

CThumbnailOptionsDlg::CThumbnailOptionsDlg(AppSettings& settings, CUserPrompts& prompts,
                                           QWidget* parent)
    : CSettingsDialog(tr("Thumbnail Options"), QStringLiteral("ThumbnailOptions.html"), prompts,
                      parent),
      settings_(settings),
      sizeMode_(new QButtonGroup(this)),
      scaling_(new QButtonGroup(this)) {
  auto* size = new QGroupBox(tr("Thumbnail Size"), this);
  auto* modes = new QVBoxLayout;
  AddRadios(*sizeMode_, {tr("Has Fixed &Width"), tr("Has Fixed H&eight"), tr("Fits &Rectangle")},
            size, modes);
  width_ = new CRangeSpinBox(kMinimumSide, kMaximumSide, size);
  height_ = new CRangeSpinBox(kMinimumSide, kMaximumSide, size);
  auto* sides = new QGridLayout;
  auto* widthLabel = new QLabel(tr("Wi&dth:"), size);
  widthLabel->setBuddy(width_);
  auto* heightLabel = new QLabel(tr("Hei&ght:"), size);
  heightLabel->setBuddy(height_);
  sides->addWidget(widthLabel, 0, 0);
  sides->addWidget(width_, 0, 1);
  sides->addWidget(heightLabel, 1, 0);
  sides->addWidget(height_, 1, 1);
  sides->setRowStretch(2, 1);
  auto* sizeLayout = new QHBoxLayout(size);
  sizeLayout->addLayout(modes);
  sizeLayout->addLayout(sides);

  auto* scaling = new QGroupBox(tr("Scaling method"), this);
  auto* scalingLayout = new QVBoxLayout(scaling);
  AddRadios(*scaling_, {tr("&Single sample"), tr("Favor grid &center"), tr("Grid &average")},
            scaling, scalingLayout);

  auto* output = new QGroupBox(tr("Batch output directory"), this);
  folder_ = new CFolderField(tr("Select batch output directory"), tr("&Browse"), prompts, output);
  NameAfterSetting(folder_, Setting("LCSaveDir"));
  auto* outputLayout = new QVBoxLayout(output);
  outputLayout->addWidget(folder_);

  auto* top = new QHBoxLayout;
  top->addWidget(size, 1);
  top->addWidget(scaling);
  auto* body = new QVBoxLayout;
  body->addLayout(top);
  body->addWidget(output);
  setBody(body);

  const RunOptions& run = settings_.run;
  CheckId(*sizeMode_, run.thumbnailSizeMode);
  width_->setValue(run.thumbnailWidth);
  height_->setValue(run.thumbnailHeight);
  CheckId(*scaling_, run.thumbnailScaling);
  folder_->setPath(QString::fromStdString(settings_.lcSaveDir));
  connect(sizeMode_, &QButtonGroup::idClicked, this, &CThumbnailOptionsDlg::updateEnabling);
  updateEnabling();
}

// Fixed width uses the width, fixed height the height, the rectangle both.
void CThumbnailOptionsDlg::updateEnabling() {
  const int mode = CheckedId(*sizeMode_);
  width_->setEnabled(mode == kFixedWidth || mode == kFitsRectangle);
  height_->setEnabled(mode == kFixedHeight || mode == kFitsRectangle);
}

bool CThumbnailOptionsDlg::validate() {
  return (!width_->isEnabled() || width_->check(prompts())) &&
         (!height_->isEnabled() || height_->check(prompts())) &&
         folder_->check(prompts(), tr("batch output directory"));
}

void CThumbnailOptionsDlg::store() {
  RunOptions& run = settings_.run;
  run.thumbnailSizeMode = std::max(CheckedId(*sizeMode_), 0);
  // A side that is not used keeps its last valid value.
  if (width_->valid()) run.thumbnailWidth = *width_->typedValue();
  if (height_->valid()) run.thumbnailHeight = *height_->typedValue();
  run.thumbnailScaling = std::max(CheckedId(*scaling_), 0);
  settings_.lcSaveDir = folder_->path().toStdString();
}
