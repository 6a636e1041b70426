#include "panes/PaneWidget.h"

#include <QPainter>

PaneWidget::PaneWidget(const Pane2D& pane, QWidget* parent) : QWidget(parent), m_Pane(pane)
{
  // The pane covers every pixel it is asked for; there is no background to erase.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void PaneWidget::paintEvent(QPaintEvent*)
{
  QPainter painter(this);
  m_Pane.Paint(painter);
}
