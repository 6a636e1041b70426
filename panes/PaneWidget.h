#pragma once
// The window of a 2-D pane: it paints the pane model and hands it the mouse input.
#include "panes/Pane2D.h"

#include <QWidget>

class PaneWidget : public QWidget {
  Q_OBJECT
public:
  PaneWidget(Pane2D& pane, QWidget* parent);

protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
  Pane2D& m_Pane;  // borrowed: the pane takes its widget with it when it goes
};
