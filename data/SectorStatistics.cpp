#include "data/SectorStatistics.h"

#include "data/CellThickness.h"

#include <cmath>
#include <vector>

void ComputeSectorStatistics(const uint16_t* labels, const float* values, size_t cellCount, int sectorCount,
                             float* means, float* sds)
{
  if (sectorCount <= 0)
    return;
  const size_t n = static_cast<size_t>(sectorCount);
  std::vector<float> sums(n, 0.0f);
  std::vector<int64_t> counts(n, 0);
  // One pass for all sectors: each sector still adds its own cells in cell order.
  for (size_t i = 0; i < cellCount; ++i) {
    const size_t label = labels[i];
    if (label == 0 || label > n || values[i] == kNoThickness)
      continue;
    sums[label - 1] += values[i];
    ++counts[label - 1];
  }
  for (size_t k = 0; k < n; ++k)
    means[k] = counts[k] > 0 ? sums[k] / static_cast<float>(counts[k]) : kNoThickness;

  std::vector<float> squares(n, 0.0f);
  for (size_t i = 0; i < cellCount; ++i) {
    const size_t label = labels[i];
    if (label == 0 || label > n || values[i] == kNoThickness)
      continue;
    const float d = values[i] - means[label - 1];
    squares[label - 1] += d * d;
  }
  for (size_t k = 0; k < n; ++k)
    sds[k] = counts[k] >= 2 ? std::sqrt(squares[k] / static_cast<float>(counts[k] - 1)) : kNoThickness;
}
