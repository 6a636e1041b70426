#pragma once
// The eleven arrangements of the five panes, stored in the profile key "Layout" by name.
#include <string>

enum ViewLayout : int {
  LayoutHorizontal = 1,
  LayoutHorizontal2 = 2,
  LayoutVertical = 3,
  LayoutVertical2 = 4,
  LayoutOCTXY = 5,
  LayoutOCTZY = 6,
  LayoutOCTXZ = 7,
  LayoutOCTXZ2 = 8,
  LayoutProj = 9,
  LayoutProj2 = 10,
  Layout3D = 11,
};

constexpr int kViewLayoutCount = 11;

bool IsViewLayout(int value);
// "Horizontal" ... "3D"; "" for a value outside 1-11.
std::string ViewLayoutProfileName(int layout);
// The layout of a profile name, or 0 when the name is none of them.
int ViewLayoutFromProfileName(const std::string& name);
// The Layout combo's item text ("OCT XY" for "OCTXY", ...); "" outside 1-11.
std::string ViewLayoutComboText(int layout);
// Layouts whose rectangles follow the scan's physical extent.
bool UsesPhysicalExtent(int layout);
