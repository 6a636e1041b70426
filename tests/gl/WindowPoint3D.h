#pragma once
// Where the 3-D pane shows a voxel position: the scene mapping, the accumulated rotation and
// the camera (45 degrees vertical field of view, the eye on the axis at the camera distance,
// no pan), worked out without OpenGL.
#include "panes/L3D.h"

#include <QPoint>
#include <cmath>

inline QPoint WindowPoint(const L3D& pane, float x, float y, float z)
{
  const ScenePoint p = pane.Map(x, y, z);
  const std::array<float, 16>& m = pane.Rotation().accumulated;
  const double ex = m[0] * p.x + m[4] * p.y + m[8] * p.z;
  const double ey = m[1] * p.x + m[5] * p.y + m[9] * p.z;
  const double ez = m[2] * p.x + m[6] * p.y + m[10] * p.z;
  const double f = 1.0 / std::tan(22.5 * M_PI / 180.0);
  const double depth = pane.Camera().distance - ez;
  const double width = pane.GetWindowWidth();
  const double height = pane.GetWindowHeight();
  return {static_cast<int>(std::lround(width / 2.0 + ex / depth * f * height / 2.0)),
          static_cast<int>(std::lround(height / 2.0 - ey / depth * f * height / 2.0))};
}
