// Picks of the 3-D pane by selection render, at window points worked out from the camera
// (45 degrees, the eye at 2.5 R on the axis), and the trackball under OpenGL.
#include "WindowPoint3D.h"
#include "data/LMarkers.h"
#include "data/LSplineSet.h"
#include "panes/L3D.h"

#include <GL/gl.h>
#include <QWidget>
#include <QtTest/QTest>
#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

const std::array<float, 16> kFront = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
const std::array<float, 16> kFromAbove = {1, 0, 0, 0, 0, 0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1};  // +90 about x

// Says what the pane asked of the view, in order.
class RecordingView : public ViewServices {
public:
  std::vector<std::string> calls;
  bool thickness = false;

  int SurfacesFileCount() const override { return 1; }
  bool ShowThickness() const override { return thickness; }
  int GridMode() const override { return 1; }
  int ThicknessSurfaceFrom() const override { return 2; }
  int ThicknessSurfaceTo() const override { return 5; }
  void RenderSlicePane(int o) override { calls.push_back("render " + std::to_string(o)); }
  void InvalidateSlicePane(int o) override { calls.push_back("invalidate " + std::to_string(o)); }
  void Invalidate3DPane() override { calls.push_back("invalidate 3-D"); }
  void SetSliceScrollPos(int o, int p) override
  {
    calls.push_back("scroll " + std::to_string(o) + " to " + std::to_string(p));
  }
  void ComputeProjectionThickness(int from, int to) override
  {
    calls.push_back("thickness " + std::to_string(from) + " to " + std::to_string(to));
  }
  void ComposeProjection() override { calls.push_back("compose"); }
  void InvalidateProjectionPane() override { calls.push_back("invalidate projection"); }
};

// The slice panes and scroll bars after a move to (x, y, z).
std::vector<std::string> AfterMoveTo(int x, int y, int z)
{
  return {"render 1",
          "render 2",
          "render 3",
          "scroll 1 to " + std::to_string(z),
          "scroll 2 to " + std::to_string(x),
          "scroll 3 to " + std::to_string(y)};
}

