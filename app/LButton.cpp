#include "app/LButton.h"

#include "platform/ColorRefQt.h"

#include <QPainter>

LButton::LButton(QWidget* parent)
  : QPushButton(parent), m_Color(platform::ToColorRef(palette().color(QPalette::Button)))
{
}

void LButton::SetColor(uint32_t color)
{
  m_Color = color;
  update();
}

void LButton::paintEvent(QPaintEvent*)
{
  QPainter painter(this);
  const QRect area = rect();
  const bool enabled = isEnabled();
  painter.fillRect(area, enabled ? platform::ToQColor(m_Color) : palette().color(QPalette::Button));
  if (text().isEmpty())
    return;
  const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, area.width());
  if (enabled) {
    painter.setPen(palette().color(QPalette::ButtonText));
  } else {
    // The engraved look of disabled text: a highlight, then the grey text over it.
    painter.setPen(palette().color(QPalette::Light));
    painter.drawText(area, Qt::AlignCenter | Qt::TextSingleLine, shown);
    painter.setPen(palette().color(QPalette::Disabled, QPalette::Text));
  }
  painter.drawText(area, Qt::AlignCenter | Qt::TextSingleLine, shown);
}
