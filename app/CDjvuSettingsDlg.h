// DjVu Settings: the Quick set of the source's resolution, which changes the
// advanced parameters at once, and the background layer's quality and
// resolution; whether saved pages get searchable text, and in which
// languages; "Advanced" opens DjVu Advanced Parameters.
#pragma once

#include <functional>

#include "AppSettings.h"
#include "CSettingsDialog.h"

class CSliderField;
class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QComboBox;
class QGroupBox;

// What the DjVu dialogs need to know of the page on screen, and whom they tell
// when the settings changed (so that a DjVu page can be saved again).
struct DjvuDialogContext {
  bool bilevelImage = false;
  std::function<void()> settingsChanged;
};

class CDjvuSettingsDlg : public CSettingsDialog {
  Q_OBJECT

 public:
  CDjvuSettingsDlg(leaf::AppSettings& settings, DjvuDialogContext context, CUserPrompts& prompts,
                   QWidget* parent = nullptr);

  int quickSet() const;
  QButtonGroup* quickSetRadios() const { return quickSet_; }
  CSliderField* qualityField() const { return quality_; }
  QComboBox* resolutionBox() const { return resolution_; }
  QGroupBox* backgroundGroup() const { return background_; }
  QCheckBox* searchableTextBox() const { return searchable_; }
  QLineEdit* languagesField() const { return languages_; }

  // The buttons' actions.
  void restoreDefaults();
  void resetToStored();
  void openAdvanced();

 protected:
  bool validate() override;
  void store() override;

 private:
  void load();
  void loadText(const leaf::AppSettings& from);
  void quickSetClicked(int preset);
  void setResolution(int dpi);
  void notifyChanged();

  leaf::AppSettings& settings_;
  DjvuDialogContext context_;
  QButtonGroup* quickSet_;
  QGroupBox* background_;
  CSliderField* quality_;
  QComboBox* resolution_;
  QCheckBox* searchable_;
  QLineEdit* languages_;
};
