// The 3-D pane drawn by OpenGL and read back: background, plane grey, frame colours during a
// drag, surfaces with their undefined region, marker spheres, pick names and the exported
// picture.
#include "panes/L3D.h"

#include "data/LSplineSet.h"
#include "fixtures/FixtureFiles.h"

#include <GL/glu.h>
#include <QClipboard>
#include <QGuiApplication>
#include <QWidget>
#include <QtTest/QTest>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// Views of the scene, as accumulated rotations in OpenGL column order.
const std::array<float, 16> kFront = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
const std::array<float, 16> kFromAbove = {1, 0, 0, 0, 0, 0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1};  // +90 about x
const std::array<float, 16> kFromTheSide = {0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1};  // +90 about y

// 16 x 24 x 6 voxels of the value 100; the position (8, 12, 3) lies at the origin of the
// scene, so the middle of the picture shows the planes through it.
class PaneScene : public ::testing::Test {
protected:
  static constexpr int kX = 16;
  static constexpr int kY = 24;
  static constexpr int kZ = 6;

  void SetUp() override
  {
    host.resize(640, 640);
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
  }

  void Attach(int width = 400, int height = 400)
  {
    pane.CreatePane(width, height, &host);
    pane.SetVolume(size, voxels.data(), spacing, 1);
    pane.SetPosition(position);
    pane.SetGridCenter(gridCenter);
    pane.SetWindowLevel(&centre, &width_);
    pane.SetShowGuideLines(false);
    pane.UpdateProjection();
  }

  QColor Middle()
  {
    const QImage image = pane.RenderToImage();
    return image.isNull() ? QColor() : image.pixelColor(image.width() / 2, image.height() / 2);
  }

  const int size[3] = {kX, kY, kZ};
  const float spacing[3] = {0.05f, 0.002f, 0.05f};
  std::vector<unsigned short> voxels = std::vector<unsigned short>(kX * kY * kZ, 100);
  int position[3] = {8, 12, 3};
  int gridCenter[2] = {8, 3};
  float centre = 127.5f;  // grey = value
  float width_ = 255.0f;
  QWidget host;
  L3D pane;
};

void ExpectColour(const QColor& actual, int r, int g, int b, int tolerance = 0)
{
  EXPECT_NEAR(actual.red(), r, tolerance);
  EXPECT_NEAR(actual.green(), g, tolerance);
  EXPECT_NEAR(actual.blue(), b, tolerance);
}

TEST_F(PaneScene, WithShowAllOffOnlyTheBackgroundIsDrawn)
{
  Attach(200, 160);
  pane.SetColor3DBackground(0x336699);
  pane.Show3DOCTXY(true);
  pane.Show3DAll(false);
  const QImage image = pane.RenderToImage();
  ASSERT_FALSE(image.isNull());
  int others = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      others += image.pixel(x, y) != qRgb(0x99, 0x66, 0x33);
  EXPECT_EQ(others, 0);
}

// The plane faces the light at the eye: its grey g shows as g * (0.2 global + 1 ambient + 1
// diffuse), at most 255.
TEST_F(PaneScene, TheXYPlaneShowsItsWindowedGreyLit)
{
  const struct {
    float centre, width;
    int shown;
  } cases[] = {{127.5f, 255.0f, 220}, {50.0f, 100.0f, 255}, {200.0f, 100.0f, 0}};
  Attach();
  pane.Show3DOCTXY(true);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.centre);
    centre = c.centre;
    width_ = c.width;
    ExpectColour(Middle(), c.shown, c.shown, c.shown, 1);
  }
}

TEST_F(PaneScene, DuringADragThePlanesAreQuadsInTheirFrameColours)
{
  const struct {
    const char* what;
    void (L3D::*show)(bool);
    const std::array<float, 16>* view;
    int r, g, b;
  } cases[] = {
    {"XY", &L3D::Show3DOCTXY, &kFront, 255, 0, 0},
    {"ZY", &L3D::Show3DOCTZY, &kFromTheSide, 0, 255, 0},
    {"XZ", &L3D::Show3DOCTXZ, &kFromAbove, 0, 0, 255},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Attach();
    (pane.*c.show)(true);
    pane.Rotation().accumulated = *c.view;
    pane.SetInteracting(true);
    ExpectColour(Middle(), c.r, c.g, c.b);
  }
}

