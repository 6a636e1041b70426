#include "SliceToolsTestView.h"
#include "SurfaceFitOracle.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

constexpr int kX = SliceTestData::kX;
constexpr int kY = SliceTestData::kY;
constexpr int kZ = SliceTestData::kZ;

// Surfaces of the test volume as int triples per (surface, z, x), each surface's depth rows
// given by a function of (x, z).
template <typename... F>
std::vector<int> SurfacesOf(int sizeZ, F... rowOf)
{
  std::vector<int> points;
  for (const auto& row : {std::function<int(int, int)>(rowOf)...})
    for (int z = 0; z < sizeZ; ++z)
      for (int x = 0; x < kX; ++x)
        points.insert(points.end(), {x, row(x, z), z});
  return points;
}

// Every depth row of one surface, z outer.
std::vector<int> RowsOf(const std::vector<int>& points, int surface, int sizeZ = kZ)
{
  std::vector<int> rows;
  for (size_t i = 0; i < size_t(kX) * size_t(sizeZ); ++i)
    rows.push_back(points[(size_t(surface) * kX * sizeZ + i) * 3 + 1]);
  return rows;
}

// A pane at position (5, 9, 3) with each cell 20 x 10 window pixels, in Surfaces mode with
// every surface shown.
class SurfaceEditTest : public ::testing::Test {
protected:
  LOCTImage& SetUpFor(int orientation, std::vector<int>& points, int count)
  {
    m_Pane = std::make_unique<LOCTImage>(m_View);
    SetUpPane(*m_Pane, m_Data, orientation, m_Position, &m_Centre, &m_Width);
    int columns = 0;
    int rows = 0;
    SliceSizeOf(orientation, columns, rows);
    m_Pane->Resize(columns * 20, rows * 10);
    m_Pane->SetMouseMode(MouseSurfaces);
    m_Pane->SetSurfaces(count, points.data(), nullptr);
    m_Pane->ShowSurfaces(true);
    for (int i = 0; i < count; ++i)
      m_Pane->ShowSurface(i, true);
    return *m_Pane;
  }
  // Hover over a cell, press there and drag to a row of the same column.
  void Edit(LOCTImage& pane, int column, int row, int toRow)
  {
    Mouse mouse{pane};
    mouse.Hover(CellCentre(pane, column, row));
    mouse.Press(CellCentre(pane, column, row));
    mouse.MoveHeld(CellCentre(pane, column, toRow));
    mouse.Release(CellCentre(pane, column, toRow));
  }

  SliceTestData m_Data;
  int m_Position[3] = {5, 9, 3};
  float m_Centre = 32768;
  float m_Width = 65535;
  ToolView m_View;
  std::unique_ptr<LOCTImage> m_Pane;
};

}  // namespace

TEST_F(SurfaceEditTest, HoverPicksTheNearestShownSurfaceWithinFiveRows)
{
  std::vector<int> points = SurfacesOf(kZ, [](int, int) { return 8; }, [](int, int) { return 14; },
                                       [](int, int) { return 20; });
  const struct {
    const char* what;
    int row;
    bool showThird;
    int selected;
    Qt::CursorShape cursor;
  } kCases[] = {
      {"five rows above", 3, false, 0, Qt::SizeVerCursor},
      {"six rows above", 2, false, -1, Qt::ArrowCursor},
      {"halfway: the higher index", 11, false, 1, Qt::SizeVerCursor},
      {"on a hidden surface, six from a shown one", 20, false, -1, Qt::ArrowCursor},
      {"on a shown surface", 20, true, 2, Qt::SizeVerCursor},
  };
  for (int orientation : {OrientationXY, OrientationZY})
    for (const auto& c : kCases) {
      SCOPED_TRACE(testing::Message() << c.what << " in pane " << orientation);
      LOCTImage& pane = SetUpFor(orientation, points, 3);
      pane.ShowSurface(2, c.showThird);
      Mouse{pane}.Hover(CellCentre(pane, 2, c.row));
      EXPECT_EQ(pane.GetSelectedSurface(), c.selected);
      EXPECT_EQ(pane.GetCursor(), c.cursor);
      // A press keeps a snapshot only when it begins an edit.
      Mouse{pane}.Click(CellCentre(pane, 2, c.row));
      EXPECT_EQ(pane.GetUndoDepth(), c.selected >= 0 ? 1 : 0);
    }
}

