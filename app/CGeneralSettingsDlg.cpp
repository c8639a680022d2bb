#include "CGeneralSettingsDlg.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>

#include "SettingsControls.h"

using namespace leaf;

namespace {

// The boxes in the order the dialog shows them, with their texts.
struct AssociationBox {
  FileGroup group;
  const char* text;
};
constexpr AssociationBox kAssociationBoxes[] = {
    {FileGroup::DjVu, "DJVU DJV"},   {FileGroup::Iw44, "IW44 IW4"}, {FileGroup::Bmp, "BMP"},
    {FileGroup::Pnm, "PBM PGM PPM"}, {FileGroup::Jpeg, "JPEG JPG"}, {FileGroup::Tiff, "TIFF TIF"},
};

}  // namespace

CGeneralSettingsDlg::CGeneralSettingsDlg(AppSettings& settings, CUserPrompts& prompts,
                                         QWidget* parent)
    : CSettingsDialog(tr("General Settings"), QStringLiteral("GeneralOptions.html"), prompts,
                      parent),
      settings_(settings) {
  auto* columns = new QHBoxLayout;
  columns->addLayout(buildWindowGroups());
  columns->addLayout(buildOtherGroups());
  setBody(columns);
  connect(windowFit_, &QCheckBox::toggled, windowCenter_, &QWidget::setEnabled);
  load();
}

QLayout* CGeneralSettingsDlg::buildWindowGroups() {
  auto* column = new QVBoxLayout;
  auto* window = new QGroupBox(tr("Auto fit window"), this);
  windowFit_ = KeyedCheckBox(tr("&Fit window to image"), Setting("WindowFit"), window);
  windowCenter_ = KeyedCheckBox(tr("C&enter window after fit"), Setting("WindowCenter"), window);
  auto* windowLayout = new QVBoxLayout(window);
  windowLayout->addWidget(windowFit_);
  windowLayout->addWidget(windowCenter_);
  column->addWidget(window);

  imageFit_ = new QButtonGroup(this);
  column->addWidget(RadioGroupBox(tr("Auto fit image"), Setting("ImageFit"), *imageFit_,
                                  {tr("Shrink to fit &width"), tr("Shrink to fit heigh&t"),
                                   tr("Shrink to fit width &and height"), tr("Do &not fit image")},
                                  this));

  auto* display = new QGroupBox(tr("DjVu && IW44 display"), this);
  dither_ = KeyedCheckBox(tr("&Dither in low color displays"), Setting("Dither"), display);
  fancyZoom_ = KeyedCheckBox(tr("Use fancy DjVu &zooming"), Setting("FancyZoom"), display);
  displayGamma_ = new CGammaField(Setting("DisplayGamma"), display);
  auto* displayLayout = new QVBoxLayout(display);
  displayLayout->addWidget(dither_);
  displayLayout->addWidget(fancyZoom_);
  displayLayout->addWidget(new QLabel(tr("Gamma correction (DjVu & IW44):"), display));
  displayLayout->addWidget(displayGamma_);
  column->addWidget(display);
  column->addStretch(1);
  return column;
}

QLayout* CGeneralSettingsDlg::buildOtherGroups() {
  auto* column = new QVBoxLayout;
  auto* files = new QGroupBox(tr("File associations"), this);
  associationGroup_ = files;
  files->setEnabled(false);
  auto* grid = new QGridLayout(files);
  associationWait_ = new QLabel(tr("Asking the desktop..."), files);
  grid->addWidget(associationWait_, 3, 0, 1, 2);
  int index = 0;
  for (const AssociationBox& entry : kAssociationBoxes) {
    auto* box = new QCheckBox(QString::fromLatin1(entry.text), files);
    box->setObjectName(QStringLiteral("associate-") + FileTypeGroupOf(entry.group).name);
    associations_[entry.group] = box;
    grid->addWidget(box, index % 3, index / 3);
    ++index;
  }
  column->addWidget(files);

  printSize_ = new QButtonGroup(this);
  QGroupBox* printing =
      RadioGroupBox(tr("Printing"), Setting("PrintSize"), *printSize_,
                    {tr("Reproduce &original doc size"), tr("Reproduce &screen size")}, this);
  shrinkPrint_ = KeyedCheckBox(tr("Shrink to fit &paper"), Setting("ShrinkPrint"), printing);
  printing->layout()->addWidget(shrinkPrint_);
  column->addWidget(printing);

  auto* slides = new QGroupBox(tr("Slide show"), this);
  slideDelay_ = new CRangeSpinBox(Setting("SlideDelay"), slides);
  auto* delayLabel = new QLabel(tr("Delay in seconds:"), slides);
  delayLabel->setBuddy(slideDelay_);
  auto* slideLayout = new QHBoxLayout(slides);
  slideLayout->addWidget(delayLabel);
  slideLayout->addWidget(slideDelay_);
  slideLayout->addStretch(1);
  column->addWidget(slides);
  column->addStretch(1);
  return column;
}

void CGeneralSettingsDlg::load() {
  windowFit_->setChecked(settings_.windowFit != 0);
  windowCenter_->setChecked(settings_.windowCenter != 0);
  windowCenter_->setEnabled(windowFit_->isChecked());
  CheckId(*imageFit_, settings_.imageFit);
  dither_->setChecked(settings_.dither != 0);
  fancyZoom_->setChecked(settings_.fancyZoom != 0);
  displayGamma_->setValue(settings_.displayGamma);
  CheckId(*printSize_, settings_.printSize);
  shrinkPrint_->setChecked(settings_.shrinkPrint != 0);
  slideDelay_->setValue(settings_.slideDelay);
}

void CGeneralSettingsDlg::setRegisteredGroups(const std::vector<FileGroup>& groups) {
  registered_ = groups;
  associationsKnown_ = true;
  for (const auto& [group, box] : associations_) {
    box->setChecked(std::find(registered_.begin(), registered_.end(), group) != registered_.end());
  }
  associationGroup_->setEnabled(true);
  associationWait_->hide();
}

bool CGeneralSettingsDlg::validate() {
  return displayGamma_->check(prompts()) && slideDelay_->check(prompts());
}

void CGeneralSettingsDlg::store() {
  settings_.windowFit = windowFit_->isChecked() ? 1 : 0;
  settings_.windowCenter = windowCenter_->isChecked() ? 1 : 0;
  settings_.imageFit = std::max(CheckedId(*imageFit_), 0);
  settings_.dither = dither_->isChecked() ? 1 : 0;
  settings_.fancyZoom = fancyZoom_->isChecked() ? 1 : 0;
  settings_.displayGamma = static_cast<float>(*displayGamma_->value());
  settings_.printSize = std::max(CheckedId(*printSize_), 0);
  settings_.shrinkPrint = shrinkPrint_->isChecked() ? 1 : 0;
  settings_.slideDelay = *slideDelay_->typedValue();
  changes_.clear();
  if (!associationsKnown_) return;
  for (const AssociationBox& entry : kAssociationBoxes) {
    const bool was =
        std::find(registered_.begin(), registered_.end(), entry.group) != registered_.end();
    const bool now = associations_.at(entry.group)->isChecked();
    if (was != now) changes_.push_back({entry.group, now});
  }
}
