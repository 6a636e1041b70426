#include "model/ViewLayout.h"

namespace {

struct LayoutNames {
  const char* profile;
  const char* combo;
};

constexpr LayoutNames kNames[kViewLayoutCount] = {
  {"Horizontal", "Horizontal"}, {"Horizontal2", "Horizontal2"}, {"Vertical", "Vertical"},
  {"Vertical2", "Vertical2"},   {"OCTXY", "OCT XY"},            {"OCTZY", "OCT ZY"},
  {"OCTXZ", "OCT XZ"},          {"OCTXZ2", "OCT XZ2"},          {"Proj.", "Proj."},
  {"Proj.2", "Proj.2"},         {"3D", "3D"},
};

}  // namespace

bool IsViewLayout(int value)
{
  return value >= 1 && value <= kViewLayoutCount;
}

std::string ViewLayoutProfileName(int layout)
{
  return IsViewLayout(layout) ? kNames[layout - 1].profile : "";
}

int ViewLayoutFromProfileName(const std::string& name)
{
  for (int layout = 1; layout <= kViewLayoutCount; ++layout)
    if (name == kNames[layout - 1].profile)
      return layout;
  return 0;
}

std::string ViewLayoutComboText(int layout)
{
  return IsViewLayout(layout) ? kNames[layout - 1].combo : "";
}

bool UsesPhysicalExtent(int layout)
{
  return layout == LayoutHorizontal2 || layout == LayoutVertical2 || layout == LayoutOCTXZ2 ||
         layout == LayoutProj2;
}
