// What every settings dialog shares: OK, Cancel and Help (the dialog's help
// page), extra buttons such as Default and Reset, and OK that first checks
// every field and keeps the dialog open on the first one that is wrong.
#pragma once

#include <QDialog>
#include <QString>

class CUserPrompts;
class QDialogButtonBox;
class QHBoxLayout;
class QLayout;
class QPushButton;

class CSettingsDialog : public QDialog {
  Q_OBJECT

 public:
  CSettingsDialog(const QString& title, QString helpTopic, CUserPrompts& prompts,
                  QWidget* parent = nullptr);

  const QString& helpTopic() const { return helpTopic_; }
  // A button of the dialog by its text without "&" ("OK", "Help", "Default").
  QPushButton* button(const QString& name) const;

  // Stores the fields into the settings when every one of them is valid.
  void accept() override;

 protected:
  // True when every field holds a valid value; else the first wrong field
  // has been reported and has the focus.
  virtual bool validate() = 0;
  // Writes the fields into the settings.
  virtual void store() = 0;

  // The dialog's controls, above the buttons.
  void setBody(QLayout* body);
  // A button at the left of OK, Cancel and Help.
  QPushButton* addButton(const QString& text);
  CUserPrompts& prompts() { return prompts_; }

 private:
  QString helpTopic_;
  CUserPrompts& prompts_;
  QDialogButtonBox* buttons_;
  QHBoxLayout* extraButtons_;  // Default, Reset and the like, at the left
};
