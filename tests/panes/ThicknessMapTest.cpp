#include "ProjPaneTestData.h"
#include "RecordingCanvas.h"
#include "panes/ThicknessTexts.h"

#include "fixtures/FixtureFiles.h"
#include "fixtures/TempDir.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <random>

namespace {

constexpr int kX = 40;
constexpr int kZ = 30;

// A 9-sector circle grid: a central disc smaller than one cell (so it holds the centre cell
// alone), an inner ring to 0.5 mm and an outer ring to 1 mm, each cut into four at 45, 135,
// 225 and 315 degrees; the right-hand sectors start at -45.
struct CircleGrid {
  std::string labels[9];
  float from[9] = {0.0f, 0.04f, 0.04f, 0.04f, 0.04f, 0.5f, 0.5f, 0.5f, 0.5f};
  float to[9] = {0.04f, 0.5f, 0.5f, 0.5f, 0.5f, 1.0f, 1.0f, 1.0f, 1.0f};
  float start[9] = {0, 45, 135, 225, -45, 45, 135, 225, -45};
  float end[9] = {0, 135, 225, 315, 45, 135, 225, 315, 45};

  void SetOn(LProjImage& pane) { pane.SetGridCircles(GridCircle, 9, labels, from, to, start, end); }
};

// 40 x 30 cells of 0.05 x 0.1 mm, rows of 0.002 mm: two wavy surfaces 40 to 110 rows apart,
// a few depths of -1 on either surface, an undefined patch over the rows above the grid's
// inner ring (so the outer superior sector has no defined cell), and the grid centre at
// (20, 15).
class ThicknessMapTest : public ::testing::Test {
protected:
  void SetUp() override
  {
    m_Scene.spacing[0] = 0.05f;
    m_Scene.spacing[1] = 0.002f;
    m_Scene.spacing[2] = 0.1f;
    std::mt19937 random(11);
    std::uniform_int_distribution<int> upper(30, 60), gap(40, 110), percent(0, 99);
    for (int z = 0; z < kZ; ++z)
      for (int x = 0; x < kX; ++x) {
        const int y = upper(random);
        m_Scene.SetDepth(0, x, z, percent(random) < 3 ? -1 : y);
        m_Scene.SetDepth(1, x, z, percent(random) < 3 ? -1 : y + gap(random));
        if (z <= 11)
          m_Scene.undefined[m_Scene.Cell(x, z)] = 1;
      }
    m_Scene.gridCenter[0] = 20;
    m_Scene.gridCenter[1] = 15;
    m_Scene.position[0] = 23;
    m_Scene.position[2] = 17;
    m_Scene.Apply(m_Pane);
    m_Grid.SetOn(m_Pane);
  }

