#include "ProjPaneTestData.h"
#include "RecordingCanvas.h"

#include "panes/ThicknessTexts.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <gtest/gtest.h>

namespace {

using Rgb = std::array<int, 3>;

Rgb PixelOf(const QImage& image, int x, int y)
{
  const QRgb p = image.pixel(x, y);
  return {qRed(p), qGreen(p), qBlue(p)};
}

TEST(ThicknessPalette, Entries)
{
  const struct {
    int type;
    int index;
    Rgb expected;
  } cases[] = {
      {PaletteColor, 0, {0, 0, 255}},     {PaletteColor, 32, {0, 127, 255}}, {PaletteColor, 64, {0, 255, 255}},
      {PaletteColor, 128, {0, 255, 0}},   {PaletteColor, 160, {129, 255, 0}}, {PaletteColor, 191, {255, 255, 0}},
      {PaletteColor, 255, {255, 0, 0}},   {PaletteGrey, 0, {0, 0, 0}},        {PaletteGrey, 77, {77, 77, 77}},
      {PaletteGrey, 254, {254, 254, 254}}, {PaletteGrey, 255, {255, 255, 255}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.type) + " / " + std::to_string(c.index));
    ThicknessPalette palette;
    palette.Build(c.type);
    const auto i = static_cast<uint8_t>(c.index);
    EXPECT_EQ((Rgb{palette.Red(i), palette.Green(i), palette.Blue(i)}), c.expected);
  }
  // An unknown type keeps the tables; a new palette has the colour ramp before any Build.
  ThicknessPalette palette;
  EXPECT_EQ(palette.Blue(0), 255);
  palette.Build(PaletteGrey);
  palette.Build(7);
  EXPECT_EQ(palette.Red(77), 77);
}

// 4 x 3 cells over a uniform projection (100, 150, 200), thickness 0.25 mm per column index
// (indices 0, 85, 170, 255 in the Auto range); cell (0, 2) has no depth on the second surface.
class ComposeTest : public ::testing::Test {
protected:
  void SetUp() override
  {
    for (int z = 0; z < 3; ++z)
      for (int x = 0; x < 4; ++x) {
        m_Scene.SetDepth(0, x, z, 2);
        m_Scene.SetDepth(1, x, z, 2 + x);
      }
    m_Scene.SetDepth(1, 0, 2, -1);
    m_Scene.undefined[m_Scene.Cell(1, 0)] = 1;
    m_Scene.disc[m_Scene.Cell(1, 0)] = 220;  // cup, under the undefined region
    m_Scene.disc[m_Scene.Cell(3, 0)] = 200;  // cup
    m_Scene.disc[m_Scene.Cell(3, 1)] = 150;  // rim
    m_Scene.Apply(m_Pane);
    const std::vector<uint8_t> r(12, 100), g(12, 150), b(12, 200);
    m_Pane.SetProjectionImage(r.data(), g.data(), b.data());
  }

  EnFaceScene m_Scene{4, 10, 3, 2};
  RecordingView m_View;
  LProjImage m_Pane{m_View};
};

TEST_F(ComposeTest, LayersBlendByOpacityAtEachCell)
{
  // The palette is never set: the pane paints with the colour ramp it starts with.
  m_Pane.ComputeThickness(0, 1);
  m_Pane.ShowDisc(true);
  m_Pane.ShowThickness(true);
  const struct {
    const char* what;
    int x, z;
    Rgb withProjection;
    Rgb withoutProjection;
  } cases[] = {
      {"thickness index 0 (blue) at 80 %", 0, 0, {19, 29, 244}, {0, 0, 255}},
      {"thickness index 85", 1, 1, {19, 234, 176}, {0, 255, 171}},
      {"undefined region, then cup; never thickness", 1, 0, {178, 126, 98}, {129, 53, 0}},
      {"cup, then thickness index 255 (red)", 3, 0, {233, 20, 27}, {255, 0, 0}},
      {"rim, then thickness index 255", 3, 1, {218, 36, 27}, {255, 0, 0}},
      {"no depth on a surface: no thickness", 0, 2, {100, 150, 200}, {0, 0, 0}},
  };
  for (const bool projection : {true, false}) {
    m_Pane.ShowProjection(projection);
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(c.what) + (projection ? "" : ", projection off"));
      EXPECT_EQ(PixelOf(m_Pane.Bitmap(), c.x, c.z), projection ? c.withProjection : c.withoutProjection);
    }
  }
}

