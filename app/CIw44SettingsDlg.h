// IW44 Settings: quality, gamma and colour coding of IW44 files.
#pragma once

#include "AppSettings.h"
#include "CSettingsDialog.h"

class CGammaField;
class CSliderField;
class QButtonGroup;

class CIw44SettingsDlg : public CSettingsDialog {
  Q_OBJECT

 public:
  CIw44SettingsDlg(leaf::AppSettings& settings, CUserPrompts& prompts, QWidget* parent = nullptr);

  void restoreDefaults();
  void resetToStored();

 protected:
  bool validate() override;
  void store() override;

 private:
  void load(const leaf::AppSettings& values);

  leaf::AppSettings& settings_;
  CSliderField* quality_;
  CGammaField* gamma_;
  QButtonGroup* crcb_;
};