TEST_F(SurfaceEditTest, DragRefitsTheNeighbourhoodLikeTheScipyThinPlateSpline)
{
  // Voxels of 0.01 x 0.002 x 0.05 mm; a bumpy surface 0 and a flat surface 1 below it.
  const auto bumpy = [](int x, int z) { return 6 + (x * 3 + z * 5) % 4; };
  const struct {
    const char* what;
    int orientation;
    int modification;
    float margin;
    int column;  // pressed on surface 0
    int toRow;
  } kCases[] = {
      {"XY 2-D", OrientationXY, 0, 0.03f, 7, 14},
      {"XY 3-D", OrientationXY, 1, 0.05f, 7, 14},
      {"XY 3-D at A-scan 0", OrientationXY, 1, 0.03f, 0, 12},
      {"XY 2-D above the image", OrientationXY, 0, 0.04f, 9, -3},
      {"ZY 2-D", OrientationZY, 0, 0.1f, 2, 13},
      {"ZY 3-D at the last B-scan", OrientationZY, 1, 0.1f, 5, 16},
  };
  std::vector<std::string> lines;
  std::vector<std::vector<int>> before, after;
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    std::vector<int> points = SurfacesOf(kZ, bumpy, [](int, int) { return 20; });
    LOCTImage& pane = SetUpFor(c.orientation, points, 2);
    pane.SetSurfacesMargin(c.margin);
    pane.SetSurfacesModification(c.modification);
    const bool xy = c.orientation == OrientationXY;
    const int xc = xy ? c.column : m_Position[0];
    const int zc = xy ? m_Position[2] : c.column;
    before.push_back(RowsOf(points, 0));
    Edit(pane, c.column, bumpy(xc, zc), c.toRow);
    after.push_back(RowsOf(points, 0));
    EXPECT_EQ(RowsOf(points, 1), std::vector<int>(kX * kZ, 20));

    std::string line = "drag " + std::to_string(kX) + " " + std::to_string(kY) + " " + std::to_string(kZ);
    AppendNumbers(line, std::vector<float>{m_Data.spacing[0], m_Data.spacing[2], c.margin});
    AppendNumbers(line, std::vector<int>{c.modification, c.orientation, xc, zc, std::clamp(c.toRow, 0, kY - 1)});
    AppendNumbers(line, before.back());
    lines.push_back(line);
  }
  const auto expected = RunSurfaceFitOracle(lines);
  for (size_t i = 0; i < std::size(kCases); ++i) {
    SCOPED_TRACE(kCases[i].what);
    std::vector<int> untouched = before[i];
    ASSERT_EQ(expected[i].size() % 3, 0u);
    for (size_t k = 0; k < expected[i].size(); k += 3) {
      const size_t cell = size_t(expected[i][k]) + kX * size_t(expected[i][k + 1]);
      const double fitted = std::clamp(expected[i][k + 2], 0.0, double(kY - 1));
      // Rounded to the nearest row; single precision may round the other way very near .5.
      EXPECT_LE(std::abs(after[i][cell] - fitted), 0.52) << "cell " << cell;
      untouched[cell] = after[i][cell];
    }
    EXPECT_EQ(after[i], untouched);
  }
}

TEST_F(SurfaceEditTest, AFitWithoutASolutionWritesNothing)
{
  const struct {
    const char* what;
    int sizeZ;
    float spacingX;
    int modification;
    bool changed;
  } kCases[] = {
      // One B-scan: in 3-D every sample lies on one line across the scan and the fit has no
      // solution; in 2-D the fake second axis gives it one.
      {"one B-scan in 3-D", 1, 0.01f, 1, false},
      {"one B-scan in 2-D", 1, 0.01f, 0, true},
      // A scan without an A-scan spacing is fitted in voxels rather than not at all.
      {"no A-scan spacing", kZ, 0.0f, 1, true},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    const int size[3] = {kX, kY, c.sizeZ};
    const float spacing[3] = {c.spacingX, 0.002f, 0.05f};
    std::vector<int> points = SurfacesOf(c.sizeZ, [](int, int) { return 8; });
    m_Position[2] = c.sizeZ / 2;
    LOCTImage& pane = SetUpFor(OrientationXY, points, 1);
    pane.SetVolume(size, m_Data.volume16.data(), spacing, 2);
    pane.SetSurfaces(1, points.data(), nullptr);
    pane.SetSurfacesModification(c.modification);
    m_View.calls.clear();
    Edit(pane, 7, 8, 16);
    EXPECT_EQ(RowsOf(points, 0, c.sizeZ) != std::vector<int>(size_t(kX) * size_t(c.sizeZ), 8), c.changed);
    EXPECT_EQ(m_View.Saw("invalidate 3D"), c.changed);
  }
}

