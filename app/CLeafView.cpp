#include "CLeafView.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRubberBand>
#include <QScreen>
#include <QScrollBar>
#include <QWindow>
#include <cmath>

#include "CLeafDoc.h"
#include "ClipboardImage.h"
#include "ProgramLogo.h"

using namespace leaf;

namespace {

const QColor kBackground(0xC0, 0xC0, 0xC0);

}  // namespace

CLeafView::CLeafView(CLeafDoc& doc, AppSettings& settings, QWidget* parent)
    : QAbstractScrollArea(parent), doc_(doc), settings_(settings) {
  setFrameShape(QFrame::NoFrame);
  viewport()->setMouseTracking(true);
  viewport()->setAutoFillBackground(false);
  setFocusPolicy(Qt::StrongFocus);
  band_ = new QRubberBand(QRubberBand::Rectangle, viewport());
  connect(&doc_, &CLeafDoc::contentsChanged, this, &CLeafView::onContentsChanged);
  connect(&doc_, &CLeafDoc::pixelsChanged, this, [this] {
    rebuildDisplay();
    updateScrollBars();
    viewport()->update();
  });
  connect(&doc_, &CLeafDoc::pageEdited, this, &CLeafView::onImageEdited);
  connect(&doc_, &CLeafDoc::floatingImageChanged, this, &CLeafView::onFloatingImageChanged);
}

// ----- what is drawn -----

void CLeafView::rebuildDisplay() {
  display_ = DisplayImageFor(doc_.image().raster);
  reduced_ = QImage();
}

QSize CLeafView::fullImageSize() const {
  const DibRaster& r = doc_.image().raster;
  return {r.fullWidth > 0 ? r.fullWidth : r.width, r.fullHeight > 0 ? r.fullHeight : r.height};
}

CLeafView::Source CLeafView::currentSource() const {
  Source source;
  if (display_.image.isNull()) return source;
  const DibRaster& r = doc_.image().raster;
  const AspectFactors aspect = AspectFactorsFor(r.xResolution, r.yResolution);
  const bool renderedAtZoom = doc_.isRenderedAtZoom();
  if (zoom_ < 0 && !renderedAtZoom) {
    // Reduced once per zoom level, so that a page of fine print stays legible.
    if (reduced_.isNull() || reducedZoom_ != zoom_) {
      reduced_ = ReducedPicture(r, 1 - zoom_);
      reducedZoom_ = zoom_;
    }
    if (!reduced_.isNull()) {
      source.image = reduced_;
      source.scaleX = aspect.x;
      source.scaleY = aspect.y;
      return source;
    }
  }
  const DrawScale scale = DrawScaleFor(zoom_, renderedAtZoom, aspect);
  source.image = display_.image;
  source.bottomUp = display_.bottomUp;
  source.scaleX = scale.x;
  source.scaleY = scale.y;
  return source;
}

QSize CLeafView::drawnSize() const {
  const Source source = currentSource();
  if (source.image.isNull()) return {};
  return {static_cast<int>(std::lround(source.image.width() * source.scaleX)),
          static_cast<int>(std::lround(source.image.height() * source.scaleY))};
}

QPoint CLeafView::imageOrigin() const {
  const QSize drawn = drawnSize();
  const QSize area = viewport()->size();
  const int marginX = std::max(0, (area.width() - drawn.width()) / 2);
  const int marginY = std::max(0, (area.height() - drawn.height()) / 2);
  return {marginX - horizontalScrollBar()->value(), marginY - verticalScrollBar()->value()};
}

bool CLeafView::overflows() const {
  const QSize drawn = drawnSize();
  return drawn.width() > viewport()->width() || drawn.height() > viewport()->height();
}

void CLeafView::updateScrollBars() {
  const QSize drawn = drawnSize();
  const QSize area = viewport()->size();
  horizontalScrollBar()->setRange(0, std::max(0, drawn.width() - area.width()));
  verticalScrollBar()->setRange(0, std::max(0, drawn.height() - area.height()));
  horizontalScrollBar()->setPageStep(area.width());
  verticalScrollBar()->setPageStep(area.height());
  horizontalScrollBar()->setSingleStep(std::max(1, area.width() / 10));
  verticalScrollBar()->setSingleStep(std::max(1, area.height() / 10));
  updateHandCursor();
}

