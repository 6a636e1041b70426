#include "panes/PaneWidget.h"

#include "panes/WithinMemory.h"

#include <QMouseEvent>
#include <QPainter>

PaneWidget::PaneWidget(Pane2D& pane, QWidget* parent) : QWidget(parent), m_Pane(pane)
{
  // The pane covers every pixel it is asked for; there is no background to erase.
  setAttribute(Qt::WA_OpaquePaintEvent);
  // Moves without a button held reach the pane too: a pane takes the keyboard focus on every
  // move.
  setMouseTracking(true);
}

void PaneWidget::paintEvent(QPaintEvent*)
{
  QPainter painter(this);
  RunWithinMemory([&] { m_Pane.Paint(painter); });
}

void PaneWidget::mousePressEvent(QMouseEvent* event)
{
  RunWithinMemory([&] { m_Pane.MousePress(event->position().toPoint(), event->button(), event->buttons()); });
}

void PaneWidget::mouseMoveEvent(QMouseEvent* event)
{
  setFocus(Qt::MouseFocusReason);
  RunWithinMemory([&] { m_Pane.MouseMove(event->position().toPoint(), event->buttons()); });
}

void PaneWidget::mouseReleaseEvent(QMouseEvent* event)
{
  RunWithinMemory([&] { m_Pane.MouseRelease(event->position().toPoint(), event->button(), event->buttons()); });
}

void PaneWidget::mouseDoubleClickEvent(QMouseEvent* event)
{
  // Qt's default would take the second press as a plain press as well.
  RunWithinMemory([&] { m_Pane.MouseDoubleClick(event->position().toPoint(), event->button(), event->buttons()); });
}
