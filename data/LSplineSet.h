#pragma once
// The splines record together with the curve each spline is drawn as: a dense list of
// voxel positions through its control points, recomputed after every change.
#include "data/LSplines.h"

#include <vector>

constexpr int kMaxSplines = 3000;

class LSplineSet : public LSplines {
public:
  // One curve per possible spline, all empty until the first is computed: a view keeps a
  // hundred sets per scan that are never drawn, and only the one it shows computes curves.
  const std::vector<std::vector<Point3i>>& GetCurves() const { return m_Curves.empty() ? NoCurves() : m_Curves; }

  // Stores the spline count, then recomputes the curve of the spline at index (an index
  // outside 0-2999, such as -1, only stores the count). A spline without a plane or points
  // has an empty curve; repeated consecutive points count once.
  void ComputeSplineCurve(int splineCount, int index);

private:
  static const std::vector<std::vector<Point3i>>& NoCurves();

  std::vector<std::vector<Point3i>> m_Curves;  // empty, or kMaxSplines curves
};