void CLeafView::paintEvent(QPaintEvent* event) {
  QPainter painter(viewport());
  painter.fillRect(event->rect(), kBackground);
  const Source source = currentSource();
  if (source.image.isNull()) {
    const QPixmap logo = ProgramLogo(96);
    painter.drawPixmap((viewport()->width() - logo.width()) / 2,
                       (viewport()->height() - logo.height()) / 2, logo);
    return;
  }
  const QPoint origin = imageOrigin();
  const QSize drawn = drawnSize();
  const QRect visible = QRect(origin, drawn).intersected(event->rect());
  if (visible.isEmpty()) return;
  // The source pixels under the visible part, and exactly where they land.
  const int x0 = static_cast<int>(std::floor((visible.left() - origin.x()) / source.scaleX));
  const int y0 = static_cast<int>(std::floor((visible.top() - origin.y()) / source.scaleY));
  const int x1 =
      std::min(source.image.width(),
               static_cast<int>(std::ceil((visible.right() + 1 - origin.x()) / source.scaleX)));
  const int y1 =
      std::min(source.image.height(),
               static_cast<int>(std::ceil((visible.bottom() + 1 - origin.y()) / source.scaleY)));
  if (x1 <= x0 || y1 <= y0) return;
  const QRect picture(x0, y0, x1 - x0, y1 - y0);
  const QRectF target(origin.x() + x0 * source.scaleX, origin.y() + y0 * source.scaleY,
                      picture.width() * source.scaleX, picture.height() * source.scaleY);
  painter.setClipRect(visible);
  if (source.bottomUp) {
    // Stored bottom-up: draw the stored rows mirrored top to bottom.
    painter.translate(0, 2 * target.top() + target.height());
    painter.scale(1, -1);
    const QRect stored(picture.x(), source.image.height() - picture.y() - picture.height(),
                       picture.width(), picture.height());
    painter.drawImage(target, source.image, stored);
    painter.resetTransform();
  } else {
    painter.drawImage(target, source.image, picture);
  }
  paintTextMarks(painter);
  if (mode_ == MouseMode::Placing && !floating_.isNull()) {
    painter.setClipping(false);
    const QRect where = floatingRect();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, where.width() < floating_.width());
    painter.drawImage(where, floating_);
    painter.setPen(QPen(Qt::black, 1, Qt::DashLine));
    painter.drawRect(where.adjusted(0, 0, -1, -1));
  }
}

void CLeafView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  updateScrollBars();
}

void CLeafView::scrollContentsBy(int, int) {
  placeBand();
  viewport()->update();
}

void CLeafView::placeBand() {
  if (banding_) return;
  if (hasSelection_) {
    band_->setGeometry(viewportRectOfSelection());
    band_->show();
  } else {
    band_->hide();
  }
}

// ----- zoom and fitting -----

bool CLeafView::canZoomIn() const { return doc_.hasImage() && zoom_ < kMaxZoom; }
bool CLeafView::canZoomOut() const { return doc_.hasImage() && zoom_ > kMinZoom; }

void CLeafView::setZoom(int zoom) {
  zoom = ClampZoom(zoom);
  if (zoom == zoom_ || !doc_.hasImage()) {
    emit zoomChanged(zoom_);
    return;
  }
  const int old = zoom_;
  const int h = horizontalScrollBar()->value();
  const int v = verticalScrollBar()->value();
  doc_.setZoomAndLayer(zoom, doc_.layer());  // a failed render keeps the old pixels
  zoom_ = zoom;
  rebuildDisplay();
  emit drawnSizeChanged();
  updateScrollBars();
  horizontalScrollBar()->setValue(ScrollAfterZoom(h, old, zoom));
  verticalScrollBar()->setValue(ScrollAfterZoom(v, old, zoom));
  placeBand();
  emit zoomChanged(zoom_);
  viewport()->update();
}

QSize CLeafView::frameExtras() const {
  const QWidget* frame = window();
  return frame->frameGeometry().size() - viewport()->size();
}

