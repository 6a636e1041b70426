// The arithmetic of the 3-D scene, read without a rendering context.
#include "panes/Scene3D.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// 16 x 24 x 6 voxels, every axis a different length; the voxel spacing makes x the longest
// half extent (0.4 mm) with the depth scale 5.
struct SceneData {
  static constexpr int kX = 16;
  static constexpr int kY = 24;
  static constexpr int kZ = 6;
  const int size[3] = {kX, kY, kZ};
  const float spacing[3] = {0.05f, 0.002f, 0.05f};
  // Not linear along z, so that a slab average differs from its middle slice.
  static int Value(int x, int y, int z) { return (x * 13 + y * 7 + z * z * 29) % 256; }
  std::vector<unsigned short> voxels = [] {
    std::vector<unsigned short> v(kX * kY * kZ);
    for (int z = 0; z < kZ; ++z)
      for (int y = 0; y < kY; ++y)
        for (int x = 0; x < kX; ++x)
          v[x + kX * (y + kY * z)] = static_cast<unsigned short>(Value(x, y, z));
    return v;
  }();
  int position[3] = {8, 12, 3};
  int gridCenter[2] = {8, 3};
  // Grey = value for 8-bit voxels.
  float centre = 127.5f;
  float width = 255.0f;

  void Attach(Scene3D& scene)
  {
    scene.SetVolume(size, voxels.data(), spacing, 1);
    scene.SetPosition(position);
    scene.SetGridCenter(gridCenter);
    scene.SetWindowLevel(&centre, &width);
  }
};

struct Rgb {
  float r, g, b;
};
Rgb Diffuse(const Material3D& m)
{
  return {m.diffuse[0], m.diffuse[1], m.diffuse[2]};
}
void ExpectRgb(const Rgb& expected, const Rgb& actual)
{
  EXPECT_FLOAT_EQ(expected.r, actual.r);
  EXPECT_FLOAT_EQ(expected.g, actual.g);
  EXPECT_FLOAT_EQ(expected.b, actual.b);
}
Rgb GreyOf(int value)
{
  const float g = static_cast<float>(value) * 0.003921569f;
  return {g, g, g};
}

TEST(Scene3D, HalfExtentsAndCameraFollowTheVolumeAndTheDepthScale)
{
  Scene3D scene;
  const int size[3] = {512, 1024, 128};
  const float spacing[3] = {0.012f, 0.002f, 0.047f};
  scene.SetVolume(size, nullptr, spacing, 1);
  EXPECT_FLOAT_EQ(scene.HalfExtents().x, 3.072f);
  EXPECT_FLOAT_EQ(scene.HalfExtents().y, 5.12f);
  EXPECT_FLOAT_EQ(scene.HalfExtents().z, 3.008f);
  EXPECT_NEAR(scene.Camera().radius, 5.12, 1e-6);
  EXPECT_NEAR(scene.Camera().distance, 12.8, 1e-5);
  EXPECT_EQ(scene.Camera().panX, 0.0);
  EXPECT_EQ(scene.Camera().panY, 0.0);

  // The depth shrinks at once; the camera keeps its radius until the next volume.
  scene.Set3DIsotropic(true);
  EXPECT_FLOAT_EQ(scene.HalfExtents().y, 1.024f);
  EXPECT_NEAR(scene.Camera().radius, 5.12, 1e-6);
  scene.SetVolume(size, nullptr, spacing, 1);
  EXPECT_NEAR(scene.Camera().radius, 3.072, 1e-6);
  EXPECT_NEAR(scene.Camera().distance, 2.5 * 3.072, 1e-5);
}

