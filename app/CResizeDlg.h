// The Resize dialog: new width and height in pixels or percent, whether the
// aspect ratio is kept, and the scaling method.
#pragma once

#include <QDialog>

#include "ResizeFields.h"

class QCheckBox;
class QRadioButton;
class QSpinBox;

class CResizeDlg : public QDialog {
  Q_OBJECT

 public:
  CResizeDlg(int width, int height, QWidget* parent = nullptr);

  int newWidth() const { return fields_.width; }
  int newHeight() const { return fields_.height; }
  // 0 single sample, 1 favour grid centre, 2 grid average.
  int method() const { return method_; }

  QSpinBox* widthBox() const { return width_; }
  QSpinBox* heightBox() const { return height_; }
  QSpinBox* widthPercentBox() const { return widthPercent_; }
  QSpinBox* heightPercentBox() const { return heightPercent_; }
  QCheckBox* aspectBox() const { return aspect_; }

 private:
  // Runs one of the fields' rules for a typed value and shows the result.
  void typed(void (leaf::ResizeFields::*rule)(int), int value);
  void showFields();

  leaf::ResizeFields fields_;
  int method_ = 1;
  bool showing_ = false;
  QSpinBox* width_;
  QSpinBox* height_;
  QSpinBox* widthPercent_;
  QSpinBox* heightPercent_;
  QCheckBox* aspect_;
};
