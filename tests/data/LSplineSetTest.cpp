#include "data/LSplineSet.h"

#include <gtest/gtest.h>

namespace {

Point3i P(int x, int y, int z)
{
  Point3i p;
  p.x = x;
  p.y = y;
  p.z = z;
  return p;
}

LSplineSet OneSpline(int plane, std::vector<Point3i> points, bool isClosed = false)
{
  LSplineSet set;
  set.Create(1, kMaxSplines, LResultHeader{});
  set.planes[0] = plane;
  set.controlPoints[0] = std::move(points);
  set.closed[0] = isClosed;
  return set;
}

TEST(LSplineSet, CurvesLieInTheSplinePlane)
{
  // A ZY spline: u = z, v = y, and every curve point takes the x of the first point.
  LSplineSet set = OneSpline(2, {P(7, 0, 0), P(9, 0, 40)});
  set.ComputeSplineCurve(1, 0);
  const auto& curve = set.GetCurves()[0];
  ASSERT_EQ(curve.size(), 11u);
  for (const Point3i& p : curve) {
    EXPECT_EQ(p.x, 7);
    EXPECT_EQ(p.y, 0);
  }
  EXPECT_EQ(curve.front().z, 0);
  EXPECT_EQ(curve.back().z, 40);
}

TEST(LSplineSet, RepeatedPointsDoNotBreakTheCurve)
{
  const struct { const char* what; std::vector<Point3i> points; bool isClosed; size_t size; } cases[] = {
    {"double click", {P(0, 0, 3), P(40, 0, 3), P(40, 0, 3)}, false, 11},
    {"closing point repeats the first", {P(0, 0, 3), P(40, 0, 3), P(40, 40, 3), P(0, 0, 3)}, true, 0},
    {"one distinct point", {P(5, 6, 3), P(5, 6, 3)}, false, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    LSplineSet set = OneSpline(1, c.points, c.isClosed);
    set.ComputeSplineCurve(1, 0);
    const auto& curve = set.GetCurves()[0];
    ASSERT_FALSE(curve.empty());
    if (c.size) {
      EXPECT_EQ(curve.size(), c.size);
    }
    for (const Point3i& p : curve) {
      EXPECT_GE(p.x, -1);
      EXPECT_LE(p.x, 60);
      EXPECT_EQ(p.z, 3);
    }
    if (c.isClosed) {
      EXPECT_EQ(curve.back(), curve.front());
    }
  }
}

TEST(LSplineSet, OldCurvesAreClearedAndBadIndicesIgnored)
{
  LSplineSet set = OneSpline(1, {P(0, 0, 0), P(40, 0, 0)});
  // Before any curve is computed, every spline a pane may ask for has an empty one.
  ASSERT_EQ(set.GetCurves().size(), size_t(kMaxSplines));
  EXPECT_TRUE(set.GetCurves()[0].empty());
  set.ComputeSplineCurve(1, 0);
  ASSERT_EQ(set.GetCurves().size(), size_t(kMaxSplines));
  ASSERT_FALSE(set.GetCurves()[0].empty());
  set.controlPoints[0].resize(0);
  set.ComputeSplineCurve(1, 0);
  EXPECT_TRUE(set.GetCurves()[0].empty()) << "no points, no curve";
  set.controlPoints[0] = {P(0, 0, 0), P(40, 0, 0)};
  set.planes[0] = 0;
  set.ComputeSplineCurve(1, 0);
  EXPECT_TRUE(set.GetCurves()[0].empty()) << "no plane, no curve";

  set.ComputeSplineCurve(7, -1);
  EXPECT_EQ(set.count, 7) << "index -1 only stores the count";
  set.ComputeSplineCurve(2, 3000);
  set.ComputeSplineCurve(2, 2999);  // a spline the record has but never set
  EXPECT_TRUE(set.GetCurves()[2999].empty());
}

}  // namespace
