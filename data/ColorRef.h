#pragma once
// Colours are kept as COLORREF values, R | G << 8 | B << 16, as stored in the profile. The
// type has no toolkit in it, so the model and the panes share it; it keeps the namespace of the
// platform it stands in for. The Qt conversions are in platform/ColorRefQt.h.
#include <array>
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

// The default colours of the 20 surfaces and of the 20 marker colour numbers.
constexpr std::array<COLORREF, 20> kDefaultColorTable = {
  0x0033FF, 0x00CCFF, 0x00FFCC, 0x00FF33, 0x80FF00, 0xFFFF00, 0xFF8000, 0xFF0033, 0xFF00CC, 0xCC00FF,
  0x0080FF, 0x00FFFF, 0x00FF80, 0x33FF00, 0xCCFF00, 0xFFCC00, 0xFF3300, 0xFF0080, 0xFF00FF, 0x8000FF};

}  // namespace platform
