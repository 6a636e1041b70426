// The 3-D pane drawn from buffers kept between paints must show what the cell-by-cell render
// shows, and pick what it picks: the same scene is read back both ways, also after the data
// behind it changed in place between paints (an edited surface row, a new undefined cell,
// another projection colour, a moved position or window).
#include "PictureChecks.h"
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

    Feed(pane);
  }

  void Feed(L3D& p)
  {
    p.CreatePane(400, 320, &host);
    p.SetVolume(size, voxels.data(), spacing, 1);
    p.SetPosition(position);
    p.SetGridCenter(gridCenter);
    p.SetWindowLevel(&centre, &width);
    p.SetSurfaces(kSurfaces, points.data(), mask.data());
    p.SetProjectionImage(red.data(), green.data(), blue.data());
    p.SetDiscMask(disc.data());
    p.SetVesselMesh(mesh.size() / 3, mesh.data());
    p.SetColorSurface(0, 0x2040C0);
    p.SetColorSurface(1, 0x20A020);
    p.SetColorSurface(2, 0xC02080);
    for (int s = 0; s < kSurfaces; ++s)
      p.SetShowSurface(s, true);
    p.SetShowUndefinedSurface(2, true);
    p.Rotation().accumulated = Tilted(35.0f, 25.0f);
  }

  // Moves the points of a rectangle of a surface by dy, as an edit does, and says so.
  void MoveRegion(int surface, int x0, int x1, int z0, int z1, int dy)
  {
    for (int z = z0; z <= z1; ++z)
      for (int x = x0; x <= x1; ++x)
        points[static_cast<size_t>((surface * kZ + z) * kX + x)].y += dy;
    pane.SurfacePointsChanged(surface, {{x0, x1}, {z0, z1}});
  }

  // Moves points x0..x1 of row z of a surface by dy, as an edit does, and says so.
  void MoveRow(int surface, int z, int x0, int x1, int dy)
  {
    for (int x = x0; x <= x1; ++x)
      points[static_cast<size_t>((surface * kZ + z) * kX + x)].y += dy;
    pane.SurfacePointsChanged(surface, {{x0, x1}, {z, z}});
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
    {"a surface row moved", [&] { MoveRow(1, 7, 0, kX - 1, 5); }},
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
    {"a surface row edited", [&] { MoveRow(1, 6, 10, 19, -4); }},
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

// The steps of a surface drag draw only the cell rows they moved, over a picture kept without
// them. Each picture must be the one drawn from scratch, also where two surfaces lie on one
// another (the one drawn first keeps each pixel of equal depth, whichever is edited), after
// an undo, after steps drawn in full while blending, and the picks must not change.
TEST_F(BufferedScene, SurfaceDragStepsDrawOnlyTheRowsTheyMoved)
{
  // Surface 2 lies on surface 1 in the first B-scans.
  for (int z = 0; z < 7; ++z)
    for (int x = 0; x < kX; ++x)
      points[static_cast<size_t>((2 * kZ + z) * kX + x)] = points[static_cast<size_t>((kZ + z) * kX + x)];
  pane.SetSurfaces(kSurfaces, points.data(), mask.data());
  Show({SceneFlag::Surfaces, SceneFlag::GuideLines, SceneFlag::Projection, SceneFlag::PlaneXY, SceneFlag::PlaneZY,
        SceneFlag::Vessel});
  // Drawn from scratch every time: it is handed the surfaces anew before each paint.
  L3D fresh;
  Feed(fresh);
  for (SceneFlag f : {SceneFlag::Surfaces, SceneFlag::GuideLines, SceneFlag::Projection, SceneFlag::PlaneXY,
                      SceneFlag::PlaneZY, SceneFlag::Vessel})
    fresh.SetFlag(f, true);
  const std::vector<Point3i> before = points;
  const auto undo = [&](int surface, int x0, int x1, int z0, int z1) {
    for (int z = z0; z <= z1; ++z)
      for (int x = x0; x <= x1; ++x) {
        const size_t i = static_cast<size_t>((surface * kZ + z) * kX + x);
        points[i] = before[i];
      }
    pane.SurfacePointsChanged(surface, {{x0, x1}, {z0, z1}});
  };
  using Road = L3D::KeptPicture;
  const struct {
    const char* what;
    std::function<void()> change;
    Road road;
  } steps[] = {
    {"nothing", [] {}, Road::Reused},
    {"surface 1 dragged up", [&] { MoveRegion(1, 12, 18, 3, 4, -2); }, Road::OverLeftOutRows},
    {"surface 1 dragged further", [&] { MoveRegion(1, 12, 18, 3, 4, -3); }, Road::OverLeftOutRows},
    {"surface 1 dragged down", [&] { MoveRegion(1, 12, 18, 3, 4, 6); }, Road::OverLeftOutRows},
    {"a 2-D step", [&] { ++position[2]; }, Road::Reused},
    {"the drag undone", [&] { undo(1, 12, 18, 3, 4); }, Road::OverLeftOutRows},
    {"surface 2 dragged where it lies on surface 1", [&] { MoveRegion(2, 0, 20, 1, 3, 2); }, Road::OverLeftOutRows},
    {"surface 2 dragged back", [&] { MoveRegion(2, 0, 20, 1, 3, -2); }, Road::OverLeftOutRows},
    {"the first surface recoloured by the projection", [&] { std::fill(red.begin(), red.end(), uint8_t{200}); },
     Road::OverLeftOutRows},
    {"blending on", [&] { pane.SetFlag(SceneFlag::Blending, true); fresh.SetFlag(SceneFlag::Blending, true); },
     Road::NotKept},
    {"a drag step while blending", [&] { MoveRegion(0, 2, 30, 8, 10, 3); }, Road::NotKept},
    {"blending off", [&] { pane.SetFlag(SceneFlag::Blending, false); fresh.SetFlag(SceneFlag::Blending, false); },
     Road::OverLeftOutRows},
    {"another step", [&] { MoveRegion(0, 2, 30, 8, 10, -1); }, Road::OverLeftOutRows},
    {"rotated", [&] { pane.Rotation().accumulated = fresh.Rotation().accumulated = Tilted(-20.0f, 60.0f); },
     Road::FromScratch},
  };
  ASSERT_FALSE(pane.RenderToImage().isNull());
  for (const auto& step : steps) {
    SCOPED_TRACE(step.what);
    step.change();
    const QImage kept = pane.RenderToImage();
    EXPECT_EQ(pane.LastKeptPicture(), step.road);
    fresh.SetSurfaces(kSurfaces, points.data(), mask.data());
    const QImage scratch = fresh.RenderToImage();
    pane.SetLayerKeeping(false);
    const QImage full = pane.RenderToImage();
    pane.SetLayerKeeping(true);
    ASSERT_FALSE(kept.isNull());
    ASSERT_EQ(kept.size(), scratch.size());
    EXPECT_EQ(DifferingPixels(scratch, kept), 0);
    EXPECT_LE(DifferingPixels(full, kept), kept.width() * kept.height() / 20000);
  }
  const QPoint at[] = {{200, 160}, {120, 100}, {260, 220}, {90, 250}, {330, 80}, {180, 200}};
  for (QPoint p : at) {
    SCOPED_TRACE(p.x() * 1000 + p.y());
    EXPECT_EQ(pane.SelectAt(p), fresh.SelectAt(p));
  }
}

// The guide-line cells that cannot reach a pixel of their own surface in the kept picture
// are left out of each paint; every pixel must stay as when all of them are drawn, in each
// state the pane comes to, and some cells must in fact have been left out.
TEST_F(BufferedScene, GuideLineCellsLeftOutChangeNoPixel)
{
  // Surface 2 lies on surface 1 in the first B-scans: their pixels tie in depth there.
  for (int z = 0; z < 4; ++z)
    for (int x = 0; x < kX; ++x)
      points[static_cast<size_t>((2 * kZ + z) * kX + x)] = points[static_cast<size_t>((kZ + z) * kX + x)];
  pane.SetSurfaces(kSurfaces, points.data(), mask.data());
  Show({SceneFlag::Surfaces, SceneFlag::GuideLines, SceneFlag::Projection, SceneFlag::Disc});
  const struct {
    const char* what;
    std::function<void()> change;
  } states[] = {
    {"as opened", [] {}},
    {"the next B-scan", [&] { ++position[2]; }},
    {"the B-scan before", [&] { --position[2]; }},
    {"the first B-scan", [&] { position[2] = 0; }},
    {"the last B-scan", [&] { position[2] = kZ - 1; }},
    {"the first column", [&] { position[0] = 0; }},
    {"the last column", [&] { position[0] = kX - 1; }},
    {"a middle column", [&] { position[0] = 21; position[2] = 6; }},
    {"seen from below", [&] { pane.Rotation().accumulated = Tilted(-70.0f, 10.0f); }},
    {"seen from the side", [&] { pane.Rotation().accumulated = Tilted(5.0f, 88.0f); }},
    {"seen from behind", [&] { pane.Rotation().accumulated = Tilted(30.0f, 180.0f); }},
    {"a step seen from behind", [&] { --position[2]; }},
    {"a wide pane", [&] { pane.resize(560, 200); }},
    {"a tall pane", [&] { pane.resize(180, 420); }},
    {"a step in a tall pane", [&] { ++position[0]; }},
    {"the pane back", [&] { pane.resize(400, 320); pane.Rotation().accumulated = Tilted(35.0f, 25.0f); }},
    {"a surface hidden", [&] { pane.SetShowSurface(1, false); }},
    {"a step with a surface hidden", [&] { position[2] = 2; }},
    {"the surface shown", [&] { pane.SetShowSurface(1, true); }},
    {"blended", [&] { pane.SetFlag(SceneFlag::Blending, true); }},
    {"blending off", [&] { pane.SetFlag(SceneFlag::Blending, false); }},
    {"planes shown", [&] { Show({SceneFlag::PlaneXY, SceneFlag::PlaneZY, SceneFlag::PlaneXZ}); }},
    {"a step with planes", [&] { ++position[2]; }},
    {"a surface row edited", [&] { MoveRow(0, position[2], 4, 30, -5); }},
    {"a step after the edit", [&] { --position[2]; }},
  };
  size_t leftOut = 0;
  for (const auto& state : states) {
    SCOPED_TRACE(state.what);
    state.change();
    leftOut += ExpectLeftOutCellsChangeNoPixel(pane);
  }
  EXPECT_GT(leftOut, 0u);
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