  EnFaceScene m_Scene{kX, 200, kZ, 2};
  RecordingView m_View;
  LProjImage m_Pane{m_View};
  CircleGrid m_Grid;
};

struct OracleCase {
  const char* name;
  int from, to, mode, unit;
  float fixedMin, fixedMax;
  int posX, posZ;
};

TEST_F(ThicknessMapTest, FiguresMatchTheSinglePrecisionOracle)
{
  const OracleCase cases[] = {
      {"none", 0, 1, GridModeNone, ThicknessUnitAuto, 0, 0, 23, 17},
      {"none_reversed", 1, 0, GridModeNone, ThicknessUnitAuto, 0, 0, 5, 2},  // position undefined
      {"quality", 0, 1, GridModeQuality, ThicknessUnitAuto, 0, 0, 23, 17},
      {"quantity_fixed", 0, 1, GridModeQuantity, ThicknessUnitFixed, 0.1f, 0.18f, 20, 15},
      {"quantity_outside", 0, 1, GridModeQuantity, ThicknessUnitAuto, 0, 0, 0, 29},  // outside the grid
  };
  TempDir dir;
  std::vector<int32_t> depths;
  for (size_t i = 1; i < m_Scene.points.size(); i += 3)
    depths.push_back(m_Scene.points[i]);
  ASSERT_TRUE(fixtures::WriteBytes(dir.File("depths.i32"), depths.data(), depths.size() * 4));
  ASSERT_TRUE(fixtures::WriteBytes(dir.File("mask.u8"), m_Scene.undefined.data(), m_Scene.undefined.size()));
  ASSERT_TRUE(fixtures::WriteText(dir.File("shape.txt"), "40 30"));
  std::string names;
  struct Result {
    std::vector<float> thickness;
    std::vector<uint8_t> index;
    std::vector<float> means, sds;
    float figures[5];
    std::vector<bool> paints;
  };
  std::vector<Result> results;
  for (const auto& c : cases) {
    m_Scene.position[0] = c.posX;
    m_Scene.position[2] = c.posZ;
    m_Pane.SetGridMode(c.mode);
    m_Pane.SetThicknessUnit(c.unit, c.fixedMin, c.fixedMax);
    m_Pane.ComputeThickness(c.from, c.to);
    const ThicknessMap& map = m_Pane.Thickness();
    ASSERT_EQ(map.From(), c.from);
    const std::vector<uint16_t>& labels = map.SectorLabels();
    ASSERT_TRUE(fixtures::WriteBytes(dir.File(std::string(c.name) + ".labels"), labels.data(), labels.size() * 2));
    char line[256];
    std::snprintf(line, sizeof line, "%d %d %.9g %.9g %.9g %d %d %d %d %.9g %.9g %d %d %d", kX, kZ,
                  m_Scene.spacing[0], m_Scene.spacing[1], m_Scene.spacing[2], c.from, c.to, c.mode, c.unit,
                  c.fixedMin, c.fixedMax, c.posX, c.posZ, map.SectorCount());
    ASSERT_TRUE(fixtures::WriteText(dir.File(std::string(c.name) + ".case"), line));
    names += std::string(c.name) + "\n";
    Result r{map.Thickness(), map.ColorIndex(), {}, {}, {map.Minimum(), map.Maximum(), map.MeanT(), map.CurT(), map.Vol()}, {}};
    const int sectors = c.mode == GridModeNone ? 0 : map.SectorCount();
    for (int k = 0; k < sectors; ++k) {
      r.means.push_back(map.SectorMean(k));
      r.sds.push_back(map.SectorSD(k));
    }
    for (size_t i = 0; i < r.thickness.size(); ++i)
      r.paints.push_back(map.Paints(i));
    results.push_back(r);
  }
  ASSERT_TRUE(fixtures::WriteText(dir.File("cases.txt"), names));
  const std::string script = std::string(STRATAVIEW_SOURCE_DIR) + "/tests/panes/thickness_map_oracle.py";
  ASSERT_EQ(fixtures::RunCommand("/usr/bin/python3 " + script + " " + dir.Path().string()), 0);

  for (size_t n = 0; n < std::size(cases); ++n) {
    SCOPED_TRACE(cases[n].name);
    const Result& r = results[n];
    const std::string out = fixtures::ReadAll(dir.File(std::string(cases[n].name) + ".out"));
    const size_t cells = static_cast<size_t>(kX) * kZ;
    ASSERT_EQ(out.size(), cells * 5 + r.means.size() * 8 + 20);
    const char* p = out.data();
    const auto floatAt = [](const char* at) {
      float f;
      std::memcpy(&f, at, 4);
      return f;
    };
    for (size_t i = 0; i < cells; ++i) {
      ASSERT_EQ(r.thickness[i], floatAt(p + 4 * i)) << "thickness of cell " << i;
      if (r.paints[i]) {
        ASSERT_EQ(r.index[i], static_cast<uint8_t>(p[4 * cells + i])) << "colour index of cell " << i;
      }
    }
    p += 5 * cells;
    for (size_t k = 0; k < r.means.size(); ++k) {
      EXPECT_EQ(r.means[k], floatAt(p + 4 * k)) << "mean of sector " << k;
      EXPECT_EQ(r.sds[k], floatAt(p + 4 * (r.means.size() + k))) << "deviation of sector " << k;
    }
    p += 8 * r.means.size();
    const char* figureNames[5] = {"minimum", "maximum", "MeanT", "CurT", "Vol"};
    for (int f = 0; f < 5; ++f)
      EXPECT_EQ(r.figures[f], floatAt(p + 4 * f)) << figureNames[f];
  }

  // The fixture reaches the cases that matter: the outer superior sector (6) has no defined
  // cell, the central one (1) a single cell, and the position outside the grid no CurT.
  const Result& quantity = results[4];
  EXPECT_EQ(quantity.means[5], kNoThickness);
  EXPECT_EQ(quantity.sds[5], kNoThickness);
  EXPECT_NE(quantity.means[0], kNoThickness);
  EXPECT_EQ(quantity.sds[0], kNoThickness);
  EXPECT_EQ(quantity.figures[3], kNoThickness);
  EXPECT_EQ(m_Pane.Thickness().Box(0).minX, 20);
  EXPECT_EQ(m_Pane.Thickness().Box(0).maxZ, 15);
  // The Fixed case has cells below, inside and above its range.
  const std::vector<uint8_t>& fixed = results[3].index;
  EXPECT_NE(std::find(fixed.begin(), fixed.end(), 0), fixed.end());
  EXPECT_NE(std::find(fixed.begin(), fixed.end(), 255), fixed.end());
}

TEST_F(ThicknessMapTest, SectorCellsUnderTheUndefinedRegionHoldTheMeanButAreNotPainted)
{
  m_Pane.SetGridMode(GridModeQuality);
  m_Pane.ComputeThickness(0, 1);
  const ThicknessMap& map = m_Pane.Thickness();
  // (20, 11) lies in the inner superior sector (2) under the undefined patch.
  const size_t cell = m_Scene.Cell(20, 11);
  ASSERT_EQ(map.SectorLabels()[cell], 2);
  EXPECT_EQ(map.Thickness()[cell], map.SectorMean(1));
  EXPECT_FALSE(map.Paints(cell));
  // A corner lies outside every sector: no thickness.
  EXPECT_EQ(map.SectorLabels()[m_Scene.Cell(0, 29)], 0);
  EXPECT_EQ(map.Thickness()[m_Scene.Cell(0, 29)], kNoThickness);

  // Shown with the sector figures (some of them "NA") drawn over the grid: outside the grid
  // the projection, inside it the sector colours.
  m_Pane.SetGridMode(GridModeQuantity);
  m_Pane.ComputeThickness(0, 1);
  m_Pane.ShowThickness(true);
  m_Pane.Resize(400, 300);
  EXPECT_EQ(m_Pane.RenderToImage().pixel(5, 295), qRgb(0, 0, 0)) << "no projection computed: black";
  EXPECT_NE(m_Pane.Bitmap().pixel(25, 17), qRgb(0, 0, 0));
  // Without the sector figures the grid-centre mark at (20, 15) shows.
  m_Pane.SetGridMode(GridModeQuality);
  EXPECT_EQ(m_Pane.RenderToImage().pixel(205, 155), qRgb(255, 0, 0));
}

TEST_F(ThicknessMapTest, SectorFiguresSitOverTheirSectors)
{
  m_Pane.SetGridMode(GridModeQuantity);
  m_Pane.ComputeThickness(0, 1);
  m_Pane.ShowThickness(true);
  m_Pane.SetShowGuideLines(false);
  m_Pane.ShowOverlay(false);
  m_Pane.ShowThicknessBar(false);
  m_Pane.Resize(400, 300);  // cells of 10 x 10 pixels
  RecordingCanvas canvas;
  m_Pane.PaintOverlays(canvas);
  std::vector<CanvasOp> shadows;
  for (const CanvasOp& op : canvas.Of(CanvasOp::Text, 0x000000))
    if (op.format == TextCentredAcross)
      shadows.push_back(op);
  // At 10 pixels a cell two of the inner ring's figures would cover the centre's and are left
  // out; the other seven keep their places.
  ASSERT_EQ(shadows.size(), 7u);
  // The central sector is the centre cell (20, 15) alone: its box widened by 20 cells each
  // way, the text starting one line (16 pixels) above the middle; a single cell has no
  // deviation.
  const ThicknessMap& map = m_Pane.Thickness();
  EXPECT_EQ(shadows[0].rect, QRect(1, 136, 400, 215));
  EXPECT_EQ(shadows[0].text, SectorFigures(map.SectorMean(0), kNoThickness));
  EXPECT_EQ(shadows[0].text.substr(shadows[0].text.size() - 5), "\n(NA)");
  EXPECT_TRUE(std::any_of(shadows.begin(), shadows.end(), [](const CanvasOp& op) { return op.text == "NA\n(NA)"; }))
    << "the outer superior sector has no defined cell";
}

TEST_F(ThicknessMapTest, InSmallPanesNoTextCoversAnother)
{
  m_Pane.SetGridMode(GridModeQuantity);
  m_Pane.ComputeThickness(0, 1);
  m_Pane.ShowThickness(true);
  m_Pane.ShowThicknessBar(true);
  m_Pane.SetShowGuideLines(false);
  for (const QSize size : {QSize(800, 600), QSize(400, 300), QSize(240, 180), QSize(160, 120), QSize(90, 70)}) {
    SCOPED_TRACE(std::to_string(size.width()) + " x " + std::to_string(size.height()));
    m_Pane.Resize(size.width(), size.height());
    RecordingCanvas canvas;
    m_Pane.PaintOverlays(canvas);
    EXPECT_EQ(OverlappingPair(canvas.InkedLines()), "");
    // The grid centre's text comes first and always has its place; in a large pane every
    // text does: the centre, the bar's labels, the figures and the nine sectors'.
    const std::vector<CanvasOp> texts = canvas.Of(CanvasOp::Text, 0xFFFFFF);
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts[0].text, GridCenterText(20, 15));
    if (size.width() >= 800) {
      EXPECT_EQ(texts.size(), 12u);
    }
  }
}

