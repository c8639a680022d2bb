#include "CProgramHintDlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CProgramHintDlg::CProgramHintDlg(bool doNotShowAgain, QWidget* parent)
    : QDialog(parent), doNotShow_(new QCheckBox(tr("Do &not show this message again"), this)) {
  setWindowTitle(tr("Program Hint"));
  auto* text = new QLabel(
      tr("Did you know...\n\nThe DjVu image compression works best for images scanned at 300 DPI "
         "or higher. For lower resolution originals, you will get the best results by setting "
         "the Source in 'DjVu Settings' to 'Medium' or 'Low'."),
      this);
  text->setObjectName(QStringLiteral("hintText"));
  text->setWordWrap(true);
  text->setMargin(12);
  text->setAutoFillBackground(true);
  QPalette palette = text->palette();
  palette.setColor(QPalette::Window, Qt::white);
  palette.setColor(QPalette::WindowText, Qt::black);
  text->setPalette(palette);
  QFont font = text->font();
  font.setFamilies(
      {QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
  font.setWeight(QFont::Medium);
  text->setFont(font);
  text->setMinimumWidth(380);

  doNotShow_->setChecked(doNotShowAgain);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::accept);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(text);
  layout->addWidget(doNotShow_);
  layout->addWidget(buttons);
}

bool CProgramHintDlg::doNotShowAgain() const { return doNotShow_->isChecked(); }
