#include "dialogs/LStatic.h"

#include "platform/ColorRefQt.h"

#include <QApplication>
#include <QPalette>

LStatic::LStatic(QWidget* parent)
  : QLabel(parent),
    m_TextColor(platform::MakeColorRef(0, 0, 0)),
    m_BackgroundColor(platform::ToColorRef(QApplication::palette().color(QPalette::Button)))
{
  setAutoFillBackground(true);
  ApplyColors();
}

void LStatic::SetBackgroundColor(COLORREF color)
{
  m_BackgroundColor = color;
  ApplyColors();
  repaint();
}

void LStatic::ApplyColors()
{
  QPalette colours = palette();
  colours.setColor(QPalette::Window, platform::ToQColor(m_BackgroundColor));
  colours.setColor(QPalette::WindowText, platform::ToQColor(m_TextColor));
  setPalette(colours);
}