TEST_F(ThicknessMapTest, RepeatedAndMovedComputations)
{
  m_Pane.SetGridMode(GridModeQuantity);
  m_Pane.ComputeThickness(0, 1);
  const ThicknessMap& map = m_Pane.Thickness();
  const std::vector<uint16_t> labels = map.SectorLabels();
  const std::vector<float> thickness = map.Thickness();
  const float meanT = map.MeanT();
  // The stored start angle is reduced once and stays so.
  EXPECT_EQ(m_Grid.start[4], 315.0f);
  m_Pane.ComputeThickness(0, 1);
  EXPECT_EQ(map.SectorLabels(), labels);
  EXPECT_EQ(map.Thickness(), thickness);
  EXPECT_EQ(map.MeanT(), meanT);

  // Moving the grid centre moves every sector: the labels are those of a fresh computation
  // at the new centre, none of the old centre remains.
  m_Scene.gridCenter[0] = 9;
  m_Scene.gridCenter[1] = 21;
  m_Pane.ComputeThickness(0, 1);
  RecordingView view;
  LProjImage fresh(view);
  m_Scene.Apply(fresh);
  m_Grid.SetOn(fresh);
  fresh.SetGridMode(GridModeQuantity);
  fresh.ComputeThickness(0, 1);
  EXPECT_EQ(map.SectorLabels(), fresh.Thickness().SectorLabels());
  EXPECT_EQ(map.SectorLabels()[m_Scene.Cell(9, 21)], 1);
  EXPECT_EQ(map.SectorLabels()[m_Scene.Cell(20, 15)], 6) << "the old centre now lies in the outer superior sector";

  // A grid handed over again with other radii is labelled anew.
  std::fill(std::begin(m_Grid.to) + 1, std::end(m_Grid.to), 0.3f);
  m_Grid.SetOn(m_Pane);
  m_Grid.SetOn(fresh);
  m_Pane.ComputeThickness(0, 1);
  fresh.ComputeThickness(0, 1);
  EXPECT_EQ(map.SectorLabels(), fresh.Thickness().SectorLabels());
  EXPECT_EQ(map.SectorLabels()[m_Scene.Cell(9, 21 - 6)], 0) << "0.6 mm above the centre: beyond every ring now";
}