TEST_F(ComposeTest, AWholeStyleDrawsAsTheSameOptionsSetOneByOne)
{
  auto composeAll = [](LProjImage& pane) {
    pane.ComputeThickness(0, 1);
    pane.ShowDisc(true);
    pane.ShowThickness(true);
    return pane.Bitmap().copy();
  };
  const QImage asStarted = composeAll(m_Pane);

  ProjectionStyle style;
  style.undefinedRegion = {platform::MakeColorRef(10, 20, 30), 60};
  style.cup = {platform::MakeColorRef(40, 50, 60), 70};
  style.rim = {platform::MakeColorRef(70, 80, 90), 20};
  style.thicknessOpacity = 50;
  style.thicknessPalette = PaletteGrey;
  style.thicknessUnit = ThicknessUnitFixed;
  style.thicknessUnitMin = 0.0f;
  style.thicknessUnitMax = 2.0f;
  LProjImage styled(m_View);
  m_Scene.Apply(styled);
  const std::vector<uint8_t> r(12, 100), g(12, 150), b(12, 200);
  styled.SetProjectionImage(r.data(), g.data(), b.data());
  styled.SetStyle(style);

  m_Pane.SetColorUndefinedRegion(style.undefinedRegion.color);
  m_Pane.SetOpacityUndefinedRegion(style.undefinedRegion.opacity);
  m_Pane.SetColorCup(style.cup.color);
  m_Pane.SetOpacityCup(style.cup.opacity);
  m_Pane.SetColorRim(style.rim.color);
  m_Pane.SetOpacityRim(style.rim.opacity);
  m_Pane.SetThicknessOpacity(style.thicknessOpacity);
  m_Pane.SetThicknessPalette(style.thicknessPalette);
  m_Pane.SetThicknessUnit(style.thicknessUnit, style.thicknessUnitMin, style.thicknessUnitMax);

  const QImage oneByOne = composeAll(m_Pane);
  EXPECT_NE(oneByOne, asStarted) << "the options change the picture";
  EXPECT_EQ(composeAll(styled), oneByOne);
}

TEST_F(ComposeTest, LayersOffOrNotYetComputed)
{
  // Thickness shown before any computation: nothing to paint.
  m_Pane.ShowThickness(true);
  EXPECT_EQ(PixelOf(m_Pane.Bitmap(), 0, 0), (Rgb{100, 150, 200}));
  // Undefined region (switched on by SetSurfaces) and disc off: the plain projection.
  m_Pane.ShowUndefinedRegion(false);
  EXPECT_EQ(PixelOf(m_Pane.Bitmap(), 1, 0), (Rgb{100, 150, 200}));
  // Grey and 32-bit modes show the planes without layers.
  m_Pane.CreatePane(4, 3, DibColors32Bit, nullptr);
  const std::vector<uint8_t> r(12, 1), g(12, 2), b(12, 3);
  m_Pane.SetProjectionImage(r.data(), g.data(), b.data());
  m_Pane.ShowUndefinedRegion(true);
  EXPECT_EQ(PixelOf(m_Pane.Bitmap(), 1, 0), (Rgb{1, 2, 3}));
}

// A scan of another size without surfaces or disc: the pane composes, measures and paints
// nothing of the previous scan's, whose masks are sized for the old grid.
TEST_F(ComposeTest, ANewScanOfAnotherSizeLetsGoOfThePreviousResults)
{
  m_Pane.ComputeThickness(0, 1);
  m_Pane.ShowDisc(true);
  m_Pane.ShowThickness(true);
  EnFaceScene next(9, 10, 7, 0);
  const int size[3] = {next.sizeX, next.sizeY, next.sizeZ};
  m_Pane.CreatePane(next.sizeX, next.sizeZ, DibColors24Bit, nullptr);
  m_Pane.SetVolume(size, next.voxels.data(), next.spacing, 1);
  m_Pane.SetPosition(next.position);
  m_Pane.SetGridCenter(next.gridCenter);
  m_Pane.ShowUndefinedRegion(true);
  m_Pane.ShowDisc(true);
  m_Pane.ComputeThickness(0, 1);
  m_Pane.ComputeProjection(0, 1);
  m_Pane.ShowThickness(true);
  RecordingCanvas overlays;
  m_Pane.PaintOverlays(overlays);
  for (int z = 0; z < next.sizeZ; ++z)
    for (int x = 0; x < next.sizeX; ++x)
      ASSERT_EQ(PixelOf(m_Pane.Bitmap(), x, z), (Rgb{0, 0, 0})) << x << ", " << z;
}

