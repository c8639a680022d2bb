#include "CBatchSettingsDlg.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "SettingsControls.h"
#include "UserPrompts.h"

using namespace leaf;

CBatchSettingsDlg::CBatchSettingsDlg(AppSettings& settings,
                                     std::function<void(int)> openFormatSettings,
                                     CUserPrompts& prompts, QWidget* parent)
    : CSettingsDialog(tr("Batch conversion settings"), QStringLiteral("BatchOptions.html"), prompts,
                      parent),
      settings_(settings),
      format_(new COutputFormatGroup(tr("Batch output format"), this)) {
  NameAfterSetting(format_, Setting("LCSaveType"));
  auto* output = new QGroupBox(tr("Batch output directory"), this);
  folder_ = new CFolderField(tr("Select batch output directory"), tr("&Browse"), prompts, output);
  NameAfterSetting(folder_, Setting("LCSaveDir"));
  auto* outputLayout = new QVBoxLayout(output);
  outputLayout->addWidget(folder_);

  auto* options = new QVBoxLayout;
  replace_ = new QCheckBox(tr("&Replace existing files"), this);
  thumbnails_ = new QCheckBox(tr("Add &thumbnails"), this);
  text_ = new QCheckBox(tr("Add te&xt"), this);
  for (QCheckBox* box : {replace_, thumbnails_, text_}) options->addWidget(box);
  options->addStretch(1);

  auto* top = new QHBoxLayout;
  top->addWidget(format_);
  top->addLayout(options, 1);
  auto* body = new QVBoxLayout;
  body->addLayout(top);
  body->addWidget(output);
  setBody(body);

  const RunOptions& run = settings_.run;
  // Until a format is chosen in this run, the last one stored is offered.
  format_->setChoice(run.batchFormatChoice >= 0 ? run.batchFormatChoice
                                                : FormatChoiceFromFileType(settings_.lcSaveType));
  folder_->setPath(QString::fromStdString(settings_.lcSaveDir));
  replace_->setChecked(run.batchReplaceExisting != 0);
  thumbnails_->setChecked(run.batchAddThumbnails != 0);
  text_->setChecked(run.batchAddText != 0);
  connect(format_, &COutputFormatGroup::optionsRequested, this, [openFormatSettings](int fileType) {
    if (openFormatSettings) openFormatSettings(fileType);
  });
}

bool CBatchSettingsDlg::validate() {
  if (format_->choice() < 0) {
    prompts().showWarning(tr("Choose an output format to convert to!"));
    format_->setFocus(Qt::OtherFocusReason);
    return false;
  }
  return folder_->check(prompts(), tr("batch output directory"));
}

void CBatchSettingsDlg::store() {
  RunOptions& run = settings_.run;
  run.batchFormatChoice = format_->choice();
  run.batchReplaceExisting = replace_->isChecked() ? 1 : 0;
  run.batchAddThumbnails = thumbnails_->isChecked() ? 1 : 0;
  run.batchAddText = text_->isChecked() ? 1 : 0;
  settings_.lcSaveType = FileTypeFromFormatChoice(run.batchFormatChoice);
  settings_.lcSaveDir = folder_->path().toStdString();
}