FitArea CLeafView::fitArea() const {
  FitArea area;
  area.imageFit = settings_.imageFit;
  QSize available = viewport()->size();
  const QWidget* frame = window();
  if (settings_.windowFit && frame && !frame->isMaximized() && frame->screen()) {
    available = frame->screen()->availableGeometry().size() - frameExtras();
  }
  area.width = std::max(1, available.width());
  area.height = std::max(1, available.height());
  return area;
}

void CLeafView::refresh() {
  rebuildDisplay();
  updateScrollBars();
  viewport()->update();
}

void CLeafView::onImageEdited() {
  rebuildDisplay();
  if (hasSelection_) setSelection(selection_);
  emit drawnSizeChanged();
  updateScrollBars();
  placeBand();
  viewport()->update();
}

void CLeafView::onContentsChanged() {
  zoom_ = doc_.zoom();
  hasSelection_ = false;
  selection_ = QRect();
  band_->hide();
  rebuildDisplay();
  emit drawnSizeChanged();
  updateScrollBars();
  horizontalScrollBar()->setValue(0);
  verticalScrollBar()->setValue(0);
  emit zoomChanged(zoom_);
  viewport()->update();
}

// ----- pages and layers -----

bool CLeafView::canGoToPage(int index) const {
  return doc_.hasImage() && doc_.pageCount() > 1 && index >= 0 && index < doc_.pageCount() &&
         index != doc_.pageIndex() && (!doc_.sourcePath().isEmpty() || doc_.hasScannedPages());
}

void CLeafView::goToPage(int index) {
  if (doc_.hasScannedPages()) {  // the pages are all in memory: nothing to save first
    doc_.showScannedPage(index, fitArea());
    return;
  }
  if (!doc_.hasImage() || doc_.sourcePath().isEmpty()) return;
  index = std::clamp(index, 0, std::max(doc_.pageCount() - 1, 0));
  if (index == doc_.pageIndex()) return;
  if (!doc_.confirmDiscard()) return;
  doc_.openDocument(doc_.sourcePath(), fitArea(), index);
}

void CLeafView::lastPage() { goToPage(doc_.pageCount() - 1); }
void CLeafView::nextPage() { goToPage(doc_.pageIndex() + 1); }
void CLeafView::previousPage() { goToPage(doc_.pageIndex() - 1); }

bool CLeafView::canChooseLayer() const {
  return doc_.hasImage() && doc_.documentType() == kFileDjvu && doc_.djvuKind() == 1;
}

void CLeafView::setLayer(int layer) {
  if (layer == doc_.layer() || !doc_.hasImage()) return;
  doc_.setZoomAndLayer(zoom_, layer);
  emit layerChanged(doc_.layer());
}

// ----- selection and the mouse -----

void CLeafView::setSelectMode(bool on) {
  if (mode_ == MouseMode::Placing) {
    if (!on) return;
    doc_.discardFloatingImage();  // selecting gives up the paste
  }
  const MouseMode mode = on ? MouseMode::Selecting : MouseMode::Normal;
  if (mode == mode_) return;
  mode_ = mode;
  if (!on) dropSelection();
  updateHandCursor();
  emit selectModeChanged(on);
  viewport()->update();
}

void CLeafView::dropSelection() {
  hasSelection_ = false;
  selection_ = QRect();
  band_->hide();
  emit selectionChanged();
}

void CLeafView::setSelection(const QRect& selection) {
  const QSize full = fullImageSize();
  const QRect clamped = selection.intersected(QRect(QPoint(0, 0), full));
  hasSelection_ = clamped.width() > 1 && clamped.height() > 1;
  selection_ = hasSelection_ ? clamped : QRect();
  placeBand();
  emit selectionChanged();
}

QPoint CLeafView::imagePointAt(const QPoint& viewportPoint) const {
  const QSize drawn = drawnSize();
  const QSize full = fullImageSize();
  if (drawn.isEmpty() || full.isEmpty()) return {};
  const QPoint p = viewportPoint - imageOrigin();
  const long long x = static_cast<long long>(p.x()) * full.width() / drawn.width();
  const long long y = static_cast<long long>(p.y()) * full.height() / drawn.height();
  return {static_cast<int>(std::clamp<long long>(x, 0, full.width() - 1)),
          static_cast<int>(std::clamp<long long>(y, 0, full.height() - 1))};
}

QRect CLeafView::viewportRectOfSelection() const { return viewportRectOf(selection_); }