TEST_F(ComposeTest, PaintsGuideLinesMarkAndColourBar)
{
  m_Scene.position[0] = 2;
  m_Scene.position[2] = 1;
  m_Scene.gridCenter[0] = 3;
  m_Scene.gridCenter[1] = 0;
  m_Pane.ComputeThickness(0, 1);
  m_Pane.ShowThickness(true);
  m_Pane.SetGridMode(GridModeQuality);
  m_Pane.ShowThicknessBar(true);
  m_Pane.Resize(400, 300);  // cells of 100 x 100 pixels
  const QImage image = m_Pane.RenderToImage();
  ASSERT_EQ(image.size(), QSize(400, 300));
  // Position (2, 1): centre (250, 150); the vertical green line crosses the red one.
  EXPECT_EQ(PixelOf(image, 200, 150), (Rgb{255, 0, 0}));
  EXPECT_EQ(PixelOf(image, 250, 290), (Rgb{0, 255, 0}));
  EXPECT_EQ(PixelOf(image, 150, 151), (Rgb{19, 234, 176})) << "beside the line, cell (1, 1)";
  // Grid centre (3, 0): centre (350, 50); black 8 x 8 square with a red inside.
  EXPECT_EQ(m_Pane.GridCenterMark(), QRect(346, 46, 8, 8));
  EXPECT_EQ(PixelOf(image, 350, 50), (Rgb{255, 0, 0}));
  EXPECT_EQ(PixelOf(image, 346, 46), (Rgb{0, 0, 0}));
  EXPECT_EQ(PixelOf(image, 353, 53), (Rgb{0, 0, 0}));
  // Colour bar: index 255 at the top, 1 at the bottom, inside a black frame.
  const ThicknessPalette& p = m_Pane.Palette();
  EXPECT_EQ(PixelOf(image, 10, 10), (Rgb{p.Red(255), p.Green(255), p.Blue(255)}));
  EXPECT_EQ(PixelOf(image, 10, 137), (Rgb{p.Red(1), p.Green(1), p.Blue(1)}));
  EXPECT_EQ(PixelOf(image, 4, 9), (Rgb{0, 0, 0}));
  EXPECT_EQ(PixelOf(image, 15, 100), (Rgb{0, 0, 0}));
  EXPECT_EQ(PixelOf(image, 10, 138), (Rgb{0, 0, 0}));

  // Without a grid mode there is no mark; without thickness no bar either.
  m_Pane.SetGridMode(GridModeNone);
  EXPECT_TRUE(m_Pane.GridCenterMark().isEmpty());
  m_Pane.ShowThickness(false);
  EXPECT_EQ(PixelOf(m_Pane.RenderToImage(), 10, 10), (Rgb{100, 150, 200}));
}

