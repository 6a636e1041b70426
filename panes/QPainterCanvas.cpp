#include "panes/QPainterCanvas.h"

#include "platform/ColorRefQt.h"

#include <QFontMetrics>

namespace {

// The info text's boxes are sized for lines of about 16 pixels.
constexpr int kInfoPixelSize = 13;
// Bold letters whose line fills about 35 pixels.
constexpr int kLetterPixelSize = 31;

}  // namespace

QPainterCanvas::QPainterCanvas(QPainter& painter) : m_Painter(painter)
{
  m_Painter.setRenderHint(QPainter::Antialiasing, false);
  m_Painter.setRenderHint(QPainter::TextAntialiasing, true);
  m_Painter.setBrush(Qt::NoBrush);
}

void QPainterCanvas::SetPen(platform::COLORREF color, int width, PenStyle style)
{
  QPen pen(platform::ToQColor(color));
  if (width <= 1) {
    // One pixel wide, without the end point.
    pen.setWidth(0);
    pen.setCapStyle(Qt::FlatCap);
    pen.setStyle(style == PenStyle::Dotted ? Qt::DotLine : Qt::SolidLine);
  } else {
    // Wide pens are round at their ends and joints; a dotted pattern only exists at one pixel.
    pen.setWidth(width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
  }
  m_Painter.setPen(pen);
}

void QPainterCanvas::Line(QPoint a, QPoint b)
{
  m_Painter.drawLine(a, b);
}

void QPainterCanvas::Ellipse(const QRect& bounds)
{
  m_Painter.setBrush(Qt::NoBrush);
  m_Painter.drawEllipse(bounds);
}

void QPainterCanvas::FillRect(const QRect& rect, platform::COLORREF color)
{
  m_Painter.fillRect(rect, platform::ToQColor(color));
}

void QPainterCanvas::SetFont(CanvasFont font)
{
  QFont f(QStringLiteral("Arial"));
  f.setStyleHint(QFont::SansSerif);
  if (font == CanvasFont::Letters) {
    f.setPixelSize(kLetterPixelSize);
    f.setBold(true);
  } else {
    f.setPixelSize(kInfoPixelSize);
  }
  m_Painter.setFont(f);
}

void QPainterCanvas::Text(const QRect& rect, int format, const std::string& text, platform::COLORREF color)
{
  int flags = 0;
  if (format & TextCentred)
    flags = Qt::AlignCenter | Qt::TextSingleLine;
  else if (format & TextCentredAcross)
    flags = Qt::AlignHCenter | Qt::AlignTop;
  else
    flags = ((format & TextRight) ? Qt::AlignRight : Qt::AlignLeft) | ((format & TextBottom) ? Qt::AlignBottom : Qt::AlignTop);
  // QPainter clips a text drawn into a rectangle to it.
  m_Painter.setPen(platform::ToQColor(color));
  m_Painter.drawText(rect, flags, QString::fromStdString(text));
}

int QPainterCanvas::LineHeight() const
{
  return QFontMetrics(m_Painter.font()).height();
}

int QPainterCanvas::TextWidth(const std::string& line) const
{
  return QFontMetrics(m_Painter.font()).horizontalAdvance(QString::fromStdString(line));
}
