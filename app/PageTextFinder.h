// Searching and copying the hidden text of a DjVu document's pages: where a
// phrase occurs (across the pages, forwards and backwards, wrapping
// around), where its words lie on the page as shown, and which words a
// rectangle holds.
#pragma once

#include <QRect>
#include <QSize>
#include <QString>
#include <vector>

#include "formats/DjvuTexts.h"

namespace leaf {

// A run of consecutive words of one page; page -1: none.
struct TextMatch {
  int page = -1;
  int firstWord = 0;
  int wordCount = 0;
  bool found() const { return page >= 0; }
  bool operator==(const TextMatch&) const = default;
};

class PageTextFinder {
 public:
  PageTextFinder() = default;
  explicit PageTextFinder(std::vector<DjvuPageWords> pages);

  int pageCount() const { return static_cast<int>(pages_.size()); }
  // True when some page has words.
  bool hasText() const;

  // Every occurrence of the phrase on the page, in reading order. Case and
  // runs of spaces do not matter; a phrase may span lines and begin or end
  // inside a word.
  std::vector<TextMatch> matchesOn(int page, const QString& phrase) const;
  // The occurrence after the one given (forward) or before it, going on to
  // the following (or preceding) pages and wrapping around; from.page is the
  // page to start on, from.firstWord -1 for its beginning (forward) or end.
  TextMatch find(const QString& phrase, const TextMatch& from, bool forward) const;

  // A word's box in the pixels of the page as shown (top left origin, turned
  // as the page's INFO chunk says), for a page shown at shownSize.
  QRect wordRect(int page, int word, QSize shownSize) const;
  // The words whose boxes' centres lie in the rectangle (shown page
  // pixels), lines parted by line ends; an empty rectangle stands for the
  // whole page.
  QString wordsIn(int page, const QRect& rectangle, QSize shownSize) const;
  // The number of words of the page.
  int wordCount(int page) const;

 private:
  std::vector<DjvuPageWords> pages_;
};

}  // namespace leaf
