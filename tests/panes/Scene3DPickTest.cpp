// What a picked name of the 3-D scene stands for, and the deletions of markers and splines.
#include "panes/Scene3D.h"

#include "data/LMarkers.h"
#include "data/LSplineSet.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// 16 x 24 x 6 voxels with every kind of result; the position is (8, 12, 3).
struct PickScene {
  static constexpr int kX = 16;
  static constexpr int kY = 24;
  static constexpr int kZ = 6;
  const int size[3] = {kX, kY, kZ};
  const float spacing[3] = {0.05f, 0.002f, 0.05f};
  std::vector<unsigned short> voxels = std::vector<unsigned short>(kX * kY * kZ, 100);
  int position[3] = {8, 12, 3};
  int gridCenter[2] = {8, 3};
  float centre = 127.5f;
  float width = 255.0f;
  // Surface i lies at depth 10 + i, except two points of surface 1: one undefined (-1), one
  // made for a deeper scan.
  std::vector<Point3i> surfaces = [] {
    std::vector<Point3i> points;
    for (int i = 0; i < 2; ++i)
      for (int z = 0; z < kZ; ++z)
        for (int x = 0; x < kX; ++x)
          points.push_back({x, 10 + i, z});
    points[(kZ + 2) * kX + 3].y = -1;
    points[(kZ + 4) * kX + 5].y = 400;
    return points;
  }();
  std::vector<Point3i> refSurface = [] {
    std::vector<Point3i> points;
    for (int z = 0; z < kZ; ++z)
      for (int x = 0; x < kX; ++x)
        points.push_back({x, 20, z});
    return points;
  }();
  const std::vector<float> vessel = {3.7f, 5.2f, 1.9f, 0, 0, 0, 0, 0, 0, 9.9f, 8.1f, 4.5f, 0, 0, 0, 0, 0, 0};
  const std::vector<float> sead = {1.2f, 2.8f, 3.3f, 0, 0, 0, 0, 0, 0};
  int markerCount = 3;
  LMarkers markers;
  int splineCount = 3;
  LSplineSet splines;
  std::vector<std::vector<PixelRect>> hitRects = std::vector<std::vector<PixelRect>>(kMaxSplines);

  PickScene()
  {
    markers.Create(3, 3000, LResultHeader());
    markers.points[0] = {1, 2, 3};
    markers.points[1] = {40, -5, 3};  // a marker of another scan size
    markers.points[2] = {7, 8, 5};
    markers.labels[0] = "0";
    markers.labels[1] = "1";
    markers.labels[2] = "2";
    splines.Create(3, 3000, LResultHeader());
    const std::vector<std::vector<Point3i>> points = {
        {{1, 1, 3}, {4, 4, 3}}, {{2, 5, 0}, {2, 9, 5}, {2, 13, 1}}, {{6, 7, 0}, {10, 7, 4}}};
    const int planes[3] = {OrientationXY, OrientationZY, OrientationXZ};
    for (int s = 0; s < 3; ++s) {
      splines.planes[s] = planes[s];
      splines.controlPoints[s] = points[static_cast<size_t>(s)];
      splines.closed[s] = s == 2;
      hitRects[static_cast<size_t>(s)] = {{s, s, 8, 8}};
      splines.ComputeSplineCurve(3, s);
    }
  }

  void Attach(Scene3D& scene)
  {
    scene.SetVolume(size, voxels.data(), spacing, 1);
    scene.SetPosition(position);
    scene.SetGridCenter(gridCenter);
    scene.SetWindowLevel(&centre, &width);
    scene.SetSurfaces(2, surfaces.data(), nullptr);
    scene.SetRefSurface(refSurface.data());
    scene.SetVesselMesh(vessel.size() / 3, vessel.data());
    scene.SetSEADMesh(sead.size() / 3, sead.data());
    scene.SetMarkers(&markerCount, &markers);
    scene.SetSplines(&splineCount, &splines, &hitRects);
  }
};

