#include "panes/SlicePainting.h"

void DrawVisiblePart(QPainter& painter, const QImage& bitmap, const SliceMapping& mapping, QSize window)
{
  const PixelRect part = mapping.VisiblePart();
  painter.drawImage(QRect(QPoint(0, 0), window), bitmap, QRect(part.x, part.y, part.width, part.height));
}

void DrawFrame(QPainter& painter, QSize window, platform::COLORREF color)
{
  const QColor c = platform::ToQColor(color);
  const int w = window.width();
  const int h = window.height();
  painter.fillRect(QRect(0, 0, w, 2), c);
  painter.fillRect(QRect(0, h - 2, w, 2), c);
  painter.fillRect(QRect(0, 0, 2, h), c);
  painter.fillRect(QRect(w - 2, 0, 2, h), c);
}