TEST(ThicknessTexts, BarLabelsAndFigures)
{
  // Two defined cells of 0.2 and 0.3 mm, the position on the first.
  EnFaceScene s(2, 10, 1, 2);
  s.spacing[1] = 0.1f;
  s.SetDepth(0, 0, 0, 1);
  s.SetDepth(1, 0, 0, 3);
  s.SetDepth(0, 1, 0, 1);
  s.SetDepth(1, 1, 0, 4);
  RecordingView view;
  LProjImage pane(view);
  s.Apply(pane);
  pane.ComputeThickness(0, 1);
  EXPECT_EQ(ColorBarLabels(pane.Thickness()), "300 um\n\n275 um\n\n250 um\n\n225 um\n\n200 um");
  EXPECT_EQ(ThicknessFigures(pane.Thickness()), "MeanT: 250.00 um\nCurT: 200.00 um\nVol: 0.000 mm3");

  // The position on an undefined cell: CurT reads NA.
  s.undefined[0] = 1;
  pane.ComputeThickness(0, 1);
  EXPECT_EQ(ThicknessFigures(pane.Thickness()), "MeanT: 300.00 um\nCurT: NA\nVol: 0.000 mm3");

  // No cell with a thickness: every label and figure reads NA, in the Fixed range too
  // (whose bar still shows the range).
  s.undefined[1] = 1;
  pane.ComputeThickness(0, 1);
  EXPECT_EQ(ColorBarLabels(pane.Thickness()), "NA\n\nNA\n\nNA\n\nNA\n\nNA");
  EXPECT_EQ(ThicknessFigures(pane.Thickness()), "MeanT: NA\nCurT: NA\nVol: NA");
  pane.SetThicknessUnit(ThicknessUnitFixed, 0.2f, 0.4f);
  pane.ComputeThickness(0, 1);
  EXPECT_EQ(ColorBarLabels(pane.Thickness()), "400 um\n\n350 um\n\n300 um\n\n250 um\n\n200 um");
  EXPECT_EQ(ThicknessFigures(pane.Thickness()), "MeanT: NA\nCurT: NA\nVol: NA");

  EXPECT_EQ(SectorFigures(0.25f, 0.0125f), "250.00\n(12.50)");
  EXPECT_EQ(SectorFigures(0.25f, kNoThickness), "250.00\n(NA)");
  EXPECT_EQ(SectorFigures(kNoThickness, kNoThickness), "NA\n(NA)");
  EXPECT_EQ(GridCenterText(256, 64), "(256, 64)");
}

// The mouse tools on a pane 512 cells wide shown 500 pixels wide, and 8 rows 400 high.
class MouseTest : public ::testing::Test {
protected:
  void SetUp() override
  {
    m_Scene.position[1] = 3;
    m_Scene.Apply(m_Pane);
    m_Pane.Resize(500, 400);
  }
  void Press(QPoint p, Qt::MouseButton b) { m_Pane.MousePress(p, b, b); }
  int MaskCount() const { return static_cast<int>(std::count(m_Scene.undefined.begin(), m_Scene.undefined.end(), 1)); }

  EnFaceScene m_Scene{512, 4, 8, 2};
  RecordingView m_View;
  LProjImage m_Pane{m_View};
};

TEST_F(MouseTest, ClickMovesThePositionAndTellsTheOtherPanes)
{
  const struct {
    QPoint point;
    int x, z;
  } cases[] = {
      {{499, 399}, 510, 7},  // 499 / (500 / 512) = 510.98
      {{0, 0}, 0, 0},
      {{-30, 900}, 0, 7},  // outside the window: clamped
      {{250, 125}, 256, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.point.x()) + ", " + std::to_string(c.point.y()));
    m_View.calls.clear();
    Press(c.point, Qt::LeftButton);
    EXPECT_EQ(m_Scene.position[0], c.x);
    EXPECT_EQ(m_Scene.position[1], 3);
    EXPECT_EQ(m_Scene.position[2], c.z);
    const std::vector<std::string> expected = {
        "invalidate 3", "render 1", "render 2", "scroll 1 " + std::to_string(c.z), "scroll 2 " + std::to_string(c.x),
        "3d"};
    EXPECT_EQ(m_View.calls, expected);
  }
}

TEST_F(MouseTest, GridCenterToolSetsAndResets)
{
  m_Pane.SetMouseMode(MouseGridCenter);
  Press({250, 125}, Qt::LeftButton);
  EXPECT_EQ(m_Scene.gridCenter[0], 256);
  EXPECT_EQ(m_Scene.gridCenter[1], 2);
  // Reset only while surfaces, thickness and a grid mode are there.
  Press({0, 0}, Qt::RightButton);
  EXPECT_EQ(m_Scene.gridCenter[0], 256) << "grid mode None: the centre stays";
  m_View.showThickness = true;
  m_View.gridMode = GridModeQuality;
  Press({0, 0}, Qt::RightButton);
  EXPECT_EQ(m_Scene.gridCenter[0], 256);
  EXPECT_EQ(m_Scene.gridCenter[1], 4);
}