std::vector<std::string> Plus(std::vector<std::string> a, const std::vector<std::string>& b)
{
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// 16 x 24 x 6 voxels in a 400 x 400 pane; R = 0.4 mm (half of x), the eye at 1 mm.
class PanePick : public ::testing::Test {
protected:
  static constexpr int kX = 16;
  static constexpr int kY = 24;
  static constexpr int kZ = 6;
  static constexpr int kSide = 400;

  void SetUp() override
  {
    host.resize(640, 640);
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    pane.CreatePane(kSide, kSide, &host);
    pane.SetVolume(size, voxels.data(), spacing, 1);
    pane.SetPosition(position);
    pane.SetGridCenter(gridCenter);
    pane.SetWindowLevel(&centre, &width);
    pane.SetShowGuideLines(false);
    pane.UpdateProjection();
    markers.Create(2, 3000, LResultHeader());
    markers.points[0] = {4, 3, 5};  // in front of the XY plane through z = 3
    markers.points[1] = {12, 20, 1};  // behind it
    markers.labels[0] = "0";
    markers.labels[1] = "1";
    pane.SetMarkers(&markerCount, &markers);
    ASSERT_TRUE(pane.isValid());
  }

  QPoint WindowPoint(float x, float y, float z) const { return ::WindowPoint(pane, x, y, z); }
  std::array<int, 3> Position() const { return {position[0], position[1], position[2]}; }

  const int size[3] = {kX, kY, kZ};
  const float spacing[3] = {0.05f, 0.002f, 0.05f};
  std::vector<unsigned short> voxels = std::vector<unsigned short>(kX * kY * kZ, 100);
  int position[3] = {8, 12, 3};
  int gridCenter[2] = {8, 3};
  float centre = 127.5f;
  float width = 255.0f;
  int markerCount = 2;
  LMarkers markers;
  QWidget host;
  RecordingView view;
  L3D pane{view};
};

TEST_F(PanePick, AClickOnAPlaneCellMovesThePositionToIt)
{
  const struct {
    const char* what;
    void (L3D::*show)(bool);
    const std::array<float, 16>* view;
    bool dragging;
    float x, y, z;  // the middle of the cell clicked
    std::array<int, 3> expected;
  } cases[] = {
    {"XY plane keeps z", &L3D::Show3DOCTXY, &kFront, false, 4.5f, 3.5f, 3.0f, {4, 3, 3}},
    {"XY plane during a right drag", &L3D::Show3DOCTXY, &kFront, true, 11.5f, 18.5f, 3.0f, {11, 18, 3}},
    {"XZ plane keeps y", &L3D::Show3DOCTXZ, &kFromAbove, false, 11.5f, 12.0f, 1.5f, {11, 12, 1}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    position[0] = 8, position[1] = 12, position[2] = 3;
    view.calls.clear();
    pane.Rotation().accumulated = *c.view;
    pane.SetInteracting(c.dragging);
    (pane.*c.show)(true);
    pane.OnLButtonDown(WindowPoint(c.x, c.y, c.z));
    EXPECT_EQ(Position(), c.expected);
    EXPECT_EQ(view.calls, Plus(AfterMoveTo(c.expected[0], c.expected[1], c.expected[2]), {"invalidate projection"}));
    EXPECT_EQ(pane.Interacting(), c.dragging);
    EXPECT_FALSE(pane.Picking());
    (pane.*c.show)(false);
  }
}

// Either marker's sphere is clicked in front of the XY plane; the nearer of sphere and cell
// under the point wins, and the Markers mode takes markers only.
TEST_F(PanePick, TheNearestHitUnderTheClickWins)
{
  const struct {
    const char* what;
    int mode;
    int marker;
    bool moved;
    std::array<int, 3> expected;
  } cases[] = {
    {"marker in front of the plane", MousePosition, 0, true, {4, 3, 5}},
    {"marker behind the plane", MousePosition, 1, true, {11, 19, 3}},
    {"Markers mode, marker in front", MouseMarkers, 0, true, {4, 3, 5}},
    {"Markers mode, plane in front", MouseMarkers, 1, false, {8, 12, 3}},
  };
  pane.Show3DOCTXY(true);
  pane.ShowMarkers(true);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    position[0] = 8, position[1] = 12, position[2] = 3;
    view.calls.clear();
    pane.SetMouseMode(c.mode);
    const Point3i& at = markers.points[static_cast<size_t>(c.marker)];
    pane.OnLButtonDown(WindowPoint(at.x, at.y, at.z));
    EXPECT_EQ(Position(), c.expected);
    EXPECT_EQ(view.calls.empty(), !c.moved);
  }
}

// Each press starts the trackball from its own point, also where the mode draws nothing: a
// move to the same point then turns nothing.
TEST_F(PanePick, AClickOnTheBackgroundChangesNothing)
{
  const struct {
    const char* what;
    int mode;
    bool markersShown;
    bool startsRotation;
  } cases[] = {
    {"Position mode", MousePosition, true, true},
    {"GridCenter mode", MouseGridCenter, true, false},
    {"Markers mode", MouseMarkers, true, false},
    {"Markers mode, markers hidden", MouseMarkers, false, false},
  };
  pane.Show3DOCTXY(true);
  pane.Show3DOCTXZ(true);
  const QPoint corner(3, 3);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    view.calls.clear();
    pane.SetMouseMode(c.mode);
    pane.ShowMarkers(c.markersShown);
    pane.SetInteracting(false);
    pane.Rotation().previous = {0.0f, 0.0f, 1.0f};  // of an earlier press in the middle
    const std::array<float, 16> before = pane.Rotation().accumulated;
    pane.OnLButtonDown(corner);
    EXPECT_EQ(Position(), (std::array<int, 3>{8, 12, 3}));
    EXPECT_EQ(*gridCenter, 8);
    EXPECT_TRUE(view.calls.empty());
    EXPECT_EQ(pane.Interacting(), c.startsRotation);
    EXPECT_FALSE(pane.Picking());
    pane.OnMouseMove(Qt::LeftButton, Qt::NoModifier, corner);
    EXPECT_EQ(pane.Rotation().accumulated, before);
    pane.OnMouseMove(Qt::LeftButton, Qt::NoModifier, QPoint(200, 3));
    EXPECT_NE(pane.Rotation().accumulated, before);
    pane.OnLButtonUp();
    EXPECT_FALSE(pane.Interacting());
  }
}

TEST_F(PanePick, TheGridCentreMovesOnlyOnTheXZPlane)
{
  const struct {
    const char* what;
    void (L3D::*show)(bool);
    const std::array<float, 16>* view;
    bool thickness;
    float x, y, z;
    bool moved;
    std::vector<std::string> projection;
  } cases[] = {
    {"XZ plane, thickness shown", &L3D::Show3DOCTXZ, &kFromAbove, true, 11.5f, 12.0f, 1.5f, true,
     {"thickness 2 to 5", "compose"}},
    {"XZ plane", &L3D::Show3DOCTXZ, &kFromAbove, false, 11.5f, 12.0f, 1.5f, true, {"invalidate projection"}},
    {"XY plane", &L3D::Show3DOCTXY, &kFront, true, 4.5f, 3.5f, 3.0f, false, {}},
  };
  pane.SetMouseMode(MouseGridCenter);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    position[0] = 8, position[1] = 12, position[2] = 3;
    gridCenter[0] = 8, gridCenter[1] = 3;
    view.calls.clear();
    view.thickness = c.thickness;
    pane.Rotation().accumulated = *c.view;
    (pane.*c.show)(true);
    pane.OnLButtonDown(WindowPoint(c.x, c.y, c.z));
    EXPECT_EQ(Position(), c.moved ? (std::array<int, 3>{11, 12, 1}) : (std::array<int, 3>{8, 12, 3}));
    EXPECT_EQ(gridCenter[0], c.moved ? 11 : 8);
    EXPECT_EQ(gridCenter[1], c.moved ? 1 : 3);
    EXPECT_EQ(view.calls, c.moved ? Plus(AfterMoveTo(11, 12, 1), c.projection) : std::vector<std::string>());
    EXPECT_FALSE(pane.Interacting());
    (pane.*c.show)(false);
  }
}

