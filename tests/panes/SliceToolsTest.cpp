#include "SliceToolsTestView.h"

#include "RecordingCanvas.h"
#include "fixtures/FixtureFiles.h"
#include "fixtures/TempDir.h"
#include "panes/BrushGeometry.h"
#include "platform/Messages.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <gtest/gtest.h>
#include <memory>
#include <set>
#include <sstream>

namespace {


// A pane of the 16 x 24 x 6 test volume at position (5, 9, 3), each cell 20 x 10 window
// pixels, so that a point and its 8 x 8 hit rectangle lie inside one cell.
class ToolTest : public ::testing::Test {
protected:
  LOCTImage& SetUpFor(int orientation, int mode)
  {
    m_Panes[orientation] = std::make_unique<LOCTImage>(m_View);
    LOCTImage& pane = *m_Panes[orientation];
    SetUpPane(pane, m_Data, orientation, m_Position, &m_Centre, &m_Width);
    pane.SetGridCenter(m_GridCenter);
    pane.SetMouseMode(mode);
    int columns = 0;
    int rows = 0;
    SliceSizeOf(orientation, columns, rows);
    pane.Resize(columns * 20, rows * 10);
    pane.SetMarkers(&m_Markers);
    pane.SetSplines(&m_Splines, &m_HitRects);
    m_View.panes[orientation] = &pane;
    return pane;
  }

  SliceTestData m_Data;
  int m_Position[3] = {5, 9, 3};
  int m_GridCenter[2] = {8, 3};
  float m_Centre = 32768;
  float m_Width = 16384;
  LMarkers m_Markers;
  LSplineSet m_Splines;
  SplineHitRects m_HitRects;
  ToolView m_View;
  std::map<int, std::unique_ptr<LOCTImage>> m_Panes;
};

std::vector<int> PositionOf(const int* p) { return {p[0], p[1], p[2]}; }

}  // namespace