TEST_F(SurfaceEditTest, UndoKeepsTheLastTwentyEdits)
{
  std::vector<int> points = SurfacesOf(kZ, [](int x, int) { return 3 + x % 2; }, [](int, int) { return 20; });
  LOCTImage& pane = SetUpFor(OrientationXY, points, 2);
  pane.SetSurfacesMargin(0.03f);
  const std::vector<int> original = points;
  std::vector<std::vector<int>> states;  // after each edit
  for (int i = 0; i < 21; ++i) {
    Edit(pane, 7, points[(size_t(3) * kX + 7) * 3 + 1], 1 + i % 5);
    states.push_back(points);
  }
  EXPECT_EQ(pane.GetUndoDepth(), LOCTImage::kMaxUndo);
  for (int i = 0; i < 19; ++i)
    Mouse{pane}.Click(CellCentre(pane, 0, 0), Qt::RightButton);
  EXPECT_EQ(points, states[1]);
  Mouse{pane}.Click(CellCentre(pane, 0, 0), Qt::RightButton);
  EXPECT_EQ(points, states[0]);
  EXPECT_NE(points, original);  // the oldest snapshot was dropped
  Mouse{pane}.Click(CellCentre(pane, 0, 0), Qt::RightButton);
  EXPECT_EQ(points, states[0]);

  // Other surfaces handed over leave nothing to undo.
  Edit(pane, 7, points[(size_t(3) * kX + 7) * 3 + 1], 5);
  pane.SetSurfaces(2, points.data(), nullptr);
  const std::vector<int> handedOver = points;
  Mouse{pane}.Click(CellCentre(pane, 0, 0), Qt::RightButton);
  EXPECT_EQ(points, handedOver);
}

TEST_F(SurfaceEditTest, EditsAndUndoRedrawAndRecomputeWhatDependsOnTheSurfaces)
{
  const struct {
    bool thickness, createProj;
    Calls projection;
  } kCases[] = {
      {false, false, {}},
      {true, false, {"thickness 2 5", "compose"}},
      {false, true, {"projection 1 3", "compose"}},
      {true, true, {"thickness 2 5", "projection 1 3", "compose"}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(testing::Message() << "thickness " << c.thickness << ", projection " << c.createProj);
    std::vector<int> points = SurfacesOf(kZ, [](int, int) { return 8; });
    LOCTImage& pane = SetUpFor(OrientationZY, points, 1);
    pane.SetThicknessSurfaces(2, 5);
    pane.SetProjectionSurfaces(1, 3);
    pane.ShowThickness(c.thickness);
    pane.SetShowCreateProj(c.createProj);
    Calls expected = {"invalidate 1", "invalidate 3", "invalidate 3D"};
    expected.insert(expected.end(), c.projection.begin(), c.projection.end());
    m_View.calls.clear();
    Edit(pane, 2, 8, 12);
    EXPECT_EQ(m_View.calls, expected);
    m_View.calls.clear();
    Mouse{pane}.Click(CellCentre(pane, 0, 0), Qt::RightButton);
    EXPECT_EQ(m_View.calls, expected);
    EXPECT_EQ(RowsOf(points, 0), std::vector<int>(kX * kZ, 8));
  }
}

TEST_F(SurfaceEditTest, NothingIsEditedWhereSurfacesCannotBe)
{
  const struct {
    const char* what;
    int orientation;
    bool shown;
    int files;
  } kCases[] = {
      {"the XZ pane", OrientationXZ, true, 1},
      {"surfaces hidden", OrientationXY, false, 1},
      {"no surfaces file", OrientationXY, true, 0},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    std::vector<int> points = SurfacesOf(kZ, [](int, int) { return 8; });
    LOCTImage& pane = SetUpFor(c.orientation, points, 1);
    pane.ShowSurfaces(c.shown);
    m_View.files = c.files;
    Edit(pane, 2, c.orientation == OrientationXZ ? 3 : 8, 14);
    EXPECT_EQ(RowsOf(points, 0), std::vector<int>(kX * kZ, 8));
    EXPECT_EQ(pane.GetUndoDepth(), 0);
    EXPECT_EQ(pane.GetCursor(), Qt::ArrowCursor);
    m_View.files = 1;
  }
}
