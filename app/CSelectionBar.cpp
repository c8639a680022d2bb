#include "CSelectionBar.h"

#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "formats/FileType.h"

using namespace leaf;

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

// The filter's rows stand for these "LCOpenType" values.
constexpr int kFilterTypes[] = {kFileDjvu, kFileIw44, kFileBmp,         kFilePnm,
                                kFileJpeg, kFileTiff, kFileAllSupported};

int FilterRowFor(int type) {
  for (int row = 0; row < 7; ++row) {
    if (kFilterTypes[row] == type) return row;
  }
  return 6;
}

}  // namespace

CSelectionBar::CSelectionBar(AppSettings& settings, CUserPrompts& prompts, QWidget* parent)
    : QDockWidget(tr("Selection Bar"), parent), settings_(settings), prompts_(prompts) {
  setObjectName(QStringLiteral("SelectionBar"));
  setAllowedAreas(Qt::BottomDockWidgetArea | Qt::TopDockWidgetArea);
  auto* body = new QWidget(this);
  auto* layout = new QHBoxLayout(body);
  layout->addWidget(makeListSide(), 3);
  layout->addWidget(makeStatusSide(), 2);
  setWidget(body);
  if (settings_.lcOpenDir.empty() || !QFileInfo(Q(settings_.lcOpenDir)).isDir()) {
    settings_.lcOpenDir = QDir::homePath().toStdString();
  }
  filterBox_->setCurrentIndex(FilterRowFor(settings_.lcOpenType));
  setDetailed(false);
  fill();
}

QWidget* CSelectionBar::makeListSide() {
  auto* side = new QWidget(this);
  auto* layout = new QVBoxLayout(side);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* row = new QHBoxLayout;
  folderBox_ = new QComboBox(side);
  folderBox_->setToolTip(tr("The folder listed; choose a folder above it to go there"));
  auto* browse = new QPushButton(tr("Browse..."), side);
  filterBox_ = new QComboBox(side);
  filterBox_->addItems({tr("DjVu (*.djvu, *.djv)"), tr("IW44 (*.iw44, *iw4)"),
                        tr("Windows bitmap (*.bmp)"), tr("PNM (*.ppm, *.pgm, *.pbm)"),
                        tr("JPEG (*.jpg, *.jpeg)"), tr("TIFF (*.tif, *.tiff)"),
                        tr("All supported types")});
  row->addWidget(folderBox_, 1);
  row->addWidget(browse);
  row->addWidget(filterBox_);
  layout->addLayout(row);
  list_ = new QTreeWidget(side);
  list_->setHeaderLabels({tr("Name"), tr("Size"), tr("Type"), tr("Modified")});
  list_->setRootIsDecorated(false);
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list_->setContextMenuPolicy(Qt::CustomContextMenu);
  list_->header()->setSectionsClickable(true);
  list_->setColumnWidth(0, 200);
  list_->headerItem()->setTextAlignment(1, Qt::AlignRight);
  layout->addWidget(list_);

  connect(list_, &QTreeWidget::itemActivated, this,
          [this](QTreeWidgetItem* item) { activateRow(list_->indexOfTopLevelItem(item)); });
  connect(list_, &QTreeWidget::itemClicked, this,
          [this] { emit statusText(tr("Current directory: %1").arg(folder())); });
  connect(list_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    emit statusText(tr("Current directory: %1").arg(folder()));
    if (contextActions_.isEmpty()) return;
    QMenu menu(this);
    for (QAction* action : contextActions_) {
      if (action) {
        menu.addAction(action);
      } else {
        menu.addSeparator();
      }
    }
    menu.exec(list_->viewport()->mapToGlobal(at));
  });
  connect(list_->header(), &QHeaderView::sectionClicked, this, &CSelectionBar::sortBy);
  connect(filterBox_, &QComboBox::activated, this, [this](int row) {
    settings_.lcOpenType = kFilterTypes[row];
    fill();
  });
  connect(folderBox_, &QComboBox::activated, this,
          [this](int row) { enterFolder(folderBox_->itemData(row).toString()); });
  connect(browse, &QPushButton::clicked, this, [this] {
    const QString chosen = prompts_.chooseFolder(tr("Choose the folder to list"), folder());
    if (!chosen.isEmpty()) enterFolder(chosen);
  });
  return side;
}