void CLeafView::setTextMarks(std::vector<QRect> marks, std::vector<QRect> current) {
  textMarks_ = std::move(marks);
  currentTextMarks_ = std::move(current);
  if (!currentTextMarks_.empty()) {
    QRect all;
    for (const QRect& mark : currentTextMarks_) all |= viewportRectOf(mark);
    scrollToShow(all);
  }
  viewport()->update();
}

void CLeafView::scrollToShow(const QRect& rect) {
  const QRect area = viewport()->rect().adjusted(20, 20, -20, -20);
  if (area.contains(rect) || area.isEmpty()) return;
  const auto delta = [](int low, int high, int areaLow, int areaHigh) {
    if (high - low > areaHigh - areaLow || low < areaLow) return low - areaLow;
    return high > areaHigh ? high - areaHigh : 0;
  };
  horizontalScrollBar()->setValue(horizontalScrollBar()->value() +
                                  delta(rect.left(), rect.right(), area.left(), area.right()));
  verticalScrollBar()->setValue(verticalScrollBar()->value() +
                                delta(rect.top(), rect.bottom(), area.top(), area.bottom()));
}

void CLeafView::paintTextMarks(QPainter& painter) const {
  if (textMarks_.empty() && currentTextMarks_.empty()) return;
  for (const QRect& mark : textMarks_) {
    painter.fillRect(viewportRectOf(mark).adjusted(-1, -1, 1, 1), QColor(255, 210, 0, 90));
  }
  for (const QRect& mark : currentTextMarks_) {
    const QRect where = viewportRectOf(mark).adjusted(-1, -1, 1, 1);
    painter.fillRect(where, QColor(255, 120, 0, 110));
    painter.setPen(QPen(QColor(220, 80, 0), 1));
    painter.drawRect(where.adjusted(0, 0, -1, -1));
  }
}

QRect CLeafView::viewportRectOf(const QRect& imageRect) const {
  const QSize drawn = drawnSize();
  const QSize full = fullImageSize();
  if (full.isEmpty()) return {};
  const QPoint origin = imageOrigin();
  auto mapX = [&](long long x) {
    return origin.x() + static_cast<int>(x * drawn.width() / full.width());
  };
  auto mapY = [&](long long y) {
    return origin.y() + static_cast<int>(y * drawn.height() / full.height());
  };
  return QRect(QPoint(mapX(imageRect.left()), mapY(imageRect.top())),
               QPoint(mapX(imageRect.right() + 1) - 1, mapY(imageRect.bottom() + 1) - 1));
}

void CLeafView::showPointerStatus(const QPoint& viewportPoint) {
  if (!doc_.hasImage()) return;
  const QPoint p = imagePointAt(viewportPoint);
  QString text = QStringLiteral("(%1,%2)").arg(p.x()).arg(p.y());
  if (hasSelection_) {
    const QRect& s = selection_;
    text += QStringLiteral("   Selection: (%1,%2)->(%3,%4) = (%5x%6)")
                .arg(s.left())
                .arg(s.top())
                .arg(s.right())
                .arg(s.bottom())
                .arg(s.width())
                .arg(s.height());
  }
  emit statusMessage(text);
}

// ----- placing a pasted picture -----

void CLeafView::onFloatingImageChanged() {
  const DibImage* floating = doc_.floatingImage();
  if (!floating) {
    floating_ = QImage();
    if (mode_ == MouseMode::Placing) mode_ = MouseMode::Normal;
    updateHandCursor();
    viewport()->update();
    return;
  }
  if (mode_ == MouseMode::Selecting) setSelectMode(false);
  floating_ = PictureOfBitmap(*floating);
  const DibRaster& r = floating->raster;
  if (r.transparentFlag && !floating_.isNull()) {
    // The transparent colour shows the page through.
    floating_ = floating_.convertToFormat(QImage::Format_ARGB32);
    const QRgb hidden = qRgb(r.transparentColor & 255, r.transparentColor >> 8 & 255,
                             r.transparentColor >> 16 & 255);
    for (int y = 0; y < floating_.height(); ++y) {
      auto* line = reinterpret_cast<QRgb*>(floating_.scanLine(y));
      for (int x = 0; x < floating_.width(); ++x) {
        if (line[x] == hidden) line[x] = qRgba(0, 0, 0, 0);
      }
    }
  }
  mode_ = MouseMode::Placing;
  lastMouse_ = viewport()->mapFromGlobal(QCursor::pos());
  updateHandCursor();
  viewport()->update();
}

