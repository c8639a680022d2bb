#include "CFindBar.h"

#include <QAction>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

CFindBar::CFindBar(QWidget* parent) : QToolBar(tr("Find"), parent) {
  setObjectName("findBar");
  setMovable(false);
  addWidget(new QLabel(tr("Find:"), this));
  field_ = new QLineEdit(this);
  field_->setObjectName("findField");
  field_->setPlaceholderText(tr("Text on the pages"));
  field_->setClearButtonEnabled(true);
  field_->setMinimumWidth(220);
  field_->setMaximumWidth(420);
  addWidget(field_);
  QAction* previous = addAction(tr("Previous"));
  previous->setToolTip(tr("Find the previous occurrence (Shift+F3)"));
  QAction* next = addAction(tr("Next"));
  next->setToolTip(tr("Find the next occurrence (F3, Enter)"));
  status_ = new QLabel(this);
  status_->setObjectName("findStatus");
  status_->setContentsMargins(8, 0, 8, 0);
  addWidget(status_);
  QAction* close = addAction(tr("Close"));
  close->setToolTip(tr("Close the Find bar (Esc)"));
  connect(previous, &QAction::triggered, this, [this] { emit findPrevious(phrase()); });
  connect(next, &QAction::triggered, this, [this] { emit findNext(phrase()); });
  connect(close, &QAction::triggered, this, [this] {
    hide();
    emit closed();
  });
  // Enter finds the next occurrence, Shift+Enter the previous one.
  connect(field_, &QLineEdit::returnPressed, this, [this] {
    if (QGuiApplication::keyboardModifiers() & Qt::ShiftModifier) {
      emit findPrevious(phrase());
    } else {
      emit findNext(phrase());
    }
  });
  connect(field_, &QLineEdit::textChanged, this, [this](const QString& text) {
    status_->clear();
    emit phraseChanged(text);
  });
}

QString CFindBar::phrase() const { return field_->text(); }

void CFindBar::open() {
  show();
  field_->setFocus(Qt::ShortcutFocusReason);
  field_->selectAll();
}

void CFindBar::setStatus(const QString& text) { status_->setText(text); }

QString CFindBar::status() const { return status_->text(); }

void CFindBar::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    hide();
    emit closed();
    return;
  }
  QToolBar::keyPressEvent(event);
}
