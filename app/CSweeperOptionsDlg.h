// Sweeper Options: the output format (with its settings dialog), the input,
// output and archive folders, and whether thumbnails are made and the text
// label stamped.
#pragma once

#include <functional>

#include "AppSettings.h"
#include "CSettingsDialog.h"

class CFolderField;
class COutputFormatGroup;
class QCheckBox;

class CSweeperOptionsDlg : public CSettingsDialog {
  Q_OBJECT

 public:
  // openFormatSettings: shows the settings dialog of a FileTypeCode (DjVu,
  // IW44 or JPEG), for the "Options" button.
  CSweeperOptionsDlg(leaf::AppSettings& settings, std::function<void(int)> openFormatSettings,
                     CUserPrompts& prompts, QWidget* parent = nullptr);

  COutputFormatGroup* formatGroup() const { return format_; }
  CFolderField* inputField() const { return input_; }
  CFolderField* outputField() const { return output_; }
  CFolderField* archiveField() const { return archive_; }
  QCheckBox* thumbnailsBox() const { return thumbnails_; }
  QCheckBox* textBox() const { return text_; }

 protected:
  bool validate() override;
  void store() override;

 private:
  leaf::AppSettings& settings_;
  COutputFormatGroup* format_;
  CFolderField* input_;
  CFolderField* output_;
  CFolderField* archive_;
  QCheckBox* thumbnails_;
  QCheckBox* text_;
};
