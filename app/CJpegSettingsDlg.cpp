#include "CJpegSettingsDlg.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "SettingsControls.h"

using namespace leaf;

CJpegSettingsDlg::CJpegSettingsDlg(AppSettings& settings, CUserPrompts& prompts, QWidget* parent)
    : CSettingsDialog(tr("JPEG Settings"), QStringLiteral("JpegOptions.html"), prompts, parent),
      settings_(settings),
      encodeDct_(new QButtonGroup(this)),
      decodeDct_(new QButtonGroup(this)) {
  auto* encoding = new QGroupBox(tr("Encoding"), this);
  quality_ = new CSliderField(Setting("JpegQty"), 10, encoding);
  smoothing_ = new CSliderField(Setting("JpegSmooth"), 10, encoding);
  optimize_ = KeyedCheckBox(tr("Optimize &Huffman tables"), Setting("JpegOptHuff"), encoding);
  auto* form = new QFormLayout(encoding);
  form->addRow(tr("JPEG &quality value"), quality_);
  form->addRow(tr("S&moothing"), smoothing_);
  form->addRow(optimize_);
  form->addRow(RadioGroupBox(tr("DCT method:"), Setting("JpegEncodeDCT"), *encodeDct_,
                             {tr("&Accurate integer"), tr("&Fast integer"), tr("Floating &point")},
                             encoding));

  auto* decoding = new QGroupBox(tr("Decoding"), this);
  auto* decodingLayout = new QVBoxLayout(decoding);
  decodingLayout->addWidget(RadioGroupBox(
      tr("DCT method:"), Setting("JpegDecodeDCT"), *decodeDct_,
      {tr("Acc&urate integer"), tr("Fa&st integer"), tr("F&loating point")}, decoding));
  decodingLayout->addStretch(1);

  auto* body = new QHBoxLayout;
  body->addWidget(encoding, 1);
  body->addWidget(decoding);
  setBody(body);

  connect(addButton(tr("&Default")), &QPushButton::clicked, this,
          &CJpegSettingsDlg::restoreDefaults);
  connect(addButton(tr("&Reset")), &QPushButton::clicked, this, &CJpegSettingsDlg::resetToStored);
  load(settings_);
}

void CJpegSettingsDlg::load(const AppSettings& values) {
  quality_->setValue(values.jpegQty);
  smoothing_->setValue(values.jpegSmooth);
  optimize_->setChecked(values.jpegOptHuff != 0);
  CheckId(*encodeDct_, values.jpegEncodeDct);
  CheckId(*decodeDct_, values.jpegDecodeDct);
}

void CJpegSettingsDlg::restoreDefaults() { load(AppSettings{}); }

void CJpegSettingsDlg::resetToStored() { load(settings_); }

bool CJpegSettingsDlg::validate() {
  return quality_->check(prompts()) && smoothing_->check(prompts());
}

void CJpegSettingsDlg::store() {
  settings_.jpegQty = *quality_->value();
  settings_.jpegSmooth = *smoothing_->value();
  settings_.jpegOptHuff = optimize_->isChecked() ? 1 : 0;
  settings_.jpegEncodeDct = std::max(CheckedId(*encodeDct_), 0);
  settings_.jpegDecodeDct = std::max(CheckedId(*decodeDct_), 0);
}