TEST(Scene3D, MapsTheVolumeCornersAroundTheOriginWithRowZeroOnTop)
{
  SceneData d;
  Scene3D scene;
  d.Attach(scene);
  const struct {
    float x, y, z;
    ScenePoint expected;
  } cases[] = {
    {0, 0, 0, {-0.4f, 0.12f, -0.15f}},
    {16, 24, 6, {0.4f, -0.12f, 0.15f}},
    {8, 12, 3, {0.0f, 0.0f, 0.0f}},
  };
  for (const auto& c : cases) {
    const ScenePoint p = scene.Map(c.x, c.y, c.z);
    EXPECT_NEAR(p.x, c.expected.x, 1e-6);
    EXPECT_NEAR(p.y, c.expected.y, 1e-6);
    EXPECT_NEAR(p.z, c.expected.z, 1e-6);
  }
}

TEST(Scene3D, PickNamesFollowOneAnotherBlockByBlock)
{
  SceneData d;
  PickNames3D names;
  names.SetVolumeSize(d.size);
  // Planes 15*23 + 5*23 + 15*5 = 535; surfaces 20 * 75; reference 75; meshes 2304 / 3 each.
  const uint64_t f = 535 + 1500 + 75 + 768 + 768;
  const struct {
    const char* what;
    uint64_t name;
    uint64_t expected;
  } cases[] = {
    {"first XY cell", names.PlaneXY(0, 0), 0},
    {"last XY cell", names.PlaneXY(14, 22), 344},
    {"first ZY cell", names.PlaneZY(0, 0), 345},
    {"ZY cell (z 4, y 1)", names.PlaneZY(4, 1), 345 + 4 + 5},
    {"first XZ cell", names.PlaneXZ(0, 0), 460},
    {"last XZ cell", names.PlaneXZ(14, 4), 534},
    {"surface 0, cell (1, 2)", names.SurfaceCell(0, 1, 2), 535 + 15 * 2 + 1},
    {"last cell of surface 19", names.SurfaceCell(19, 14, 4), 535 + 1499},
    {"surface 20", names.SurfaceCell(20, 0, 0), f + 33000},
    {"reference cell (14, 4)", names.RefSurfaceCell(14, 4), 2035 + 74},
    {"vessel triangle 0", names.VesselTriangle(0), 2110},
    {"last vessel triangle", names.VesselTriangle(767), 2877},
    {"vessel triangle beyond its block", names.VesselTriangle(768), f + 33000},
    {"SEAD triangle 0", names.SEADTriangle(0), 2878},
    {"marker 0", names.Marker(0), f},
    {"marker 2999", names.Marker(2999), f + 2999},
    {"marker 3000", names.Marker(3000), f + 33000},
    {"control point 0", names.ControlPoint(0), f + 3000},
    {"control point 29999", names.ControlPoint(29999), f + 32999},
    {"control point 30000", names.ControlPoint(30000), f + 33000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.name, c.expected);
  }
  EXPECT_EQ(names.Ignored(), f + 33000);
}

TEST(Scene3D, PickNamesOfTheLargestScanFitInAGlName)
{
  const int size[3] = {2048, 1024, 1024};  // 2^31 voxels
  PickNames3D names;
  names.SetVolumeSize(size);
  // The voxel count overflows 32-bit ints; each mesh block holds 2^31 div 3 names.
  EXPECT_EQ(names.SEADStart() - names.VesselStart(), 715827882u);
  EXPECT_EQ(names.Ignored(), 1480866156u + 33000u);
}

