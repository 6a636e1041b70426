#include "panes/CChildWnd.h"

#include <QPaintEvent>
#include <QPainter>

CChildWnd::CChildWnd(QWidget* parent) : QWidget(parent)
{
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void CChildWnd::paintEvent(QPaintEvent* event)
{
  QPainter painter(this);
  painter.fillRect(event->rect(), Qt::black);
}
