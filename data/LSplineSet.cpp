#include "data/LSplineSet.h"

#include "data/LCubicSpline.h"

namespace {

// The two in-plane coordinates of a point and its fixed one, for planes 1 XY, 2 ZY, 3 XZ.
struct PlaneAxes {
  int32_t Point3i::*u;
  int32_t Point3i::*v;
  int32_t Point3i::*fixed;
};

bool AxesOf(int plane, PlaneAxes& axes)
{
  switch (plane) {
    case 1: axes = {&Point3i::x, &Point3i::y, &Point3i::z}; return true;
    case 2: axes = {&Point3i::z, &Point3i::y, &Point3i::x}; return true;
    case 3: axes = {&Point3i::x, &Point3i::z, &Point3i::y}; return true;
    default: return false;
  }
}

}  // namespace

const std::vector<std::vector<Point3i>>& LSplineSet::NoCurves()
{
  static const std::vector<std::vector<Point3i>> none(kMaxSplines);
  return none;
}

void LSplineSet::ComputeSplineCurve(int splineCount, int index)
{
  count = splineCount;
  if (index < 0 || index >= kMaxSplines)
    return;
  if (m_Curves.empty())
    m_Curves.resize(kMaxSplines);
  std::vector<Point3i>& curve = m_Curves[index];
  curve.clear();
  PlaneAxes axes{};
  if (index >= static_cast<int>(planes.size()) || index >= static_cast<int>(controlPoints.size()) ||
      !AxesOf(planes[index], axes) || controlPoints[index].empty())
    return;

  // A double click at one voxel gives two equal points, whose zero chord has no direction:
  // keep each position once, and drop a closing point that repeats the first.
  const std::vector<Point3i>& points = controlPoints[index];
  const bool isClosed = index < static_cast<int>(closed.size()) && closed[index];
  std::vector<int> u, v;
  for (const Point3i& p : points) {
    if (!u.empty() && u.back() == p.*axes.u && v.back() == p.*axes.v)
      continue;
    u.push_back(p.*axes.u);
    v.push_back(p.*axes.v);
  }
  if (isClosed && u.size() > 1 && u.front() == u.back() && v.front() == v.back()) {
    u.pop_back();
    v.pop_back();
  }

  const int32_t fixed = points.front().*axes.fixed;
  const auto append = [&](int pu, int pv) {
    Point3i p;
    p.*axes.u = pu;
    p.*axes.v = pv;
    p.*axes.fixed = fixed;
    curve.push_back(p);
  };
  const int n = static_cast<int>(u.size());
  if (n < 2) {
    append(u[0], v[0]);
    return;
  }
  LCubicSpline spline(u, v, n);
  int total;
  if (isClosed) {
    spline.SolveClosed();
    total = spline.CountClosedPoints();
  } else {
    spline.SolveOpen();
    total = spline.CountOpenPoints();
  }
  std::vector<int> cu(total), cv(total);
  int written = 0;
  if (isClosed)
    spline.RasteriseClosed(cu, cv, written);
  else
    spline.RasteriseOpen(cu, cv, written);
  curve.reserve(total);
  for (int i = 0; i < total; ++i)
    append(cu[i], cv[i]);
}
