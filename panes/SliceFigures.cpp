#include "panes/SliceFigures.h"

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

float LabelVolumeMm3(const unsigned short* labels, const int size[3], const float spacing[3], int maximum)
{
  if (!labels || size[0] <= 0 || size[1] <= 0 || size[2] <= 0)
    return 0.0f;
  const size_t voxels = size_t(size[0]) * size_t(size[1]) * size_t(size[2]);
  const int threshold = maximum / 2;
  size_t inside = 0;
  for (size_t i = 0; i < voxels; ++i)
    inside += labels[i] >= threshold;
  return static_cast<float>(inside) * spacing[2] * spacing[1] * spacing[0];
}