QRect CLeafView::floatingRect() const {
  const QSize drawn = drawnSize();
  const QSize full = fullImageSize();
  if (floating_.isNull() || full.isEmpty()) return {};
  const double sx = static_cast<double>(drawn.width()) / full.width();
  const double sy = static_cast<double>(drawn.height()) / full.height();
  return QRect(lastMouse_,
               QSize(std::max(1, static_cast<int>(std::lround(floating_.width() * sx))),
                     std::max(1, static_cast<int>(std::lround(floating_.height() * sy)))));
}

void CLeafView::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && mode_ == MouseMode::Placing) {
    doc_.discardFloatingImage();
    emit statusMessage(tr("Paste cancelled."));
    return;
  }
  QAbstractScrollArea::keyPressEvent(event);
}

void CLeafView::updateHandCursor() {
  if (mode_ == MouseMode::Placing) {
    viewport()->setCursor(Qt::CrossCursor);
  } else if (mode_ == MouseMode::Selecting) {
    viewport()->setCursor(Qt::CrossCursor);
  } else if (dragging_ && overflows()) {
    viewport()->setCursor(Qt::ClosedHandCursor);
  } else if (doc_.hasImage() && overflows()) {
    viewport()->setCursor(Qt::OpenHandCursor);
  } else {
    viewport()->unsetCursor();
  }
}

void CLeafView::mousePressEvent(QMouseEvent* event) {
  if (mode_ == MouseMode::Placing && event->button() == Qt::RightButton) {
    doc_.discardFloatingImage();
    emit statusMessage(tr("Paste cancelled."));
    return;
  }
  if (event->button() != Qt::LeftButton || !doc_.hasImage()) {
    QAbstractScrollArea::mousePressEvent(event);
    return;
  }
  const QPoint pos = event->position().toPoint();
  if (mode_ == MouseMode::Placing) {
    lastMouse_ = pos;
    doc_.insertFloatingImage(imagePointAt(pos));
  } else if (mode_ == MouseMode::Selecting) {
    banding_ = true;
    bandOrigin_ = pos;
    band_->setGeometry(QRect(pos, QSize()));
    band_->show();
  } else {
    dragging_ = true;
    lastMouse_ = pos;
    updateHandCursor();
  }
}

void CLeafView::mouseMoveEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (mode_ == MouseMode::Placing) {
    const QRect before = floatingRect();
    lastMouse_ = pos;
    viewport()->update(before.united(floatingRect()).adjusted(-1, -1, 1, 1));
  } else if (banding_) {
    band_->setGeometry(QRect(bandOrigin_, pos).normalized());
    const QPoint a = imagePointAt(bandOrigin_);
    const QPoint b = imagePointAt(pos);
    const QRect picked = QRect(a, b).normalized();
    hasSelection_ = picked.left() < picked.right() && picked.top() < picked.bottom();
    selection_ = hasSelection_ ? picked : QRect();
  } else if (dragging_ && overflows()) {
    const QPoint delta = pos - lastMouse_;
    lastMouse_ = pos;
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() - delta.x());
    verticalScrollBar()->setValue(verticalScrollBar()->value() - delta.y());
    updateHandCursor();
    emit statusMessage(QStringLiteral("Scroll offset: (%1,%2)")
                           .arg(horizontalScrollBar()->value())
                           .arg(verticalScrollBar()->value()));
    return;
  }
  showPointerStatus(pos);
}

void CLeafView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QAbstractScrollArea::mouseReleaseEvent(event);
    return;
  }
  if (banding_) {
    banding_ = false;
    placeBand();
    emit selectionChanged();
  }
  dragging_ = false;
  updateHandCursor();
}

void CLeafView::wheelEvent(QWheelEvent* event) {
  if (event->modifiers() & Qt::ControlModifier) {
    const int steps = event->angleDelta().y() / 120;
    if (steps != 0) setZoom(zoom_ + steps);
    event->accept();
    return;
  }
  QAbstractScrollArea::wheelEvent(event);
}
