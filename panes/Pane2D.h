#pragma once
// What PaneWidget needs of a 2-D pane model: it paints itself in device pixels.
class QPainter;

class Pane2D {
public:
  virtual ~Pane2D() = default;
  virtual void Paint(QPainter& painter) const = 0;
};