QWidget* CSelectionBar::makeStatusSide() {
  auto* side = new QWidget(this);
  auto* layout = new QVBoxLayout(side);
  layout->setContentsMargins(0, 0, 0, 0);
  sweepGroup_ = new QGroupBox(tr("Sweeping"), side);
  auto* sweep = new QVBoxLayout(sweepGroup_);
  sweepStatus_ = new QLabel(tr("Not running"), sweepGroup_);
  sweepPosition_ = new QLabel(tr("Current:\tTotal:"), sweepGroup_);
  sweep->addWidget(sweepStatus_);
  sweep->addWidget(sweepPosition_);
  sweepGroup_->setEnabled(false);
  auto* batchGroup = new QGroupBox(tr("Batch Conversion"), side);
  auto* batch = new QVBoxLayout(batchGroup);
  batchStatus_ = new QLabel(tr("Idle"), batchGroup);
  batchTimes_ = new QLabel(tr("Elapsed:\tTime left:"), batchGroup);
  batchBar_ = new QProgressBar(batchGroup);
  batchBar_->setRange(0, 100);
  batchBar_->setValue(0);
  batch->addWidget(batchStatus_);
  batch->addWidget(batchTimes_);
  batch->addWidget(batchBar_);
  layout->addWidget(sweepGroup_);
  layout->addWidget(batchGroup);
  layout->addStretch(1);
  return side;
}

QString CSelectionBar::folder() const { return Q(settings_.lcOpenDir); }

void CSelectionBar::rebuildFolderBox() {
  folderBox_->clear();
  // One row per folder on the way down from the root, each indented a step.
  QStringList parts = QDir::cleanPath(folder()).split('/', Qt::SkipEmptyParts);
  QString path;
  folderBox_->addItem(style()->standardIcon(QStyle::SP_DriveHDIcon), QStringLiteral("/"),
                      QStringLiteral("/"));
  for (int i = 0; i < parts.size(); ++i) {
    path += '/' + parts[i];
    folderBox_->addItem(style()->standardIcon(QStyle::SP_DirIcon),
                        QString(2 * (i + 1), ' ') + parts[i], path);
  }
  folderBox_->setCurrentIndex(folderBox_->count() - 1);
}

void CSelectionBar::enterFolder(const QString& path) {
  settings_.lcOpenDir = QDir::cleanPath(path).toStdString();
  fill();
}

void CSelectionBar::fill() {
  QString path = folder();
  while (path.size() > 1 && path.endsWith('/')) path.chop(1);
  entries_ = ListFolder(path.toStdString(), settings_.lcOpenType);
  SortFolderEntries(entries_, sortColumn_, sortSign_);
  showEntries();
  rebuildFolderBox();
  emit statusText(tr("Current directory: %1").arg(path));
}

void CSelectionBar::refreshIfListing(const QString& path, int fileType) {
  if (QDir::cleanPath(path).compare(QDir::cleanPath(folder()), Qt::CaseInsensitive) != 0) return;
  if (settings_.lcOpenType == fileType || settings_.lcOpenType == kFileAllSupported) fill();
}

void CSelectionBar::showEntries() {
  list_->clear();
  for (const FolderEntry& entry : entries_) {
    auto* item = new QTreeWidgetItem(list_);
    item->setIcon(
        0, style()->standardIcon(entry.type == 0 ? QStyle::SP_DirIcon : QStyle::SP_FileIcon));
    item->setText(0, Q(entry.name));
    if (entry.type != 0) item->setText(1, QString::number(entry.size));
    item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    item->setText(2, QString::fromLatin1(FileTypeLabel(entry.type)));
    item->setText(3, Q(LocalTimeText(entry.modified)));
  }
}

