// The Find bar below the page: the phrase to look for in the document's
// hidden text, Previous and Next, and what was found.
#pragma once

#include <QToolBar>

class QLabel;
class QLineEdit;

class CFindBar : public QToolBar {
  Q_OBJECT

 public:
  explicit CFindBar(QWidget* parent = nullptr);

  QString phrase() const;
  // Shows the bar with the phrase field focused and selected.
  void open();
  void setStatus(const QString& text);
  QString status() const;
  QLineEdit* field() const { return field_; }

 signals:
  void findNext(const QString& phrase);
  void findPrevious(const QString& phrase);
  // The phrase was edited (the marks on the page follow it).
  void phraseChanged(const QString& phrase);
  void closed();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QLineEdit* field_;
  QLabel* status_;
};
