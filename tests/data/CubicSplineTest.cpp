#include "data/LCubicSpline.h"
#include "fixtures/FixtureFiles.h"

#include <cmath>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Curve {
  std::vector<int> u, v;
};

Curve Rasterise(const std::vector<int>& u, const std::vector<int>& v, bool closed)
{
  LCubicSpline spline(u, v, static_cast<int>(u.size()));
  Curve c;
  int index = 0;
  if (closed) {
    spline.SolveClosed();
    c.u.resize(spline.CountClosedPoints());
    c.v.resize(c.u.size());
    spline.RasteriseClosed(c.u, c.v, index);
  } else {
    spline.SolveOpen();
    c.u.resize(spline.CountOpenPoints());
    c.v.resize(c.u.size());
    spline.RasteriseOpen(c.u, c.v, index);
  }
  EXPECT_EQ(index, static_cast<int>(c.u.size()));
  return c;
}

TEST(CubicSpline, TwoPointsGiveAStraightLine)
{
  const Curve c = Rasterise({0, 40}, {0, 0}, false);
  // The tenth Jacobi iterate of the tangent is 40.02, so the second half truncates low.
  EXPECT_EQ(c.u, (std::vector<int>{0, 4, 8, 12, 16, 20, 23, 27, 31, 35, 40}));
  EXPECT_EQ(c.v, std::vector<int>(11, 0));
}

TEST(CubicSpline, ShortSegmentHasItsTwoEnds)
{
  const Curve c = Rasterise({5, 8}, {5, 6}, false);
  EXPECT_EQ(c.u, (std::vector<int>{5, 8}));
  EXPECT_EQ(c.v, (std::vector<int>{5, 6}));
}

TEST(HermiteSegment, EveryStepCountEndsOnTheEndPoint)
{
  // Single-precision stepping (1/steps)*k misses the end for some step counts.
  for (int length = 4; length < 2000; length += 4) {
    LHermiteSegment segment;
    segment.Set(static_cast<float>(length), 0.0f, static_cast<float>(length), 0.0f,
                static_cast<float>(length), 0.0f);
    std::vector<int> u(segment.GetPointCount()), v(u.size());
    int index = 0;
    segment.Rasterise(0.0f, 0.0f, u, v, index);
    ASSERT_EQ(u.back(), length) << "steps " << length / 4;
  }
}

TEST(CubicSpline, ThreePointsOpenAndClosed)
{
  const std::vector<int> u = {10, 50, 90}, v = {10, 40, 10};
  const Curve open = Rasterise(u, v, false);
  // The middle point closes the first segment and opens the second.
  size_t middle = 0;
  for (size_t i = 1; i < open.u.size(); ++i)
    if (open.u[i] == 50 && open.v[i] == 40 && open.u[i - 1] == 50 && open.v[i - 1] == 40)
      middle = i;
  EXPECT_GT(middle, 0u) << "the middle control point occurs twice in a row";
  EXPECT_EQ(open.u.front(), 10);
  EXPECT_EQ(open.u.back(), 90);

  const Curve closed = Rasterise(u, v, true);
  EXPECT_GT(closed.u.size(), open.u.size());
  EXPECT_EQ(closed.u.back(), 10) << "a closed curve ends on its first point";
  EXPECT_EQ(closed.v.back(), 10);
}

// The program's spline is a natural (open) or periodic (closed) cubic over chord length,
// up to the ten Jacobi sweeps: scipy's CubicSpline is the independent reference.
TEST(CubicSpline, FollowsScipyWithinOneVoxel)
{
  const struct { std::vector<int> u, v; bool closed; } cases[] = {
    {{12, 60, 110, 150, 200}, {30, 80, 60, 120, 90}, false},
    {{100, 160, 130, 60, 40}, {40, 90, 160, 150, 80}, true},
    {{0, 30, 70, 100}, {0, 25, 20, 60}, false}};
  for (const auto& c : cases) {
    const Curve curve = Rasterise(c.u, c.v, c.closed);
    std::ostringstream script;
    script << "/usr/bin/python3 -c \"\n"
           << "import numpy as np\nfrom scipy.interpolate import CubicSpline\n"
           << "u=np.array([";
    for (int x : c.u) script << x << ",";
    script << "],float); v=np.array([";
    for (int y : c.v) script << y << ",";
    script << "],float)\nclosed=" << (c.closed ? "True" : "False") << "\n"
           << "if closed: u=np.append(u,u[0]); v=np.append(v,v[0])\n"
           << "t=np.concatenate([[0],np.cumsum(np.hypot(np.diff(u),np.diff(v)))])\n"
           << "bc='periodic' if closed else 'natural'\n"
           << "su=CubicSpline(t,u,bc_type=bc); sv=CubicSpline(t,v,bc_type=bc)\n"
           << "s=np.linspace(0,t[-1],4000)\n"
           << "print(' '.join('%.3f %.3f'%(a,b) for a,b in zip(su(s),sv(s))))\n\"";
    std::string output;
    ASSERT_EQ(fixtures::RunCommand(script.str(), &output), 0) << "needs python3-scipy";
    std::istringstream in(output);
    std::vector<std::pair<double, double>> reference;
    double a, b;
    while (in >> a >> b)
      reference.emplace_back(a, b);
    ASSERT_FALSE(reference.empty());
    for (size_t i = 0; i < curve.u.size(); ++i) {
      double nearest = 1e9;
      for (const auto& [ru, rv] : reference)
        nearest = std::min(nearest, std::max(std::abs(ru - curve.u[i]), std::abs(rv - curve.v[i])));
      EXPECT_LE(nearest, 1.0) << "point " << i << " (" << curve.u[i] << ", " << curve.v[i] << ")";
    }
  }
}

}  // namespace
