#include "CSelectSourceDlg.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QThreadPool>
#include <QVBoxLayout>

#include "scanner/ScanDevices.h"

using leaf::scan::ScanDevice;

namespace {

constexpr int kNameRole = Qt::UserRole;

QString Q(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

CSelectSourceDlg::CSelectSourceDlg(const QString& current, QWidget* parent, DeviceLister lister)
    : QDialog(parent),
      lister_(lister ? std::move(lister) : DeviceLister(leaf::scan::ListScanDevices)),
      wanted_(current),
      list_(new QListWidget(this)),
      status_(new QLabel(this)),
      refresh_(new QPushButton(tr("&Refresh"), this)),
      ok_(nullptr) {
  setWindowTitle(tr("Select Source"));
  auto* caption = new QLabel(tr("&Scanners:"), this);
  caption->setBuddy(list_);
  list_->setMinimumSize(380, 160);
  status_->setWordWrap(true);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  ok_ = buttons->button(QDialogButtonBox::Ok);
  ok_->setText(tr("&Select"));
  buttons->addButton(refresh_, QDialogButtonBox::ResetRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(refresh_, &QPushButton::clicked, this, &CSelectSourceDlg::refresh);
  connect(list_, &QListWidget::currentRowChanged, this, [this] { updateButtons(); });
  connect(list_, &QListWidget::itemActivated, this, [this] { accept(); });

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(caption);
  layout->addWidget(list_);
  layout->addWidget(status_);
  layout->addWidget(buttons);
  refresh();
}

QString CSelectSourceDlg::selectedDevice() const {
  const QListWidgetItem* item = list_->currentItem();
  return item ? item->data(kNameRole).toString() : QString();
}

QString CSelectSourceDlg::statusText() const { return status_->text(); }

void CSelectSourceDlg::refresh() {
  if (listing_) return;
  if (const QString selected = selectedDevice(); !selected.isEmpty()) wanted_ = selected;
  listing_ = true;
  status_->setText(tr("Looking for scanners..."));
  updateButtons();
  QPointer<CSelectSourceDlg> self(this);
  QThreadPool::globalInstance()->start([self, lister = lister_] {
    auto devices = std::make_shared<std::vector<ScanDevice>>();
    std::string error;
    const bool ok = lister(*devices, error);
    QMetaObject::invokeMethod(
        qApp,
        [self, devices, ok, error] {
          if (self) self->showDevices(*devices, ok, Q(error));
        },
        Qt::QueuedConnection);
  });
}

void CSelectSourceDlg::showDevices(const std::vector<ScanDevice>& devices, bool ok,
                                   const QString& error) {
  listing_ = false;
  list_->clear();
  for (const ScanDevice& device : devices) {
    auto* item = new QListWidgetItem(Q(device.Label()), list_);
    item->setData(kNameRole, Q(device.name));
    if (!device.type.empty()) item->setToolTip(Q(device.type));
    if (Q(device.name) == wanted_) list_->setCurrentItem(item);
  }
  if (!list_->currentItem() && list_->count() > 0) list_->setCurrentRow(0);
  if (!ok) {
    status_->setText(tr("The scanners could not be listed: %1").arg(error));
  } else if (devices.empty()) {
    status_->setText(tr("No scanner was found. Connect one, switch it on and press Refresh."));
  } else {
    status_->setText(devices.size() == 1 ? tr("1 scanner found.")
                                         : tr("%1 scanners found.").arg(devices.size()));
  }
  updateButtons();
  list_->setFocus();
  emit devicesListed();
}

void CSelectSourceDlg::updateButtons() {
  refresh_->setEnabled(!listing_);
  ok_->setEnabled(!listing_ && list_->currentItem() != nullptr);
}
