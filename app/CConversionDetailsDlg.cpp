#include "CConversionDetailsDlg.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "multi/FileConversion.h"
#include "multi/FolderListing.h"
#include "multi/LogRows.h"

using namespace leaf;

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

CConversionDetailsDlg::CConversionDetailsDlg(ConversionLog& log, CUserPrompts& prompts,
                                             QWidget* parent)
    : QDialog(parent), log_(log), prompts_(prompts), list_(new QTreeWidget(this)) {
  setWindowTitle(tr("Sweeper Conversion Details"));
  list_->setHeaderLabels(
      {tr("Name"), tr("Created"), tr("Size"), tr("Time"), tr("Factor"), tr("Status")});
  list_->setRootIsDecorated(false);
  const int widths[] = {200, 130, 80, 90, 60, 60};
  for (int column = 0; column < 6; ++column) list_->setColumnWidth(column, widths[column]);
  for (int column : {2, 3, 4}) list_->headerItem()->setTextAlignment(column, Qt::AlignRight);
  list_->headerItem()->setTextAlignment(5, Qt::AlignHCenter);
  list_->header()->setSectionsClickable(true);
  connect(list_->header(), &QHeaderView::sectionClicked, this, &CConversionDetailsDlg::sortBy);

  auto* buttons = new QDialogButtonBox(this);
  connect(buttons->addButton(tr("&Refresh"), QDialogButtonBox::ActionRole), &QPushButton::clicked,
          this, &CConversionDetailsDlg::refresh);
  connect(buttons->addButton(tr("&Purge"), QDialogButtonBox::ActionRole), &QPushButton::clicked,
          this, &CConversionDetailsDlg::purge);
  connect(buttons->addButton(QDialogButtonBox::Close), &QPushButton::clicked, this,
          &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_);
  layout->addWidget(buttons);
  resize(680, 400);
  refresh();
}

void CConversionDetailsDlg::refresh() {
  rows_ = log_.Snapshot();
  SortLogRows(rows_, sortColumn_, ascending_);
  showRows();
}

void CConversionDetailsDlg::purge() {
  if (!prompts_.askYesNo(
          tr("Purging this data will remove it permanently.\nDo you want to do this?"))) {
    return;
  }
  log_.Purge();
  refresh();
}

void CConversionDetailsDlg::sortBy(int column) {
  ascending_ = column == sortColumn_ ? !ascending_ : true;
  sortColumn_ = column;
  SortLogRows(rows_, sortColumn_, ascending_);
  showRows();
}

void CConversionDetailsDlg::showRows() {
  list_->clear();
  for (const ConversionLogEntry& entry : rows_) {
    auto* item = new QTreeWidgetItem(list_);
    item->setText(0, Q(LogRowName(entry)));
    item->setText(1, Q(LocalTimeText(entry.start)));
    item->setText(2, QString::number(entry.outputSize));
    item->setText(3, Q(DurationText(entry.end - entry.start)));
    item->setText(4, Q(FactorText(entry)));
    item->setText(5, entry.status == 0 ? tr("Ok") : tr("Error"));
    item->setToolTip(5, Q(ConversionStatusText(entry.status)));
    for (int column : {2, 3, 4}) item->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
    item->setTextAlignment(5, Qt::AlignHCenter | Qt::AlignVCenter);
  }
}