TEST_F(PaneScene, ASurfaceShowsInItsColourExceptOverTheUndefinedRegion)
{
  const struct {
    const char* what;
    bool undefined;
    bool overUndefined;
    bool drawn;
  } cases[] = {
    {"defined", false, false, true},
    {"undefined", true, false, false},
    {"shown over the undefined region", true, true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<Point3i> points;
    for (int z = 0; z < kZ; ++z)
      for (int x = 0; x < kX; ++x)
        points.push_back({x, 12, z});
    std::vector<uint8_t> mask(kX * kZ, 0);
    for (int z = 1; z < 5 && c.undefined; ++z)
      for (int x = 6; x < 11; ++x)
        mask[x + kX * z] = 1;
    Attach();
    pane.SetColorSurface(0, 0x000080);
    pane.SetSurfaces(1, points.data(), mask.data());
    pane.ShowSurface(0, true);
    pane.ShowUndefinedSurface(0, c.overUndefined);
    pane.ShowSurfaces(true);
    pane.Rotation().accumulated = kFromAbove;
    // Lit from the front: 128 * (0.2 * 0.2 + 0.2 + 1).
    if (c.drawn)
      ExpectColour(Middle(), 159, 0, 0, 1);
    else
      ExpectColour(Middle(), 0, 0, 0);
  }
}

// Surfaces are drawn with alpha 0.1; the picture must stay opaque (a window without alpha
// bits), so that blended surfaces add to what lies behind them and the widget composes opaque.
TEST_F(PaneScene, DrawingLeavesThePictureOpaque)
{
  std::vector<Point3i> points;
  for (int z = 0; z < kZ; ++z)
    for (int x = 0; x < kX; ++x)
      points.push_back({x, 12, z});
  Attach();
  pane.SetSurfaces(1, points.data(), nullptr);
  pane.ShowSurface(0, true);
  pane.ShowSurfaces(true);
  pane.Rotation().accumulated = kFromAbove;
  ASSERT_TRUE(pane.isValid());
  pane.makeCurrent();
  pane.RenderScene();
  GLubyte rgba[4] = {};
  glReadPixels(200, 200, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
  pane.doneCurrent();
  EXPECT_NE(rgba[0], 0);
  EXPECT_EQ(rgba[3], 255);
}

TEST_F(PaneScene, AMarkerSphereTakesTheColourItsLabelNames)
{
  const struct {
    const char* label;
    int r, g, b;
  } cases[] = {{"3", 0, 255, 0}, {"25", 255, 0, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    const int count = 1;
    const Point3i at{8, 12, 3};
    const std::string label = c.label;
    Attach();
    pane.SetColorMarker(0, 0x0000FF);
    pane.SetColorMarker(3, 0x00FF00);
    pane.SetMarkers(&count, &at, &label);
    pane.ShowMarkers(true);
    ExpectColour(Middle(), c.r, c.g, c.b);
  }
}

// The stored triangle winds away from the camera; drawn from its third vertex back it faces
// the light: 128 * (0.2 * 0.2 + 0.2 + 1), where the stored order would show 128 * 0.24.
TEST_F(PaneScene, MeshesAreDrawnInTheirColourFromTheLastVertexBack)
{
  const float triangle[9] = {4, 4, 3, 12, 4, 3, 8, 20, 3};
  const struct {
    const char* what;
    bool vessel;
  } cases[] = {{"vessel", true}, {"SEAD", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Attach();
    if (c.vessel) {
      pane.SetColorVessel(0x000080);
      pane.SetVesselMesh(3, triangle);
      pane.ShowVessel(true);
    } else {
      pane.SetColorSEAD(0x008000);
      pane.SetSEADMesh(3, triangle);
      pane.ShowSEAD(true);
    }
    ExpectColour(Middle(), c.vessel ? 159 : 0, c.vessel ? 0 : 159, 0, 1);
  }
}

TEST_F(PaneScene, OrientationLettersAppearOnlyForAKnownEye)
{
  for (int laterality : {0, 1}) {
    SCOPED_TRACE(laterality);
    Attach(800, 400);
    pane.SetLaterality(laterality);
    pane.ShowOverlay(true);
    const QImage image = pane.RenderToImage();
    ASSERT_FALSE(image.isNull());
    bool white = false;
    for (int y = 0; y < image.height() && !white; ++y)
      for (int x = 0; x < image.width() && !white; ++x)
        white = image.pixel(x, y) == qRgb(255, 255, 255);
    EXPECT_EQ(white, laterality != 0);
  }
}

// A spline curve drawn without a name of its own would be picked as the primitive named
// before it, here the marker.
TEST_F(PaneScene, SplineLinesCarryANameThatMeansNothing)
{
  Attach();
  const int markers = 1;
  const Point3i markerAt{2, 2, 0};
  const std::string label = "0";
  pane.SetMarkers(&markers, &markerAt, &label);
  pane.ShowMarkers(true);
  LSplineSet splines;
  splines.Create(1, 1, LResultHeader());
  splines.planes[0] = OrientationXY;
  splines.controlPoints[0] = {{2, 12, 3}, {14, 12, 3}};
  splines.ComputeSplineCurve(1, 0);
  const int count = 1;
  pane.SetSplines(&count, &splines);
  pane.ShowSplines(true);
  pane.SetShowSplinesMarker(false);

  ASSERT_TRUE(pane.isValid());
  pane.makeCurrent();
  GLuint buffer[256] = {};
  glSelectBuffer(256, buffer);
  glRenderMode(GL_SELECT);
  glInitNames();
  glPushName(0);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  GLint viewport[4] = {0, 0, 400, 400};
  gluPickMatrix(200, 200, 3, 3, viewport);
  const Camera3D& camera = pane.Camera();
  gluPerspective(45.0, 1.0, camera.NearPlane(), camera.FarPlane());
  gluLookAt(0, 0, camera.distance, 0, 0, 0, 0, 1, 0);
  glMatrixMode(GL_MODELVIEW);
  pane.RenderScene();
  const GLint hits = glRenderMode(GL_RENDER);
  pane.doneCurrent();
  ASSERT_GE(hits, 1);
  for (GLint h = 0; h < hits; ++h) {
    ASSERT_EQ(buffer[4 * h], 1u);
    EXPECT_EQ(buffer[4 * h + 3], pane.Names().Ignored());
  }
}

TEST_F(PaneScene, SaveImageWritesThePictureCutToAMultipleOfFourAndCopiesIt)
{
  Attach(301, 200);
  pane.Show3DOCTXY(true);
  const std::filesystem::path folder = std::filesystem::path(testing::TempDir()) / "l3d_save";
  std::filesystem::create_directories(folder);
  const std::string path = (folder / "pane_Image_3D.png").string();
  ASSERT_EQ(pane.SaveImage(path), 0);
  std::string out;
  ASSERT_EQ(fixtures::RunCommand("/usr/bin/python3 -c \"from PIL import Image; im = Image.open('" + path +
                                     "'); print(im.size[0], im.size[1], im.mode, *im.getpixel((150, 100)))\"",
                                 &out),
            0);
  EXPECT_EQ(out, "300 200 RGB 220 220 220\n");
  EXPECT_EQ(QGuiApplication::clipboard()->image().size(), QSize(300, 200));
}

TEST_F(PaneScene, NothingIsExportedWithoutAPictureToExport)
{
  const std::filesystem::path folder = std::filesystem::path(testing::TempDir()) / "l3d_nothing";
  std::filesystem::create_directories(folder);
  const struct {
    const char* what;
    bool create;
    bool volume;
    int width;
  } cases[] = {
    {"not created", false, true, 200},
    {"no volume", true, false, 200},
    {"hidden by the layout", true, true, 0},
    {"narrower than 4 pixels", true, true, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    L3D other;
    if (c.create)
      other.CreatePane(200, 200, &host);
    if (c.volume) {
      other.SetVolume(size, voxels.data(), spacing, 1);
      other.SetPosition(position);
      other.SetWindowLevel(&centre, &width_);
    }
    other.Resize(c.width, 200);
    other.UpdateProjection();
    const std::string path = (folder / (std::string(c.what) + ".png")).string();
    EXPECT_TRUE(other.RenderToImage().isNull());
    EXPECT_EQ(other.SaveImage(path), -1);
    EXPECT_FALSE(std::filesystem::exists(path));
  }
}

}  // namespace
