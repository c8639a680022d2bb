// Batch conversion settings: the output format (with its settings dialog),
// the output folder, and whether existing files are replaced, thumbnails
// made and the text label stamped.
#pragma once

#include <functional>

#include "AppSettings.h"
#include "CSettingsDialog.h"

class CFolderField;
class COutputFormatGroup;
class QCheckBox;

class CBatchSettingsDlg : public CSettingsDialog {
  Q_OBJECT

 public:
  // openFormatSettings: shows the settings dialog of a FileTypeCode (DjVu,
  // IW44 or JPEG), for the "Options" button.
  CBatchSettingsDlg(leaf::AppSettings& settings, std::function<void(int)> openFormatSettings,
                    CUserPrompts& prompts, QWidget* parent = nullptr);

  COutputFormatGroup* formatGroup() const { return format_; }
  CFolderField* folderField() const { return folder_; }
  QCheckBox* replaceBox() const { return replace_; }
  QCheckBox* thumbnailsBox() const { return thumbnails_; }
  QCheckBox* textBox() const { return text_; }

 protected:
  bool validate() override;
  void store() override;

 private:
  leaf::AppSettings& settings_;
  COutputFormatGroup* format_;
  CFolderField* folder_;
  QCheckBox* replace_;
  QCheckBox* thumbnails_;
  QCheckBox* text_;
};
