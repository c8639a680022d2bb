#include "ToolbarIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

constexpr int kSize = 24;
const QColor kInk(40, 40, 40);
const QColor kPaper(250, 250, 250);
const QColor kAccent(50, 110, 190);

void Sheet(QPainter& p, const QRectF& r) {
  p.setBrush(kPaper);
  p.drawRect(r);
}

void Magnifier(QPainter& p, bool plus) {
  p.setBrush(kPaper);
  p.drawEllipse(QRectF(3, 3, 13, 13));
  p.setPen(QPen(kInk, 3, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(14.5, 14.5), QPointF(21, 21));
  p.setPen(QPen(kAccent, 2));
  p.drawLine(QPointF(6.5, 9.5), QPointF(12.5, 9.5));
  if (plus) p.drawLine(QPointF(9.5, 6.5), QPointF(9.5, 12.5));
}

void Draw(QPainter& p, ToolbarIcon icon) {
  switch (icon) {
    case ToolbarIcon::NewScan:
      Sheet(p, QRectF(6, 2.5, 12, 9));
      p.setBrush(QColor(200, 200, 200));
      p.drawRoundedRect(QRectF(2.5, 11.5, 19, 9), 2, 2);
      p.setPen(QPen(kAccent, 2));
      p.drawLine(QPointF(5, 16), QPointF(19, 16));
      break;
    case ToolbarIcon::Open: {
      p.setBrush(QColor(230, 190, 90));
      p.drawRect(QRectF(2.5, 6.5, 19, 14));
      p.drawRect(QRectF(2.5, 4.5, 8, 3));
      break;
    }
    case ToolbarIcon::SaveAs:
      p.setBrush(kAccent);
      p.drawRoundedRect(QRectF(3.5, 3.5, 17, 17), 2, 2);
      Sheet(p, QRectF(6.5, 3.5, 11, 7));
      p.setBrush(QColor(210, 210, 210));
      p.drawRect(QRectF(7.5, 14.5, 9, 6));
      break;
    case ToolbarIcon::Print:
      Sheet(p, QRectF(6.5, 2.5, 11, 7));
      p.setBrush(QColor(190, 190, 190));
      p.drawRoundedRect(QRectF(2.5, 9.5, 19, 8), 2, 2);
      Sheet(p, QRectF(6.5, 14.5, 11, 7));
      break;
    case ToolbarIcon::Cut:
      p.setBrush(Qt::NoBrush);
      p.drawEllipse(QRectF(3.5, 15.5, 6, 6));
      p.drawEllipse(QRectF(14.5, 15.5, 6, 6));
      p.setPen(QPen(kInk, 1.6));
      p.drawLine(QPointF(8, 16), QPointF(17, 3));
      p.drawLine(QPointF(16, 16), QPointF(7, 3));
      break;
    case ToolbarIcon::Copy:
      Sheet(p, QRectF(3.5, 3.5, 11, 13));
      Sheet(p, QRectF(9.5, 8.5, 11, 13));
      break;
    case ToolbarIcon::Paste:
      p.setBrush(QColor(180, 140, 80));
      p.drawRoundedRect(QRectF(3.5, 4.5, 14, 17), 2, 2);
      Sheet(p, QRectF(10.5, 9.5, 10, 12));
      p.setBrush(QColor(160, 160, 160));
      p.drawRect(QRectF(7.5, 2.5, 6, 4));
      break;
    case ToolbarIcon::ZoomIn: Magnifier(p, true); break;
    case ToolbarIcon::ZoomOut: Magnifier(p, false); break;
    case ToolbarIcon::Select:
      p.setBrush(Qt::NoBrush);
      p.setPen(QPen(kInk, 1.5, Qt::DashLine));
      p.drawRect(QRectF(3.5, 5.5, 17, 13));
      break;
  }
}

}  // namespace

QIcon MakeToolbarIcon(ToolbarIcon icon) {
  QPixmap pixmap(kSize, kSize);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(kInk, 1));
  Draw(painter, icon);
  painter.end();
  return QIcon(pixmap);
}
