#pragma once
// The window of a 2-D pane: it only paints the pane model.
#include "panes/Pane2D.h"

#include <QWidget>

class PaneWidget : public QWidget {
  Q_OBJECT
public:
  PaneWidget(const Pane2D& pane, QWidget* parent);

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  const Pane2D& m_Pane;  // borrowed: the pane takes its widget with it when it goes
};