TEST(Scene3D, PlaneCellsTakeTheirGreyTheGuideColoursAndTheFrameColour)
{
  const Rgb red{1, 0, 0}, green{0, 1, 0}, blue{0, 0, 1};
  SceneData d;
  const struct {
    const char* what;
    int orientation;
    int column, row;
    bool guides;
    int avgSlices;
    bool grey;     // else the colour below
    int x, y, z;   // the voxel of a grey cell
    Rgb colour;
  } cases[] = {
    {"XY inner cell", OrientationXY, 5, 7, true, 1, true, 5, 7, 3, {}},
    {"XY slab of three along z", OrientationXY, 5, 7, true, 3, true, 5, 7, -1, {}},
    {"XY next to x", OrientationXY, 9, 7, true, 1, false, 0, 0, 0, green},
    {"XY two from x", OrientationXY, 10, 7, true, 1, true, 10, 7, 3, {}},
    {"XY next to y", OrientationXY, 5, 11, true, 1, false, 0, 0, 0, blue},
    {"XY at x and y: the column wins", OrientationXY, 8, 12, true, 1, false, 0, 0, 0, green},
    {"XY second column: frame", OrientationXY, 1, 7, true, 1, false, 0, 0, 0, red},
    {"XY column 13 of 16: frame", OrientationXY, 13, 7, true, 1, false, 0, 0, 0, red},
    {"XY column 12 of 16", OrientationXY, 12, 7, true, 1, true, 12, 7, 3, {}},
    {"XY frame wins over the guide", OrientationXY, 8, 0, true, 1, false, 0, 0, 0, red},
    {"XY without guide lines", OrientationXY, 8, 0, false, 1, true, 8, 0, 3, {}},
    {"ZY next to z", OrientationZY, 2, 7, true, 1, false, 0, 0, 0, red},
    {"ZY frame", OrientationZY, 4, 7, true, 1, false, 0, 0, 0, green},
    {"ZY grey at the position's x", OrientationZY, 4, 7, false, 1, true, 8, 7, 4, {}},
    {"XZ next to z", OrientationXZ, 5, 2, true, 1, false, 0, 0, 0, red},
    {"XZ next to x", OrientationXZ, 7, 2, true, 1, false, 0, 0, 0, green},
    {"XZ frame", OrientationXZ, 5, 3, true, 1, false, 0, 0, 0, blue},
    {"XZ grey at the position's y", OrientationXZ, 5, 4, false, 1, true, 5, 12, 4, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Scene3D scene;
    d.Attach(scene);
    scene.SetShowGuideLines(c.guides);
    scene.SetAvgSliceNum(c.avgSlices);
    scene.ComputePlaneGrey(c.orientation);
    const Material3D m = scene.PlaneCellMaterial(c.orientation, c.column, c.row);
    if (!c.grey) {
      ExpectRgb(c.colour, Diffuse(m));
      continue;
    }
    const int value = c.z >= 0 ? SceneData::Value(c.x, c.y, c.z)
                               : static_cast<int>((SceneData::Value(c.x, c.y, 2) + SceneData::Value(c.x, c.y, 3) +
                                                   SceneData::Value(c.x, c.y, 4)) / 3.0f + 0.5f);
    ExpectRgb(GreyOf(value), Diffuse(m));
    EXPECT_EQ(m.ambient, m.diffuse);
  }
}

TEST(Scene3D, PlaneGreyKeepsTheSharedWindowWithinTheValueRange)
{
  SceneData d;
  d.centre = 300.0f;
  d.width = 0.0f;
  Scene3D scene;
  d.Attach(scene);
  scene.ComputePlaneGrey(OrientationXY);
  EXPECT_EQ(d.centre, 255.0f);
  EXPECT_EQ(d.width, 1.0f);
  // Everything below 254.5 is black.
  EXPECT_EQ(scene.PlaneGrey(OrientationXY)[5 + 16 * 7], 0);
}

// A pick may leave the position outside the volume; the planes then show the nearest slice.
TEST(Scene3D, PlaneGreyOfAPositionOutsideTheVolumeComesFromTheNearestSlice)
{
  SceneData d;
  d.position[0] = -4;
  d.position[1] = 30;
  d.position[2] = 99;
  Scene3D scene;
  d.Attach(scene);
  const struct {
    int orientation;
    int column, row;
    int x, y, z;
  } cases[] = {
    {OrientationXY, 5, 7, 5, 7, 5},
    {OrientationZY, 4, 7, 0, 7, 4},
    {OrientationXZ, 5, 4, 5, 23, 4},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.orientation);
    scene.ComputePlaneGrey(c.orientation);
    int columns = 0, rows = 0;
    ASSERT_TRUE(scene.PlaneSize(c.orientation, columns, rows));
    EXPECT_EQ(scene.PlaneGrey(c.orientation)[c.column + columns * c.row], SceneData::Value(c.x, c.y, c.z));
  }
}

