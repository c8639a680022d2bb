// Thumbnail Options: the thumbnail's size rule and scaling method, and the
// folder the batch conversion writes to (its thumbnails go there too).
#pragma once

#include "AppSettings.h"
#include "CSettingsDialog.h"

class CFolderField;
class CRangeSpinBox;
class QButtonGroup;

class CThumbnailOptionsDlg : public CSettingsDialog {
  Q_OBJECT

 public:
  static constexpr int kMinimumSide = 10;
  static constexpr int kMaximumSide = 600;

  CThumbnailOptionsDlg(leaf::AppSettings& settings, CUserPrompts& prompts,
                       QWidget* parent = nullptr);

  QButtonGroup* sizeModeRadios() const { return sizeMode_; }
  CRangeSpinBox* widthField() const { return width_; }
  CRangeSpinBox* heightField() const { return height_; }
  QButtonGroup* scalingRadios() const { return scaling_; }
  CFolderField* folderField() const { return folder_; }

 protected:
  bool validate() override;
  void store() override;

 private:
  void updateEnabling();

  leaf::AppSettings& settings_;
  QButtonGroup* sizeMode_;
  CRangeSpinBox* width_;
  CRangeSpinBox* height_;
  QButtonGroup* scaling_;
  CFolderField* folder_;
};
