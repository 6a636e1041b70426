#include "panes/SliceFigures.h"

#include "data/LabelLayer.h"
#include "panes/PaneConventions.h"

#include <cmath>

float CupToDiscRatio(const uint8_t* mask, size_t cells)
{
  if (!mask)
    return 0.0f;
  size_t cup = 0;
  size_t rim = 0;
  for (size_t i = 0; i < cells; ++i) {
    cup += IsDiscCup(mask[i]);
    rim += IsDiscRim(mask[i]);
  }
  if (cup + rim == 0)
    return 0.0f;
  return std::sqrt(static_cast<float>(cup) / static_cast<float>(cup + rim));
}

float LabelVolumeMm3(const LabelLayer* labels, const float spacing[3])
{
  if (!labels)
    return 0.0f;
  return static_cast<float>(labels->LabelledCount()) * spacing[2] * spacing[1] * spacing[0];
}