void CSelectionBar::sortBy(int column) {
  sortSign_ = column == sortColumn_ ? -sortSign_ : 1;
  sortColumn_ = column;
  SortFolderEntries(entries_, sortColumn_, sortSign_);
  showEntries();
}

void CSelectionBar::setDetailed(bool detailed) {
  detailed_ = detailed;
  list_->setHeaderHidden(false);
  for (int column = 1; column < 4; ++column) list_->setColumnHidden(column, !detailed);
}

void CSelectionBar::activateRow(int row) {
  if (row < 0 || row >= static_cast<int>(entries_.size())) return;
  const FolderEntry& entry = entries_[static_cast<size_t>(row)];
  const QString path = QDir(folder()).filePath(Q(entry.name));
  if (entry.type != 0) {
    emit fileActivated(path);
    return;
  }
  enterFolder(entry.name == ".." ? QFileInfo(folder()).absolutePath() : path);
}

QStringList CSelectionBar::selectedNames() const {
  QStringList names;
  for (int row = 0; row < list_->topLevelItemCount(); ++row) {
    const FolderEntry& entry = entries_[static_cast<size_t>(row)];
    if (list_->topLevelItem(row)->isSelected() && entry.type != 0) names << Q(entry.name);
  }
  return names;
}

QList<long long> CSelectionBar::selectedSizes() const {
  QList<long long> sizes;
  for (int row = 0; row < list_->topLevelItemCount(); ++row) {
    const FolderEntry& entry = entries_[static_cast<size_t>(row)];
    if (list_->topLevelItem(row)->isSelected() && entry.type != 0) sizes << entry.size;
  }
  return sizes;
}

QStringList CSelectionBar::selectedPaths() const {
  QStringList paths;
  for (const QString& name : selectedNames()) paths << QDir(folder()).filePath(name);
  return paths;
}

bool CSelectionBar::hasSelection() const { return !selectedNames().isEmpty(); }

void CSelectionBar::selectAll() {
  for (int row = 0; row < list_->topLevelItemCount(); ++row) {
    list_->topLevelItem(row)->setSelected(entries_[static_cast<size_t>(row)].type != 0);
  }
}

void CSelectionBar::deleteSelected() {
  const QStringList names = selectedNames();
  if (names.isEmpty()) return;
  if (!prompts_.askYesNo(tr("Are you sure you want to delete these %1 files?\nNOTE: They will "
                            "NOT be placed in the Recycle Bin.")
                             .arg(names.size()))) {
    return;
  }
  for (const QString& name : names) {
    emit statusText(tr("Deleting %1.").arg(name));
    QFile::remove(QDir(folder()).filePath(name));  // one that cannot go is skipped
  }
  fill();
}

void CSelectionBar::setSweeping(bool running) {
  sweepGroup_->setEnabled(running);
  if (!running) setSweepStatus(tr("Not running"));
}

void CSelectionBar::setSweepStatus(const QString& text) { sweepStatus_->setText(text); }

void CSelectionBar::setSweepPosition(size_t current, size_t total, size_t count) {
  sweepPosition_->setText(tr("Current: %1/%2\tTotal: %3").arg(current).arg(total).arg(count));
}

QString CSelectionBar::sweepStatus() const { return sweepStatus_->text(); }
QString CSelectionBar::sweepPosition() const { return sweepPosition_->text(); }
void CSelectionBar::setBatchStatus(const QString& text) { batchStatus_->setText(text); }
void CSelectionBar::setBatchTimes(const QString& text) { batchTimes_->setText(text); }
void CSelectionBar::setBatchProgress(int percent) { batchBar_->setValue(percent); }
QString CSelectionBar::batchStatus() const { return batchStatus_->text(); }
QString CSelectionBar::batchTimes() const { return batchTimes_->text(); }
int CSelectionBar::batchProgress() const { return batchBar_->value(); }
