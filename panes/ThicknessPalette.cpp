#include "panes/ThicknessPalette.h"

#include <cstddef>
#include <vector>

namespace {

struct KeyColour {
  int index;
  int red, green, blue;
};

const std::vector<KeyColour> kColourKeys = {
    {0, 0, 0, 255}, {64, 0, 255, 255}, {128, 0, 255, 0}, {191, 255, 255, 0}, {255, 255, 0, 0}};
const std::vector<KeyColour> kGreyKeys = {{0, 0, 0, 0}, {255, 255, 255, 255}};

// Entries a to b - 1 of one table on the line between the two key values, in single
// precision; entry b is left to the next pair (the last key keeps its own value).
void Interpolate(std::array<uint8_t, 256>& table, int a, int b, int va, int vb)
{
  const float d = static_cast<float>(vb - va) / static_cast<float>(b - a);
  const float e = static_cast<float>(va) - static_cast<float>(a) * d;
  for (int k = a; k < b; ++k)
    table[static_cast<size_t>(k)] = static_cast<uint8_t>(static_cast<float>(k) * d + e);
}

}  // namespace

void ThicknessPalette::Build(int type)
{
  const std::vector<KeyColour>* keys = nullptr;
  if (type == PaletteColor)
    keys = &kColourKeys;
  else if (type == PaletteGrey)
    keys = &kGreyKeys;
  m_Type = type;
  if (!keys)
    return;
  for (size_t i = 0; i + 1 < keys->size(); ++i) {
    const KeyColour& a = (*keys)[i];
    const KeyColour& b = (*keys)[i + 1];
    Interpolate(m_Red, a.index, b.index, a.red, b.red);
    Interpolate(m_Green, a.index, b.index, a.green, b.green);
    Interpolate(m_Blue, a.index, b.index, a.blue, b.blue);
  }
  const KeyColour& last = keys->back();
  m_Red[static_cast<size_t>(last.index)] = static_cast<uint8_t>(last.red);
  m_Green[static_cast<size_t>(last.index)] = static_cast<uint8_t>(last.green);
  m_Blue[static_cast<size_t>(last.index)] = static_cast<uint8_t>(last.blue);
}