TEST_F(MouseTest, UndefinedRegionBrush)
{
  m_Pane.SetMouseMode(MouseUndefinedRegion);
  const QPoint centre(250, 125);  // cell (256, 2)
  const struct {
    const char* what;
    int modification;
    float margin;
    float spacingX;
    int reachX;  // cells painted to each side along x on the centre row
    int cells;   // with 0.05 mm B-scans a margin of 0.05 mm also takes the rows above and below
  } cases[] = {
      {"2-D: the cell under the cursor", 0, 1.0f, 0.012f, 0, 1},
      {"0.05 mm on 0.012 mm voxels reaches 4 cells", 1, 0.05f, 0.012f, 4, 11},
      {"margin 0 still paints the centre", 1, 0.0f, 0.012f, 0, 1},
      {"spacing 0: one cell wide along x", 1, 0.05f, 0.0f, 0, 3},
      {"unknown modification paints nothing", 2, 1.0f, 0.012f, -1, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::fill(m_Scene.undefined.begin(), m_Scene.undefined.end(), 0);
    m_Scene.spacing[0] = c.spacingX;
    m_Scene.Apply(m_Pane);  // undefined region shown again, position mode
    m_Pane.Resize(500, 400);
    m_Pane.SetMouseMode(MouseUndefinedRegion);
    m_Pane.SetUndefinedRegionModification(c.modification);
    m_Pane.SetUndefinedRegionMargin(c.margin);
    Press(centre, Qt::LeftButton);
    EXPECT_EQ(MaskCount(), c.cells);
    for (int i = 1; i <= 5; ++i)
      EXPECT_EQ(m_Scene.undefined[m_Scene.Cell(256 + i, 2)], i <= c.reachX ? 1 : 0) << "x + " << i;
  }
  // With spacing z 0.05 mm and margin 0.05 mm the brush is 3 rows high; erasing by a right
  // drag clears it again.
  m_Pane.SetUndefinedRegionModification(1);
  m_Pane.SetUndefinedRegionMargin(0.05f);
  m_Scene.spacing[0] = 0.012f;
  m_Scene.Apply(m_Pane);
  m_Pane.Resize(500, 400);
  m_Pane.SetMouseMode(MouseUndefinedRegion);
  m_Pane.MouseMove(centre, Qt::LeftButton);
  EXPECT_GT(MaskCount(), 0);
  m_View.calls.clear();
  m_Pane.MouseMove(centre, Qt::RightButton);
  EXPECT_EQ(MaskCount(), 0);
  const std::vector<std::string> expected = {"render 1", "render 2", "render 3", "3d"};
  EXPECT_EQ(m_View.calls, expected);

  // Inert without a surfaces file or with the undefined region hidden.
  m_View.surfacesFiles = 0;
  Press(centre, Qt::LeftButton);
  EXPECT_EQ(MaskCount(), 0);
  m_View.surfacesFiles = 1;
  m_Pane.ShowUndefinedRegion(false);
  Press(centre, Qt::LeftButton);
  EXPECT_EQ(MaskCount(), 0);
}

TEST_F(MouseTest, PaneOfSizeZeroIgnoresInput)
{
  m_Pane.Resize(0, 0);
  m_View.calls.clear();
  Press({10, 10}, Qt::LeftButton);
  m_Pane.SetMouseMode(MouseGridCenter);
  Press({10, 10}, Qt::LeftButton);
  EXPECT_TRUE(m_View.calls.empty());
  EXPECT_EQ(m_Scene.position[0], 0);
  EXPECT_TRUE(m_Pane.RenderToImage().isNull());
}

TEST(LProjImageWidget, MouseEventsReachThePane)
{
  EnFaceScene scene(8, 4, 6, 1);
  RecordingView view;
  CChildWnd host;
  host.resize(80, 60);
  LProjImage pane(view);
  scene.Apply(pane, 1, &host);
  pane.Resize(80, 60);
  QWidget* window = host.findChild<PaneWidget*>();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->size(), QSize(80, 60));
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(35, 45), QPointF(35, 45), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QCoreApplication::sendEvent(window, &press);
  EXPECT_EQ(scene.position[0], 3);
  EXPECT_EQ(scene.position[2], 4);
}

}  // namespace
