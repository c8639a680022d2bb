// The main window's text commands: Find (Ctrl+F), Find Next (F3), Find
// Previous (Shift+F3) and Copy Text (Ctrl+Shift+C) over the hidden text of
// DjVu pages.
#include <QAction>
#include <QMenu>
#include <QStatusBar>

#include "CFindBar.h"
#include "CLeafDoc.h"
#include "CLeafView.h"
#include "CMainFrame.h"
#include "CTextSearch.h"

void CMainFrame::addTextCommands(QMenu* menu) {
  textSearch_ = new CTextSearch(*doc_, *view_, this);
  findBar_ = new CFindBar(this);
  addToolBar(Qt::BottomToolBarArea, findBar_);
  findBar_->hide();
  connect(findBar_, &CFindBar::findNext, this, [this] { findAgainCommand(true); });
  connect(findBar_, &CFindBar::findPrevious, this, [this] { findAgainCommand(false); });
  connect(findBar_, &CFindBar::phraseChanged, textSearch_, &CTextSearch::setPhrase);
  connect(findBar_, &CFindBar::closed, this, [this] {
    textSearch_->setPhrase({});
    view_->setFocus();
  });

  menu->addSeparator();
  addDocCommand(menu, tr("&Find..."), tr("Find text on the pages of a DjVu document"),
                [this] { findCommand(); }, {QKeySequence::Find});
  addDocCommand(menu, tr("Find &Next"), tr("Find the next occurrence of the text"),
                [this] { findAgainCommand(true); }, {QKeySequence(Qt::Key_F3)});
  addDocCommand(menu, tr("Find Pre&vious"), tr("Find the previous occurrence of the text"),
                [this] { findAgainCommand(false); }, {QKeySequence(Qt::SHIFT | Qt::Key_F3)});
  addDocCommand(menu, tr("Copy Te&xt"),
                tr("Copy the words of the selection (or of the page) as text"),
                [this] { copyTextCommand(); }, {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C)});
}

void CMainFrame::updateTextCommands() {
  const bool text = textSearch_->available();
  for (const char* name : {"Find", "Find Next", "Find Previous", "Copy Text"}) {
    action(QString::fromLatin1(name))->setEnabled(text);
  }
}

void CMainFrame::findCommand() {
  if (!textSearch_->available()) return;
  findBar_->open();
}

void CMainFrame::findAgainCommand(bool forward) {
  if (!textSearch_->available()) return;
  if (findBar_->phrase().simplified().isEmpty()) {
    findBar_->open();
    return;
  }
  findBar_->show();
  const QString status = textSearch_->find(findBar_->phrase(), forward);
  findBar_->setStatus(status);
  statusBar()->showMessage(status, 5000);
}

void CMainFrame::copyTextCommand() { statusBar()->showMessage(textSearch_->copyText(), 5000); }