TEST(Scene3D, SurfaceCellsTakeSurfaceProjectionDiscAndGuideColours)
{
  SceneData d;
  const int cells = SceneData::kX * SceneData::kZ;
  std::vector<uint8_t> red(cells), green(cells), blue(cells), disc(cells, 0);
  for (int i = 0; i < cells; ++i) {
    red[i] = static_cast<uint8_t>(10 + i);
    green[i] = static_cast<uint8_t>(100 + i);
    blue[i] = static_cast<uint8_t>(200 - i);
  }
  disc[2] = 150;  // rim at (2, 0)
  disc[3] = 250;  // cup at (3, 0)
  const platform::COLORREF surface0 = 0x102030, surface1 = 0x405060, cup = 0x0000FF, rim = 0x00FF00;
  const auto projection = [&](int x, int z) {
    const int i = x + SceneData::kX * z;
    return platform::MakeColorRef(red[i], green[i], blue[i]);
  };
  const auto blended = [&](platform::COLORREF discColour, int x) {
    const platform::COLORREF p = projection(x, 0);
    const float a = 0.3f;
    return platform::MakeColorRef(BlendChannel(platform::RedOf(p), platform::RedOf(discColour), a, a),
                                  BlendChannel(platform::GreenOf(p), platform::GreenOf(discColour), a, a),
                                  BlendChannel(platform::BlueOf(p), platform::BlueOf(discColour), a, a));
  };
  const Material3D greenGuide{{0.0f, 0.2f, 0.0f, 1.0f}, {0.0f, 1.0f, 0.0f, 1.0f}};
  const Material3D redGuide{{0.2f, 0.0f, 0.0f, 1.0f}, {1.0f, 0.0f, 0.0f, 1.0f}};
  const struct {
    const char* what;
    int surface, x, z;
    bool projectionOn, discOn, guides;
    Material3D expected;
  } cases[] = {
    {"its own colour", 1, 5, 0, true, false, false, ColorMaterial(surface1, 0.1f)},
    {"the projection on the first surface", 0, 5, 0, true, false, false, ColorMaterial(projection(5, 0), 0.1f)},
    {"no projection while it is off", 0, 5, 0, false, false, false, ColorMaterial(surface0, 0.1f)},
    {"rim", 0, 2, 0, false, true, false, ColorMaterial(rim, 0.1f)},
    {"cup over the projection", 0, 3, 0, true, true, false, ColorMaterial(blended(cup, 3), 0.1f)},
    {"cup on another surface", 1, 3, 0, true, true, false, ColorMaterial(cup, 0.1f)},
    {"outside the disc", 1, 5, 0, true, true, false, ColorMaterial(surface1, 0.1f)},
    {"next to x and z: green", 0, 7, 3, false, false, true, greenGuide},
    {"next to z: red", 0, 5, 2, false, true, true, redGuide},
    {"disc cell away from the guides", 0, 2, 0, false, true, true, ColorMaterial(rim, 0.1f)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Scene3D scene;
    d.Attach(scene);
    scene.SetColorSurface(0, surface0);
    scene.SetColorSurface(1, surface1);
    scene.SetShowSurface(0, true);
    scene.SetShowSurface(1, true);
    scene.SetProjectionImage(red.data(), green.data(), blue.data());
    scene.SetDiscMask(disc.data());
    scene.SetFlag(SceneFlag::Projection, c.projectionOn);
    scene.SetFlag(SceneFlag::Disc, c.discOn);
    scene.SetShowGuideLines(c.guides);
    Material3D m;
    scene.SetSurfaceMaterial(c.surface, c.z, c.x, m);
    scene.SetDiscMaterial(c.surface, c.z, c.x, m);
    scene.SetGuideLineMaterial(c.z, c.x, m);
    EXPECT_EQ(m.ambient, c.expected.ambient);
    EXPECT_EQ(m.diffuse, c.expected.diffuse);
  }
}

TEST(Scene3D, SurfaceTrianglesTouchingTheUndefinedRegionAreLeftOut)
{
  SceneData d;
  // The cell from (4, 2) to (5, 3): corners A (4, 2), B (5, 2), C (4, 3), D (5, 3).
  const struct {
    const char* what;
    int x, z;  // the undefined A-scan, or -1
    bool overUndefined;
    bool first, second;
  } cases[] = {
    {"defined", -1, -1, false, true, true},
    {"A undefined", 4, 2, false, false, true},
    {"D undefined", 5, 3, false, true, false},
    {"B undefined", 5, 2, false, false, false},
    {"C undefined", 4, 3, false, false, false},
    {"shown over the undefined region", 5, 2, true, true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<Point3i> points(SceneData::kX * SceneData::kZ);
    std::vector<uint8_t> mask(SceneData::kX * SceneData::kZ, 0);
    if (c.x >= 0)
      mask[c.x + SceneData::kX * c.z] = 1;
    Scene3D scene;
    d.Attach(scene);
    scene.SetSurfaces(1, points.data(), mask.data());
    scene.SetShowUndefinedSurface(0, c.overUndefined);
    bool first = false, second = false;
    scene.CellTriangles(0, 4, 2, 5, 3, first, second);
    EXPECT_EQ(first, c.first);
    EXPECT_EQ(second, c.second);
  }
}

TEST(Scene3D, ADragThinsSurfacesAndMeshes)
{
  const struct {
    const char* what;
    int size[3];
    bool interacting;
    size_t meshVertices;
    int stepX, stepZ;
    size_t meshStep;
  } cases[] = {
    {"at rest", {100, 10, 65}, false, 900000, 1, 1, 1},
    {"dragging", {100, 10, 65}, true, 900000, 3, 2, 3},
    {"dragging a small scan", {16, 24, 6}, true, 299999, 1, 1, 1},
  };
  const float spacing[3] = {0.01f, 0.01f, 0.01f};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Scene3D scene;
    scene.SetVolume(c.size, nullptr, spacing, 1);
    scene.SetInteracting(c.interacting);
    int stepX = 0, stepZ = 0;
    scene.SurfaceSteps(stepX, stepZ);
    EXPECT_EQ(stepX, c.stepX);
    EXPECT_EQ(stepZ, c.stepZ);
    EXPECT_EQ(scene.MeshStep(c.meshVertices), c.meshStep);
  }
}

TEST(Scene3D, SurfacesBeyondTheTwentiethAreNotDrawn)
{
  SceneData d;
  std::vector<Point3i> points(25 * SceneData::kX * SceneData::kZ);
  Scene3D scene;
  d.Attach(scene);
  scene.SetSurfaces(25, points.data(), nullptr);
  EXPECT_EQ(scene.SurfaceCount(), Scene3D::kMaxSurfaces);
}

TEST(Scene3D, MarkerLabelsChooseTheMarkerColour)
{
  SceneData d;
  const std::vector<std::string> labels = {"3", "19", " 7", "20", "-1", "abc"};
  const int expected[] = {3, 19, 7, 0, 0, 0};
  const std::vector<Point3i> positions(labels.size());
  const int count = static_cast<int>(labels.size());
  Scene3D scene;
  d.Attach(scene);
  scene.SetMarkers(&count, positions.data(), labels.data());
  for (int i = 0; i < Scene3D::kMarkerColors; ++i)
    scene.SetColorMarker(i, platform::MakeColorRef(i, 2 * i, 3 * i));
  ASSERT_EQ(scene.MarkerCount(), count);
  for (int m = 0; m < count; ++m) {
    SCOPED_TRACE(labels[m]);
    const int i = expected[m];
    EXPECT_EQ(scene.MarkerMaterial(m), ColorMaterial(platform::MakeColorRef(i, 2 * i, 3 * i), 1.0f));
  }
}

TEST(Scene3D, OrientationLettersStandAroundTheVolumeByLaterality)
{
  SceneData d;
  const struct {
    int laterality;
    const char* texts[4];  // -X, +X, -Z, +Z
  } cases[] = {
    {1, {"T", "N", "S", "I"}},
    {2, {"N", "T", "S", "I"}},
    {0, {"", "", "", ""}},
  };
  // 10 % of the size beyond each end, at the middle of the other axes.
  const double at[4][3] = {{-0.48, 0, 0}, {0.48, 0, 0}, {0, 0, -0.18}, {0, 0, 0.18}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.laterality);
    Scene3D scene;
    d.Attach(scene);
    scene.SetLaterality(c.laterality);
    const std::array<Letter3D, 4> letters = scene.OrientationLetters();
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(letters[i].text, c.texts[i]);
      EXPECT_NEAR(letters[i].x, at[i][0], 1e-6);
      EXPECT_NEAR(letters[i].y, at[i][1], 1e-6);
      EXPECT_NEAR(letters[i].z, at[i][2], 1e-6);
    }
  }
}

