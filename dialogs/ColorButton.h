#pragma once
// A button showing a colour swatch; a click drops down a palette of five columns with a
// button for any other colour (the system colour dialog). It has no "automatic" entry.
#include "data/ColorRef.h"

#include <QToolButton>

class ColorButton : public QToolButton {
  Q_OBJECT
public:
  explicit ColorButton(QWidget* parent = nullptr);

  void SetColor(platform::COLORREF color);
  platform::COLORREF Color() const { return m_Color; }

private:
  void BuildPalette();
  void ChooseOther();

  platform::COLORREF m_Color = 0;
};
