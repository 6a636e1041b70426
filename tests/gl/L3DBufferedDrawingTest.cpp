// The 3-D pane drawn from buffers kept between paints must show what the cell-by-cell render
// shows, and pick what it picks: the same scene is read back both ways, also after the data
// behind it changed in place between paints (an edited surface row, a new undefined cell,
// another projection colour, a moved position or window).
#include "panes/L3D.h"

#include <QWidget>
#include <QtTest/QTest>
#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>
#include <gtest/gtest.h>
#include <vector>

namespace {

// A rotation of a degrees about x, then b degrees about y, in OpenGL column order.
std::array<float, 16> Tilted(float a, float b)
{
  const float ca = std::cos(a * 0.0174533f), sa = std::sin(a * 0.0174533f);
  const float cb = std::cos(b * 0.0174533f), sb = std::sin(b * 0.0174533f);
  // Ry * Rx
  return {cb, 0, -sb, 0, sb * sa, ca, cb * sa, 0, sb * ca, -sa, cb * ca, 0, 0, 0, 0, 1};
}

// Pixels of the buffered picture that no pixel of the cell-by-cell one within one pixel
// matches to one step per channel; cells narrower than a pixel may fall to either side of
// a boundary, which moves a colour by one pixel but never invents one. Where two shapes
// cross (a plane through a surface), the pixels on the crossing line may go to either,
// and blending adds up the rounding of each layer: a few of those stay unmatched.
struct Difference {
  int unmatched = 0;
  int moved = 0;
};

Difference Compare(const QImage& cells, const QImage& buffered)
{
  Difference d;
  const auto close = [](QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) <= 1 && std::abs(qGreen(a) - qGreen(b)) <= 1 && std::abs(qBlue(a) - qBlue(b)) <= 1;
  };
  for (int y = 0; y < buffered.height(); ++y) {
    for (int x = 0; x < buffered.width(); ++x) {
      const QRgb b = buffered.pixel(x, y);
      if (close(cells.pixel(x, y), b))
        continue;
      bool near = false;
      for (int dy = -1; dy <= 1 && !near; ++dy)
        for (int dx = -1; dx <= 1 && !near; ++dx)
          near = cells.valid(x + dx, y + dy) && close(cells.pixel(x + dx, y + dy), b);
      ++(near ? d.moved : d.unmatched);
    }
  }
  return d;
}

int DifferingPixels(const QImage& a, const QImage& b)
{
  int n = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x)
      n += a.pixel(x, y) != b.pixel(x, y);
  return n;
}

class BufferedScene : public ::testing::Test {
protected:
  static constexpr int kX = 40;
  static constexpr int kY = 30;
  static constexpr int kZ = 12;
  static constexpr int kSurfaces = 3;

  void SetUp() override
  {
    host.resize(640, 640);
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    for (int z = 0; z < kZ; ++z)
      for (int y = 0; y < kY; ++y)
        for (int x = 0; x < kX; ++x)
          voxels[(static_cast<size_t>(z) * kY + y) * kX + x] = static_cast<unsigned short>((x * 7 + y * 13 + z * 29) % 256);
    for (int s = 0; s < kSurfaces; ++s)
      for (int z = 0; z < kZ; ++z)
        for (int x = 0; x < kX; ++x)
          points.push_back({x, 6 + 7 * s + static_cast<int>(std::lround(3.0 * std::sin(x * 0.4 + z * 0.7 + s))), z});
    for (int z = 2; z < 6; ++z)
      for (int x = 5; x < 10; ++x)
        mask[x + kX * z] = 1;
    for (size_t i = 0; i < red.size(); ++i) {
      red[i] = static_cast<uint8_t>(i * 5);
      green[i] = static_cast<uint8_t>(255 - i * 3);
      blue[i] = static_cast<uint8_t>(i * 11);
    }
    for (int z = 3; z < 9; ++z)
      for (int x = 20; x < 30; ++x)
        disc[x + kX * z] = z < 5 ? DiscCupMin : DiscRimMin;
    // A fan of triangles between two depths.
    for (int x = 2; x + 4 < kX; x += 4)
      mesh.insert(mesh.end(), {float(x), 4, 2, float(x + 4), 4, 2, float(x + 2), 20, 9});

    pane.CreatePane(400, 320, &host);
    pane.SetVolume(size, voxels.data(), spacing, 1);
    pane.SetPosition(position);
    pane.SetGridCenter(gridCenter);
    pane.SetWindowLevel(&centre, &width);
    pane.SetSurfaces(kSurfaces, points.data(), mask.data());
    pane.SetProjectionImage(red.data(), green.data(), blue.data());
    pane.SetDiscMask(disc.data());
    pane.SetVesselMesh(mesh.size() / 3, mesh.data());
    pane.SetColorSurface(0, 0x2040C0);
    pane.SetColorSurface(1, 0x20A020);
    pane.SetColorSurface(2, 0xC02080);
    for (int s = 0; s < kSurfaces; ++s)
      pane.SetShowSurface(s, true);
    pane.SetShowUndefinedSurface(2, true);
    pane.Rotation().accumulated = Tilted(35.0f, 25.0f);
  }

