#pragma once
// The pane canvas on a QPainter, aliased, as the window, the clipboard and saved images show it.
#include "panes/PaneCanvas.h"

#include <QPainter>

class QPainterCanvas : public PaneCanvas {
public:
  explicit QPainterCanvas(QPainter& painter);

  void SetPen(platform::COLORREF color, int width, PenStyle style) override;
  void Line(QPoint a, QPoint b) override;
  void Ellipse(const QRect& bounds) override;
  void FillRect(const QRect& rect, platform::COLORREF color) override;
  void SetFont(CanvasFont font) override;
  void Text(const QRect& rect, int format, const std::string& text, platform::COLORREF color) override;
  int LineHeight() const override;
  int TextWidth(const std::string& line) const override;

private:
  QPainter& m_Painter;  // borrowed for one paint
};