TEST_F(ToolTest, PositionClickMovesThePositionAndTellsTheOtherPanes)
{
  const struct {
    const char* what;
    int orientation;
    int column, row;  // -1: the window's last pixel
    std::vector<int> position;
    Calls calls;
  } kCases[] = {
      {"XY", OrientationXY, 7, 11, {7, 11, 3},
       {"render 2", "render 3", "scroll 2 7", "scroll 3 11", "invalidate projection", "invalidate 3D"}},
      {"ZY", OrientationZY, 4, 11, {5, 11, 4},
       {"render 1", "render 3", "scroll 1 4", "scroll 3 11", "invalidate projection", "invalidate 3D"}},
      {"XZ", OrientationXZ, 7, 4, {7, 9, 4},
       {"render 1", "render 2", "scroll 1 4", "scroll 2 7", "invalidate projection", "invalidate 3D"}},
      {"XY at the window's corner", OrientationXY, -1, -1, {15, 23, 3},
       {"render 2", "render 3", "scroll 2 15", "scroll 3 23", "invalidate projection", "invalidate 3D"}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    int position[3] = {5, 9, 3};
    std::copy(position, position + 3, m_Position);
    m_View.calls.clear();
    LOCTImage& pane = SetUpFor(c.orientation, MousePosition);
    const QPoint p = c.column < 0 ? QPoint(pane.GetWindowWidth() - 1, pane.GetWindowHeight() - 1)
                                  : CellCentre(pane, c.column, c.row);
    Mouse{pane}.Click(p);
    EXPECT_EQ(PositionOf(m_Position), c.position);
    EXPECT_EQ(m_View.calls, c.calls);
  }
}

TEST_F(ToolTest, GridCentreClickRecomputesTheThicknessOnlyWhenTheMapIsShown)
{
  const struct {
    int files;
    bool thickness;
    int gridMode;
    bool recompute;
  } kCases[] = {{1, true, 1, true}, {0, true, 1, false}, {1, false, 1, false}, {1, true, 0, false}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(testing::Message() << c.files << " files, thickness " << c.thickness << ", grid " << c.gridMode);
    LOCTImage& pane = SetUpFor(OrientationXZ, MouseGridCenter);
    pane.SetThicknessSurfaces(2, 5);
    m_View.calls.clear();
    m_View.files = c.files;
    m_View.thickness = c.thickness;
    m_View.gridMode = c.gridMode;
    Mouse{pane}.Click(CellCentre(pane, 11, 2));
    EXPECT_EQ(m_GridCenter[0], 11);
    EXPECT_EQ(m_GridCenter[1], 2);
    EXPECT_EQ(PositionOf(m_Position), (std::vector<int>{11, 9, 2}));
    EXPECT_EQ(m_View.Saw("thickness 2 5"), c.recompute);
    EXPECT_EQ(m_View.Saw("compose"), c.recompute);
  }
}

TEST_F(ToolTest, WindowDragMovesLevelAndWidthByTheValueRange)
{
  const struct {
    int bytesPerVoxel;
    QPoint step;
    float centre, width;
  } kCases[] = {
      // One pixel right on 16 bits lowers the level by 65536 / 512.
      {2, {1, 0}, 32768 - 128, 16384},
      {2, {0, 3}, 32768, 16384 + 384},
      {1, {2, -1}, 200 - 1, 100 - 0.5f},
      // Rendering keeps the values in range.
      {1, {-400, 0}, 255, 100},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(testing::Message() << c.bytesPerVoxel << " bytes, step " << c.step.x() << ", " << c.step.y());
    LOCTImage& pane = SetUpFor(OrientationXY, MouseWindow);
    pane.SetVolume(m_Data.size, m_Data.volume8.data(), m_Data.spacing, c.bytesPerVoxel);
    m_Centre = c.bytesPerVoxel == 2 ? 32768 : 200;
    m_Width = c.bytesPerVoxel == 2 ? 16384 : 100;
    m_View.calls.clear();
    const QPoint from(50, 50);
    Mouse{pane}.Drag(from, from + c.step);
    EXPECT_FLOAT_EQ(m_Centre, c.centre);
    EXPECT_FLOAT_EQ(m_Width, c.width);
    EXPECT_EQ(m_View.calls, (Calls{"render 2", "render 3", "invalidate 3D"}));
  }
}

TEST_F(ToolTest, ZoomDragShowsTheMiddleAndNeverLeavesTheImage)
{
  // Zoom 0.1 shows trunc(50 * 0.1) columns on each side, one more for an odd width.
  for (int columns : {100, 101}) {
    SCOPED_TRACE(columns);
    const int size[3] = {columns, 40, 1};
    const std::vector<uint16_t> voxels(size_t(columns) * 40);
    LOCTImage pane(m_View);
    pane.CreatePane(columns, 40, DibColors24Bit, nullptr);
    pane.SetVolume(size, voxels.data(), m_Data.spacing, 2);
    pane.SetOrientation(OrientationXY);
    pane.SetPosition(m_Position);
    pane.SetMouseMode(MouseZoom);
    Mouse{pane}.Drag({10, 10}, {10, 400});
    EXPECT_FLOAT_EQ(pane.GetZoom(), 0.1f);
    EXPECT_EQ(pane.Mapping()->VisibleColumns(), columns == 100 ? 10 : 11);
  }

  const int size[3] = {100, 40, 1};
  const std::vector<uint16_t> voxels(100 * 40);
  LOCTImage pane(m_View);
  pane.CreatePane(100, 40, DibColors24Bit, nullptr);
  pane.SetVolume(size, voxels.data(), m_Data.spacing, 2);
  pane.SetOrientation(OrientationXY);
  pane.SetPosition(m_Position);
  const struct {
    const char* what;
    int mode;
    QPoint step;
    float zoom;
    int panX, panY;
  } kSteps[] = {
      {"zoom in to a half", MouseZoom, {0, 100}, 0.5f, 0, 0},
      {"pan to the left edge", MousePan, {25, 0}, 0.5f, -25, 0},
      {"no further", MousePan, {1, 0}, 0.5f, -25, 0},
      {"zooming out would leave the image", MouseZoom, {0, -20}, 0.5f, -25, 0},
      {"pan back, and down", MousePan, {-25, 3}, 0.5f, 0, 3},
      {"zooming out now fits", MouseZoom, {0, -20}, 0.6f, 0, 3},
  };
  for (const auto& s : kSteps) {
    SCOPED_TRACE(s.what);
    pane.SetMouseMode(s.mode);
    Mouse{pane}.Drag({200, 200}, QPoint(200, 200) + s.step);
    EXPECT_FLOAT_EQ(pane.GetZoom(), s.zoom);
    EXPECT_EQ(pane.GetPanX(), s.panX);
    EXPECT_EQ(pane.GetPanY(), s.panY);
  }
}

// ---- Brushes --------------------------------------------------------------------------------

namespace {

struct BrushCase {
  const char* what;
  int orientation;
  int mode;  // MouseVessel, MouseSEAD or MouseUndefinedRegion
  float margin;
  int modification;
  int column, row;  // the cell clicked
};

// The cells the oracle expects set: voxel indices x + X (y + Y z) of a label volume, or
// x + X z of the undefined-region mask.
std::vector<std::set<size_t>> ExpectedBrushes(const std::vector<BrushCase>& cases, const SliceTestData& data,
                                              const int* position)
{
  const TempDir dir;
  std::ostringstream text;
  for (const BrushCase& c : cases) {
    SliceAxes axes;
    SliceAxesOf(c.orientation, axes);
    int centre[3] = {position[0], position[1], position[2]};
    centre[axes.column] = c.column;
    centre[axes.row] = c.row;
    text << (c.mode == MouseUndefinedRegion ? "mask" : "label") << ' ' << data.kX << ' ' << data.kY << ' '
         << data.kZ << ' ' << data.spacing[0] << ' ' << data.spacing[1] << ' ' << data.spacing[2] << ' ' << c.margin
         << ' ' << c.modification << ' ' << c.orientation << ' ' << centre[0] << ' ' << centre[1] << ' '
         << centre[2] << '\n';
  }
  EXPECT_TRUE(fixtures::WriteText(dir.File("cases.txt"), text.str()));
  const std::string script = std::string(STRATAVIEW_SOURCE_DIR) + "/tests/panes/brush_oracle.py";
  EXPECT_EQ(fixtures::RunCommand("/usr/bin/python3 " + script + " " + dir.File("cases.txt") + " " +
                                 dir.File("out.txt")),
            0);
  std::vector<std::set<size_t>> expected;
  std::istringstream lines(fixtures::ReadAll(dir.File("out.txt")));
  for (std::string line; std::getline(lines, line);) {
    std::istringstream cells(line);
    expected.emplace_back();
    for (size_t i; cells >> i;)
      expected.back().insert(i);
  }
  expected.resize(cases.size());
  return expected;
}

template <typename T>
std::set<size_t> NonZero(const std::vector<T>& values)
{
  std::set<size_t> set;
  for (size_t i = 0; i < values.size(); ++i)
    if (values[i] != 0)
      set.insert(i);
  return set;
}

}  // namespace

TEST_F(ToolTest, BrushesSetTheEllipseOfTheirMarginOnTheSliceOrAcrossSlices)
{
  // Voxels of 0.01 x 0.002 x 0.05 mm.
  const std::vector<BrushCase> kCases = {
      {"vessel XY 2-D", OrientationXY, MouseVessel, 0.03f, 0, 7, 11},
      {"vessel XY 3-D", OrientationXY, MouseVessel, 0.06f, 1, 7, 11},
      {"vessel below half a voxel: the centre", OrientationXY, MouseVessel, 0.0001f, 1, 7, 11},
      {"vessel of margin 0: the centre", OrientationXY, MouseVessel, 0.0f, 1, 7, 11},
      {"vessel at the image's corner", OrientationXY, MouseVessel, 0.03f, 1, 0, 23},
      {"SEAD ZY 2-D", OrientationZY, MouseSEAD, 0.02f, 0, 2, 4},
      {"SEAD ZY 3-D", OrientationZY, MouseSEAD, 0.06f, 1, 2, 4},
      {"vessel XZ 3-D", OrientationXZ, MouseVessel, 0.016f, 1, 9, 2},
      {"undefined XY 2-D", OrientationXY, MouseUndefinedRegion, 0.03f, 0, 7, 11},
      {"undefined XY 3-D", OrientationXY, MouseUndefinedRegion, 0.06f, 1, 7, 11},
      {"undefined ZY 2-D", OrientationZY, MouseUndefinedRegion, 0.11f, 0, 2, 20},
      {"undefined XZ 2-D: the cell alone", OrientationXZ, MouseUndefinedRegion, 0.06f, 0, 9, 2},
      {"undefined XZ 3-D", OrientationXZ, MouseUndefinedRegion, 0.06f, 1, 9, 2},
  };
  const auto expected = ExpectedBrushes(kCases, m_Data, m_Position);
  const std::vector<uint16_t> zeros(m_Data.vessel.size(), 0);
  std::vector<uint8_t> mask(m_Data.undefinedMask.size());
  std::vector<int> surfaces(size_t(SliceTestData::kX) * SliceTestData::kZ * 3, 0);
  for (size_t i = 0; i < kCases.size(); ++i) {
    const BrushCase& c = kCases[i];
    SCOPED_TRACE(c.what);
    TestLabels vessel(zeros, m_Data.size, 2);
    TestLabels sead(zeros, m_Data.size, 1);
    std::fill(mask.begin(), mask.end(), 0);
    LOCTImage& pane = SetUpFor(c.orientation, c.mode);
    pane.SetSurfaces(1, surfaces.data(), mask.data());
    pane.SetVesselVolume(vessel.Layer());
    pane.SetSEADVolume(sead.Layer());
    pane.SetVesselMargin(c.margin);
    pane.SetSEADMargin(c.margin);
    pane.SetUndefinedRegionMargin(c.margin);
    pane.SetVesselModification(c.modification);
    pane.SetSEADModification(c.modification);
    pane.SetUndefinedRegionModification(c.modification);
    pane.ShowVessel(true);
    pane.ShowSEAD(true);
    pane.ShowUndefinedRegion(true);
    Mouse{pane}.Click(CellCentre(pane, c.column, c.row));
    if (c.mode == MouseUndefinedRegion) {
      EXPECT_EQ(NonZero(mask), expected[i]);
      EXPECT_EQ(NonZero(vessel.Voxels()), std::set<size_t>{});
      EXPECT_EQ(NonZero(sead.Voxels()), std::set<size_t>{});
    } else {
      const std::vector<uint16_t> painted = (c.mode == MouseVessel ? vessel : sead).Voxels();
      const std::vector<uint16_t> other = (c.mode == MouseVessel ? sead : vessel).Voxels();
      EXPECT_EQ(NonZero(painted), expected[i]);
      EXPECT_EQ(NonZero(other), std::set<size_t>{});
      const int maximum = c.mode == MouseVessel ? 65535 : 255;
      for (size_t v : expected[i])
        ASSERT_EQ(painted[v], maximum);
    }
  }
}

TEST_F(ToolTest, BrushesNeedTheirFlagAndTheUndefinedRegionNeedsSurfaces)
{
  TestLabels labels(std::vector<uint16_t>(m_Data.vessel.size(), 0), m_Data.size, 2);
  std::vector<uint8_t> mask(m_Data.undefinedMask.size(), 0);
  std::vector<int> surfaces(size_t(SliceTestData::kX) * SliceTestData::kZ * 3, 0);
  const struct {
    const char* what;
    int mode;
    bool flag;
    int files;
  } kCases[] = {
      {"vessel hidden", MouseVessel, false, 1},
      {"SEAD hidden", MouseSEAD, false, 1},
      {"undefined region hidden", MouseUndefinedRegion, false, 1},
      {"undefined region without a surfaces file", MouseUndefinedRegion, true, 0},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    LOCTImage& pane = SetUpFor(OrientationXY, c.mode);
    pane.SetSurfaces(1, surfaces.data(), mask.data());
    pane.SetVesselVolume(labels.Layer());
    pane.SetSEADVolume(labels.Layer());
    pane.ShowVessel(c.flag);
    pane.ShowSEAD(c.flag);
    pane.ShowUndefinedRegion(c.flag);
    m_View.files = c.files;
    m_View.calls.clear();
    Mouse{pane}.Drag(CellCentre(pane, 7, 11), CellCentre(pane, 8, 11));
    EXPECT_EQ(NonZero(labels.Voxels()), std::set<size_t>{});
    EXPECT_EQ(NonZero(mask), std::set<size_t>{});
    EXPECT_EQ(m_View.calls, Calls{});
  }
}

TEST_F(ToolTest, RightButtonErasesAndAFinishedStrokeUpdatesEveryVolumeFigure)
{
  // Voxels of 1 mm^3; every voxel of B-scan 3 set: 384 mm^3.
  std::vector<uint16_t> read(m_Data.vessel.size(), 0);
  std::fill(read.begin() + 3 * 16 * 24, read.begin() + 4 * 16 * 24, 65535);
  TestLabels labels(read, m_Data.size, 2);
  const float spacing[3] = {1, 1, 1};
  LOCTImage& xy = SetUpFor(OrientationXY, MouseVessel);
  LOCTImage& zy = SetUpFor(OrientationZY, MouseVessel);
  for (LOCTImage* pane : {&xy, &zy}) {
    pane->SetVolume(m_Data.size, m_Data.volume16.data(), spacing, 2);
    pane->SetVesselVolume(labels.Layer());
    pane->ShowVessel(true);
  }
  xy.SetVesselMargin(0.1f);  // the voxel under the cursor alone
  const auto volumeText = [](const LOCTImage& pane) {
    RecordingCanvas canvas;
    pane.PaintOverlays(canvas);
    for (const CanvasOp& op : canvas.ops) {
      const size_t at = op.text.find("Vessel Vol");
      if (op.kind == CanvasOp::Text && at != std::string::npos)
        return op.text.substr(at, op.text.find('\n', at) - at);
    }
    return std::string();
  };
  EXPECT_EQ(volumeText(xy), "Vessel Vol: 384.000 mm3");

  Mouse mouse{xy};
  mouse.Press(CellCentre(xy, 2, 2), Qt::RightButton);
  mouse.MoveHeld(CellCentre(xy, 3, 2), Qt::RightButton);
  mouse.Release(CellCentre(xy, 3, 2), Qt::RightButton);
  const size_t row = 16 * (2 + 24 * 3);
  const std::vector<uint16_t> after = labels.Voxels();
  EXPECT_EQ(std::vector<uint16_t>(after.begin() + row + 1, after.begin() + row + 5),
            (std::vector<uint16_t>{65535, 0, 0, 65535}));
  EXPECT_EQ(volumeText(xy), "Vessel Vol: 382.000 mm3");
  EXPECT_EQ(volumeText(zy), "Vessel Vol: 382.000 mm3");
}

TEST(BrushGeometry, HalfExtentIsTheRoundedRadiusAndAtLeastOne)
{
  const struct {
    float margin, spacing;
    int half;
  } kCases[] = {
      {0.02f, 0.05f, 1},  // trunc(0.4 + 0.5) = 0, raised to 1
      {0.2f, 0.05f, 4},  {0.0f, 0.05f, 1},  {1.0f, 0.0f, 1},  // no spacing: one voxel
      {-1.0f, 0.05f, 1}, {1000.0f, 0.05f, 7},                 // never wider than the axis
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(testing::Message() << c.margin << " mm on " << c.spacing << " mm");
    EXPECT_EQ(BrushHalfExtent(BrushRadius(c.margin, c.spacing), 7), c.half);
  }
}

// ---- Markers ----------------------------------------------------------------------------------

namespace {

class MarkerTest : public ToolTest {
protected:
  LOCTImage& SetUpMarkers(int orientation)
  {
    m_Markers.Create(0, LOCTImage::kMaxMarkers, {});
    LOCTImage& pane = SetUpFor(orientation, MouseMarkers);
    pane.SetMarkersLabel("3");
    pane.ShowMarkers(true);
    return pane;
  }
  std::vector<Point3i> Points() const
  {
    return std::vector<Point3i>(m_Markers.points.begin(), m_Markers.points.begin() + m_Markers.count);
  }
};

}  // namespace

TEST_F(MarkerTest, AClickAddsAMarkerOnTheCurrentSlice)
{
  const struct {
    int orientation;
    int column, row;
    Point3i point;
  } kCases[] = {
      {OrientationXY, 7, 11, {7, 11, 3}},
      {OrientationZY, 4, 11, {5, 11, 4}},
      {OrientationXZ, 7, 4, {7, 9, 4}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.orientation);
    LOCTImage& pane = SetUpMarkers(c.orientation);
    m_View.calls.clear();
    Mouse{pane}.Click(CellCentre(pane, c.column, c.row));
    EXPECT_EQ(Points(), std::vector<Point3i>{c.point});
    EXPECT_EQ(m_Markers.labels[0], "3");
    EXPECT_EQ(pane.GetSelectedMarker(), -1);
    const std::array<int, 2> others = c.orientation == OrientationXY   ? std::array<int, 2>{2, 3}
                                      : c.orientation == OrientationZY ? std::array<int, 2>{1, 3}
                                                                       : std::array<int, 2>{1, 2};
    EXPECT_EQ(m_View.calls, (Calls{"invalidate " + std::to_string(others[0]),
                                   "invalidate " + std::to_string(others[1]), "invalidate 3D"}));
  }
}

TEST_F(MarkerTest, AClickOnAMarkerSelectsItForDraggingAndADoubleClickDeletesIt)
{
  LOCTImage& pane = SetUpMarkers(OrientationXY);
  Mouse mouse{pane};
  mouse.Click(CellCentre(pane, 2, 2));
  mouse.Click(CellCentre(pane, 9, 5));
  m_Markers.points.push_back({9, 5, 4});  // beyond the count: never hit
  // A marker is hit within its 8 x 8 rectangle on the current slice only.
  const QPoint second = CellCentre(pane, 9, 5);
  mouse.Press(second + QPoint(3, -4));
  EXPECT_EQ(pane.GetSelectedMarker(), 1);
  mouse.MoveHeld(QPoint(pane.GetWindowWidth() + 50, 0));  // past the window: clamped
  mouse.Release(QPoint(pane.GetWindowWidth() + 50, 0));
  EXPECT_EQ(Points(), (std::vector<Point3i>{{2, 2, 3}, {15, 0, 3}}));

  // Just outside the rectangle: a new marker.
  mouse.Click(CellCentre(pane, 2, 2) + QPoint(4, 0));
  EXPECT_EQ(pane.GetSelectedMarker(), -1);
  EXPECT_EQ(m_Markers.count, 3);

  // A double click on the first deletes it; the later ones move down.
  mouse.DoubleClick(CellCentre(pane, 2, 2));
  EXPECT_EQ(Points(), (std::vector<Point3i>{{15, 0, 3}, {2, 2, 3}}));
  EXPECT_EQ(m_Markers.points[2], Point3i{});
  EXPECT_EQ(m_Markers.labels[2], "-1");
  // The button is still down after the double click: the marker now at index 0 stays put.
  mouse.MoveHeld(CellCentre(pane, 6, 6));
  EXPECT_EQ(Points(), (std::vector<Point3i>{{15, 0, 3}, {2, 2, 3}}));
}

TEST_F(MarkerTest, TheMarkersFlagAndTheLimitStopTheTool)
{
  LOCTImage& pane = SetUpMarkers(OrientationXY);
  std::vector<std::string> messages;
  const platform::ScopedMessageHook hook([&](const std::string& text, unsigned) {
    messages.push_back(text);
    return 1;
  });
  pane.ShowMarkers(false);
  Mouse{pane}.Click(CellCentre(pane, 2, 2));
  EXPECT_EQ(m_Markers.count, 0);

  pane.ShowMarkers(true);
  m_Markers.count = LOCTImage::kMaxMarkers;
  Mouse{pane}.Click(CellCentre(pane, 2, 2));
  EXPECT_EQ(m_Markers.count, LOCTImage::kMaxMarkers);
  EXPECT_EQ(messages, std::vector<std::string>{"The maximum number of 'Markers' is 3000."});
}

// ---- Splines ----------------------------------------------------------------------------------

namespace {

class SplineTest : public ToolTest {
protected:
  void SetUpSplines(int count = 0)
  {
    m_Splines.Create(count, kMaxSplines, {});
    for (int o : {OrientationXY, OrientationZY, OrientationXZ}) {
      LOCTImage& pane = SetUpFor(o, MouseSplines);
      pane.ShowSplines(true);
    }
  }
  LOCTImage& Pane(int orientation) { return *m_Panes[orientation]; }
  void RequestNewSpline()
  {
    for (auto& [o, pane] : m_Panes)
      pane->RequestNewSpline();
  }
  // A new spline in a pane, with a point on each cell given.
  void DrawSpline(int orientation, const std::vector<std::pair<int, int>>& cells)
  {
    RequestNewSpline();
    for (const auto& [column, row] : cells)
      Mouse{Pane(orientation)}.Click(CellCentre(Pane(orientation), column, row));
  }
};

}  // namespace

TEST_F(SplineTest, ANewSplineGrowsOnlyOnItsOwnSliceOfItsOwnPane)
{
  SetUpSplines();
  DrawSpline(OrientationXZ, {{2, 1}});
  ASSERT_EQ(m_Splines.count, 1);
  EXPECT_EQ(m_Splines.planes[0], OrientationXZ);
  EXPECT_EQ(m_Splines.controlPoints[0], (std::vector<Point3i>{{2, 9, 1}}));
  for (auto& [o, pane] : m_Panes)
    EXPECT_FALSE(pane->GetNewSplineRequest()) << o;

  Mouse{Pane(OrientationXY)}.Click(CellCentre(Pane(OrientationXY), 4, 4));
  m_Position[1] = 10;  // another slice of the XZ pane
  Mouse{Pane(OrientationXZ)}.Click(CellCentre(Pane(OrientationXZ), 6, 2));
  EXPECT_EQ(m_Splines.controlPoints[0].size(), 1u);

  m_Position[1] = 9;
  Mouse{Pane(OrientationXZ)}.Click(CellCentre(Pane(OrientationXZ), 12, 4));
  EXPECT_EQ(m_Splines.controlPoints[0], (std::vector<Point3i>{{2, 9, 1}, {12, 9, 4}}));
  EXPECT_EQ(m_HitRects[0].size(), 2u);
  EXPECT_EQ(m_Splines.GetCurves()[0].front(), (Point3i{2, 9, 1}));
  EXPECT_EQ(m_Splines.GetCurves()[0].back(), (Point3i{12, 9, 4}));
  EXPECT_EQ(m_Splines.count, 1);
}

TEST_F(SplineTest, AnEmptyLastSplineIsTakenAgainWithFreshLists)
{
  SetUpSplines(2);
  m_Splines.planes[0] = OrientationXY;
  m_Splines.controlPoints[0] = {{1, 1, 3}};
  m_HitRects.assign(2, std::vector<PixelRect>(3));  // left over from earlier points
  DrawSpline(OrientationXY, {{5, 6}});
  EXPECT_EQ(m_Splines.count, 2);
  EXPECT_EQ(m_Splines.controlPoints[1], (std::vector<Point3i>{{5, 6, 3}}));
  EXPECT_EQ(m_HitRects[1], (std::vector<PixelRect>{{1, 2, 8, 8}}));

  // Without a request a click extends the newest spline: none on an empty set, nothing on a
  // spline without points.
  SetUpSplines(0);
  Mouse{Pane(OrientationXY)}.Click(CellCentre(Pane(OrientationXY), 5, 6));
  EXPECT_EQ(m_Splines.count, 0);
  SetUpSplines(1);
  m_Splines.planes[0] = OrientationXY;
  Mouse{Pane(OrientationXY)}.Click(CellCentre(Pane(OrientationXY), 5, 6));
  EXPECT_TRUE(m_Splines.controlPoints[0].empty());
}

TEST_F(SplineTest, ControlPointsAreSelectedDraggedAndTheirSplineDeleted)
{
  SetUpSplines();
  DrawSpline(OrientationXY, {{1, 1}, {5, 5}});
  DrawSpline(OrientationXY, {{10, 2}, {12, 8}});
  DrawSpline(OrientationZY, {{1, 3}, {4, 20}});
  LOCTImage& xy = Pane(OrientationXY);
  Mouse mouse{xy};

  // A click on a control point selects it and adds nothing; dragging moves it.
  mouse.Press(CellCentre(xy, 12, 8));
  EXPECT_EQ(xy.GetSelectedSpline(), 1);
  EXPECT_EQ(xy.GetSelectedControlPoint(), 1);
  mouse.MoveHeld(CellCentre(xy, 13, 30));
  mouse.Release(CellCentre(xy, 13, 30));
  EXPECT_EQ(m_Splines.controlPoints[1], (std::vector<Point3i>{{10, 2, 3}, {13, 23, 3}}));
  EXPECT_EQ(m_Splines.GetCurves()[1].back(), (Point3i{13, 23, 3}));

  // Hidden control points cannot be taken.
  xy.SetShowSplinesMarker(false);
  mouse.Press(CellCentre(xy, 1, 1));
  EXPECT_EQ(xy.GetSelectedSpline(), -1);
  mouse.Release(CellCentre(xy, 1, 1));
  xy.SetShowSplinesMarker(true);

  // Deleting spline 0 moves the later ones and their curves down.
  const std::vector<Point3i> curveOfSecond = m_Splines.GetCurves()[1];
  m_View.calls.clear();
  mouse.DoubleClick(CellCentre(xy, 1, 1));
  EXPECT_EQ(m_Splines.count, 2);
  EXPECT_EQ(m_Splines.planes[0], OrientationXY);
  EXPECT_EQ(m_Splines.planes[1], OrientationZY);
  EXPECT_EQ(m_Splines.planes[2], OrientationXY);
  EXPECT_TRUE(m_Splines.controlPoints[2].empty());
  EXPECT_EQ(m_Splines.GetCurves()[0], curveOfSecond);
  EXPECT_TRUE(m_Splines.GetCurves()[2].empty());
  EXPECT_EQ(m_HitRects[0].size(), 2u);
  EXPECT_TRUE(m_HitRects[2].empty());
  EXPECT_TRUE(m_View.Saw("invalidate 2") && m_View.Saw("invalidate 3") && m_View.Saw("invalidate 3D"));
  // The button is still down: nothing is dragged.
  const std::vector<Point3i> before = m_Splines.controlPoints[0];
  mouse.MoveHeld(CellCentre(xy, 0, 0));
  EXPECT_EQ(m_Splines.controlPoints[0], before);
}

TEST_F(SplineTest, CloseAndDeleteTheOnlySpline)
{
  SetUpSplines();
  DrawSpline(OrientationXY, {{4, 4}});
  // The right button closes the newest spline from any pane; every pane that may show it redraws.
  m_View.calls.clear();
  Mouse{Pane(OrientationXZ)}.Click(CellCentre(Pane(OrientationXZ), 0, 0), Qt::RightButton);
  EXPECT_TRUE(m_Splines.closed[0]);
  EXPECT_TRUE(m_View.Saw("invalidate 1") && m_View.Saw("invalidate 2") && m_View.Saw("invalidate 3D"));

  LOCTImage& xy = Pane(OrientationXY);
  Mouse{xy}.DoubleClick(CellCentre(xy, 4, 4));
  EXPECT_EQ(m_Splines.count, 0);
  Mouse{xy}.MoveHeld(CellCentre(xy, 1, 1));
  Mouse{xy}.Click(CellCentre(Pane(OrientationXY), 0, 0), Qt::RightButton);
  EXPECT_EQ(m_Splines.count, 0);
  EXPECT_TRUE(m_Splines.controlPoints[0].empty());
}

TEST_F(SplineTest, TheLimitStopsANewSplineAndTheFlagEverySplineTool)
{
  SetUpSplines(kMaxSplines);
  for (auto& points : m_Splines.controlPoints)
    points = {{0, 0, 0}};
  std::vector<std::string> messages;
  const platform::ScopedMessageHook hook([&](const std::string& text, unsigned) {
    messages.push_back(text);
    return 1;
  });
  DrawSpline(OrientationXY, {{5, 5}});
  EXPECT_EQ(messages, std::vector<std::string>{"The maximum number of 'Splines' is 3000."});
  EXPECT_EQ(m_Splines.count, kMaxSplines);
  EXPECT_TRUE(Pane(OrientationXY).GetNewSplineRequest());

  SetUpSplines();
  for (auto& [o, pane] : m_Panes)
    pane->ShowSplines(false);
  DrawSpline(OrientationXY, {{5, 5}});
  EXPECT_EQ(m_Splines.count, 0);
}

TEST_F(MarkerTest, TheWindowGivesADoubleClickAloneAndEndsAStrokeOnRelease)
{
  CChildWnd host;
  host.resize(320, 240);
  m_Markers.Create(1, LOCTImage::kMaxMarkers, {});
  m_Markers.points[0] = {2, 2, 3};
  LOCTImage pane(m_View);
  SetUpPane(pane, m_Data, OrientationXY, m_Position, &m_Centre, &m_Width, &host);
  pane.Resize(320, 240);
  pane.SetMarkers(&m_Markers);
  pane.SetMouseMode(MouseMarkers);
  pane.ShowMarkers(true);
  QWidget* window = host.findChild<PaneWidget*>();
  ASSERT_NE(window, nullptr);
  const QPointF at = CellCentre(pane, 2, 2);
  const auto send = [&](QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons held) {
    QMouseEvent event(type, at, at, button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &event);
  };
  // The first click selects the marker; the second, given as a press, would only select it
  // again instead of deleting it.
  send(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton);
  send(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton);
  send(QEvent::MouseButtonDblClick, Qt::LeftButton, Qt::LeftButton);
  send(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton);
  EXPECT_EQ(m_Markers.count, 0);

  TestLabels labels(std::vector<uint16_t>(m_Data.vessel.size(), 0), m_Data.size, 2);
  pane.SetVesselVolume(labels.Layer());
  pane.ShowVessel(true);
  pane.SetMouseMode(MouseVessel);
  send(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton);
  EXPECT_EQ(labels.Voxels()[2 + 16 * (2 + 24 * 3)], 65535);
  EXPECT_FALSE(m_View.Saw("labels 7"));
  send(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton);
  EXPECT_TRUE(m_View.Saw("labels 7"));
}
