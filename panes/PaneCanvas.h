#pragma once
// What the slice pane's overlays draw with: a few pen, fill and text calls in window device
// pixels. The screen, the clipboard and saved images draw through a QPainter behind it;
// tests record the calls to check colours, rectangles and texts exactly, without fonts.
#include "data/ColorRef.h"

#include <QPoint>
#include <QRect>
#include <string>

enum class PenStyle { Solid, Dotted };

// The two fonts of a pane: the large bold orientation letters and the info text.
enum class CanvasFont { Letters, Info };

// How a text lies in its rectangle; the values combine.
enum TextFormat : int {
  TextTopLeft = 0,
  TextRight = 1,
  TextBottom = 2,
  TextCentred = 4,  // horizontally and vertically, one line
  TextCentredAcross = 8,  // horizontally, from the top, every line
};

class PaneCanvas {
public:
  virtual ~PaneCanvas() = default;

  // The pen of the following lines and ellipses; width in pixels.
  virtual void SetPen(platform::COLORREF color, int width, PenStyle style) = 0;
  // A line from a towards b; like every pen drawing, the end point itself is left out.
  virtual void Line(QPoint a, QPoint b) = 0;
  // The outline of the ellipse inside the rectangle, not filled.
  virtual void Ellipse(const QRect& bounds) = 0;
  virtual void FillRect(const QRect& rect, platform::COLORREF color) = 0;
  virtual void SetFont(CanvasFont font) = 0;
  // Text inside the rectangle (lines split at '\n'), clipped to it.
  virtual void Text(const QRect& rect, int format, const std::string& text, platform::COLORREF color) = 0;
  // The height of one text line in the current font.
  virtual int LineHeight() const = 0;
  // The width of one line of text in the current font.
  virtual int TextWidth(const std::string& line) const = 0;
};

// A rectangle given by its edges, right and bottom excluded.
inline QRect Edges(int left, int top, int right, int bottom)
{
  return QRect(left, top, right - left, bottom - top);
}

// A text in white over its black shadow, which lies one pixel down and to the right, so that
// it reads over dark and light cells alike. A box that a narrow pane leaves empty is skipped.
inline void DrawShadowed(PaneCanvas& canvas, const QRect& shadow, int format, const std::string& text)
{
  if (shadow.width() <= 0 || shadow.height() <= 0)
    return;
  canvas.Text(shadow, format, text, 0x000000);
  canvas.Text(shadow.translated(-1, -1), format, text, 0xFFFFFF);
}
