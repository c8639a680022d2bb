// Find and Copy Text over the hidden text of the document's DjVu pages: the
// text is read when first needed, found phrases are marked on the page
// shown (the current one stands out), and a search goes on across the
// pages, turning to the page of what it found.
#pragma once

#include <QObject>
#include <QString>
#include <optional>

#include "PageTextFinder.h"

class CLeafDoc;
class CLeafView;

class CTextSearch : public QObject {
  Q_OBJECT

 public:
  CTextSearch(CLeafDoc& doc, CLeafView& view, QObject* parent = nullptr);

  // True when the page shown comes from a DjVu file (whose text can be read).
  bool available() const;

  // Finds the phrase after (or before) the current occurrence; returns what
  // to tell the user ("2 of 5 on this page", "Not found", ...).
  QString find(const QString& phrase, bool forward);
  // Marks the phrase's occurrences on the page shown (none for empty).
  void setPhrase(const QString& phrase);
  const leaf::TextMatch& current() const { return current_; }

  // The words of the selection (the whole page without one), lines on
  // lines of their own; empty when there are none.
  QString selectedText();
  // Puts selectedText() on the clipboard; returns what to tell the user.
  QString copyText();

 private:
  // Reads the document's text once per file; false when it has none to read.
  bool load();
  void forget();
  // The marks of the phrase on the page shown.
  void updateMarks();
  // Where the page shown carries the text as it was read (turned or flipped
  // since perhaps, but not cut or resized: those edits make it a plain
  // raster without text).
  bool pageCarriesText() const;
  // The page's size before the turns and flips made since it was read.
  QSize sizeAsRead() const;

  CLeafDoc& doc_;
  CLeafView& view_;
  std::optional<leaf::PageTextFinder> finder_;
  QString loadedPath_;
  QString phrase_;
  leaf::TextMatch current_;
};
