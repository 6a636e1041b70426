#pragma once
// Text over images: black first, then white one pixel up and to the left, so that it reads
// on dark and on light cells alike.
#include <QPainter>
#include <QRect>
#include <string>

// A rectangle given by its edges, right and bottom excluded.
inline QRect EdgeRect(int left, int top, int right, int bottom)
{
  return QRect(left, top, right - left, bottom - top);
}

// Draws the text black in rect and white in rect moved by (-1, -1), with the given Qt
// alignment flags; lines break at "\n".
inline void DrawOutlinedText(QPainter& painter, const QRect& rect, int flags, const std::string& text)
{
  const QString s = QString::fromStdString(text);
  painter.setPen(Qt::black);
  painter.drawText(rect, flags, s);
  painter.setPen(Qt::white);
  painter.drawText(rect.translated(-1, -1), flags, s);
}