  void Show(std::initializer_list<SceneFlag> flags)
  {
    for (SceneFlag f : flags)
      pane.SetFlag(f, true);
  }

  // The buffered picture first, so that the buffers are built before they are compared.
  void ExpectSamePicture()
  {
    pane.SetBufferedDrawing(true);
    const QImage buffered = pane.RenderToImage();
    pane.SetBufferedDrawing(false);
    const QImage cells = pane.RenderToImage();
    pane.SetBufferedDrawing(true);
    ASSERT_FALSE(buffered.isNull());
    ASSERT_EQ(buffered.size(), cells.size());
    const Difference d = Compare(cells, buffered);
    const int pixels = buffered.width() * buffered.height();
    EXPECT_LE(d.unmatched, pixels / 5000);
    EXPECT_LT(d.moved, pixels / 100);
  }

  const int size[3] = {kX, kY, kZ};
  const float spacing[3] = {0.05f, 0.01f, 0.08f};
  std::vector<unsigned short> voxels = std::vector<unsigned short>(kX * kY * kZ);
  std::vector<Point3i> points;
  std::vector<uint8_t> mask = std::vector<uint8_t>(kX * kZ, 0);
  std::vector<uint8_t> red = std::vector<uint8_t>(kX * kZ), green = red, blue = red;
  std::vector<uint8_t> disc = std::vector<uint8_t>(kX * kZ, 0);
  std::vector<float> mesh;
  int position[3] = {17, 14, 5};
  int gridCenter[2] = {17, 5};
  float centre = 127.5f;
  float width = 255.0f;
  QWidget host;
  L3D pane;
};

