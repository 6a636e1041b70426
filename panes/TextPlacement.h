#pragma once
// The info texts of a pane, drawn so that none covers another. Each text keeps its box and
// alignment; one whose lines would fall on a text drawn before it is left out, so in a
// narrow pane the earlier texts stay readable instead of every text turning into a smear.
#include "panes/PaneCanvas.h"

#include <QRect>
#include <string>
#include <vector>

class TextPlacement {
public:
  explicit TextPlacement(PaneCanvas& canvas) : m_Canvas(canvas) {}

  // Draws the text shadowed in its box (see DrawShadowed) unless a line of it would cover a
  // line drawn before; says whether it was drawn.
  bool DrawShadowed(const QRect& box, int format, const std::string& text);

  // True when every line of the text is as narrow as the box (a box of no width holds none).
  static bool FitsAcross(const PaneCanvas& canvas, const QRect& box, const std::string& text);
  // True when the text fits the box whole: across, and with all its lines within its height.
  static bool Fits(const PaneCanvas& canvas, const QRect& box, const std::string& text);
  // The bottom of the text's last line drawn from the top of the box.
  static int BottomOfLines(const PaneCanvas& canvas, const QRect& box, const std::string& text);

  // The rectangles the text's non-empty lines fill in its box, shadow included, clipped to it.
  static std::vector<QRect> LineRects(const PaneCanvas& canvas, const QRect& box, int format,
                                      const std::string& text);

private:
  PaneCanvas& m_Canvas;          // borrowed for one paint
  std::vector<QRect> m_Taken;    // the lines drawn so far
};
