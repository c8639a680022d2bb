// The "Text position details" dialog: where inside the page a label goes
// (one of nine anchors) and its distance from the edges.
#pragma once

#include <QDialog>

class QButtonGroup;
class QSpinBox;

class CTextPositionDlg : public QDialog {
  Q_OBJECT

 public:
  CTextPositionDlg(int anchor, int paddingX, int paddingY, QWidget* parent = nullptr);

  int anchor() const { return anchor_; }
  int paddingX() const;
  int paddingY() const;

  void chooseAnchor(int anchor);
  QSpinBox* horizontalBox() const { return horizontal_; }
  QSpinBox* verticalBox() const { return vertical_; }

 private:
  int anchor_;
  QButtonGroup* anchors_;
  QSpinBox* horizontal_;
  QSpinBox* vertical_;
};
