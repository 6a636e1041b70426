#pragma once
// What the slice pane's overlays draw with: a few pen, fill and text calls in window device
// pixels. The screen, the clipboard and saved images draw through a QPainter behind it;
// tests record the calls to check colours, rectangles and texts exactly, without fonts.
#include "platform/ColorRef.h"

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
};
