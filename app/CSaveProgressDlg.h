// The progress dialog of a save (and of a long open): a message, the status
// text the engine reports, a progress bar and a Stop button.
#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

class CSaveProgressDlg : public QDialog {
  Q_OBJECT

 public:
  CSaveProgressDlg(const QString& title, const QString& message, QWidget* parent = nullptr);

  // A status text and a position 0..100; a negative position shows a busy bar.
  void setProgress(const QString& status, int percent);

  // The button's text ("&Stop" unless changed; "&Cancel" for a scan).
  void setStopText(const QString& text);

  QString status() const;
  int position() const;

  // Stop, Escape and the close box ask to stop.
  void reject() override;

 signals:
  void stopRequested();

 private:
  QLabel* message_;
  QLabel* status_;
  QProgressBar* bar_;
  QPushButton* stop_;
};
