// The "Program Hint" dialog shown at start-up and by Help > Startup
// Information.
#pragma once

#include <QDialog>

class QCheckBox;

class CProgramHintDlg : public QDialog {
  Q_OBJECT

 public:
  CProgramHintDlg(bool doNotShowAgain, QWidget* parent = nullptr);

  bool doNotShowAgain() const;

 private:
  QCheckBox* doNotShow_;
};
