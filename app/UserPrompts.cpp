#include "UserPrompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>

#include "CAcquireDlg.h"
#include "CSelectSourceDlg.h"
#include "FileDialogFilters.h"

namespace {

constexpr const char* kProgramName = "Leafsmith";

QStringList QtFilters(const std::vector<leaf::FileFilter>& rows) {
  QStringList filters;
  for (const leaf::FileFilter& row : rows)
    filters << QString::fromStdString(leaf::QtFilterText(row));
  return filters;
}

int RowOf(const QStringList& filters, const QString& chosen) {
  const int row = static_cast<int>(filters.indexOf(chosen));
  return row < 0 ? 0 : row;
}

// The extension of the type of a save row, as typed names get it.
QString ExtensionForRow(int row, const QString& typedName) {
  const leaf::FileTypeCode type = leaf::SaveTypeForRow(row);
  if (type != leaf::kFilePnm) return QString::fromStdString(leaf::SaveExtension(type, 24, false));
  // Keep a PNM extension the user typed; else the colour one.
  const leaf::FileTypeCode typed = leaf::FileTypeFromName(typedName.toStdString());
  if (typed == leaf::kFilePnm) return typedName.mid(typedName.lastIndexOf('.'));
  return QStringLiteral(".ppm");
}

}  // namespace

QWidget* CDialogPrompts::parent() const {
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  return owner_;
}

CUserPrompts::Answer CDialogPrompts::askYesNoCancel(const QString& text) {
  const auto button = QMessageBox::question(
      parent(), kProgramName, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
      QMessageBox::Yes);
  if (button == QMessageBox::Yes) return Answer::Yes;
  if (button == QMessageBox::No) return Answer::No;
  return Answer::Cancel;
}

bool CDialogPrompts::askYesNo(const QString& text) {
  return QMessageBox::question(parent(), kProgramName, text, QMessageBox::Yes | QMessageBox::No,
                               QMessageBox::Yes) == QMessageBox::Yes;
}

bool CDialogPrompts::askYesNoWarning(const QString& text) {
  return QMessageBox::warning(owner_, kProgramName, text, QMessageBox::Yes | QMessageBox::No,
                              QMessageBox::No) == QMessageBox::Yes;
}

void CDialogPrompts::showError(const QString& text, const QString& detail) {
  QMessageBox box(QMessageBox::Critical, kProgramName, text, QMessageBox::Ok, parent());
  if (!detail.isEmpty()) box.setInformativeText(detail);
  box.exec();
}

CUserPrompts::PagesChoice CDialogPrompts::choosePagesToSave(int pageCount) {
  QMessageBox box(QMessageBox::Question, kProgramName,
                  QObject::tr("The document has %1 pages. Save them all in one DjVu document, "
                              "or only the page on the screen?")
                      .arg(pageCount),
                  QMessageBox::Cancel, owner_);
  QPushButton* all = box.addButton(QObject::tr("&all pages"), QMessageBox::AcceptRole);
  QPushButton* one = box.addButton(QObject::tr("&this page"), QMessageBox::AcceptRole);
  box.setDefaultButton(all);
  box.exec();
  if (box.clickedButton() == all) return PagesChoice::AllPages;
  if (box.clickedButton() == one) return PagesChoice::ThisPage;
  return PagesChoice::Cancel;
}

void CDialogPrompts::showWarning(const QString& text) {
  QMessageBox::warning(parent(), kProgramName, text);
}

void CDialogPrompts::showMessage(const QString& text) {
  QMessageBox::information(parent(), kProgramName, text);
}

namespace {

// The program's own file dialog (not the platform's: the Save As dialog
// changes the typed extension when the type changes) with the type rows.
void SetUpFileDialog(QFileDialog& dialog, bool save, const QStringList& filters, int filterRow) {
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setNameFilters(filters);
  dialog.selectNameFilter(filters.value(filterRow));
}

CUserPrompts::FileChoice RunFileDialog(QFileDialog& dialog, const QStringList& filters) {
  CUserPrompts::FileChoice choice;
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return choice;
  choice.accepted = true;
  choice.path = dialog.selectedFiles().front();
  choice.filterRow = RowOf(filters, dialog.selectedNameFilter());
  return choice;
}

}  // namespace

CUserPrompts::FileChoice CDialogPrompts::chooseSavePath(const QString& folder,
                                                        const QString& proposedName,
                                                        int filterRow) {
  QFileDialog dialog(owner_, QObject::tr("Save As"), folder);
  const QStringList filters = QtFilters(leaf::SaveFilters());
  SetUpFileDialog(dialog, true, filters, filterRow);
  dialog.selectFile(proposedName);
  // Choosing another type changes the extension of the typed name at once.
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString& filter) {
    auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (!edit || edit->text().isEmpty()) return;
    const int row = RowOf(filters, filter);
    const std::string name = edit->text().toStdString();
    edit->setText(QString::fromStdString(
        leaf::ReplaceExtension(name, ExtensionForRow(row, edit->text()).toStdString())));
  });
  return RunFileDialog(dialog, filters);
}

CUserPrompts::FileChoice CDialogPrompts::chooseOpenPath(const QString& folder, int filterRow) {
  QFileDialog dialog(owner_, QObject::tr("Open"), folder);
  const QStringList filters = QtFilters(leaf::OpenFilters());
  SetUpFileDialog(dialog, false, filters, filterRow);
  return RunFileDialog(dialog, filters);
}

void CDialogPrompts::reviewDjvuSettings() {
  if (djvuSettings_) djvuSettings_();
}

bool CDialogPrompts::chooseScanDevice(QString& device) {
  CSelectSourceDlg dialog(device, owner_);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedDevice().isEmpty()) return false;
  device = dialog.selectedDevice();
  return true;
}

bool CDialogPrompts::chooseScanOptions(const QString& device,
                                       const leaf::scan::ScannerCapabilities& caps, bool allPages,
                                       leaf::scan::ScanRequest& request) {
  CAcquireDlg dialog(device, caps, request, allPages, owner_);
  if (dialog.exec() != QDialog::Accepted) return false;
  request = dialog.request();
  return true;
}

QString CDialogPrompts::chooseFolder(const QString& title, const QString& start) {
  return QFileDialog::getExistingDirectory(
      parent(), title, start, QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
}
