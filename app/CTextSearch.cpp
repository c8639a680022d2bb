#include "CTextSearch.h"

#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QRegularExpression>
#include <algorithm>

#include "BackgroundTask.h"
#include "CLeafDoc.h"
#include "CLeafView.h"
#include "CSaveProgressDlg.h"
#include "formats/FileType.h"
#include "image/Messages.h"
#include "image/Transforms.h"

using leaf::TextMatch;

namespace {

// A document whose text is read within this time shows no progress dialog.
constexpr int kShowReadingAfterMs = 400;

// A rectangle of a picture of the given size in state 0, where the picture
// shows it in symmetry state `state`.
QRect MapRect(int state, QSize size, const QRect& rect) {
  int x0 = rect.left(), y0 = rect.top(), x1 = rect.right(), y1 = rect.bottom();
  leaf::MapPixelThroughSymmetry(state, size.width(), size.height(), x0, y0);
  leaf::MapPixelThroughSymmetry(state, size.width(), size.height(), x1, y1);
  return QRect(QPoint(std::min(x0, x1), std::min(y0, y1)),
               QPoint(std::max(x0, x1), std::max(y0, y1)));
}

}  // namespace

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
  // A long document's text is read on a worker thread; the dialog shows
  // when it takes a while, and Stop gives up the search.
  struct Read {
    bool ok = false;
    std::string error;
    std::vector<leaf::DjvuPageWords> pages;
  };
  auto read = std::make_shared<Read>();
  CSaveProgressDlg dialog(
      tr("Reading the text"),
      tr("Reading the text of %1...").arg(QFileInfo(doc_.sourcePath()).fileName()), &view_);
  const std::string path = doc_.sourcePath().toStdString();
  const leaf::TaskOutcome outcome =
      leaf::RunBackgroundTask(dialog, kShowReadingAfterMs, [path, read](const leaf::TaskReporter&) {
        leaf::ClearMessage();
        read->ok = leaf::ReadDjvuTexts(path, read->pages);
        if (!read->ok) read->error = leaf::LastMessage();
      });
  if (outcome == leaf::TaskOutcome::Stopped) {
    leaf::SetMessage("%s", "reading was stopped");
    return false;
  }
  if (!read->ok) {
    leaf::SetMessage("%s", read->error.c_str());
    return false;
  }
  finder_.emplace(std::move(read->pages));
  loadedPath_ = doc_.sourcePath();
  return true;
}

bool CTextSearch::pageCarriesText() const {
  const int state = doc_.image().raster.symmetryState;
  return available() && state >= 0 && state <= 7 && finder_ &&
         doc_.pageIndex() < finder_->pageCount();
}

QSize CTextSearch::sizeAsRead() const {
  const QSize shown = doc_.fullSize();
  return leaf::SymmetrySwapsSides(doc_.image().raster.symmetryState) ? shown.transposed() : shown;
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
  if (!phrase_.simplified().isEmpty() && pageCarriesText()) {
    const int page = doc_.pageIndex();
    const int state = doc_.image().raster.symmetryState;
    const QSize asRead = sizeAsRead();
    for (const TextMatch& match : finder_->matchesOn(page, phrase_)) {
      const bool isCurrent = match == current_;
      for (int w = match.firstWord; w < match.firstWord + match.wordCount; ++w) {
        (isCurrent ? current : marks)
            .push_back(MapRect(state, asRead, finder_->wordRect(page, w, asRead)));
      }
    }
  }
  view_.setTextMarks(std::move(marks), std::move(current));
}

QString CTextSearch::selectedText() {
  if (!load() || !pageCarriesText()) return {};
  // The selection on the page as it was read, where the words' lines run.
  QRect selection;
  if (view_.hasSelection()) {
    const int back = leaf::InverseSymmetry(doc_.image().raster.symmetryState);
    selection = MapRect(back, doc_.fullSize(), view_.selection());
  }
  return finder_->wordsIn(doc_.pageIndex(), selection, sizeAsRead());
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
