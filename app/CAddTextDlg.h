// The Add Text dialog: the text of a label (with placeholders), its
// alignment, orientation and position, its colours and its font. The Add
// Text command runs it before stamping a label on the page; Options > Text
// Settings runs it to edit the label that batch conversion and the sweeper
// stamp.
#pragma once

#include <QDialog>
#include <functional>

#include "app/AppSettings.h"
#include "image/DibRaster.h"

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QLabel;
class QPlainTextEdit;

class CAddTextDlg : public QDialog {
  Q_OBJECT

 public:
  // placing: the Add Text command (an inside label is then placed with the
  // mouse); otherwise an inside label asks where it goes. page: the page the
  // label goes on, whose palette the colours are matched to (null: none).
  CAddTextDlg(const leaf::TextSettings& text, bool placing, const leaf::DibRaster* page,
              QWidget* parent = nullptr);

  const leaf::TextSettings& settings() const { return text_; }

  // "Name: Arial", "Size: 12", "Style: Bold Italic", "Underline: No",
  // "Strikeout: No", one a line; the size in points for a display of dpi
  // dots per inch.
  static QString describeFont(const leaf::TextSettings& text, double dpi);

  // The colours chosen: on a page of 8 bits or fewer, the nearest colour of
  // its palette is taken.
  void setTextColor(const QColor& color);
  void setBackgroundColor(const QColor& color);
  // The font chosen in the font dialog.
  void setChosenFont(const QFont& font);
  // Position and orientation as the position radios set them.
  void choosePosition(int position);

  // Asks where an inside label goes (the Text position details dialog);
  // false keeps this dialog open. Tests answer in its place.
  using PositionStep = std::function<bool(leaf::TextSettings&)>;
  void setPositionStep(PositionStep step) { positionStep_ = std::move(step); }

  QPlainTextEdit* textBox() const { return textBox_; }
  QLabel* fontBox() const { return fontBox_; }

  void accept() override;

 private:
  QWidget* makeTextPart();
  QWidget* makeLayoutPart();
  QWidget* makeColorPart();
  QWidget* makeFontPart();
  void chooseTextColor();
  void chooseBackgroundColor();
  void chooseFont();
  void showColors();
  void showFont();
  void showChoices();
  uint32_t matchedColor(const QColor& color) const;
  double displayDpi() const;

  leaf::TextSettings text_;
  bool placing_;
  const leaf::DibRaster* page_;
  PositionStep positionStep_;

  QPlainTextEdit* textBox_ = nullptr;
  QButtonGroup* alignment_ = nullptr;
  QButtonGroup* orientation_ = nullptr;
  QButtonGroup* position_ = nullptr;
  QLabel* textSwatch_ = nullptr;
  QLabel* backgroundSwatch_ = nullptr;
  QCheckBox* transparent_ = nullptr;
  QLabel* fontBox_ = nullptr;
  QCheckBox* editUsesFont_ = nullptr;
};
