#pragma once
// A result point's coordinates by volume axis, as the slice panes address them.
#include "data/Point3i.h"
#include "panes/PaneConventions.h"
#include "panes/SliceMapping.h"

inline int CoordOf(const Point3i& p, int axis)
{
  return axis == AxisX ? p.x : axis == AxisY ? p.y : p.z;
}

inline int32_t& CoordOf(Point3i& p, int axis)
{
  return axis == AxisX ? p.x : axis == AxisY ? p.y : p.z;
}

// The hit rectangle of a control point in voxel units, around it in its spline's plane, as
// the splines keep it until a paint replaces it by the window rectangle drawn.
inline PixelRect VoxelHitRect(const Point3i& p, const SliceAxes& axes)
{
  return {CoordOf(p, axes.column) - 4, CoordOf(p, axes.row) - 4, 8, 8};
}