// 600 pixels over the camera distance in millimetres, never taller than the window: a scan
// of a few micrometres brings the camera within a tenth of a millimetre.
TEST(Scene3D, LettersShrinkWithTheCameraDistanceWithinTheWindow)
{
  const struct {
    double distance;
    int windowHeight;
    int expected;
  } cases[] = {
    {1.0, 800, 600},      // the camera at 2.5 * 0.4 mm
    {12.8, 800, 47},      // a full-size scan's
    {1.0, 400, 400},
    {0.09375, 800, 800},  // 10 x 15 x 2 voxels of 1 um
    {1e-300, 800, 800},
    {0.0, 800, 0},        // a scan without voxel sizes
    {1.0, 0, 0},          // a pane a layout hides
  };
  SceneData d;
  Scene3D scene;
  d.Attach(scene);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.distance);
    scene.Camera().distance = c.distance;
    EXPECT_EQ(scene.LetterFontHeight(c.windowHeight), c.expected);
  }
}

TEST(Scene3D, ANewScanResetsTheSceneButKeepsCameraAndSettings)
{
  SceneData d;
  std::vector<Point3i> points(SceneData::kX * SceneData::kZ);
  Scene3D scene;
  d.Attach(scene);
  scene.SetSurfaces(1, points.data(), nullptr);
  scene.SetShowSurface(0, true);
  scene.SetFlag(SceneFlag::Surfaces, true);
  scene.SetFlag(SceneFlag::PlaneXY, true);
  scene.SetShowOverlay(true);
  scene.SetColorCup(0x123456);
  scene.SetLaterality(2);
  scene.SetInteracting(true);
  scene.Rotation().accumulated[1] = 0.5f;
  scene.Rotation().pendingAngle = 10.0f;

  scene.ResetSceneState();
  EXPECT_FALSE(scene.Flag(SceneFlag::Surfaces));
  EXPECT_FALSE(scene.SurfaceShown(0));
  EXPECT_EQ(scene.SurfaceCount(), 0);
  EXPECT_EQ(scene.LateralityCode(), 0);
  EXPECT_FALSE(scene.Interacting());
  EXPECT_EQ(scene.Rotation().accumulated[1], 0.0f);
  EXPECT_EQ(scene.Rotation().pendingAngle, 0.0f);
  EXPECT_TRUE(scene.Flag(SceneFlag::PlaneXY));
  EXPECT_TRUE(scene.Flag(SceneFlag::Letters));
  EXPECT_EQ(scene.Color(SceneColor::Cup), 0x123456u);
  EXPECT_NEAR(scene.Camera().distance, 1.0, 1e-6);
}

}  // namespace