TEST_F(PanePick, SplinePointsAreJumpedToAndMarkersOrWholeSplinesDeletedByDoubleClick)
{
  int splineCount = 3;
  LSplineSet splines;
  splines.Create(3, 3000, LResultHeader());
  std::vector<std::vector<PixelRect>> hitRects(kMaxSplines);
  for (int s = 0; s < 3; ++s) {
    splines.planes[s] = OrientationXY;
    splines.controlPoints[s] = {{2 + 4 * s, 20, 3}, {3 + 4 * s, 21, 3}};
  }
  splines.controlPoints[1].push_back({12, 6, 5});  // the one clicked
  pane.SetSplines(&splineCount, &splines, &hitRects);
  pane.ShowSplines(true);
  pane.ShowMarkers(true);
  // A single click in the Splines mode jumps to the control point.
  pane.SetMouseMode(MouseSplines);
  pane.OnLButtonDown(WindowPoint(12, 6, 5));
  EXPECT_EQ(Position(), (std::array<int, 3>{12, 6, 5}));
  position[0] = 8, position[1] = 12, position[2] = 3;

  const std::vector<std::string> slicePanes = {"invalidate 1", "invalidate 2", "invalidate 3"};
  const struct {
    const char* what;
    int mode;
    QPoint at;
    int markers, splines;
  } cases[] = {
    {"Position mode", MousePosition, WindowPoint(4, 3, 5), 2, 3},
    {"Splines mode on a marker", MouseSplines, WindowPoint(4, 3, 5), 2, 3},
    {"Markers mode", MouseMarkers, WindowPoint(4, 3, 5), 1, 3},
    {"Splines mode", MouseSplines, WindowPoint(12, 6, 5), 1, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    view.calls.clear();
    pane.SetMouseMode(c.mode);
    const bool deletes = markerCount != c.markers || splineCount != c.splines;
    pane.OnLButtonDblClk(c.at);
    EXPECT_EQ(markerCount, c.markers);
    EXPECT_EQ(splineCount, c.splines);
    EXPECT_EQ(view.calls, deletes ? slicePanes : std::vector<std::string>());
  }
  EXPECT_EQ(markers.points[0], (Point3i{12, 20, 1}));
  EXPECT_EQ(splines.controlPoints[1], (std::vector<Point3i>{{10, 20, 3}, {11, 21, 3}}));
  EXPECT_EQ(Position(), (std::array<int, 3>{8, 12, 3}));
}

// Each move of a left drag turns the accumulated rotation once, as glRotatef in front of it
// would; repainting does not turn it again.
TEST_F(PanePick, ALeftDragTurnsTheSceneOncePerMove)
{
  pane.Rotation().accumulated = kFromAbove;
  pane.OnLButtonDown(QPoint(200, 200));
  pane.OnMouseMove(Qt::LeftButton, Qt::NoModifier, QPoint(300, 140));
  const Rotation3D& rotation = pane.Rotation();
  ASSERT_GT(rotation.pendingAngle, 10.0f);

  pane.makeCurrent();
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glRotatef(rotation.pendingAngle, rotation.pendingAxis[0], rotation.pendingAxis[1], rotation.pendingAxis[2]);
  glMultMatrixf(kFromAbove.data());
  std::array<float, 16> expected{};
  glGetFloatv(GL_MODELVIEW_MATRIX, expected.data());
  glPopMatrix();
  pane.doneCurrent();
  for (size_t i = 0; i < 16; ++i)
    EXPECT_NEAR(rotation.accumulated[i], expected[i], 1e-5f) << i;

  const std::array<float, 16> turned = rotation.accumulated;
  EXPECT_FALSE(pane.RenderToImage().isNull());
  EXPECT_FALSE(pane.RenderToImage().isNull());
  EXPECT_EQ(rotation.accumulated, turned);
  pane.OnLButtonUp();
  EXPECT_EQ(rotation.pendingAngle, 0.0f);
  EXPECT_EQ(rotation.accumulated, turned);
}

// The window's own mouse events reach the handlers: a left click picks, a right drag dollies.
TEST_F(PanePick, MouseEventsOfTheWindowReachThePane)
{
  pane.Show3DOCTXY(true);
  QTest::mouseClick(&pane, Qt::LeftButton, Qt::NoModifier, WindowPoint(4.5f, 3.5f, 3.0f));
  EXPECT_EQ(Position(), (std::array<int, 3>{4, 3, 3}));

  const double distance = pane.Camera().distance;
  QTest::mousePress(&pane, Qt::RightButton, Qt::NoModifier, QPoint(200, 100));
  EXPECT_TRUE(pane.Interacting());
  QTest::mouseMove(&pane, QPoint(200, 140));
  QTest::mouseRelease(&pane, Qt::RightButton, Qt::NoModifier, QPoint(200, 140));
  EXPECT_NEAR(pane.Camera().distance, distance - 0.4, 1e-6);  // 40 / 400 of 10 R nearer
  EXPECT_FALSE(pane.Interacting());
}

}  // namespace
