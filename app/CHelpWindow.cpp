#include "CHelpWindow.h"

#include <QtCore/QEvent>
#include <QtCore/QFile>
#include <QtCore/QMap>
#include <QtGui/QAction>
#include <QtGui/QKeySequence>
#include <QtWidgets/QApplication>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QListWidget>
#include <QtWidgets/QMessageBox>
#include <QtWidgets/QSplitter>
#include <QtWidgets/QStyle>
#include <QtWidgets/QTabWidget>
#include <QtWidgets/QTextBrowser>
#include <QtWidgets/QToolBar>
#include <QtWidgets/QTreeWidget>
#include <QtWidgets/QVBoxLayout>

#include "app/HelpContents.h"

namespace {

constexpr char kWindowTitle[] = "Leafsmith Help";
constexpr int kPageRole = Qt::UserRole;

}  // namespace

QPointer<CHelpWindow> CHelpWindow::instance_;

void CHelpWindow::showTopic(const QString& topic, QWidget* parent) {
  QWidget* owner = parent ? parent->window() : nullptr;
  if (QWidget* modal = QApplication::activeModalWidget()) owner = modal;
  if (!leaf::help::IsTopic(topic)) {
    QMessageBox::critical(owner, "Leafsmith", leaf::help::MissingTopicMessage(topic));
    return;
  }
  if (!instance_) {
    instance_ = new CHelpWindow(owner);
  } else {
    instance_->followOwner(owner);
  }
  instance_->open(topic);
  instance_->show();
  instance_->raise();
  instance_->activateWindow();
}

CHelpWindow* CHelpWindow::instance() { return instance_.data(); }

CHelpWindow::CHelpWindow(QWidget* owner) : QMainWindow(owner, Qt::Window) {
  setAttribute(Qt::WA_DeleteOnClose);
  // An open help window does not keep the program running after the main
  // window has closed.
  setAttribute(Qt::WA_QuitOnClose, false);
  setWindowTitle(kWindowTitle);
  setObjectName("helpWindow");

  browser_ = new QTextBrowser;
  browser_->setObjectName("helpPage");
  browser_->setOpenExternalLinks(true);
  browser_->document()->setDocumentMargin(12);
  // The pages link help.css for other browsers; this one takes it as the
  // document's style sheet.
  QFile css(":/help/help.css");
  if (css.open(QIODevice::ReadOnly)) {
    browser_->document()->setDefaultStyleSheet(QString::fromUtf8(css.readAll()));
  }
  connect(browser_, &QTextBrowser::sourceChanged, this, &CHelpWindow::pageShown);

  panes_ = new QTabWidget;
  panes_->addTab(buildContentsPane(), "&Contents");
  panes_->addTab(buildIndexPane(), "&Index");

  auto* splitter = new QSplitter;
  splitter->addWidget(panes_);
  splitter->addWidget(browser_);
  splitter->setStretchFactor(1, 1);
  splitter->setSizes({280, 640});
  setCentralWidget(splitter);
  buildActions();
  resize(920, 680);
  followOwner(owner);
}

void CHelpWindow::buildActions() {
  QToolBar* bar = addToolBar("Navigation");
  bar->setObjectName("helpNavigation");
  bar->setMovable(false);
  bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);

  QAction* back = bar->addAction(style()->standardIcon(QStyle::SP_ArrowBack), "&Back");
  back->setShortcut(QKeySequence::Back);
  back->setEnabled(false);
  connect(back, &QAction::triggered, browser_, &QTextBrowser::backward);
  connect(browser_, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);

  QAction* forward = bar->addAction(style()->standardIcon(QStyle::SP_ArrowForward), "&Forward");
  forward->setShortcut(QKeySequence::Forward);
  forward->setEnabled(false);
  connect(forward, &QAction::triggered, browser_, &QTextBrowser::forward);
  connect(browser_, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);

  QAction* home = bar->addAction(style()->standardIcon(QStyle::SP_DirHomeIcon), "C&ontents");
  home->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Home));
  connect(home, &QAction::triggered, this, [this] { open(leaf::help::kContentsTopic); });

  auto* close = new QAction("Close", this);
  close->setShortcuts({QKeySequence::Close, QKeySequence(Qt::Key_Escape)});
  connect(close, &QAction::triggered, this, &QWidget::close);
  addAction(close);
}

QWidget* CHelpWindow::buildContentsPane() {
  contents_ = new QTreeWidget;
  contents_->setObjectName("helpContents");
  contents_->setHeaderHidden(true);
  contents_->setRootIsDecorated(true);
  std::vector<QTreeWidgetItem*> parents;  // the last item at each depth
  for (const leaf::help::ContentsEntry& entry : leaf::help::TableOfContents()) {
    parents.resize(static_cast<size_t>(entry.depth));
    auto* item =
        parents.empty() ? new QTreeWidgetItem(contents_) : new QTreeWidgetItem(parents.back());
    item->setText(0, leaf::help::PageTitle(entry.page));
    item->setData(0, kPageRole, entry.page);
    parents.push_back(item);
  }
  contents_->expandAll();
  connect(contents_, &QTreeWidget::itemClicked, this, &CHelpWindow::openItemPage);
  connect(contents_, &QTreeWidget::itemActivated, this, &CHelpWindow::openItemPage);
  return contents_;
}

