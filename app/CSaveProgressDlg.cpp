#include "CSaveProgressDlg.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

CSaveProgressDlg::CSaveProgressDlg(const QString& title, const QString& message, QWidget* parent)
    : QDialog(parent),
      message_(new QLabel(message, this)),
      status_(new QLabel(this)),
      bar_(new QProgressBar(this)),
      stop_(new QPushButton(tr("&Stop"), this)) {
  setWindowTitle(title);
  setModal(true);
  message_->setWordWrap(true);
  message_->setMinimumWidth(360);
  status_->setMinimumHeight(status_->fontMetrics().height());
  bar_->setRange(0, 0);
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(stop_, QDialogButtonBox::RejectRole);
  connect(stop_, &QPushButton::clicked, this, &CSaveProgressDlg::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(message_);
  layout->addWidget(status_);
  layout->addWidget(bar_);
  layout->addWidget(buttons);
}

void CSaveProgressDlg::setProgress(const QString& status, int percent) {
  status_->setText(status);
  if (percent < 0) {
    bar_->setRange(0, 0);
  } else {
    bar_->setRange(0, 100);
    bar_->setValue(std::min(percent, 100));
  }
}

void CSaveProgressDlg::setStopText(const QString& text) { stop_->setText(text); }

QString CSaveProgressDlg::status() const { return status_->text(); }

int CSaveProgressDlg::position() const { return bar_->maximum() == 0 ? -1 : bar_->value(); }

void CSaveProgressDlg::reject() {
  stop_->setEnabled(false);
  status_->setText(tr("Stopping..."));
  emit stopRequested();
}