TEST_F(ThicknessMapTest, SurfaceIndicesBeyondTheRecordChangeNothing)
{
  m_Pane.ComputeThickness(0, 1);
  const std::vector<float> thickness = m_Pane.Thickness().Thickness();
  for (const auto& pair : {std::pair{0, 2}, std::pair{-1, 1}, std::pair{5, 5}}) {
    m_Pane.ComputeThickness(pair.first, pair.second);
    EXPECT_EQ(m_Pane.Thickness().To(), 1);
    EXPECT_EQ(m_Pane.Thickness().Thickness(), thickness);
  }
}

TEST(ThicknessColourIndex, AutoAndFixedRangesAtTheirEnds)
{
  // One row of cells of 0.05 mm per depth row; the thickness is the number of rows.
  const struct {
    const char* what;
    int unit;
    float fixedMin, fixedMax;
    std::vector<int> rows;
    std::vector<int> expected;
  } cases[] = {
      {"Auto 0.2 to 0.3 mm", ThicknessUnitAuto, 0, 0, {4, 5, 6}, {0, 127, 255}},
      {"Fixed 0.2 to 0.4 mm", ThicknessUnitFixed, 0.2f, 0.4f, {2, 5, 6, 10}, {0, 63, 127, 255}},
      {"from a surface to itself: range 0", ThicknessUnitAuto, 0, 0, {0, 0}, {0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const int n = static_cast<int>(c.rows.size());
    EnFaceScene s(n, 20, 1, 2);
    s.spacing[1] = 0.05f;
    for (int x = 0; x < n; ++x) {
      s.SetDepth(0, x, 0, 3);
      s.SetDepth(1, x, 0, 3 + c.rows[static_cast<size_t>(x)]);
    }
    RecordingView view;
    LProjImage pane(view);
    s.Apply(pane);
    pane.SetThicknessUnit(c.unit, c.fixedMin, c.fixedMax);
    pane.ComputeThickness(0, 1);
    const std::vector<uint8_t>& index = pane.Thickness().ColorIndex();
    EXPECT_EQ(std::vector<int>(index.begin(), index.end()), c.expected);
    if (c.unit == ThicknessUnitFixed) {
      EXPECT_EQ(pane.Thickness().Minimum(), 0.2f);
      EXPECT_EQ(pane.Thickness().Maximum(), 0.4f);
    }
  }
}

TEST(ThicknessColourIndex, NoCellWithThicknessLeavesEveryFigureEmpty)
{
  // Every cell undefined or without depth: no colour index is computed (nothing converts
  // FLT_MAX to an integer), the range and the figures are empty.
  EnFaceScene s(3, 10, 2, 2);
  for (int x = 0; x < 3; ++x) {
    s.SetDepth(0, x, 0, 2);
    s.SetDepth(1, x, 0, 5);
    s.undefined[s.Cell(x, 0)] = 1;
  }
  RecordingView view;
  LProjImage pane(view);
  s.Apply(pane);
  for (const int mode : {GridModeNone, GridModeQuantity}) {
    pane.SetGridMode(mode);
    pane.ComputeThickness(0, 1);
    const ThicknessMap& map = pane.Thickness();
    EXPECT_FALSE(map.HasRange());
    EXPECT_EQ(map.MeanT(), kNoThickness);
    EXPECT_EQ(map.Vol(), kNoThickness);
    EXPECT_EQ(map.CurT(), kNoThickness);
    EXPECT_EQ(map.ColorIndex(), std::vector<uint8_t>(6, 0));
  }
}

}  // namespace
