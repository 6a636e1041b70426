#pragma once
// Panels are laid out in dialog units of a 10-point sans-serif font: a horizontal unit is a
// quarter of its average character width, a vertical unit an eighth of its height. The
// panels write in a smaller face of the same family so that captions fit their boxes.
#include <QFont>
#include <QFontMetrics>
#include <QRect>

class DialogUnits {
public:
  static QFont LayoutFont() { return QFont(QStringLiteral("Liberation Sans"), 10); }
  static QFont PanelFont() { return QFont(QStringLiteral("Liberation Sans"), 8); }

  DialogUnits()
    : m_X(QFontMetrics(LayoutFont()).averageCharWidth() / 4.0),
      m_Y(QFontMetrics(LayoutFont()).height() / 8.0) {}

  int X(int units) const { return static_cast<int>(units * m_X + 0.5); }
  int Y(int units) const { return static_cast<int>(units * m_Y + 0.5); }
  QRect Rect(int x, int y, int width, int height) const { return QRect(X(x), Y(y), X(width), Y(height)); }

private:
  double m_X;
  double m_Y;
};
