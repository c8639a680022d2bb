// DjVu Advanced Parameters: how the text mask is coded and found, the photo
// layers' gamma and the upsampling of the page before it is coded. OK makes
// the Quick set "custom".
#pragma once

#include "AppSettings.h"
#include "CSettingsDialog.h"

class CGammaField;
class CSliderField;
class QButtonGroup;
class QCheckBox;
class QGroupBox;

class CAdvancedDjvuDlg : public CSettingsDialog {
  Q_OBJECT

 public:
  // bilevelImage: the page on screen is 1-bit, so "Save text only" does not apply.
  CAdvancedDjvuDlg(leaf::AppSettings& settings, bool bilevelImage, CUserPrompts& prompts,
                   QWidget* parent = nullptr);

  void restoreDefaults();
  void resetToStored();

 protected:
  bool validate() override;
  void store() override;

 private:
  QGroupBox* buildTextGroup();
  QGroupBox* buildPhotoGroup();
  QGroupBox* buildUpsamplingGroup();
  QGroupBox* buildMaskGroup();
  void load(const leaf::AppSettings& values);
  void updateEnabling();

  leaf::AppSettings& settings_;
  bool bilevelImage_;
  QCheckBox* lossless_;
  QCheckBox* aggressive_;
  QCheckBox* noThick_;
  QCheckBox* textOnly_;
  QGroupBox* photo_;
  CGammaField* gamma_;
  QButtonGroup* upsample_;
  QCheckBox* noColorFilter_;
  QCheckBox* noSizeFilter_;
  QCheckBox* noInvFilter_;
  CSliderField* filterLevel_;
  CSliderField* foreback_;
};
