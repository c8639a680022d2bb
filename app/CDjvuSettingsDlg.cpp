#include "CDjvuSettingsDlg.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstdlib>

#include "CAdvancedDjvuDlg.h"
#include "DjvuQuickSet.h"
#include "SettingsControls.h"
#include "UserPrompts.h"
#include "ocr/OcrLanguages.h"

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

  auto* text = new QGroupBox(tr("Searchable text"), this);
  searchable_ = KeyedCheckBox(tr("Add searchable &text (recognise the words of the page)"),
                              Setting("DjvuOcr"), text);
  languages_ = new QLineEdit(text);
  NameAfterSetting(languages_, Setting("DjvuOcrLang"));
  languages_->setToolTip(
      tr("Tesseract's language names joined by '+', such as eng+deu; each "
         "needs its Debian package tesseract-ocr-NAME"));
  auto* textForm = new QFormLayout(text);
  textForm->addRow(searchable_);
  textForm->addRow(tr("La&nguages"), languages_);
  connect(searchable_, &QCheckBox::toggled, languages_, &QWidget::setEnabled);
  body->addWidget(text);
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
  loadText(settings_);
}

void CDjvuSettingsDlg::loadText(const AppSettings& from) {
  searchable_->setChecked(from.djvuOcr != 0);
  languages_->setText(QString::fromStdString(from.djvuOcrLang));
  languages_->setEnabled(from.djvuOcr != 0);
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
  loadText(defaults);
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
  loadText(settings_);
}

void CDjvuSettingsDlg::openAdvanced() {
  CAdvancedDjvuDlg advanced(settings_, context_.bilevelImage, prompts(), this);
  if (advanced.exec() != QDialog::Accepted) return;
  CheckId(*quickSet_, -1);
  notifyChanged();
}

bool CDjvuSettingsDlg::validate() {
  if (background_->isEnabled() && !quality_->check(prompts())) return false;
  if (!searchable_->isChecked()) return true;
  // A language that is not installed is refused now rather than at every save.
  const std::string problem = CheckOcrLanguages(languages_->text().trimmed().toStdString());
  if (problem.empty()) return true;
  prompts().showWarning(QString::fromStdString(problem));
  languages_->setFocus();
  return false;
}

void CDjvuSettingsDlg::store() {
  if (quality_->valid()) settings_.djvuPhotoQty = *quality_->value();
  settings_.djvuPhotoRes = resolution_->currentData().toInt();
  settings_.djvuQuickSet = quickSet();
  settings_.djvuOcr = searchable_->isChecked() ? 1 : 0;
  settings_.djvuOcrLang = languages_->text().trimmed().toStdString();
  notifyChanged();
}
