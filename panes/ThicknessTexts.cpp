#include "panes/ThicknessTexts.h"

#include "data/NumberText.h"
#include "panes/ThicknessMap.h"

namespace {

// A figure in mm shown in micrometres with the given format, or "NA".
std::string Micrometres(const char* format, float millimetres)
{
  return millimetres == kNoThickness ? "NA" : numtext::Format(format, static_cast<double>(millimetres * 1000.0f));
}

}  // namespace

std::string ColorBarLabels(const ThicknessMap& map)
{
  if (!map.HasRange())
    return "NA\n\nNA\n\nNA\n\nNA\n\nNA";
  const float lo = map.Minimum();
  const float hi = map.Maximum();
  const float values[5] = {hi, 0.75f * hi + 0.25f * lo, 0.5f * hi + 0.5f * lo, 0.25f * hi + 0.75f * lo, lo};
  std::string text;
  for (const float v : values) {
    if (!text.empty())
      text += "\n\n";
    text += numtext::Format("%.0f um", static_cast<double>(v * 1000.0f));
  }
  return text;
}

std::string ThicknessFigures(const ThicknessMap& map)
{
  if (!map.HasRange())
    return "MeanT: NA\nCurT: NA\nVol: NA";
  const std::string vol = map.Vol() == kNoThickness ? "NA" : numtext::Format("%.3f mm3", static_cast<double>(map.Vol()));
  const std::string meanT = Micrometres("%.2f um", map.MeanT());
  const std::string curT = Micrometres("%.2f um", map.CurT());
  return "MeanT: " + meanT + "\nCurT: " + curT + "\nVol: " + vol;
}

std::string SectorFigures(float mean, float sd)
{
  if (mean == kNoThickness)
    return "NA\n(NA)";
  return Micrometres("%.2f", mean) + "\n(" + Micrometres("%.2f", sd) + ")";
}

std::string GridCenterText(int x, int z)
{
  return numtext::Format("(%d, %d)", x, z);
}
