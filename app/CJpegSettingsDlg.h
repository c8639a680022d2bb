// JPEG Settings: how JPEG files are written (quality, smoothing, Huffman
// tables, DCT method) and the DCT method they are read with.
#pragma once

#include "AppSettings.h"
#include "CSettingsDialog.h"

class CSliderField;
class QButtonGroup;
class QCheckBox;

class CJpegSettingsDlg : public CSettingsDialog {
  Q_OBJECT

 public:
  CJpegSettingsDlg(leaf::AppSettings& settings, CUserPrompts& prompts, QWidget* parent = nullptr);

  void restoreDefaults();
  void resetToStored();

 protected:
  bool validate() override;
  void store() override;

 private:
  void load(const leaf::AppSettings& values);

  leaf::AppSettings& settings_;
  CSliderField* quality_;
  CSliderField* smoothing_;
  QCheckBox* optimize_;
  QButtonGroup* encodeDct_;
  QButtonGroup* decodeDct_;
};
