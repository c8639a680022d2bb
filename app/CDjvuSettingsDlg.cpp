#include "CDjvuSettingsDlg.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstdlib>

#include "CAdvancedDjvuDlg.h"
#include "DjvuQuickSet.h"
#include "SettingsControls.h"
#include "UserPrompts.h"

using namespace leaf;

CDjvuSettingsDlg::CDjvuSettingsDlg(AppSettings& settings, DjvuDialogContext context,
                                   CUserPrompts& prompts, QWidget* parent)
    : CSettingsDialog(tr("DjVu Settings"), QStringLiteral("DjvuOptions.html"), prompts, parent),
      settings_(settings),
      context_(std::move(context)),
      quickSet_(new QButtonGroup(this)) {
  auto* body = new QVBoxLayout;
  body->addWidget(
      new QLabel(tr("These settings are used when saving images to DjVu format"), this));

  auto* quick = new QGroupBox(tr("Quick set"), this);
  NameAfterSetting(quick, Setting("DjvuQuickSet"));
  auto* quickLayout = new QVBoxLayout(quick);
  quickLayout->addWidget(new QLabel(tr("Source is:"), quick));
  AddRadios(*quickSet_,
            {tr("H&igh resolution (300 DPI and up)"), tr("&Medium resolution (100 - 299 DPI)"),
             tr("&Low resolution (below 100 DPI)")},
            quick, quickLayout);
  body->addWidget(quick);

  background_ = new QGroupBox(tr("DjVu background"), this);
  quality_ = new CSliderField(Setting("DjvuPhotoQty"), 10, background_);
  resolution_ = new QComboBox(background_);
  NameAfterSetting(resolution_, Setting("DjvuPhotoRes"));
  for (int dpi : Setting("DjvuPhotoRes").choices) resolution_->addItem(QString::number(dpi), dpi);
  auto* form = new QFormLayout(background_);
  form->addRow(tr("&Quality"), quality_);
  form->addRow(tr("Re&solution"), resolution_);
  background_->setEnabled(!context_.bilevelImage);
  body->addWidget(background_);
  setBody(body);

  connect(quickSet_, &QButtonGroup::idClicked, this, &CDjvuSettingsDlg::quickSetClicked);
  connect(addButton(tr("&Default")), &QPushButton::clicked, this,
          &CDjvuSettingsDlg::restoreDefaults);
  connect(addButton(tr("&Reset")), &QPushButton::clicked, this, &CDjvuSettingsDlg::resetToStored);
  connect(addButton(tr("&Advanced")), &QPushButton::clicked, this, &CDjvuSettingsDlg::openAdvanced);
  load();
}

int CDjvuSettingsDlg::quickSet() const { return CheckedId(*quickSet_); }

void CDjvuSettingsDlg::load() {
  CheckId(*quickSet_, settings_.djvuQuickSet);
  quality_->setValue(settings_.djvuPhotoQty);
  setResolution(settings_.djvuPhotoRes);
}

// The entry of the resolution, or the nearest one.
void CDjvuSettingsDlg::setResolution(int dpi) {
  int best = 0;
  for (int i = 0; i < resolution_->count(); ++i) {
    if (std::abs(resolution_->itemData(i).toInt() - dpi) <
        std::abs(resolution_->itemData(best).toInt() - dpi)) {
      best = i;
    }
  }
  resolution_->setCurrentIndex(best);
}

void CDjvuSettingsDlg::notifyChanged() {
  if (context_.settingsChanged) context_.settingsChanged();
}

// A Quick set button changes the advanced parameters at once, before OK.
void CDjvuSettingsDlg::quickSetClicked(int preset) {
  ApplyDjvuQuickSet(settings_, preset);
  notifyChanged();
}

void CDjvuSettingsDlg::restoreDefaults() {
  const AppSettings defaults;
  CheckId(*quickSet_, defaults.djvuQuickSet);
  quality_->setValue(defaults.djvuPhotoQty);
  setResolution(defaults.djvuPhotoRes);
}

void CDjvuSettingsDlg::resetToStored() {
  if (quickSet() != settings_.djvuQuickSet) {
    if (prompts().askYesNo(
            tr("Resetting the 'Quick Set' option will change settings in the 'Advanced DjVu "
               "Parameters' dialog box.\nDo you want to reset 'Quick Set'?"))) {
      CheckId(*quickSet_, settings_.djvuQuickSet);
      if (ApplyDjvuQuickSet(settings_, settings_.djvuQuickSet)) notifyChanged();
    } else {
      CheckId(*quickSet_, -1);
    }
  }
  quality_->setValue(settings_.djvuPhotoQty);
  setResolution(settings_.djvuPhotoRes);
}

void CDjvuSettingsDlg::openAdvanced() {
  CAdvancedDjvuDlg advanced(settings_, context_.bilevelImage, prompts(), this);
  if (advanced.exec() != QDialog::Accepted) return;
  CheckId(*quickSet_, -1);
  notifyChanged();
}

bool CDjvuSettingsDlg::validate() {
  return !background_->isEnabled() || quality_->check(prompts());
}

void CDjvuSettingsDlg::store() {
  if (quality_->valid()) settings_.djvuPhotoQty = *quality_->value();
  settings_.djvuPhotoRes = resolution_->currentData().toInt();
  settings_.djvuQuickSet = quickSet();
  notifyChanged();
}
