#pragma once
// A pane canvas that keeps every drawing call with the pen or font it was made with.
#include "panes/PaneCanvas.h"

#include <string>
#include <vector>

struct CanvasOp {
  enum Kind { Line, Ellipse, Fill, Text } kind = Line;
  platform::COLORREF color = 0;  // the pen's, the fill's or the text's
  int width = 0;                 // pen width of lines and ellipses
  PenStyle style = PenStyle::Solid;
  CanvasFont font = CanvasFont::Info;
  QPoint a;
  QPoint b;
  QRect rect;  // ellipse bounds, filled rectangle, text box
  int format = 0;
  std::string text;
};

class RecordingCanvas : public PaneCanvas {
public:
  void SetPen(platform::COLORREF color, int width, PenStyle style) override
  {
    m_Pen.color = color;
    m_Pen.width = width;
    m_Pen.style = style;
  }
  void Line(QPoint a, QPoint b) override
  {
    CanvasOp op = m_Pen;
    op.a = a;
    op.b = b;
    ops.push_back(op);
  }
  void Ellipse(const QRect& bounds) override
  {
    CanvasOp op = m_Pen;
    op.kind = CanvasOp::Ellipse;
    op.rect = bounds;
    ops.push_back(op);
  }
  void FillRect(const QRect& rect, platform::COLORREF color) override
  {
    CanvasOp op;
    op.kind = CanvasOp::Fill;
    op.color = color;
    op.rect = rect;
    ops.push_back(op);
  }
  void SetFont(CanvasFont font) override { m_Font = font; }
  void Text(const QRect& rect, int format, const std::string& text, platform::COLORREF color) override
  {
    CanvasOp op;
    op.kind = CanvasOp::Text;
    op.color = color;
    op.font = m_Font;
    op.rect = rect;
    op.format = format;
    op.text = text;
    ops.push_back(op);
  }

  // A line of text is taken as 16 pixels high.
  int LineHeight() const override { return 16; }
  // And every character 7 pixels wide.
  int TextWidth(const std::string& line) const override { return 7 * static_cast<int>(line.size()); }

  std::vector<CanvasOp> ops;

  std::vector<CanvasOp> Of(CanvasOp::Kind kind) const
  {
    std::vector<CanvasOp> found;
    for (const CanvasOp& op : ops)
      if (op.kind == kind)
        found.push_back(op);
    return found;
  }
  std::vector<CanvasOp> Of(CanvasOp::Kind kind, platform::COLORREF color) const
  {
    std::vector<CanvasOp> found;
    for (const CanvasOp& op : Of(kind))
      if (op.color == color)
        found.push_back(op);
    return found;
  }

  // Where the white info texts put ink, as the canvas measures it: one rectangle per
  // non-empty line, as wide as the line, within its text's box.
  std::vector<QRect> InkedLines() const
  {
    std::vector<QRect> inked;
    for (const CanvasOp& op : Of(CanvasOp::Text, 0xFFFFFF)) {
      if (op.font != CanvasFont::Info)
        continue;
      std::vector<std::string> lines(1);
      for (const char c : op.text)
        if (c == '\n')
          lines.emplace_back();
        else
          lines.back().push_back(c);
      const int height = LineHeight() * static_cast<int>(lines.size());
      int top = op.rect.top();
      if (op.format == TextBottom || op.format == (TextRight | TextBottom))
        top = op.rect.bottom() + 1 - height;
      for (size_t i = 0; i < lines.size(); ++i) {
        const int width = TextWidth(lines[i]);
        if (width == 0)
          continue;
        int left = op.rect.left();
        if (op.format & TextRight)
          left = op.rect.right() + 1 - width;
        else if (op.format & TextCentredAcross)
          left = op.rect.center().x() - width / 2;
        const QRect line = QRect(left, top + LineHeight() * static_cast<int>(i), width, LineHeight()) & op.rect;
        if (!line.isEmpty())
          inked.push_back(line);
      }
    }
    return inked;
  }

private:
  CanvasOp m_Pen;  // a line with the current pen
  CanvasFont m_Font = CanvasFont::Info;
};

// The first two rectangles that share a pixel, as text for a failure message; empty when none do.
inline std::string OverlappingPair(const std::vector<QRect>& rects)
{
  for (size_t i = 0; i < rects.size(); ++i)
    for (size_t j = i + 1; j < rects.size(); ++j)
      if (rects[i].intersects(rects[j]))
        return "lines " + std::to_string(i) + " and " + std::to_string(j) + " overlap";
  return {};
}
