// The document: the page on screen, where it came from, how it is saved.
// Opening and saving run on a worker thread behind a progress dialog; the
// document changes only when they succeed.
#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "AppSettings.h"
#include "PageJobs.h"
#include "UndoStore.h"
#include "UserPrompts.h"
#include "image/DibImage.h"
#include "scanner/ScanTypes.h"

class QWidget;

namespace leaf {
class TaskReporter;
}

class CLeafDoc : public QObject {
  Q_OBJECT

 public:
  CLeafDoc(leaf::AppSettings& settings, CUserPrompts& prompts, QObject* parent = nullptr);

  // The window progress dialogs are centred on.
  void setDialogParent(QWidget* parent) { dialogParent_ = parent; }
  // Bits per pixel of the display (the render depth when "Dither" is on).
  void setDisplayDepth(int bits) { displayDepth_ = bits; }

  const leaf::DibImage& image() const { return image_; }
  leaf::DibImage& image() { return image_; }
  bool hasImage() const { return !image_.raster.empty(); }

  // FileTypeCode of the page: 1 DjVu, 2 IW44, 5 JPEG keep their source.
  int documentType() const { return documentType_; }
  // An edit that changed the pixels for good (crop, resize, paste) makes the
  // page a plain raster (3): it is no longer rendered from its source.
  void setDocumentType(int type) { documentType_ = type; }
  bool isDjvuDocument() const;
  // DjvuHeaderKind of a DjVu page (1: compound, the layers can be chosen).
  int djvuKind() const { return djvuKind_; }
  // True when the raster holds the page at the reduced zoom (fancy zoom).
  bool isRenderedAtZoom() const;

  const QString& path() const { return path_; }
  const QString& sourcePath() const { return sourcePath_; }
  const QString& title() const { return title_; }
  bool isModified() const { return modified_; }
  void setModified(bool modified);
  // After an edit of image(): marks the document modified and redraws.
  void imageEdited();

  int zoom() const { return zoom_; }
  int layer() const { return layer_; }
  int pageIndex() const { return image_.raster.pageIndex; }
  int pageCount() const { return std::max(image_.raster.pageCount, hasImage() ? 1 : 0); }
  int saveType() const { return saveType_; }

  // The file type the next open forces (0 or 99: the name decides).
  void setRequestedOpenType(int type) { requestedOpenType_ = type; }

  // Empties the document (an untitled document with no page).
  void newDocument();
  // Opens a file, fitted to the area; on failure the message is shown and the
  // document stays as it was.
  bool openDocument(const QString& path, const leaf::FitArea& fit, int pageIndex = 0);

  // Scans on a worker thread behind a progress dialog with Cancel: one page,
  // or every page in the feeder. The pages become a new untitled document,
  // fitted to the area; a scan that fails or is cancelled leaves the
  // document as it was.
  bool acquire(const leaf::scan::ScanRequest& request, const leaf::FitArea& fit = {});
  // Scanned pages (at least one) as a new untitled, modified document.
  void setScannedPages(std::vector<leaf::DibImage> pages, const leaf::FitArea& fit = {});
  // True while the document holds the pages of a feeder batch (several).
  bool hasScannedPages() const { return !scanned_.empty(); }
  // Shows another page of the batch; the page left keeps its edits.
  void showScannedPage(int index, const leaf::FitArea& fit = {});

  // Renders a DjVu or IW44 page again at a zoom level and layer; the zoom is
  // stored either way. False (with the message shown) when the render fails.
  bool setZoomAndLayer(int zoom, int layer);
  // Renders a DjVu or IW44 page again as it is shown, after the display
  // settings (gamma, dithering, fancy zoom) changed.
  bool renderAgain();

  // "Save %s first?" when modified: true when the caller may go on (saved,
  // or No), false for Cancel or a save that did not happen.
  bool confirmDiscard();
  void saveCommand();
  bool saveAsCommand();
  // Writes the page to path in the type, or with allPages every page of the
  // document's file in one DjVu document; the document's state changes only
  // on success.
  bool saveDocument(const QString& path, int type, bool allPages = false);
  // True when the document's file has pages besides the one shown, which a
  // DjVu save can take along.
  bool canSaveAllPages() const;

  // The render settings as the settings and the display give them.
  leaf::RenderRequest renderRequest() const;
  // Where the page's true pixels come from (for saving and for edits).
  leaf::TruePixelSource truePixelSource() const;

  // ----- the Edit and Image menus (CLeafDocEdit.cpp) -----
  // A selection is a rectangle of full-size image pixels; an empty one
  // stands for the whole image.
  bool hasUndo() const { return undo_.hasUndo(); }
  // Exchanges the page with the one kept before the last edit.
  void undo();
  // Asks, then forgets the page kept for Undo.
  void emptyUndoBuffer();

