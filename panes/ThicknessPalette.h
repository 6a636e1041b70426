#pragma once
// The colours of the thickness map: 256 entries, one per colour index, interpolated between
// key colours. Built at construction as the colour ramp, so that the map never paints with
// unset colours.
#include <array>
#include <cstdint>

enum ThicknessPaletteType : int {
  PaletteColor = 0,  // blue, cyan, green, yellow, red
  PaletteGrey = 1,   // black to white
};

class ThicknessPalette {
public:
  ThicknessPalette() { Build(PaletteColor); }

  // Rebuilds the tables for a palette type; any other type leaves them as they are.
  void Build(int type);
  int Type() const { return m_Type; }

  uint8_t Red(uint8_t index) const { return m_Red[index]; }
  uint8_t Green(uint8_t index) const { return m_Green[index]; }
  uint8_t Blue(uint8_t index) const { return m_Blue[index]; }

private:
  int m_Type = PaletteColor;
  std::array<uint8_t, 256> m_Red{};
  std::array<uint8_t, 256> m_Green{};
  std::array<uint8_t, 256> m_Blue{};
};
