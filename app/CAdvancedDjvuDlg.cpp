#include "CAdvancedDjvuDlg.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "DjvuQuickSet.h"
#include "SettingsControls.h"

using namespace leaf;

CAdvancedDjvuDlg::CAdvancedDjvuDlg(AppSettings& settings, bool bilevelImage, CUserPrompts& prompts,
                                   QWidget* parent)
    : CSettingsDialog(tr("DjVu Advanced Parameters"), QStringLiteral("AdvDjvuOptions.html"),
                      prompts, parent),
      settings_(settings),
      bilevelImage_(bilevelImage) {
  auto* grid = new QGridLayout;
  grid->addWidget(buildTextGroup(), 0, 0);
  grid->addWidget(buildUpsamplingGroup(), 0, 1);
  grid->addWidget(buildPhotoGroup(), 1, 0);
  grid->addWidget(buildMaskGroup(), 1, 1, 2, 1);
  grid->setRowStretch(2, 1);
  setBody(grid);

  // The lossless mask keeps every mark, noise removal drops specks: one or the other.
  connect(lossless_, &QCheckBox::clicked, this, [this](bool on) {
    if (on) aggressive_->setChecked(false);
  });
  connect(aggressive_, &QCheckBox::clicked, this, [this](bool on) {
    if (on) lossless_->setChecked(false);
  });
  connect(textOnly_, &QCheckBox::toggled, this, &CAdvancedDjvuDlg::updateEnabling);
  connect(addButton(tr("&Default")), &QPushButton::clicked, this,
          &CAdvancedDjvuDlg::restoreDefaults);
  connect(addButton(tr("&Reset")), &QPushButton::clicked, this, &CAdvancedDjvuDlg::resetToStored);
  load(settings_);
}

QGroupBox* CAdvancedDjvuDlg::buildTextGroup() {
  auto* group = new QGroupBox(tr("Text encoding"), this);
  lossless_ = KeyedCheckBox(tr("&Lossless mask"), Setting("DjvuLossless"), group);
  aggressive_ = KeyedCheckBox(tr("Remove &noise"), Setting("DjvuAggressive"), group);
  noThick_ = KeyedCheckBox(tr("No character thic&kening"), Setting("DjvuNoThick"), group);
  textOnly_ = KeyedCheckBox(tr("Save &text only"), Setting("DjvuTextOnly"), group);
  auto* layout = new QVBoxLayout(group);
  for (QCheckBox* box : {lossless_, aggressive_, noThick_, textOnly_}) layout->addWidget(box);
  return group;
}

QGroupBox* CAdvancedDjvuDlg::buildPhotoGroup() {
  photo_ = new QGroupBox(tr("Photo encoding"), this);
  gamma_ = new CGammaField(Setting("DjvuPhotoGamma"), photo_);
  auto* form = new QFormLayout(photo_);
  form->addRow(tr("Gamma correction"), gamma_);
  return photo_;
}

QGroupBox* CAdvancedDjvuDlg::buildUpsamplingGroup() {
  upsample_ = new QButtonGroup(this);
  return RadioGroupBox(
      tr("Document upsampling"), Setting("DjvuUpsample"), *upsample_,
      {tr("&Automatic"), tr("Enlarge original &2x before saving"),
       tr("Enlarge original &3x before saving"), tr("Enlarge original &4x before saving")},
      this);
}

QGroupBox* CAdvancedDjvuDlg::buildMaskGroup() {
  auto* group = new QGroupBox(tr("Mask"), this);
  noColorFilter_ = KeyedCheckBox(tr("No color &filter"), Setting("DjvuNoColorFilter"), group);
  noSizeFilter_ = KeyedCheckBox(tr("No &size filter"), Setting("DjvuNoSizeFilter"), group);
  noInvFilter_ = KeyedCheckBox(tr("No &inversion filter"), Setting("DjvuNoInvFilter"), group);
  filterLevel_ = new CSliderField(Setting("DjvuFilterLevel"), 40, group);
  foreback_ = new CSliderField(Setting("DjvuForeback"), 25, group);
  auto* form = new QFormLayout(group);
  form->addRow(noColorFilter_);
  form->addRow(noSizeFilter_);
  form->addRow(noInvFilter_);
  form->addRow(tr("Filter level"), filterLevel_);
  form->addRow(tr("Foreback level"), foreback_);
  return group;
}

void CAdvancedDjvuDlg::load(const AppSettings& values) {
  lossless_->setChecked(values.djvuLossless != 0);
  aggressive_->setChecked(values.djvuAggressive != 0);
  noThick_->setChecked(values.djvuNoThick != 0);
  textOnly_->setChecked(values.djvuTextOnly != 0);
  gamma_->setValue(values.djvuPhotoGamma);
  CheckId(*upsample_, values.djvuUpsample);
  noColorFilter_->setChecked(values.djvuNoColorFilter != 0);
  noSizeFilter_->setChecked(values.djvuNoSizeFilter != 0);
  noInvFilter_->setChecked(values.djvuNoInvFilter != 0);
  filterLevel_->setValue(values.djvuFilterLevel);
  foreback_->setValue(values.djvuForeback);
  updateEnabling();
}

void CAdvancedDjvuDlg::updateEnabling() {
  textOnly_->setEnabled(!bilevelImage_);
  photo_->setEnabled(!textOnly_->isChecked());
}

void CAdvancedDjvuDlg::restoreDefaults() { load(AppSettings{}); }

void CAdvancedDjvuDlg::resetToStored() { load(settings_); }

bool CAdvancedDjvuDlg::validate() {
  return (!photo_->isEnabled() || gamma_->check(prompts())) && filterLevel_->check(prompts()) &&
         foreback_->check(prompts());
}

void CAdvancedDjvuDlg::store() {
  settings_.djvuLossless = lossless_->isChecked() ? 1 : 0;
  settings_.djvuAggressive = aggressive_->isChecked() ? 1 : 0;
  settings_.djvuNoThick = noThick_->isChecked() ? 1 : 0;
  settings_.djvuTextOnly = textOnly_->isChecked() ? 1 : 0;
  // The gamma of a disabled group is kept when it is a valid one.
  if (gamma_->valid()) settings_.djvuPhotoGamma = static_cast<float>(*gamma_->value());
  settings_.djvuUpsample = std::max(CheckedId(*upsample_), 0);
  settings_.djvuNoColorFilter = noColorFilter_->isChecked() ? 1 : 0;
  settings_.djvuNoSizeFilter = noSizeFilter_->isChecked() ? 1 : 0;
  settings_.djvuNoInvFilter = noInvFilter_->isChecked() ? 1 : 0;
  settings_.djvuFilterLevel = *filterLevel_->value();
  settings_.djvuForeback = *foreback_->value();
  settings_.djvuQuickSet = kQuickSetNone;
}
