#include "ProgramLogo.h"

#include <QPainter>
#include <QPainterPath>

// A green leaf on a page with a folded corner.
QPixmap ProgramLogo(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  const qreal s = size / 64.0;
  painter.scale(s, s);

  QPainterPath page;
  page.moveTo(12, 4);
  page.lineTo(42, 4);
  page.lineTo(54, 16);
  page.lineTo(54, 60);
  page.lineTo(12, 60);
  page.closeSubpath();
  painter.setPen(QPen(QColor(70, 70, 70), 1.5));
  painter.setBrush(Qt::white);
  painter.drawPath(page);
  painter.setBrush(QColor(220, 220, 220));
  painter.drawPolygon(QPolygonF({QPointF(42, 4), QPointF(42, 16), QPointF(54, 16)}));

  QPainterPath leaf;
  leaf.moveTo(20, 52);
  leaf.cubicTo(18, 32, 30, 20, 48, 20);
  leaf.cubicTo(48, 38, 38, 52, 20, 52);
  painter.setPen(QPen(QColor(30, 100, 40), 1.5));
  painter.setBrush(QColor(70, 160, 70));
  painter.drawPath(leaf);
  painter.drawLine(QPointF(20, 52), QPointF(42, 28));
  return pixmap;
}
