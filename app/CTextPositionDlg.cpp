#include "CTextPositionDlg.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "image/TextLabel.h"

CTextPositionDlg::CTextPositionDlg(int anchor, int paddingX, int paddingY, QWidget* parent)
    : QDialog(parent),
      anchor_(anchor >= 1 && anchor <= 9 ? anchor : 5),
      anchors_(new QButtonGroup(this)),
      horizontal_(new QSpinBox(this)),
      vertical_(new QSpinBox(this)) {
  setWindowTitle(tr("Text position details"));
  auto* where = new QGroupBox(tr("Place on the page"), this);
  auto* grid = new QGridLayout(where);
  const QString names[] = {tr("Top left"),    tr("Top"),    tr("Top right"),
                           tr("Left"),        tr("Center"), tr("Right"),
                           tr("Bottom left"), tr("Bottom"), tr("Bottom right")};
  for (int i = 0; i < 9; ++i) {
    auto* radio = new QRadioButton(names[i], where);
    anchors_->addButton(radio, i + 1);
    grid->addWidget(radio, i / 3, i % 3);
  }
  connect(anchors_, &QButtonGroup::idClicked, this, &CTextPositionDlg::chooseAnchor);

  for (QSpinBox* box : {horizontal_, vertical_}) {
    box->setRange(0, leaf::kMaxLabelPadding);
    box->setSuffix(tr(" pixels"));
  }
  horizontal_->setValue(paddingX);
  vertical_->setValue(paddingY);
  auto* paddings = new QFormLayout;
  paddings->addRow(tr("&Horizontal padding:"), horizontal_);
  paddings->addRow(tr("&Vertical padding:"), vertical_);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(where);
  layout->addLayout(paddings);
  layout->addWidget(buttons);
  chooseAnchor(anchor_);
}

// The paddings an anchor uses: both at the corners, the horizontal one at
// the left and right edges, the vertical one at the top and bottom, neither
// in the centre.
void CTextPositionDlg::chooseAnchor(int anchor) {
  if (anchor < 1 || anchor > 9) return;
  anchor_ = anchor;
  anchors_->button(anchor)->setChecked(true);
  const bool middleColumn = (anchor - 1) % 3 == 1;
  const bool middleRow = (anchor - 1) / 3 == 1;
  horizontal_->setEnabled(!middleColumn);
  vertical_->setEnabled(!middleRow);
}

int CTextPositionDlg::paddingX() const { return horizontal_->value(); }
int CTextPositionDlg::paddingY() const { return vertical_->value(); }
