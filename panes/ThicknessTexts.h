#pragma once
// The texts of the projection pane's thickness display, in micrometres (the map holds
// millimetres). A figure that does not exist reads "NA"; numbers never depend on the locale.
#include <string>

class ThicknessMap;

// The five colour-bar labels from the top (maximum) to the bottom (minimum), with a blank
// line between them.
std::string ColorBarLabels(const ThicknessMap& map);
// "MeanT: ... um\nCurT: ... um\nVol: ... mm3".
std::string ThicknessFigures(const ThicknessMap& map);
// A sector's mean over its standard deviation in parentheses.
std::string SectorFigures(float mean, float sd);
// The grid centre as "(x, z)".
std::string GridCenterText(int x, int z);