TEST_F(BufferedScene, ShowsWhatTheCellByCellRenderShows)
{
  const struct {
    const char* what;
    std::initializer_list<SceneFlag> flags;
  } cases[] = {
    {"planes", {SceneFlag::PlaneXY, SceneFlag::PlaneZY, SceneFlag::PlaneXZ}},
    {"planes with guide lines",
     {SceneFlag::PlaneXY, SceneFlag::PlaneZY, SceneFlag::PlaneXZ, SceneFlag::GuideLines}},
    {"surfaces", {SceneFlag::Surfaces}},
    {"surfaces with guide lines", {SceneFlag::Surfaces, SceneFlag::GuideLines}},
    {"surfaces with projection and disc", {SceneFlag::Surfaces, SceneFlag::Projection, SceneFlag::Disc}},
    {"blended surfaces over a plane", {SceneFlag::Surfaces, SceneFlag::Blending, SceneFlag::GuideLines, SceneFlag::PlaneXY}},
    {"vessel mesh", {SceneFlag::Vessel}},
    {"everything",
     {SceneFlag::Surfaces, SceneFlag::Projection, SceneFlag::Disc, SceneFlag::GuideLines, SceneFlag::PlaneXY,
      SceneFlag::PlaneZY, SceneFlag::PlaneXZ, SceneFlag::Vessel}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    for (SceneFlag f : {SceneFlag::PlaneXY, SceneFlag::PlaneZY, SceneFlag::PlaneXZ, SceneFlag::GuideLines,
                        SceneFlag::Surfaces, SceneFlag::Projection, SceneFlag::Disc, SceneFlag::Blending,
                        SceneFlag::Vessel})
      pane.SetFlag(f, false);
    Show(c.flags);
    ExpectSamePicture();
  }
}

TEST_F(BufferedScene, FollowsDataChangedInPlaceBetweenPaints)
{
  Show({SceneFlag::Surfaces, SceneFlag::Projection, SceneFlag::Disc, SceneFlag::GuideLines, SceneFlag::PlaneXY,
        SceneFlag::PlaneZY, SceneFlag::PlaneXZ});
  const struct {
    const char* what;
    std::function<void()> change;
  } cases[] = {
    {"a surface row moved", [&] { for (int x = 0; x < kX; ++x) points[static_cast<size_t>(kX * kZ + 7 * kX + x)].y += 5; }},
    {"a cell became undefined", [&] { mask[30 + kX * 8] = 1; }},
    {"a projection colour", [&] { std::fill(red.begin(), red.begin() + kX * 4, uint8_t{250}); }},
    {"the position", [&] { position[0] = 33; position[2] = 9; position[1] = 20; }},
    {"the window", [&] { centre = 90.0f; width = 60.0f; }},
    {"the slab", [&] { pane.SetAvgSliceNum(3); }},
    {"surface colour", [&] { pane.SetColorSurface(1, 0x808080); }},
    {"depth scale", [&] { pane.Set3DIsotropic(true); }},
    {"a new mesh", [&] { mesh.resize(9); pane.SetVesselMesh(3, mesh.data()); pane.SetFlag(SceneFlag::Vessel, true); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    pane.SetBufferedDrawing(true);
    ASSERT_FALSE(pane.RenderToImage().isNull());
    c.change();
    ExpectSamePicture();
  }
}

// Steps taken one after another on a picture kept from the paint before: each paint must
// show what a paint drawing everything shows, and what the cell-by-cell render shows. Where
// two triangles of one surface land on the same stored depth (along a fold seen edge-on),
// the drawing order picks the pixel's cell and the two paints may differ: a pixel or two.
TEST_F(BufferedScene, KeptPictureFollowsEveryStep)
{
  Show({SceneFlag::Surfaces, SceneFlag::Projection, SceneFlag::Disc, SceneFlag::GuideLines, SceneFlag::PlaneXY,
        SceneFlag::PlaneZY, SceneFlag::PlaneXZ, SceneFlag::Vessel});
  const struct {
    const char* what;
    std::function<void()> change;
  } steps[] = {
    {"nothing", [] {}},
    {"the next B-scan", [&] { ++position[2]; }},
    {"the B-scan before", [&] { --position[2]; }},
    {"another column", [&] { position[0] = 4; }},
    {"another depth", [&] { position[1] = 25; }},
    {"a window step", [&] { centre = 110.0f; width = 90.0f; }},
    {"a window beyond the values", [&] { centre = 70000.0f; width = 0.25f; }},
    {"the window back", [&] { centre = 100.0f; width = 120.0f; }},
    {"a surface row edited", [&] { for (int x = 10; x < 20; ++x) points[static_cast<size_t>(kX * kZ + 6 * kX + x)].y -= 4; }},
    {"the XY plane hidden", [&] { pane.SetFlag(SceneFlag::PlaneXY, false); }},
    {"the ZY plane hidden", [&] { pane.SetFlag(SceneFlag::PlaneZY, false); }},
    {"the XZ plane hidden", [&] { pane.SetFlag(SceneFlag::PlaneXZ, false); }},
    {"the planes shown again", [&] { Show({SceneFlag::PlaneXY, SceneFlag::PlaneZY, SceneFlag::PlaneXZ}); }},
    {"guide lines off", [&] { pane.SetFlag(SceneFlag::GuideLines, false); }},
    {"guide lines on", [&] { pane.SetFlag(SceneFlag::GuideLines, true); }},
    {"rotated", [&] { pane.Rotation().accumulated = Tilted(-20.0f, 60.0f); }},
    {"blending on", [&] { pane.SetFlag(SceneFlag::Blending, true); }},
    {"a step while blending", [&] { ++position[2]; }},
    {"blending off", [&] { pane.SetFlag(SceneFlag::Blending, false); }},
    {"a surface hidden", [&] { pane.SetShowSurface(1, false); }},
    {"a step with a surface hidden", [&] { position[0] = 30; }},
    {"the mesh hidden", [&] { pane.SetFlag(SceneFlag::Vessel, false); }},
    {"another surface colour", [&] { pane.SetColorSurface(0, 0x808000); }},
    {"a cell became undefined", [&] { mask[12 + kX * 7] = 1; }},
    {"the surfaces hidden", [&] { pane.SetFlag(SceneFlag::Surfaces, false); }},
    {"the surfaces shown", [&] { pane.SetFlag(SceneFlag::Surfaces, true); }},
  };
  pane.SetBufferedDrawing(true);
  ASSERT_FALSE(pane.RenderToImage().isNull());
  for (const auto& step : steps) {
    SCOPED_TRACE(step.what);
    step.change();
    const QImage kept = pane.RenderToImage();
    pane.SetLayerKeeping(false);
    const QImage full = pane.RenderToImage();
    pane.SetLayerKeeping(true);
    ASSERT_FALSE(kept.isNull());
    ASSERT_EQ(kept.size(), full.size());
    EXPECT_LE(DifferingPixels(full, kept), kept.width() * kept.height() / 20000);
    ExpectSamePicture();
  }
}

// Picks always use the cell-by-cell render; what the buffered paints leave bound must not
// change what it hits.
TEST_F(BufferedScene, PicksAreTheSameWithBufferedPaints)
{
  Show({SceneFlag::Surfaces, SceneFlag::GuideLines, SceneFlag::PlaneXY, SceneFlag::PlaneZY, SceneFlag::PlaneXZ,
        SceneFlag::Vessel});
  const QPoint points_[] = {{200, 160}, {120, 100}, {260, 220}, {90, 250}, {330, 80}};
  pane.SetBufferedDrawing(false);
  std::vector<std::optional<uint64_t>> cells;
  for (QPoint p : points_)
    cells.push_back(pane.SelectAt(p));
  pane.SetBufferedDrawing(true);
  ASSERT_FALSE(pane.RenderToImage().isNull());
  for (size_t i = 0; i < std::size(points_); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(pane.SelectAt(points_[i]), cells[i]);
  }
  EXPECT_TRUE(std::any_of(cells.begin(), cells.end(), [](const auto& n) { return n.has_value(); }));
}

}  // namespace
