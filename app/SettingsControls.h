// The composite controls the settings dialogs are built from: a slider with
// its number field, the gamma slider, a spin field, a folder field with its
// chooser, and the output-format radios. Each numeric control takes what is
// typed as it stands; check() refuses a value outside its range on OK with
// a message and puts the focus on the field, so nothing is clamped silently.
#pragma once

#include <QGroupBox>
#include <QSpinBox>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <optional>

#include "SettingsTable.h"

class CUserPrompts;
class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QLayout;
class QLineEdit;
class QPushButton;
class QSlider;

// A horizontal slider and the whole number it shows, in one range.
class CSliderField : public QWidget {
  Q_OBJECT

 public:
  CSliderField(int minimum, int maximum, int tickInterval, QWidget* parent = nullptr);
  // The range of the setting, and named after its key.
  CSliderField(const leaf::SettingDescription& setting, int tickInterval,
               QWidget* parent = nullptr);

  void setValue(int value);
  // The typed number; none when the field holds no whole number.
  std::optional<int> value() const;
  // True when the field holds a number in range.
  bool valid() const;
  // True when valid; else says what is allowed and takes the focus.
  bool check(CUserPrompts& prompts);

  QSlider* slider() const { return slider_; }
  QLineEdit* edit() const { return edit_; }
  int minimum() const { return minimum_; }
  int maximum() const { return maximum_; }

 private:
  int minimum_, maximum_;
  QSlider* slider_;
  QLineEdit* edit_;
};

// A gamma setting: the slider holds gamma x 100 (0 up to the largest gamma,
// a tick every 1.0), the field the number. Values below the smallest gamma
// move the slider to it. Named after the setting's key.
class CGammaField : public QWidget {
  Q_OBJECT

 public:
  explicit CGammaField(const leaf::SettingDescription& setting, QWidget* parent = nullptr);

  void setValue(double gamma);
  std::optional<double> value() const;
  bool valid() const;
  bool check(CUserPrompts& prompts);

  QSlider* slider() const { return slider_; }
  QLineEdit* edit() const { return edit_; }
  double minimum() const { return minimum_; }
  double maximum() const { return maximum_; }

 private:
  double minimum_, maximum_;
  QSlider* slider_;
  QLineEdit* edit_;
};

// A spin field whose arrows stay in range while typing is free, so that a
// number out of range is refused by check() rather than altered.
class CRangeSpinBox : public QSpinBox {
  Q_OBJECT

 public:
  CRangeSpinBox(int minimum, int maximum, QWidget* parent = nullptr);
  // The range of the setting, and named after its key.
  explicit CRangeSpinBox(const leaf::SettingDescription& setting, QWidget* parent = nullptr);

  std::optional<int> typedValue() const;
  bool valid() const;
  bool check(CUserPrompts& prompts);
  QLineEdit* edit() const { return lineEdit(); }
  int rangeMinimum() const { return minimum_; }
  int rangeMaximum() const { return maximum_; }

  void stepBy(int steps) override;

 protected:
  QValidator::State validate(QString& text, int& pos) const override;
  StepEnabled stepEnabled() const override;

 private:
  int minimum_, maximum_;
};

// A folder path with a button that opens the folder chooser at it.
class CFolderField : public QWidget {
  Q_OBJECT

 public:
  CFolderField(const QString& chooserTitle, const QString& buttonText, CUserPrompts& prompts,
               QWidget* parent = nullptr);

  void setPath(const QString& path);
  QString path() const;
  // True when a folder is given; else says so (naming what it is for) and
  // takes the focus.
  bool check(CUserPrompts& prompts, const QString& what);

  QLineEdit* edit() const { return edit_; }
  QPushButton* browseButton() const { return browse_; }

 private:
  QLineEdit* edit_;
  QPushButton* browse_;
};

// The output-format radios DjVu, IW44, Bmp, JPEG, PNM (choice 0..4, -1 none)
// with "O&ptions", which is enabled for the formats that have settings.
class COutputFormatGroup : public QGroupBox {
  Q_OBJECT

 public:
  explicit COutputFormatGroup(const QString& title, QWidget* parent = nullptr);

  void setChoice(int choice);
  int choice() const;
  QAbstractButton* radio(int choice) const;
  QPushButton* optionsButton() const { return options_; }

 signals:
  // "O&ptions" was pressed with this format chosen (a FileTypeCode).
  void optionsRequested(int fileType);

 private:
  void updateOptions();

  QButtonGroup* radios_;
  QPushButton* options_;
};

// Radio buttons with the ids 0, 1, ... in the order of their texts, added
// to a layout; or in a group box of their own, named after the setting they
// show, one radio for each value of its range.
void AddRadios(QButtonGroup& group, const QStringList& texts, QWidget* parent, QLayout* layout);
QGroupBox* RadioGroupBox(const QString& title, const leaf::SettingDescription& setting,
                         QButtonGroup& group, const QStringList& texts, QWidget* parent);
// A check box named after the setting it shows.
QCheckBox* KeyedCheckBox(const QString& text, const leaf::SettingDescription& setting,
                         QWidget* parent);
// Names a control after the setting it shows, so that it can be found by its key.
void NameAfterSetting(QWidget* control, const leaf::SettingDescription& setting);

// A radio group's checked id, or -1; and checking one id (-1: none).
int CheckedId(const QButtonGroup& group);
void CheckId(QButtonGroup& group, int id);