  // Puts the selection on the clipboard.
  bool copy(const QRect& selection);
  // Copies the selection, then gives it the colour of palette index 0.
  bool cut(const QRect& selection);
  // The clipboard's picture floats over the page until it is placed (with
  // no page: Paste As New).
  bool paste(const leaf::FitArea& fit = {});
  // The clipboard's picture becomes an untitled page, fitted to the area.
  bool pasteAsNew(const leaf::FitArea& fit = {});
  // Empties the document (asks to save a modified page first).
  void clear();
  // True when the clipboard holds a picture.
  static bool clipboardHasImage();
  static void emptyClipboard();

  bool flip();
  bool mirror();
  bool rotateLeft();
  bool rotateRight();
  bool rotateHalfTurn();
  bool negative();
  bool convertToGray();
  bool crop(const QRect& selection);
  bool resize(int width, int height, int method);
  // Width and height of the page at full size.
  QSize fullSize() const;
  // The page's true pixels at full size, as printing draws them.
  bool pageForPrinting(leaf::DibImage& page);

  // Stamps a text label made from the settings; an inside label floats over
  // the page and is placed with the mouse, as a paste is.
  bool addText(const leaf::TextSettings& text);

  // The pasted picture waiting to be placed, or null.
  const leaf::DibImage* floatingImage() const { return floating_.get(); }
  // Writes the floating picture into the page with its top left corner at
  // the image pixel; it is discarded either way. False when it was not
  // inserted.
  bool insertFloatingImage(const QPoint& topLeft);
  void discardFloatingImage();

 signals:
  // New contents (open or new): the view fits and repaints.
  void contentsChanged();
  // The pixels were rendered again (zoom or layer).
  void pixelsChanged();
  void titleChanged(const QString& title);
  void modifiedChanged(bool modified);
  // A file was opened or saved: it enters the recent-file list.
  void fileUsed(const QString& path);
  // An edit or Undo changed the page (its pixels, its size, or both).
  void pageEdited();
  // A pasted picture now floats over the page, or no longer does.
  void floatingImageChanged();
  // A note for the status bar.
  void statusMessage(const QString& text);

 private:
  bool runOpen(const leaf::OpenRequest& request, leaf::OpenedPage& page);
  void setTitle(const QString& title);
  QString proposedSaveName();
  bool askResolutionQuestion();
  // Saves on a worker thread behind the progress dialog: the page, or every
  // page of the document's file when allPages says which.
  bool runSave(const std::shared_ptr<leaf::DibImage>& copy, const leaf::SaveRequest& request,
               const std::optional<leaf::PageRange>& allPages);
  leaf::DibImage copyForSaving() const;
  bool savePages(const QString& path, int type);
  // Runs a save on a worker thread behind the "Save in progress" dialog;
  // work returns false with the reason in its message.
  using SaveWork = std::function<bool(const leaf::TaskReporter&, std::string& message)>;
  bool runSaveTask(const QString& message, SaveWork work);
  QString scannedTitle() const;
  void dropScannedPages();

  // Edits (CLeafDocEdit.cpp).
  using Operation = bool (*)(leaf::DibImage&);
  bool simpleEdit(Operation operation, const QString& failure);
  bool truePixels(leaf::PageState& state);
  bool pixelEdit(const QString& failure, const std::function<bool(leaf::DibImage&)>& edit);
  leaf::PageState takePage();
  void installPage(leaf::PageState&& state);
  void commitPixelEdit(leaf::PageState&& edited);
  bool putOnClipboard(const leaf::DibImage& page, const QRect& selection);
  bool readClipboard(leaf::DibImage& image);
  void forgetEdits();

  leaf::AppSettings& settings_;
  CUserPrompts& prompts_;
  QWidget* dialogParent_ = nullptr;
  int displayDepth_ = 24;

  leaf::DibImage image_;
  int documentType_ = 0;
  int djvuKind_ = 0;
  QString path_;        // the document's file (Save writes here)
  QString sourcePath_;  // the file the page was read from
  int sourceType_ = 0;  // its type (the page's own type changes with pixel edits)
  QString title_;
  bool modified_ = false;
  int zoom_ = 0;
  int layer_ = 0;
  int requestedOpenType_ = 0;
  int saveType_ = 0;           // chosen in the last Save As; 0 before
  bool saveAllPages_ = false;  // the last Save As wrote every page
  int untitledCounter_ = 1;
  QString baseTitle_ = QStringLiteral("untitled");
  int renderedZoom_ = 0;  // the zoom the DjVu raster was rendered at
  // The pages of a feeder batch; the one on screen is image_ and its entry
  // is empty meanwhile.
  std::vector<std::shared_ptr<leaf::DibImage>> scanned_;

  leaf::UndoStore undo_;
  std::unique_ptr<leaf::DibImage> floating_;  // a pasted picture being placed
};
