#include "panes/SlicePainting.h"

void DrawVisiblePart(QPainter& painter, const QImage& bitmap, const SliceMapping& mapping, QSize window)
{
  const PixelRect part = mapping.VisiblePart();
  painter.drawImage(QRect(QPoint(0, 0), window), bitmap, QRect(part.x, part.y, part.width, part.height));
}