TEST(Scene3DPick, ANameStandsForAPositionWithinTheVolume)
{
  PickScene d;
  Scene3D scene;
  d.Attach(scene);
  const PickNames3D& n = scene.Names();
  const struct {
    const char* what;
    uint64_t name;
    bool picked;
    std::array<int, 3> position;
  } cases[] = {
    {"XY cell keeps z", n.PlaneXY(5, 7), true, {5, 7, 3}},
    {"last XY cell", n.PlaneXY(14, 22), true, {14, 22, 3}},
    {"ZY cell keeps x", n.PlaneZY(2, 9), true, {8, 9, 2}},
    {"XZ cell keeps y", n.PlaneXZ(4, 1), true, {4, 12, 1}},
    {"surface cell", n.SurfaceCell(1, 6, 3), true, {6, 11, 3}},
    {"undefined surface point", n.SurfaceCell(1, 3, 2), true, {3, 0, 2}},
    {"surface point below the scan", n.SurfaceCell(1, 5, 4), true, {5, 23, 4}},
    {"surface beyond the count", n.SurfaceCell(2, 6, 3), false, {8, 12, 3}},
    {"reference cell", n.RefSurfaceCell(9, 4), true, {9, 20, 4}},
    {"vessel triangle", n.VesselTriangle(1), true, {9, 8, 4}},
    {"vessel triangle beyond the mesh", n.VesselTriangle(2), false, {8, 12, 3}},
    {"SEAD triangle", n.SEADTriangle(0), true, {1, 2, 3}},
    {"marker", n.Marker(2), true, {7, 8, 5}},
    {"marker of another scan size", n.Marker(1), true, {15, 0, 3}},
    {"marker beyond the count", n.Marker(3), false, {8, 12, 3}},
    {"control point of the second spline", n.ControlPoint(3), true, {2, 9, 5}},
    {"control point beyond the splines", n.ControlPoint(7), false, {8, 12, 3}},
    {"last name of the control points", n.Ignored() - 1, false, {8, 12, 3}},
    {"a name that means nothing", n.Ignored(), false, {8, 12, 3}},
    {"a name that would be negative", 0xFFFFFFF0u, false, {8, 12, 3}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::array<int, 3> position = scene.Position();
    EXPECT_EQ(scene.PickedPosition(c.name, position), c.picked);
    EXPECT_EQ(position, c.position);
  }
}

// A single B-scan, or a single column, leaves blocks empty: no name may land in them.
TEST(Scene3DPick, AScanOfOneSliceDecodesTheBlocksItHas)
{
  const struct {
    const char* what;
    int size[3];
    uint64_t (*name)(const PickNames3D&);
    std::array<int, 3> position;
  } cases[] = {
    {"one B-scan, XY cell", {16, 24, 1}, [](const PickNames3D& n) { return n.PlaneXY(3, 4); }, {3, 4, 0}},
    {"one B-scan, marker", {16, 24, 1}, [](const PickNames3D& n) { return n.Marker(0); }, {1, 2, 0}},
    {"one column, ZY cell", {1, 24, 6}, [](const PickNames3D& n) { return n.PlaneZY(2, 5); }, {0, 5, 2}},
    {"one column, marker", {1, 24, 6}, [](const PickNames3D& n) { return n.Marker(0); }, {0, 2, 3}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<unsigned short> voxels(static_cast<size_t>(c.size[0] * c.size[1] * c.size[2]));
    const float spacing[3] = {0.05f, 0.002f, 0.05f};
    int position[3] = {0, 0, 0};
    float centre = 127.5f, width = 255.0f;
    const int count = 1;
    const Point3i marker{1, 2, 3};
    const std::string label = "0";
    Scene3D scene;
    scene.SetVolume(c.size, voxels.data(), spacing, 1);
    scene.SetPosition(position);
    scene.SetWindowLevel(&centre, &width);
    scene.SetMarkers(&count, &marker, &label);
    std::array<int, 3> picked = scene.Position();
    EXPECT_TRUE(scene.PickedPosition(c.name(scene.Names()), picked));
    EXPECT_EQ(picked, c.position);
  }
}

TEST(Scene3DPick, DeletingAMarkerMovesTheLaterOnesDown)
{
  const struct {
    const char* what;
    int count;
    int deleted;
    bool done;
    std::vector<std::string> labels;  // of the first three entries afterwards
  } cases[] = {
    {"the only marker", 1, 0, true, {"-1", "1", "2"}},
    {"the first of three", 3, 0, true, {"1", "2", "-1"}},
    {"the last of three", 3, 2, true, {"0", "1", "-1"}},
    {"beyond the count", 2, 2, false, {"0", "1", "2"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    PickScene d;
    Scene3D scene;
    d.Attach(scene);
    d.markerCount = c.count;
    d.markers.count = c.count;
    EXPECT_EQ(scene.DeleteMarker(c.deleted), c.done);
    const int expected = c.done ? c.count - 1 : c.count;
    EXPECT_EQ(d.markerCount, expected);
    EXPECT_EQ(d.markers.count, expected);
    EXPECT_EQ(std::vector<std::string>(d.markers.labels.begin(), d.markers.labels.begin() + 3), c.labels);
    if (c.done) {
      EXPECT_EQ(d.markers.points[static_cast<size_t>(c.count - 1)], (Point3i{-1, -1, -1}));
    }
  }
  // Handed over only to be drawn, the markers are not edited.
  PickScene d;
  Scene3D scene;
  d.Attach(scene);
  scene.SetMarkers(&d.markerCount, d.markers.points.data(), d.markers.labels.data());
  EXPECT_FALSE(scene.DeleteMarker(0));
  EXPECT_EQ(d.markerCount, 3);
}

TEST(Scene3DPick, DeletingTheSecondOfThreeSplinesMovesTheThirdIntoItsPlace)
{
  PickScene d;
  Scene3D scene;
  d.Attach(scene);
  const std::vector<Point3i> thirdCurve = d.splines.GetCurves()[2];
  ASSERT_FALSE(thirdCurve.empty());
  EXPECT_EQ(scene.SplineOfControlPoint(1), 0);
  EXPECT_EQ(scene.SplineOfControlPoint(4), 1);
  EXPECT_EQ(scene.SplineOfControlPoint(5), 2);
  EXPECT_EQ(scene.SplineOfControlPoint(7), -1);

  ASSERT_TRUE(scene.DeleteSpline(scene.SplineOfControlPoint(3)));
  EXPECT_EQ(d.splineCount, 2);
  EXPECT_EQ(d.splines.count, 2);
  EXPECT_EQ(d.splines.planes[1], OrientationXZ);
  EXPECT_TRUE(d.splines.closed[1]);
  EXPECT_EQ(d.splines.controlPoints[1], (std::vector<Point3i>{{6, 7, 0}, {10, 7, 4}}));
  EXPECT_EQ(d.hitRects[1], (std::vector<PixelRect>{{2, 2, 8, 8}}));
  EXPECT_EQ(d.splines.GetCurves()[1], thirdCurve);
  // The freed entry.
  EXPECT_EQ(d.splines.planes[2], OrientationXY);
  EXPECT_FALSE(d.splines.closed[2]);
  EXPECT_TRUE(d.splines.controlPoints[2].empty());
  EXPECT_TRUE(d.hitRects[2].empty());
  EXPECT_TRUE(d.splines.GetCurves()[2].empty());
  // The first stays.
  EXPECT_EQ(d.splines.planes[0], OrientationXY);
  EXPECT_EQ(d.hitRects[0], (std::vector<PixelRect>{{0, 0, 8, 8}}));

  EXPECT_FALSE(scene.DeleteSpline(2));
  EXPECT_EQ(d.splineCount, 2);
}

}  // namespace
