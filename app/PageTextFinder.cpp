#include "PageTextFinder.h"

#include <algorithm>

namespace leaf {

namespace {

QString Simplified(const QString& phrase) { return phrase.simplified(); }

// Where each word begins in the page's words joined by single spaces.
struct JoinedWords {
  QString text;
  std::vector<int> starts;
};

JoinedWords Join(const DjvuPageWords& page) {
  JoinedWords joined;
  for (const djvu_text_word& word : page.words) {
    if (!joined.text.isEmpty()) joined.text += QLatin1Char(' ');
    joined.starts.push_back(static_cast<int>(joined.text.size()));
    joined.text += QString::fromStdString(word.text).simplified();
  }
  return joined;
}

// The word holding character position (the word before a space).
int WordAt(const JoinedWords& joined, int position) {
  const auto after = std::upper_bound(joined.starts.begin(), joined.starts.end(), position);
  return static_cast<int>(after - joined.starts.begin()) - 1;
}

// A box of the unturned page (from the bottom left) turned as shown.
QRect Turned(const djvu_text_word& word, int pageWidth, int pageHeight, int rotation) {
  const int l = word.left, r = word.right;
  const int t = pageHeight - word.top, b = pageHeight - word.bottom;
  switch (((rotation % 4) + 4) % 4) {
    case 1: return QRect(QPoint(t, pageWidth - r), QPoint(b - 1, pageWidth - l - 1));
    case 2:
      return QRect(QPoint(pageWidth - r, pageHeight - b),
                   QPoint(pageWidth - l - 1, pageHeight - t - 1));
    case 3: return QRect(QPoint(pageHeight - b, l), QPoint(pageHeight - t - 1, r - 1));
    default: return QRect(QPoint(l, t), QPoint(r - 1, b - 1));
  }
}

}  // namespace

PageTextFinder::PageTextFinder(std::vector<DjvuPageWords> pages) : pages_(std::move(pages)) {}

bool PageTextFinder::hasText() const {
  return std::any_of(pages_.begin(), pages_.end(),
                     [](const DjvuPageWords& page) { return !page.words.empty(); });
}

std::vector<TextMatch> PageTextFinder::matchesOn(int page, const QString& phrase) const {
  std::vector<TextMatch> matches;
  const QString wanted = Simplified(phrase);
  if (wanted.isEmpty() || page < 0 || page >= pageCount()) return matches;
  const JoinedWords joined = Join(pages_[static_cast<size_t>(page)]);
  for (qsizetype at = joined.text.indexOf(wanted, 0, Qt::CaseInsensitive); at >= 0;
       at = joined.text.indexOf(wanted, at + 1, Qt::CaseInsensitive)) {
    const int first = WordAt(joined, static_cast<int>(at));
    const int last = WordAt(joined, static_cast<int>(at + wanted.size() - 1));
    if (!matches.empty() && matches.back().firstWord == first) continue;
    matches.push_back({page, first, last - first + 1});
  }
  return matches;
}

TextMatch PageTextFinder::find(const QString& phrase, const TextMatch& from, bool forward) const {
  const int count = pageCount();
  if (count == 0) return {};
  const int start = std::clamp(from.page, 0, count - 1);
  // Every page once, and the starting page again for what lies before the
  // starting point.
  for (int step = 0; step <= count; ++step) {
    const int page = ((forward ? start + step : start - step) % count + count) % count;
    const std::vector<TextMatch> matches = matchesOn(page, phrase);
    const bool onStart = step == 0;
    if (forward) {
      for (const TextMatch& match : matches) {
        if (!onStart || match.firstWord > from.firstWord) return match;
      }
    } else {
      for (auto it = matches.rbegin(); it != matches.rend(); ++it) {
        if (!onStart || from.firstWord < 0 || it->firstWord < from.firstWord) return *it;
      }
    }
  }
  return {};
}

int PageTextFinder::wordCount(int page) const {
  if (page < 0 || page >= pageCount()) return 0;
  return static_cast<int>(pages_[static_cast<size_t>(page)].words.size());
}

QRect PageTextFinder::wordRect(int page, int word, QSize shownSize) const {
  if (page < 0 || page >= pageCount()) return {};
  const DjvuPageWords& words = pages_[static_cast<size_t>(page)];
  const int rotation = words.rotation;
  if (word < 0 || word >= static_cast<int>(words.words.size())) return {};
  const QRect box =
      Turned(words.words[static_cast<size_t>(word)], words.width, words.height, rotation);
  // The page may be shown at another size than its own (an IW44 page's
  // reduced rendering is not; a DjVu page always is at its own).
  const bool sideways = rotation % 2 != 0;
  const int width = sideways ? words.height : words.width;
  const int height = sideways ? words.width : words.height;
  if (width <= 0 || height <= 0 || shownSize == QSize(width, height)) return box;
  const double sx = static_cast<double>(shownSize.width()) / width;
  const double sy = static_cast<double>(shownSize.height()) / height;
  return QRect(QPoint(static_cast<int>(box.left() * sx), static_cast<int>(box.top() * sy)),
               QPoint(static_cast<int>((box.right() + 1) * sx) - 1,
                      static_cast<int>((box.bottom() + 1) * sy) - 1));
}

QString PageTextFinder::wordsIn(int page, const QRect& rectangle, QSize shownSize) const {
  QString text;
  if (page < 0 || page >= pageCount()) return text;
  const DjvuPageWords& words = pages_[static_cast<size_t>(page)];
  QRect previous;
  for (int i = 0; i < static_cast<int>(words.words.size()); ++i) {
    const QRect box = wordRect(page, i, shownSize);
    if (!rectangle.isEmpty() && !rectangle.contains(box.center())) continue;
    if (!text.isEmpty()) {
      // A word that does not continue the previous one's line starts a line.
      const bool sameLine = box.top() < previous.bottom() && box.bottom() > previous.top() &&
                            box.left() >= previous.left();
      text += sameLine ? QLatin1Char(' ') : QLatin1Char('\n');
    }
    text += QString::fromStdString(words.words[static_cast<size_t>(i)].text);
    previous = box;
  }
  return text;
}

}  // namespace leaf
