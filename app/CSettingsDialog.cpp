#include "CSettingsDialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "CHelpWindow.h"

CSettingsDialog::CSettingsDialog(const QString& title, QString helpTopic, CUserPrompts& prompts,
                                 QWidget* parent)
    : QDialog(parent),
      helpTopic_(std::move(helpTopic)),
      prompts_(prompts),
      buttons_(new QDialogButtonBox(
          QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this)) {
  setWindowTitle(title);
  connect(buttons_, &QDialogButtonBox::accepted, this, &CSettingsDialog::accept);
  connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(buttons_, &QDialogButtonBox::helpRequested, this,
          [this] { CHelpWindow::showTopic(helpTopic_, this); });
  extraButtons_ = new QHBoxLayout;
  auto* buttonRow = new QHBoxLayout;
  buttonRow->addLayout(extraButtons_);
  buttonRow->addStretch(1);
  buttonRow->addWidget(buttons_);
  auto* layout = new QVBoxLayout(this);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  layout->addLayout(buttonRow);
}

QPushButton* CSettingsDialog::button(const QString& name) const {
  for (QPushButton* candidate : findChildren<QPushButton*>()) {
    if (candidate->parent() != this && candidate->parent() != buttons_) continue;
    if (candidate->text().remove('&') == name) return candidate;
  }
  return nullptr;
}

void CSettingsDialog::accept() {
  if (!validate()) return;
  store();
  QDialog::accept();
}

void CSettingsDialog::setBody(QLayout* body) {
  static_cast<QVBoxLayout*>(layout())->insertLayout(0, body);
}

QPushButton* CSettingsDialog::addButton(const QString& text) {
  auto* button = new QPushButton(text, this);
  button->setAutoDefault(false);
  extraButtons_->addWidget(button);
  return button;
}
