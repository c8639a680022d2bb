// The help window: the help pages built into the program, with a contents
// and an index pane beside the page, and back and forward through the pages
// seen. One window serves every request; asking for a topic while it is open
// turns it to that page.
#pragma once

#include <QtCore/QPointer>
#include <QtWidgets/QMainWindow>

class QLineEdit;
class QListWidget;
class QTabWidget;
class QTextBrowser;
class QTreeWidget;
class QTreeWidgetItem;

class CHelpWindow : public QMainWindow {
  Q_OBJECT

 public:
  // Shows the help page named by topic ("DjvuOptions.html", optionally with
  // "#anchor") in the help window, opening the window when needed. A topic
  // that names no page is reported in a message box instead. The window
  // belongs to parent's window, or to the dialog that is modal at the time,
  // so that it takes input while that dialog is open.
  static void showTopic(const QString& topic, QWidget* parent = nullptr);

  // The help window when one is open.
  static CHelpWindow* instance();

  // The page shown, with its anchor when it was opened at one.
  QString currentTopic() const;

  QTextBrowser* browser() const { return browser_; }
  QTreeWidget* contentsTree() const { return contents_; }
  QListWidget* indexList() const { return index_; }
  QLineEdit* indexFilter() const { return filter_; }
  QTabWidget* panes() const { return panes_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  explicit CHelpWindow(QWidget* owner);

  void buildActions();
  QWidget* buildContentsPane();
  QWidget* buildIndexPane();
  void open(const QString& topic);
  void followOwner(QWidget* owner);
  void moveTo(QWidget* owner);
  void pageShown(const QUrl& url);
  void filterIndex(const QString& text);
  void openFirstIndexMatch();
  void openItemPage(QTreeWidgetItem* item);

  QTextBrowser* browser_ = nullptr;
  QTabWidget* panes_ = nullptr;
  QTreeWidget* contents_ = nullptr;
  QListWidget* index_ = nullptr;
  QLineEdit* filter_ = nullptr;
  QPointer<QWidget> modalOwner_;  // the dialog the window follows while it is open

  static QPointer<CHelpWindow> instance_;
};
