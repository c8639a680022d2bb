#include "CSweeperOptionsDlg.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "SettingsControls.h"
#include "SweepDirectories.h"
#include "UserPrompts.h"

using namespace leaf;

namespace {
constexpr int kNoFileType = 99;
}  // namespace

CSweeperOptionsDlg::CSweeperOptionsDlg(AppSettings& settings,
                                       std::function<void(int)> openFormatSettings,
                                       CUserPrompts& prompts, QWidget* parent)
    : CSettingsDialog(tr("Sweeper Options"), QStringLiteral("SweepOptions.html"), prompts, parent),
      settings_(settings),
      format_(new COutputFormatGroup(tr("Output format"), this)) {
  NameAfterSetting(format_, Setting("SweepSaveType"));
  auto* folders = new QGroupBox(tr("Directories"), this);
  const QString browse = tr("Browse...");
  input_ = new CFolderField(tr("Select sweeper input directory"), browse, prompts, folders);
  NameAfterSetting(input_, Setting("SweepOpenDir"));
  output_ = new CFolderField(tr("Select sweeper output directory"), browse, prompts, folders);
  NameAfterSetting(output_, Setting("SweepSaveDir"));
  archive_ = new CFolderField(tr("Select sweeper archive directory"), browse, prompts, folders);
  NameAfterSetting(archive_, Setting("SweepArchiveDir"));
  auto* folderLayout = new QVBoxLayout(folders);
  const std::pair<QString, CFolderField*> rows[] = {
      {tr("&Input directory"), input_},
      {tr("O&utput directory"), output_},
      {tr("&Archive directory (old input goes here)"), archive_}};
  for (const auto& [text, field] : rows) {
    auto* label = new QLabel(text, folders);
    label->setBuddy(field->edit());
    folderLayout->addWidget(label);
    folderLayout->addWidget(field);
  }

  auto* options = new QVBoxLayout;
  thumbnails_ = new QCheckBox(tr("Add &thumbnails"), this);
  text_ = new QCheckBox(tr("Add te&xt"), this);
  options->addWidget(thumbnails_);
  options->addWidget(text_);
  options->addStretch(1);
  auto* left = new QVBoxLayout;
  left->addWidget(format_);
  left->addLayout(options);

  auto* body = new QHBoxLayout;
  body->addLayout(left);
  body->addWidget(folders, 1);
  setBody(body);

  // The format is chosen afresh in every run of the program.
  const RunOptions& run = settings_.run;
  format_->setChoice(run.sweepFormatChoice);
  input_->setPath(QString::fromStdString(settings_.sweepOpenDir));
  output_->setPath(QString::fromStdString(settings_.sweepSaveDir));
  archive_->setPath(QString::fromStdString(settings_.sweepArchiveDir));
  thumbnails_->setChecked(run.sweepAddThumbnails != 0);
  text_->setChecked(run.sweepAddText != 0);
  connect(format_, &COutputFormatGroup::optionsRequested, this, [openFormatSettings](int fileType) {
    if (openFormatSettings) openFormatSettings(fileType);
  });
}

bool CSweeperOptionsDlg::validate() {
  if (!input_->check(prompts(), tr("sweeper input directory")) ||
      !output_->check(prompts(), tr("sweeper output directory")) ||
      !archive_->check(prompts(), tr("sweeper archive directory"))) {
    return false;
  }
  const SweepFolderProblem problem =
      CheckSweepFolders(input_->path(), output_->path(), archive_->path());
  if (!problem.message.isEmpty()) {
    prompts().showWarning(problem.message);
    CFolderField* field = problem.folder == SweepFolder::Input    ? input_
                          : problem.folder == SweepFolder::Output ? output_
                                                                  : archive_;
    field->edit()->setFocus(Qt::OtherFocusReason);
    return false;
  }
  if (format_->choice() < 0) {
    prompts().showWarning(tr("No output format has been set!"));
    format_->setFocus(Qt::OtherFocusReason);
    return false;
  }
  return true;
}

void CSweeperOptionsDlg::store() {
  settings_.sweepOpenDir = input_->path().toStdString();
  settings_.sweepSaveDir = output_->path().toStdString();
  settings_.sweepArchiveDir = archive_->path().toStdString();
  RunOptions& run = settings_.run;
  run.sweepFormatChoice = format_->choice();
  const int type = FileTypeFromFormatChoice(run.sweepFormatChoice);
  settings_.sweepSaveType = type >= 1 && type <= 5 ? type : kNoFileType;
  run.sweepAddThumbnails = thumbnails_->isChecked() ? 1 : 0;
  run.sweepAddText = text_->isChecked() ? 1 : 0;
}
