#pragma once
// Static text drawn in colours of its own on a background of its own (the About box's note).
#include <QLabel>
#include <cstdint>

class LStatic : public QLabel {
  Q_OBJECT
public:
  using COLORREF = uint32_t;

  // Black text on the system's button-face colour.
  explicit LStatic(QWidget* parent = nullptr);

  // Fills the whole control with the colour and repaints at once.
  void SetBackgroundColor(COLORREF color);
  COLORREF BackgroundColor() const { return m_BackgroundColor; }
  COLORREF TextColor() const { return m_TextColor; }

private:
  void ApplyColors();

  COLORREF m_TextColor;
  COLORREF m_BackgroundColor;
};
