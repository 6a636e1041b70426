#pragma once
// A push button drawn as a colour swatch with its caption centred on it: the surface boxes
// of the data panel, whose colour tells whether the surface is drawn.
#include <QPushButton>
#include <cstdint>

class LButton : public QPushButton {
  Q_OBJECT
public:
  explicit LButton(QWidget* parent = nullptr);

  // Stores the swatch colour (COLORREF) and repaints.
  void SetColor(uint32_t color);
  uint32_t Color() const { return m_Color; }

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  uint32_t m_Color;
};
