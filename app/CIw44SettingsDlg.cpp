#include "CIw44SettingsDlg.h"

#include <QButtonGroup>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "SettingsControls.h"

using namespace leaf;

CIw44SettingsDlg::CIw44SettingsDlg(AppSettings& settings, CUserPrompts& prompts, QWidget* parent)
    : CSettingsDialog(tr("IW44 Settings"), QStringLiteral("IW44Options.html"), prompts, parent),
      settings_(settings),
      crcb_(new QButtonGroup(this)) {
  auto* body = new QVBoxLayout;
  body->addWidget(
      new QLabel(tr("These settings are used when saving images to IW44 format"), this));
  quality_ = new CSliderField(Setting("Iw44PhotoQty"), 10, this);
  gamma_ = new CGammaField(Setting("Iw44PhotoGamma"), this);
  auto* form = new QFormLayout;
  form->addRow(tr("Image &quality"), quality_);
  form->addRow(tr("&Gamma correction"), gamma_);
  body->addLayout(form);

  body->addWidget(RadioGroupBox(
      tr("Color encoding:"), Setting("Iw44Crcb"), *crcb_,
      {tr("H&alf color encoding"), tr("&Full color encoding"), tr("&Eliminate all color")}, this));
  setBody(body);

  connect(addButton(tr("&Default")), &QPushButton::clicked, this,
          &CIw44SettingsDlg::restoreDefaults);
  connect(addButton(tr("&Reset")), &QPushButton::clicked, this, &CIw44SettingsDlg::resetToStored);
  load(settings_);
}

void CIw44SettingsDlg::load(const AppSettings& values) {
  quality_->setValue(values.iw44PhotoQty);
  gamma_->setValue(values.iw44PhotoGamma);
  CheckId(*crcb_, values.iw44Crcb);
}

void CIw44SettingsDlg::restoreDefaults() { load(AppSettings{}); }

void CIw44SettingsDlg::resetToStored() { load(settings_); }

bool CIw44SettingsDlg::validate() { return quality_->check(prompts()) && gamma_->check(prompts()); }

void CIw44SettingsDlg::store() {
  settings_.iw44PhotoQty = *quality_->value();
  settings_.iw44PhotoGamma = static_cast<float>(*gamma_->value());
  settings_.iw44Crcb = std::max(CheckedId(*crcb_), 0);
}
