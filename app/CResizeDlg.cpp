#include "CResizeDlg.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "CHelpWindow.h"

using leaf::ResizeFields;

namespace {

constexpr int kMaxPercent = 100000;

QSpinBox* MakeBox(int maximum, const QString& suffix, QWidget* parent) {
  auto* box = new QSpinBox(parent);
  box->setRange(1, maximum);
  box->setSuffix(suffix);
  box->setAccelerated(true);
  return box;
}

}  // namespace

CResizeDlg::CResizeDlg(int width, int height, QWidget* parent)
    : QDialog(parent),
      fields_(width, height),
      width_(MakeBox(leaf::kMaxResizeSide, tr(" pixels"), this)),
      height_(MakeBox(leaf::kMaxResizeSide, tr(" pixels"), this)),
      widthPercent_(MakeBox(kMaxPercent, QString(), this)),
      heightPercent_(MakeBox(kMaxPercent, QString(), this)),
      aspect_(new QCheckBox(tr("Maintain aspect &ratio"), this)) {
  setWindowTitle(tr("Resize"));

  auto* size = new QGroupBox(tr("New size"), this);
  auto* form = new QFormLayout(size);
  form->addRow(tr("&Width:"), width_);
  form->addRow(tr("&Height:"), height_);
  form->addRow(tr("W&idth %:"), widthPercent_);
  form->addRow(tr("H&eight %:"), heightPercent_);
  form->addRow(aspect_);

  auto* scaling = new QGroupBox(tr("Scaling method"), this);
  auto* scalingLayout = new QVBoxLayout(scaling);
  auto* methods = new QButtonGroup(this);
  const QString names[] = {tr("&Single sample"), tr("&Favor grid center"), tr("&Grid average")};
  for (int method = 0; method < 3; ++method) {
    auto* radio = new QRadioButton(names[method], scaling);
    radio->setChecked(method == method_);
    methods->addButton(radio, method);
    scalingLayout->addWidget(radio);
  }
  scalingLayout->addStretch();
  connect(methods, &QButtonGroup::idClicked, this, [this](int id) { method_ = id; });

  auto* buttons = new QDialogButtonBox(
      QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(buttons, &QDialogButtonBox::helpRequested, this,
          [this] { CHelpWindow::showTopic(QStringLiteral("Resize.html"), this); });

  auto* columns = new QHBoxLayout;
  columns->addWidget(size);
  columns->addWidget(scaling);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(columns);
  layout->addWidget(buttons);

  aspect_->setChecked(fields_.keepAspect);
  showFields();
  connect(aspect_, &QCheckBox::toggled, this, [this](bool on) { fields_.keepAspect = on; });
  connect(width_, &QSpinBox::valueChanged, this,
          [this](int value) { typed(&ResizeFields::typeWidth, value); });
  connect(height_, &QSpinBox::valueChanged, this,
          [this](int value) { typed(&ResizeFields::typeHeight, value); });
  connect(widthPercent_, &QSpinBox::valueChanged, this,
          [this](int value) { typed(&ResizeFields::typeWidthPercent, value); });
  connect(heightPercent_, &QSpinBox::valueChanged, this,
          [this](int value) { typed(&ResizeFields::typeHeightPercent, value); });
}

void CResizeDlg::typed(void (ResizeFields::*rule)(int), int value) {
  if (showing_ || value <= 0) return;
  (fields_.*rule)(value);
  showFields();
}

// The other fields show the new values; their own change signals are not
// taken for typing.
void CResizeDlg::showFields() {
  showing_ = true;
  width_->setValue(fields_.width);
  height_->setValue(fields_.height);
  widthPercent_->setValue(fields_.widthPercent);
  heightPercent_->setValue(fields_.heightPercent);
  showing_ = false;
}
