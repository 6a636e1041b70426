#pragma once
// The size of an elliptical brush, or of a surface edit's neighbourhood, in voxels.
#include <cmath>
#include <limits>

// The radius along one axis in voxels, margin / spacing (mm). A spacing that is not a
// positive number (a scan that gave none) or a margin below 0 makes it 0: the brush is then
// one voxel wide along that axis.
inline float BrushRadius(float margin, float spacing)
{
  const float r = margin / spacing;
  return spacing > 0.0f && std::isfinite(r) && r >= 0.0f ? r : 0.0f;
}

// max(1, trunc(radius + 0.5)), never more than the axis' size.
inline int BrushHalfExtent(float radius, int size)
{
  const float h = radius + 0.5f;
  if (!(h >= 1.0f))
    return 1;
  return h >= static_cast<float>(size) ? (size > 1 ? size : 1) : static_cast<int>(h);
}

// (k / r)^2 in single precision, the term of one axis in the ellipse test. The centre line is
// always inside, even for a radius of 0; any other offset is then outside.
inline float EllipseTerm(int k, float r)
{
  if (k == 0)
    return 0.0f;
  return r > 0.0f ? static_cast<float>(k) * static_cast<float>(k) / (r * r) : std::numeric_limits<float>::infinity();
}
