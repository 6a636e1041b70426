#pragma once
// Colours are kept as COLORREF values, R | G << 8 | B << 16, as stored in the profile.
#include <QColor>
#include <cstdint>

namespace platform {

using COLORREF = uint32_t;

constexpr COLORREF MakeColorRef(int r, int g, int b)
{
  return static_cast<COLORREF>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int RedOf(COLORREF c) { return static_cast<int>(c & 0xFF); }
constexpr int GreenOf(COLORREF c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int BlueOf(COLORREF c) { return static_cast<int>((c >> 16) & 0xFF); }

inline QColor ToQColor(COLORREF c)
{
  return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}
inline COLORREF ToColorRef(const QColor& c)
{
  return MakeColorRef(c.red(), c.green(), c.blue());
}

}  // namespace platform
