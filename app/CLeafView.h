// The scrolling view of the document's page: zoom, fitting, drag-to-scroll,
// the rubber-band selection, page turning and the DjVu layer choice.
#pragma once

#include <QAbstractScrollArea>
#include <QImage>
#include <QRect>
#include <vector>

#include "AppSettings.h"
#include "DisplayImage.h"
#include "PageJobs.h"
#include "ZoomLevel.h"

class CLeafDoc;
class QPainter;
class QRubberBand;

class CLeafView : public QAbstractScrollArea {
  Q_OBJECT

 public:
  enum class MouseMode { Normal, Selecting, Placing };

  CLeafView(CLeafDoc& doc, leaf::AppSettings& settings, QWidget* parent = nullptr);

  int zoom() const { return zoom_; }
  bool canZoomIn() const;
  bool canZoomOut() const;
  // Zoom change: renders DjVu pages again when needed, keeps the image point
  // at the top left where it was.
  void setZoom(int zoom);
  void zoomIn() { setZoom(zoom_ + 1); }
  void zoomOut() { setZoom(zoom_ - 1); }

  // Where an opened page has to fit ("ImageFit"): the view, or with
  // "WindowFit" the screen's work area less the window's own parts.
  leaf::FitArea fitArea() const;
  // The size the page takes on screen at the current zoom.
  QSize drawnSize() const;
  // Width and height the window adds around the view's contents.
  QSize frameExtras() const;

  // Page navigation in a multipage file (asks to save a modified page first).
  bool canGoToPage(int index) const;
  void goToPage(int index);
  void firstPage() { goToPage(0); }
  void lastPage();
  void nextPage();
  void previousPage();

  // The DjVu layer: 0 colour, 1 black and white, 2 background, 3 foreground.
  void setLayer(int layer);
  bool canChooseLayer() const;

  MouseMode mouseMode() const { return mode_; }
  void setSelectMode(bool on);
  bool hasSelection() const { return hasSelection_; }
  // Left, top, right, bottom in image pixels, inclusive.
  QRect selection() const { return selection_; }
  // Selects a rectangle of image pixels (as a rubber band does).
  void setSelection(const QRect& selection);
  // Forgets the selection (after crop and cut); selection mode stays.
  void dropSelection();

  // Boxes of found text marked on the page (full-size image pixels); those of
  // the current occurrence stand out, and the view scrolls to show them.
  void setTextMarks(std::vector<QRect> marks, std::vector<QRect> current);
  const std::vector<QRect>& textMarks() const { return textMarks_; }
  const std::vector<QRect>& currentTextMarks() const { return currentTextMarks_; }
  // Where a rectangle of full-size image pixels lies in the viewport.
  QRect viewportRectOf(const QRect& imageRect) const;

  // Image pixel under a point of the viewport, clamped to the image.
  QPoint imagePointAt(const QPoint& viewportPoint) const;

  // Forgets the scroll position and sizes; repaints.
  void refresh();

 signals:
  void statusMessage(const QString& text);
  void zoomChanged(int zoom);
  void layerChanged(int layer);
  void selectModeChanged(bool on);
  // A selection was made or dropped.
  void selectionChanged();
  // The page's size on screen changed (the window may fit itself to it).
  void drawnSizeChanged();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // What is drawn: the source image and its scale to the screen.
  struct Source {
    QImage image;
    bool bottomUp = false;
    double scaleX = 1.0;
    double scaleY = 1.0;
  };
  Source currentSource() const;
  void rebuildDisplay();
  void updateScrollBars();
  QPoint imageOrigin() const;  // top left of the page in viewport coordinates
  QRect viewportRectOfSelection() const;
  void placeBand();  // the rubber band over the selection, or hidden
  void showPointerStatus(const QPoint& viewportPoint);
  void updateHandCursor();
  bool overflows() const;
  QSize fullImageSize() const;
  void onContentsChanged();
  void onImageEdited();
  void onFloatingImageChanged();
  // Where the floating picture is drawn, in viewport coordinates.
  QRect floatingRect() const;

  CLeafDoc& doc_;
  leaf::AppSettings& settings_;
  int zoom_ = 1;  // until the first fit
  leaf::DisplayImage display_;
  mutable QImage reduced_;  // the picture reduced for zoom levels below 0
  mutable int reducedZoom_ = 0;

  MouseMode mode_ = MouseMode::Normal;
  bool hasSelection_ = false;
  QRect selection_;
  QRubberBand* band_ = nullptr;
  QPoint bandOrigin_;
  bool banding_ = false;
  bool dragging_ = false;
  QPoint lastMouse_;
  QImage floating_;  // the pasted picture being placed, top row first
  std::vector<QRect> textMarks_;
  std::vector<QRect> currentTextMarks_;
  void paintTextMarks(QPainter& painter) const;
  void scrollToShow(const QRect& viewportRect);
};
