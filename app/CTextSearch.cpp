#include "CTextSearch.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QRegularExpression>
#include <algorithm>

#include "CLeafDoc.h"
#include "CLeafView.h"
#include "formats/FileType.h"
#include "image/Messages.h"

using leaf::TextMatch;

CTextSearch::CTextSearch(CLeafDoc& doc, CLeafView& view, QObject* parent)
    : QObject(parent), doc_(doc), view_(view) {
  connect(&doc_, &CLeafDoc::contentsChanged, this, [this] {
    if (doc_.sourcePath() != loadedPath_) forget();
    updateMarks();
  });
  connect(&doc_, &CLeafDoc::pixelsChanged, this, &CTextSearch::updateMarks);
  connect(&doc_, &CLeafDoc::pageEdited, this, &CTextSearch::updateMarks);
}

bool CTextSearch::available() const {
  return doc_.hasImage() && doc_.documentType() == leaf::kFileDjvu && !doc_.sourcePath().isEmpty();
}

void CTextSearch::forget() {
  finder_.reset();
  loadedPath_.clear();
  current_ = {};
}

bool CTextSearch::load() {
  if (!available()) return false;
  if (finder_ && loadedPath_ == doc_.sourcePath()) return true;
  forget();
  std::vector<leaf::DjvuPageWords> pages;
  leaf::ClearMessage();
  if (!leaf::ReadDjvuTexts(doc_.sourcePath().toStdString(), pages)) return false;
  finder_.emplace(std::move(pages));
  loadedPath_ = doc_.sourcePath();
  return true;
}

bool CTextSearch::pageShownAsRead() const {
  return available() && doc_.image().raster.symmetryState == 0 && finder_ &&
         doc_.pageIndex() < finder_->pageCount();
}

QString CTextSearch::find(const QString& phrase, bool forward) {
  setPhrase(phrase);
  if (phrase.simplified().isEmpty()) return {};
  if (!available()) return tr("Only DjVu pages carry text to find");
  if (!load())
    return tr("The text cannot be read: %1").arg(QString::fromLocal8Bit(leaf::LastMessage()));
  if (!finder_->hasText()) return tr("This document has no hidden text");
  TextMatch from = current_;
  if (from.page != doc_.pageIndex()) from = {doc_.pageIndex(), -1, 0};
  const TextMatch found = finder_->find(phrase, from, forward);
  if (!found.found()) {
    current_ = {};
    updateMarks();
    return tr("Not found");
  }
  current_ = found;
  if (found.page != doc_.pageIndex()) view_.goToPage(found.page);
  updateMarks();
  if (doc_.pageIndex() != found.page) return tr("Found on page %1").arg(found.page + 1);
  const std::vector<TextMatch> onPage = finder_->matchesOn(found.page, phrase);
  const auto at = std::find(onPage.begin(), onPage.end(), found);
  return tr("%1 of %2 on page %3")
      .arg(at - onPage.begin() + 1)
      .arg(onPage.size())
      .arg(found.page + 1);
}

void CTextSearch::setPhrase(const QString& phrase) {
  if (phrase == phrase_) return;
  phrase_ = phrase;
  current_ = {};
  if (!phrase.simplified().isEmpty()) load();
  updateMarks();
}

void CTextSearch::updateMarks() {
  std::vector<QRect> marks, current;
  if (!phrase_.simplified().isEmpty() && pageShownAsRead()) {
    const int page = doc_.pageIndex();
    const QSize shown = doc_.fullSize();
    for (const TextMatch& match : finder_->matchesOn(page, phrase_)) {
      const bool isCurrent = match == current_;
      for (int w = match.firstWord; w < match.firstWord + match.wordCount; ++w) {
        (isCurrent ? current : marks).push_back(finder_->wordRect(page, w, shown));
      }
    }
  }
  view_.setTextMarks(std::move(marks), std::move(current));
}

QString CTextSearch::selectedText() {
  if (!load() || !pageShownAsRead()) return {};
  return finder_->wordsIn(doc_.pageIndex(), view_.hasSelection() ? view_.selection() : QRect(),
                          doc_.fullSize());
}

QString CTextSearch::copyText() {
  if (!available()) return tr("Only DjVu pages carry text to copy");
  const QString text = selectedText();
  if (text.isEmpty()) {
    return view_.hasSelection() ? tr("No words in the selection")
                                : tr("This page has no hidden text");
  }
  QGuiApplication::clipboard()->setText(text);
  const qsizetype words = text.split(QRegularExpression("\\s+"), Qt::SkipEmptyParts).size();
  return words == 1 ? tr("Copied 1 word") : tr("Copied %1 words").arg(words);
}
