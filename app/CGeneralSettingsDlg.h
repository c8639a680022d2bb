// General Settings: fitting the window and the page, the DjVu display, the
// file types Leafsmith opens from the desktop, printing and the slideshow.
#pragma once

#include <map>
#include <vector>

#include "AppSettings.h"
#include "CSettingsDialog.h"
#include "FileAssociations.h"

class CGammaField;
class CRangeSpinBox;
class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;

class CGeneralSettingsDlg : public CSettingsDialog {
  Q_OBJECT

 public:
  struct AssociationChange {
    leaf::FileGroup group;
    bool on;
  };

  // The file association boxes wait, disabled, for setRegisteredGroups().
  CGeneralSettingsDlg(leaf::AppSettings& settings, CUserPrompts& prompts,
                      QWidget* parent = nullptr);

  // The file type groups Leafsmith is the default viewer of now (asking the
  // desktop takes a while, so the answer comes once the dialog is open):
  // their boxes are ticked, and every box can be changed from then on.
  void setRegisteredGroups(const std::vector<leaf::FileGroup>& groups);

  // After OK: the groups whose box was turned on or off.
  const std::vector<AssociationChange>& associationChanges() const { return changes_; }
  QCheckBox* associationBox(leaf::FileGroup group) const { return associations_.at(group); }

 protected:
  bool validate() override;
  void store() override;

 private:
  QLayout* buildWindowGroups();
  QLayout* buildOtherGroups();
  void load();

  leaf::AppSettings& settings_;
  std::vector<leaf::FileGroup> registered_;
  bool associationsKnown_ = false;
  QGroupBox* associationGroup_ = nullptr;
  QLabel* associationWait_ = nullptr;
  std::vector<AssociationChange> changes_;

  QCheckBox* windowFit_;
  QCheckBox* windowCenter_;
  QButtonGroup* imageFit_;
  QCheckBox* dither_;
  QCheckBox* fancyZoom_;
  CGammaField* displayGamma_;
  std::map<leaf::FileGroup, QCheckBox*> associations_;
  QButtonGroup* printSize_;
  QCheckBox* shrinkPrint_;
  CRangeSpinBox* slideDelay_;
};
