#pragma once
// What PaneWidget needs of a 2-D pane model: it paints itself in device pixels and takes the
// mouse input of its window.
#include <QPoint>
#include <Qt>

class QPainter;

class Pane2D {
public:
  virtual ~Pane2D() = default;
  virtual void Paint(QPainter& painter) const = 0;
  // A button went down at a window point; buttons are those held after the press.
  virtual void MousePress(QPoint, Qt::MouseButton, Qt::MouseButtons) {}
  virtual void MouseMove(QPoint, Qt::MouseButtons) {}
  // A button went up; buttons are those still held.
  virtual void MouseRelease(QPoint, Qt::MouseButton, Qt::MouseButtons) {}
  // The second press of a double click. A pane without a double-click action takes it as a
  // press.
  virtual void MouseDoubleClick(QPoint point, Qt::MouseButton button, Qt::MouseButtons held)
  {
    MousePress(point, button, held);
  }
};