QWidget* CHelpWindow::buildIndexPane() {
  // keyword -> pages that list it
  QMap<QString, QStringList> pagesOf;
  QMap<QString, QString> spelling;  // lower case -> as first written
  for (const leaf::help::ContentsEntry& entry : leaf::help::TableOfContents()) {
    for (const QString& word : leaf::help::PageKeywords(entry.page)) {
      const QString key = word.toLower();
      if (!spelling.contains(key)) spelling[key] = word;
      if (!pagesOf[key].contains(entry.page)) pagesOf[key] << entry.page;
    }
  }
  index_ = new QListWidget;
  index_->setObjectName("helpIndex");
  for (auto it = pagesOf.cbegin(); it != pagesOf.cend(); ++it) {
    for (const QString& page : it.value()) {
      QString text = spelling[it.key()];
      if (it.value().size() > 1) text += QString(" (%1)").arg(leaf::help::PageTitle(page));
      auto* item = new QListWidgetItem(text, index_);
      item->setData(kPageRole, page);
      item->setToolTip(leaf::help::PageTitle(page));
    }
  }
  connect(index_, &QListWidget::itemActivated, this,
          [this](QListWidgetItem* item) { open(item->data(kPageRole).toString()); });
  connect(index_, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { open(item->data(kPageRole).toString()); });

  filter_ = new QLineEdit;
  filter_->setObjectName("helpIndexFilter");
  filter_->setPlaceholderText("Type a word to find");
  filter_->setClearButtonEnabled(true);
  connect(filter_, &QLineEdit::textChanged, this, &CHelpWindow::filterIndex);
  connect(filter_, &QLineEdit::returnPressed, this, &CHelpWindow::openFirstIndexMatch);

  auto* pane = new QWidget;
  auto* layout = new QVBoxLayout(pane);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(filter_);
  layout->addWidget(index_);
  return pane;
}

void CHelpWindow::open(const QString& topic) {
  const QUrl url = leaf::help::TopicUrl(topic);
  if (browser_->source() == url) return;
  browser_->setSource(url);
}

QString CHelpWindow::currentTopic() const {
  const QUrl url = browser_->source();
  const QString page = leaf::help::PageOf(url);
  return url.hasFragment() && !page.isEmpty() ? page + "#" + url.fragment() : page;
}

void CHelpWindow::pageShown(const QUrl& url) {
  const QString page = leaf::help::PageOf(url);
  const QString title = leaf::help::PageTitle(page);
  setWindowTitle(title.isEmpty() ? QString(kWindowTitle)
                                 : QString("%1 - %2").arg(kWindowTitle, title));
  QTreeWidgetItemIterator it(contents_);
  for (; *it; ++it) {
    if ((*it)->data(0, kPageRole).toString() == page) break;
  }
  const QSignalBlocker blocker(contents_);
  contents_->setCurrentItem(*it);
  if (*it) contents_->scrollToItem(*it);
}

void CHelpWindow::openItemPage(QTreeWidgetItem* item) {
  if (item) open(item->data(0, kPageRole).toString());
}

void CHelpWindow::filterIndex(const QString& text) {
  QListWidgetItem* first = nullptr;
  for (int row = 0; row < index_->count(); ++row) {
    QListWidgetItem* item = index_->item(row);
    const bool match = item->text().contains(text.trimmed(), Qt::CaseInsensitive);
    item->setHidden(!match);
    if (match && !first) first = item;
  }
  if (first) index_->setCurrentItem(first);
}

void CHelpWindow::openFirstIndexMatch() {
  QListWidgetItem* item = index_->currentItem();
  if (item && !item->isHidden()) open(item->data(kPageRole).toString());
}

// The window belongs to the modal dialog while one is open, since a modal
// dialog blocks every other window; when the dialog goes, the window goes
// back to the dialog's own window and stays open.
void CHelpWindow::followOwner(QWidget* owner) {
  QWidget* modal = QApplication::activeModalWidget();
  if (modal && modal != this && owner == modal) {
    if (modalOwner_ != modal) {
      if (modalOwner_) modalOwner_->removeEventFilter(this);
      modalOwner_ = modal;
      modal->installEventFilter(this);
    }
    if (parentWidget() != modal) moveTo(modal);
  } else if (!parentWidget() && owner) {
    moveTo(owner);
  }
}

void CHelpWindow::moveTo(QWidget* owner) {
  const QRect frame = geometry();
  const bool visible = isVisible();
  setParent(owner, windowFlags() | Qt::Window);
  setGeometry(frame);
  if (visible) show();
}

bool CHelpWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == modalOwner_ && event->type() == QEvent::Hide) {
    QWidget* dialog = modalOwner_;
    dialog->removeEventFilter(this);
    modalOwner_ = nullptr;
    if (parentWidget() == dialog) {
      QWidget* next = dialog->parentWidget() ? dialog->parentWidget()->window() : nullptr;
      moveTo(next);
    }
  }
  return QMainWindow::eventFilter(watched, event);
}
