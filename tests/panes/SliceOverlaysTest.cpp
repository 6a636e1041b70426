#include "RecordingCanvas.h"
#include "SlicePaneTestData.h"
#include "panes/TextPlacement.h"
#include "platform/ColorRefQt.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <gtest/gtest.h>

namespace {

constexpr platform::COLORREF kWhite = 0xFFFFFF;
constexpr platform::COLORREF kBlack = 0x000000;

QRect ToQRect(const PixelRect& r) { return QRect(r.x, r.y, r.width, r.height); }

// Surfaces of the test volume: surface s lies at depth row rows[s] at every A-scan.
std::vector<int> FlatSurfaces(const std::vector<int>& rows)
{
  std::vector<int> points;
  for (size_t s = 0; s < rows.size(); ++s)
    for (int z = 0; z < SliceTestData::kZ; ++z)
      for (int x = 0; x < SliceTestData::kX; ++x)
        points.insert(points.end(), {x, rows[s], z});
  return points;
}

class OverlayTest : public ::testing::Test {
protected:
  // A pane at position (5, 9, 3) in a 400 x 300 window, as the view applies a scan.
  void SetUpFor(int orientation, int width = 400, int height = 300)
  {
    SetUpPane(m_Pane, m_Data, orientation, m_Position, &m_Centre, &m_Width);
    m_Pane.SetCaption("scan.vol");
    m_Pane.Render();
    m_Pane.Resize(width, height);
  }
  RecordingCanvas Record() const
  {
    RecordingCanvas canvas;
    m_Pane.PaintOverlays(canvas);
    return canvas;
  }
  QPoint WindowPoint(float column, float row) const
  {
    const auto m = m_Pane.Mapping();
    return QPoint(m->CentreX(column), m->CentreY(row));
  }
  QRect HitRect(float column, float row) const
  {
    const QPoint p = WindowPoint(column, row);
    return QRect(p.x() - 4, p.y() - 4, 8, 8);
  }

  SliceTestData m_Data;
  int m_Position[3] = {5, 9, 3};
  float m_Centre = 32768;
  float m_Width = 65535;
  FakeView m_View;
  LOCTImage m_Pane{m_View};
};

// The four info blocks, white, in drawing order.
std::vector<std::string> InfoTexts(const RecordingCanvas& canvas)
{
  std::vector<std::string> texts;
  for (const CanvasOp& op : canvas.Of(CanvasOp::Text, kWhite))
    if (op.font == CanvasFont::Info)
      texts.push_back(op.text);
  return texts;
}

class InfoTextTest : public OverlayTest {
protected:
  void SetUpFigures()
  {
    // Voxels of 0.5 x 0.25 x 2 mm: 0.25 mm^3 each.
    const float spacing[3] = {0.5f, 0.25f, 2.0f};
    m_Pane.SetVolume(m_Data.size, m_Data.volume16.data(), spacing, 2);
    // One cup cell and three rim cells: sqrt(1 / 4).
    m_Disc = {0, 99, 100, 150, 199, 200};
    m_Disc.resize(size_t(SliceTestData::kX) * SliceTestData::kZ, 0);
    // Three 16-bit labels of at least 32767, one just below.
    std::vector<uint16_t> vessel = {32767, 32766, 65535, 32767};
    vessel.resize(m_Data.vessel.size(), 0);
    // Five 8-bit labels of at least 127.
    std::vector<uint16_t> sead = {127, 126, 126, 255, 127, 127, 126, 127, 126, 126};
    sead.resize(m_Data.sead.size(), 0);
    m_Vessel = std::make_unique<TestLabels>(vessel, m_Data.size, 2);
    m_SEAD = std::make_unique<TestLabels>(sead, m_Data.size, 1);
    m_Pane.SetDiscMask(m_Disc.data());
    m_Pane.SetVesselVolume(m_Vessel->Layer());
    m_Pane.SetSEADVolume(m_SEAD->Layer());

    m_Markers.Create(2, 10, {});
    m_Splines.Create(1, 10, {});
    m_Pane.SetMarkers(&m_Markers);
    m_Pane.SetSplines(&m_Splines, &m_HitRects);
  }

  std::vector<uint8_t> m_Disc;
  std::unique_ptr<TestLabels> m_Vessel;
  std::unique_ptr<TestLabels> m_SEAD;
  LMarkers m_Markers;
  LSplineSet m_Splines;
  SplineHitRects m_HitRects;
};

TEST_F(InfoTextTest, BlocksFollowTheFlagsAndKeepTheirLines)
{
  const std::string kPosition = "(5, 9, 3): 40483\nWC: 32768.0\nWW: 65535.0";
  using Setup = std::function<void(LOCTImage&)>;
  const struct {
    const char* what;
    Setup setup;
    const char* topLeft;
    const char* bottomLeft;
    const char* bottomRight;
  } kCases[] = {
      {"nothing shown", [](LOCTImage&) {}, "scan.vol", "\n\n", "\n"},
      {"surfaces loaded, not shown",
       [](LOCTImage& p) {
         p.SetSurfacesFileName("layers.xml");
         p.SetSurfacesApproval(true);
       },
       "scan.vol", "\n\n", "\n"},
      {"surfaces shown",
       [](LOCTImage& p) {
         p.SetSurfacesFileName("layers.xml");
         p.SetSurfacesModifier("jdoe");
         p.SetSurfacesApproval(true);
         p.ShowSurfaces(true);
       },
       "scan.vol\nlayers.xml / jdoe / Y", "\n\n", "\n"},
      {"surfaces shown, nothing set", [](LOCTImage& p) { p.ShowSurfaces(true); }, "scan.vol\n / NA / N", "\n\n",
       "\n"},
      {"every figure",
       [](LOCTImage& p) {
         p.ShowDisc(true);
         p.ShowVessel(true);
         p.ShowSEAD(true);
       },
       "scan.vol", "LCDR: 0.500\nVessel Vol: 0.750 mm3\nSEAD Vol: 1.250 mm3", "\n"},
      {"SEAD alone on its third line", [](LOCTImage& p) { p.ShowSEAD(true); }, "scan.vol", "\n\nSEAD Vol: 1.250 mm3",
       "\n"},
      {"disc without cup or rim",
       [](LOCTImage& p) {
         static const std::vector<uint8_t> background(size_t(SliceTestData::kX) * SliceTestData::kZ, 99);
         p.SetDiscMask(background.data());
         p.ShowDisc(true);
       },
       "scan.vol", "LCDR: 0.000\n\n", "\n"},
      {"markers and splines",
       [](LOCTImage& p) {
         p.ShowMarkers(true);
         p.ShowSplines(true);
       },
       "scan.vol", "\n\n", "Marker: 2\nSpline: 1"},
      {"splines alone on their second line", [](LOCTImage& p) { p.ShowSplines(true); }, "scan.vol", "\n\n",
       "\nSpline: 1"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    SetUpFor(OrientationXY);
    SetUpFigures();
    c.setup(m_Pane);
    const std::vector<std::string> expected = {c.topLeft, kPosition, c.bottomLeft, c.bottomRight};
    EXPECT_EQ(InfoTexts(Record()), expected);
  }
}

TEST_F(InfoTextTest, EachBlockIsAShadowThenWhiteInItsBox)
{
  SetUpFor(OrientationZY, 400, 300);
  const struct {
    QRect shadow;
    int format;
  } kBlocks[] = {
      {QRect(5, 3, 240, 52), TextTopLeft},
      {QRect(246, 3, 150, 77), TextRight},
      {QRect(5, 247, 195, 49), TextBottom},
      {QRect(246, 263, 150, 33), TextRight | TextBottom},
  };
  std::vector<CanvasOp> texts;
  for (const CanvasOp& op : Record().Of(CanvasOp::Text))
    if (op.font == CanvasFont::Info)
      texts.push_back(op);
  ASSERT_EQ(texts.size(), 8u);
  for (size_t i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    const CanvasOp& shadow = texts[2 * i];
    const CanvasOp& white = texts[2 * i + 1];
    EXPECT_EQ(shadow.color, kBlack);
    EXPECT_EQ(shadow.rect, kBlocks[i].shadow);
    EXPECT_EQ(shadow.format, kBlocks[i].format);
    EXPECT_EQ(white.color, kWhite);
    EXPECT_EQ(white.rect, kBlocks[i].shadow.translated(-1, -1));
    EXPECT_EQ(white.text, shadow.text);
  }

  // In a pane 150 pixels wide the caption's box beside the position is empty: the caption
  // goes under the position's three lines, across the pane, after the other blocks.
  SetUpFor(OrientationZY, 150, 300);
  const std::vector<CanvasOp> narrow = Record().Of(CanvasOp::Text, kBlack);
  ASSERT_EQ(narrow.size(), 4u);
  EXPECT_EQ(narrow[0].text.substr(0, 11), "(5, 9, 3): ");
  EXPECT_EQ(narrow[3].text, "scan.vol");
  EXPECT_EQ(narrow[3].rect, QRect(5, 3 + 3 * 16 + 1, 141, 52));
}

TEST_F(InfoTextTest, NarrowPanesMoveOrLeaveOutBlocksRatherThanOverlapThem)
{
  // Where the caption lies: whole beside the position, whole under it, cut in its own corner
  // where it neither fits beside nor finds room under, or left out.
  enum Caption { kBeside, kUnder, kCut, kLeftOut };
  const struct {
    int width, height;
    size_t drawn;  // blocks left readable
    Caption caption;
  } kSizes[] = {
      {400, 300, 4, kBeside}, {230, 120, 4, kCut}, {200, 300, 3, kUnder},
      {170, 100, 3, kCut},    {120, 60, 1, kLeftOut}, {60, 40, 1, kLeftOut},
  };
  for (const auto& size : kSizes) {
    SCOPED_TRACE(std::to_string(size.width) + " x " + std::to_string(size.height));
    SetUpFor(OrientationXY, size.width, size.height);
    SetUpFigures();
    m_Pane.SetSurfacesFileName("layers.xml");
    for (auto show : {&LOCTImage::ShowSurfaces, &LOCTImage::ShowDisc, &LOCTImage::ShowVessel, &LOCTImage::ShowSEAD,
                      &LOCTImage::ShowMarkers, &LOCTImage::ShowSplines})
      (m_Pane.*show)(true);
    const RecordingCanvas canvas = Record();
    EXPECT_EQ(OverlappingPair(canvas.InkedLines()), "");
    EXPECT_EQ(InfoTexts(canvas).size(), size.drawn);
    std::vector<CanvasOp> captions;
    for (const CanvasOp& text : canvas.Of(CanvasOp::Text, kBlack))
      if (text.font == CanvasFont::Info && text.text.compare(0, 8, "scan.vol") == 0)
        captions.push_back(text);
    ASSERT_EQ(captions.size(), size.caption == kLeftOut ? 0u : 1u);
    if (size.caption == kLeftOut)
      continue;
    const QRect box = captions[0].rect;
    EXPECT_EQ(box.top() == 3, size.caption != kUnder);
    EXPECT_EQ(TextPlacement::Fits(canvas, box, captions[0].text), size.caption != kCut);
    if (size.caption == kCut) {
      EXPECT_EQ(box, QRect(5, 3, size.width - 160, 52)) << "the caption's own corner";
    }
  }
}

// A position line wider than its corner (a window width of 21 digits) is not cut: its box
// widens to the left across the pane, and the caption goes under it.
TEST_F(InfoTextTest, AWidePositionWidensToTheLeftAndTheCaptionGoesUnderIt)
{
  SetUpFor(OrientationXY);
  m_Width = 1e20f;
  const std::vector<CanvasOp> texts = Record().Of(CanvasOp::Text, kBlack);
  ASSERT_EQ(texts.size(), 4u);
  RecordingCanvas measure;
  const CanvasOp& position = texts[0];
  EXPECT_EQ(position.rect, QRect(5, 3, 391, 77));
  EXPECT_TRUE(TextPlacement::Fits(measure, position.rect, position.text)) << position.text;
  EXPECT_EQ(texts[3].text, "scan.vol");
  EXPECT_EQ(texts[3].rect.top(), 3 + 3 * 16 + 1);
  EXPECT_EQ(OverlappingPair(Record().InkedLines()), "");
}

TEST_F(OverlayTest, OrientationLettersByPaneAndEye)
{
  // Letters at the left, right, top and bottom ("" none) of a 400 x 300 window.
  const struct {
    int orientation;
    int laterality;
    const char* letters[4];
  } kCases[] = {
      {OrientationXY, 1, {"T", "N", "", ""}}, {OrientationXY, 2, {"N", "T", "", ""}},
      {OrientationZY, 1, {"S", "I", "", ""}}, {OrientationZY, 2, {"S", "I", "", ""}},
      {OrientationXZ, 1, {"T", "N", "S", "I"}}, {OrientationXZ, 2, {"N", "T", "S", "I"}},
      {OrientationXY, 0, {"", "", "", ""}},    {OrientationXZ, 0, {"", "", "", ""}},
      {OrientationXZ, 3, {"", "", "", ""}},
  };
  const QRect kShadows[4] = {QRect(5, 134, 20, 40), QRect(375, 134, 20, 40), QRect(193, -1, 20, 40),
                             QRect(193, 264, 20, 40)};
  for (const auto& c : kCases) {
    SCOPED_TRACE(testing::Message() << "orientation " << c.orientation << ", laterality " << c.laterality);
    SetUpFor(c.orientation);
    m_Pane.SetLaterality(c.laterality);
    std::vector<CanvasOp> expected;
    for (platform::COLORREF colour : {kBlack, kWhite})
      for (int i = 0; i < 4; ++i)
        if (*c.letters[i]) {
          CanvasOp op;
          op.color = colour;
          op.rect = colour == kBlack ? kShadows[i] : kShadows[i].translated(-1, -1);
          op.text = c.letters[i];
          expected.push_back(op);
        }
    std::vector<CanvasOp> letters;
    for (const CanvasOp& op : Record().Of(CanvasOp::Text))
      if (op.font == CanvasFont::Letters)
        letters.push_back(op);
    ASSERT_EQ(letters.size(), expected.size());
    for (size_t i = 0; i < letters.size(); ++i) {
      EXPECT_EQ(letters[i].text, expected[i].text) << i;
      EXPECT_EQ(letters[i].color, expected[i].color) << i;
      EXPECT_EQ(letters[i].rect, expected[i].rect) << i;
      EXPECT_EQ(letters[i].format, TextCentred) << i;
    }
  }
}

TEST_F(OverlayTest, GuideLinesInTheAxisColoursAtThePosition)
{
  const platform::COLORREF kX = 0x00FF00, kY = 0xFF0000, kZ = 0x0000FF;
  const struct {
    int orientation;
    platform::COLORREF horizontal, vertical, frame;
    float row, column;  // the position's in-plane coordinates
  } kCases[] = {
      {OrientationXY, kY, kX, kZ, 9, 5},
      {OrientationZY, kY, kZ, kX, 9, 3},
      {OrientationXZ, kZ, kX, kY, 3, 5},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.orientation);
    SetUpFor(c.orientation, 200, 150);
    m_Pane.SetShowOverlay(false);
    const QPoint p = WindowPoint(c.column, c.row);
    const std::vector<CanvasOp> lines = Record().Of(CanvasOp::Line);
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[0].color, c.horizontal);
    EXPECT_EQ(lines[0].a, QPoint(0, p.y()));
    EXPECT_EQ(lines[0].b, QPoint(200, p.y()));
    EXPECT_EQ(lines[1].color, c.vertical);
    EXPECT_EQ(lines[1].a, QPoint(p.x(), 0));
    EXPECT_EQ(lines[1].b, QPoint(p.x(), 150));
    for (size_t i = 2; i < lines.size(); ++i) {
      EXPECT_EQ(lines[i].color, c.frame);
      EXPECT_EQ(lines[i].width, 1);
    }
  }
}

// Every overlay on, each in a colour of its own.
class AllOverlaysTest : public OverlayTest {
protected:
  static constexpr platform::COLORREF kSurface = 0x000011, kRef = 0x000022, kMarker = 0x000033, kSplineLine = 0x000044,
                                      kControlPoint = 0x000055, kVessel = 0x000066, kSEAD = 0x000077;

  void SetUpAll()
  {
    SetUpFor(OrientationXY);
    m_Surfaces = FlatSurfaces({8});
    m_Pane.SetSurfaces(1, m_Surfaces.data(), nullptr);
    m_Pane.SetColorSurface(0, kSurface);
    m_Ref.Create(SliceTestData::kX, SliceTestData::kZ, 0, 0, "NA", {});
    for (Point3i& p : m_Ref.points)
      p.y = 12;
    m_Pane.SetRefSurface(&m_Ref);
    m_Pane.SetColorRefSurf(kRef);
    m_Markers.Create(1, 4, {});
    m_Markers.points[0] = {4, 4, 3};
    m_Markers.labels[0] = "3";
    m_Pane.SetMarkers(&m_Markers);
    m_Pane.SetColorMarker(3, kMarker);
    m_Splines.Create(1, 4, {});
    m_Splines.planes[0] = OrientationXY;
    m_Splines.controlPoints[0] = {{2, 2, 3}, {10, 6, 3}};
    m_Splines.ComputeSplineCurve(1, 0);
    m_Pane.SetSplines(&m_Splines, &m_HitRects);
    m_Pane.SetColorSplinesLine(kSplineLine);
    m_Pane.SetColorSplinesMarker(kControlPoint);
    m_Pane.SetVesselMesh(1, m_VesselVertex);
    m_Pane.SetSEADMesh(1, m_SEADVertex);
    m_Pane.SetColorVessel(kVessel);
    m_Pane.SetColorSEAD(kSEAD);

    m_Pane.ShowSurfaces(true);
    m_Pane.ShowSurface(0, true);
    m_Pane.ShowRefSurface(true);
    m_Pane.ShowMarkers(true);
    m_Pane.ShowSplines(true);
    m_Pane.ShowVessel(true);
    m_Pane.ShowSEAD(true);
  }

  std::vector<int> m_Surfaces;
  LRefSurface m_Ref;
  LMarkers m_Markers;
  LSplineSet m_Splines;
  SplineHitRects m_HitRects;
  const float m_VesselVertex[3] = {7.0f, 7.0f, 3.0f};
  const float m_SEADVertex[3] = {9.0f, 5.0f, 3.0f};
};

TEST_F(AllOverlaysTest, EachFlagTurnsOffItsOwnOverlays)
{
  using Toggle = std::function<void(LOCTImage&)>;
  using Drawn = std::pair<CanvasOp::Kind, platform::COLORREF>;
  const struct {
    const char* what;
    Toggle off;
    std::vector<Drawn> gone;
  } kCases[] = {
      {"all surfaces", [](LOCTImage& p) { p.ShowSurfaces(false); }, {{CanvasOp::Line, kSurface}}},
      {"surface 0", [](LOCTImage& p) { p.ShowSurface(0, false); }, {{CanvasOp::Line, kSurface}}},
      {"reference surface", [](LOCTImage& p) { p.ShowRefSurface(false); }, {{CanvasOp::Line, kRef}}},
      {"markers", [](LOCTImage& p) { p.ShowMarkers(false); }, {{CanvasOp::Ellipse, kMarker}}},
      {"splines", [](LOCTImage& p) { p.ShowSplines(false); },
       {{CanvasOp::Line, kSplineLine}, {CanvasOp::Ellipse, kControlPoint}}},
      {"spline points", [](LOCTImage& p) { p.SetShowSplinesMarker(false); }, {{CanvasOp::Ellipse, kControlPoint}}},
      {"vessel", [](LOCTImage& p) { p.ShowVessel(false); }, {{CanvasOp::Fill, kVessel}}},
      {"SEAD", [](LOCTImage& p) { p.ShowSEAD(false); }, {{CanvasOp::Fill, kSEAD}}},
      {"guide lines and frame", [](LOCTImage& p) { p.ShowGuideLines(false); },
       {{CanvasOp::Line, 0xFF0000}, {CanvasOp::Line, 0x00FF00}, {CanvasOp::Line, 0x0000FF}}},
      {"info text and letters", [](LOCTImage& p) { p.ShowOverlay(false); },
       {{CanvasOp::Text, kBlack}, {CanvasOp::Text, kWhite}}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    SetUpAll();
    m_Pane.SetLaterality(1);
    const RecordingCanvas on = Record();
    c.off(m_Pane);
    const RecordingCanvas off = Record();
    for (const CanvasOp& op : on.ops) {
      const bool gone = std::find(c.gone.begin(), c.gone.end(), Drawn(op.kind, op.color)) != c.gone.end();
      EXPECT_EQ(off.Of(op.kind, op.color).empty(), gone) << "colour " << std::hex << op.color << " of kind " << op.kind;
    }
    for (const Drawn& d : c.gone)
      EXPECT_FALSE(on.Of(d.first, d.second).empty()) << "drawn while on: " << std::hex << d.second;
  }
}

TEST_F(AllOverlaysTest, OverlaysAreDrawnInTheirOrder)
{
  SetUpAll();
  m_Pane.SetLaterality(2);
  // The first operation of each overlay, in the order expected.
  const struct {
    CanvasOp::Kind kind;
    platform::COLORREF color;
  } kOrder[] = {{CanvasOp::Line, kSurface},      {CanvasOp::Fill, kVessel},     {CanvasOp::Fill, kSEAD},
                {CanvasOp::Line, kSplineLine},   {CanvasOp::Ellipse, kControlPoint}, {CanvasOp::Ellipse, kMarker},
                {CanvasOp::Line, kRef},          {CanvasOp::Line, 0xFF0000},   {CanvasOp::Text, kBlack}};
  const RecordingCanvas canvas = Record();
  size_t last = 0;
  for (const auto& o : kOrder) {
    size_t first = canvas.ops.size();
    for (size_t i = 0; i < canvas.ops.size(); ++i)
      if (canvas.ops[i].kind == o.kind && canvas.ops[i].color == o.color) {
        first = i;
        break;
      }
    ASSERT_LT(first, canvas.ops.size()) << std::hex << o.color;
    EXPECT_GE(first, last) << std::hex << o.color;
    last = first;
  }
  EXPECT_EQ(canvas.ops.back().kind, CanvasOp::Text);
  EXPECT_EQ(canvas.ops.back().font, CanvasFont::Info);
}

TEST_F(OverlayTest, MeshVerticesOnTheCurrentSliceFillTheirCells)
{
  // x, y, z in voxels; a vertex counts for the slice its slice coordinate rounds to.
  const float kVertices[] = {2.0f, 4.0f, 3.0f, 7.5f, 11.2f, 2.6f, 1.0f, 1.0f, 2.4f, 5.3f, 20.0f, 1.0f, 3.0f, 3.0f, 3.49f};
  const struct {
    int orientation;
    std::vector<std::pair<float, float>> cells;  // column, row of the cells filled
  } kCases[] = {
      {OrientationXY, {{2.0f, 4.0f}, {7.5f, 11.2f}, {3.0f, 3.0f}}},  // z rounds to 3
      {OrientationZY, {{1.0f, 20.0f}}},                            // x rounds to 5
      {OrientationXZ, {}},                                         // y is 9 for none
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.orientation);
    SetUpFor(c.orientation);
    m_Pane.SetVesselMesh(5, kVertices);
    m_Pane.ShowVessel(true);
    const auto m = m_Pane.Mapping();
    std::vector<QRect> expected;
    for (const auto& cell : c.cells)
      expected.push_back(ToQRect(m->CellAt(cell.first, cell.second)));
    std::vector<QRect> filled;
    for (const CanvasOp& op : Record().Of(CanvasOp::Fill))
      filled.push_back(op.rect);
    EXPECT_EQ(filled, expected);
  }
}

class SplineOverlayTest : public OverlayTest {
protected:
  void SetUpSplines()
  {
    SetUpFor(OrientationXY);
    m_Splines.Create(4, 10, {});
    m_Splines.planes = {OrientationXY, OrientationXY, OrientationXY, OrientationXY, OrientationXY};
    m_Splines.controlPoints[0] = {{2, 5, 3}, {8, 12, 3}, {12, 6, 3}};
    m_Splines.controlPoints[1] = {{4, 4, 3}};          // a single point: its circle only
    m_Splines.controlPoints[2] = {{3, 3, 1}, {6, 6, 3}}; // starts on another slice
    m_Splines.controlPoints[3] = {};                     // no points at all
    m_Splines.controlPoints[4] = {{9, 9, 3}};            // beyond the count
    for (int i = 0; i < 5; ++i)
      m_Splines.ComputeSplineCurve(4, i);
    m_Pane.SetSplines(&m_Splines, &m_HitRects);
    m_Pane.ShowSplines(true);
    m_Pane.SetShowGuideLines(false);
    m_Pane.SetShowOverlay(false);
  }

  LSplineSet m_Splines;
  SplineHitRects m_HitRects;
};

TEST_F(SplineOverlayTest, SplinesOfTheSliceAreDrawnWithTheirControlPoints)
{
  SetUpSplines();
  const RecordingCanvas canvas = Record();

  // Only spline 0 has a curve here.
  const auto& curve = m_Splines.GetCurves()[0];
  ASSERT_GT(curve.size(), 3u);
  std::vector<std::pair<QPoint, QPoint>> expectedLines;
  for (size_t k = 0; k + 1 < curve.size(); ++k)
    expectedLines.emplace_back(WindowPoint(float(curve[k].x), float(curve[k].y)),
                               WindowPoint(float(curve[k + 1].x), float(curve[k + 1].y)));
  std::vector<std::pair<QPoint, QPoint>> lines;
  for (const CanvasOp& op : canvas.Of(CanvasOp::Line)) {
    EXPECT_EQ(op.color, 0x00FF00u);
    EXPECT_EQ(op.width, 2);
    lines.emplace_back(op.a, op.b);
  }
  EXPECT_EQ(lines, expectedLines);

  // Circles for spline 0's points and spline 1's single point, which become their hit
  // rectangles; spline 2 keeps the rectangles in voxels it was given.
  const std::vector<QRect> expectedCircles = {HitRect(2, 5), HitRect(8, 12), HitRect(12, 6), HitRect(4, 4)};
  std::vector<QRect> circles;
  for (const CanvasOp& op : canvas.Of(CanvasOp::Ellipse)) {
    EXPECT_EQ(op.color, 0x007F00u);
    circles.push_back(op.rect);
  }
  EXPECT_EQ(circles, expectedCircles);
  ASSERT_GE(m_HitRects.size(), 4u);
  const std::vector<QRect> drawn0 = {ToQRect(m_HitRects[0][0]), ToQRect(m_HitRects[0][1]), ToQRect(m_HitRects[0][2])};
  EXPECT_EQ(drawn0, std::vector<QRect>(expectedCircles.begin(), expectedCircles.begin() + 3));
  ASSERT_EQ(m_HitRects[1].size(), 1u);
  EXPECT_EQ(ToQRect(m_HitRects[1][0]), expectedCircles[3]);
  const std::vector<PixelRect> voxels2 = {{-1, -1, 8, 8}, {2, 2, 8, 8}};
  EXPECT_EQ(m_HitRects[2], voxels2);
  EXPECT_TRUE(m_HitRects[3].empty());

  // Without control points shown, the curve alone.
  m_Pane.SetShowSplinesMarker(false);
  EXPECT_TRUE(Record().Of(CanvasOp::Ellipse).empty());
}

TEST_F(SplineOverlayTest, SetSplinesGivesEachControlPointARectangleInItsPlane)
{
  const struct {
    int plane;
    std::vector<PixelRect> rects;  // for the point (10, 20, 30)
  } kCases[] = {
      {OrientationXY, {{6, 16, 8, 8}}},
      {OrientationZY, {{26, 16, 8, 8}}},
      {OrientationXZ, {{6, 26, 8, 8}}},
      {0, {}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.plane);
    LSplineSet splines;
    splines.Create(1, 2, {});
    splines.planes[0] = c.plane;
    splines.controlPoints[0] = {{10, 20, 30}};
    SplineHitRects hit;
    m_Pane.SetSplines(&splines, &hit);
    m_Pane.SetSplines(&splines, &hit);  // every pane is handed the same lists
    ASSERT_EQ(hit.size(), 1u);
    EXPECT_EQ(hit[0], c.rects);
  }
}

TEST_F(OverlayTest, MarkersTakeTheColourTheirLabelNamesOrColourZero)
{
  SetUpFor(OrientationXY);
  m_Pane.SetShowGuideLines(false);
  m_Pane.SetShowOverlay(false);
  LMarkers markers;
  markers.Create(5, 3000, {});
  const struct {
    Point3i at;
    const char* label;
  } kMarkers[] = {{{3, 4, 3}, "7"}, {{6, 8, 3}, "-1"}, {{9, 12, 3}, "25"}, {{12, 16, 3}, "x"}, {{4, 20, 1}, "2"}};
  for (size_t m = 0; m < 5; ++m) {
    markers.points[m] = kMarkers[m].at;
    markers.labels[m] = kMarkers[m].label;
  }
  const platform::COLORREF colour0 = LOCTImage::kDefaultLayerColors[0];
  const platform::COLORREF colour7 = LOCTImage::kDefaultLayerColors[7];
  m_Pane.SetMarkers(&markers);
  m_Pane.ShowMarkers(true);

  const std::vector<CanvasOp> circles = Record().Of(CanvasOp::Ellipse);
  ASSERT_EQ(circles.size(), 4u);
  const platform::COLORREF expected[4] = {colour7, colour0, colour0, colour0};
  for (size_t m = 0; m < 4; ++m) {
    SCOPED_TRACE(kMarkers[m].label);
    EXPECT_EQ(circles[m].color, expected[m]);
    EXPECT_EQ(circles[m].width, 2);
    const QRect hit = HitRect(float(kMarkers[m].at.x), float(kMarkers[m].at.y));
    EXPECT_EQ(circles[m].rect, hit);
    EXPECT_EQ(ToQRect(m_Pane.MarkerHitRects()[m]), hit);
  }
  EXPECT_EQ(m_Pane.MarkerHitRects()[4], PixelRect{}) << "not on this slice: nothing to hit";

  // On slice 1 only the last marker is drawn; the others cannot be hit where they were.
  m_Position[2] = 1;
  const QImage window = m_Pane.RenderToImage();
  const std::vector<PixelRect> expectedHits = {{}, {}, {}, {}, {0, 0, 8, 8}};
  std::vector<PixelRect> hits = m_Pane.MarkerHitRects();
  const QRect last = HitRect(4, 20);
  EXPECT_EQ(ToQRect(hits[4]), last);
  hits[4] = {0, 0, 8, 8};
  EXPECT_EQ(hits, expectedHits);
  // Drawn for real with the pen of colour 2.
  bool found = false;
  for (int y = last.top(); y <= last.bottom(); ++y)
    for (int x = last.left(); x <= last.right(); ++x)
      found = found || window.pixel(x, y) == platform::ToQColor(LOCTImage::kDefaultLayerColors[2]).rgb();
  EXPECT_TRUE(found);
}

// Pixel tests: the pane in a window of whole pixels per cell, surfaces only.
class SurfacePixelTest : public OverlayTest {
protected:
  static constexpr int kScaleX = 6;
  static constexpr int kScaleY = 4;
  void SetUpSurfaces(int orientation, const std::vector<int>& rows)
  {
    int columns = 0;
    int imageRows = 0;
    SliceSizeOf(orientation, columns, imageRows);
    SetUpFor(orientation, columns * kScaleX, imageRows * kScaleY);
    m_Pane.SetShowGuideLines(false);
    m_Pane.SetShowOverlay(false);
    m_Points = FlatSurfaces(rows);
    m_Mask.assign(size_t(SliceTestData::kX) * SliceTestData::kZ, 0);
    m_Pane.SetSurfaces(int(rows.size()), m_Points.data(), m_Mask.data());
    m_Pane.ShowSurfaces(true);
    for (size_t s = 0; s < rows.size(); ++s) {
      m_Pane.SetColorSurface(int(s), kColours[s]);
      m_Pane.ShowSurface(int(s), true);
    }
  }
  QRgb Rgb(platform::COLORREF c) const { return platform::ToQColor(c).rgb(); }

  static constexpr platform::COLORREF kColours[3] = {0x10E0F0, 0xE010F0, 0xF0E010};
  std::vector<int> m_Points;
  std::vector<uint8_t> m_Mask;
};

TEST_F(SurfacePixelTest, SegmentsBesideAnUndefinedCellAreSkipped)
{
  const struct {
    int orientation;
    size_t undefinedCell;  // the mask cell under column 3 of the slice
  } kCases[] = {
      {OrientationXY, 3 + SliceTestData::kX * 3},  // (x 3, Z 3)
      {OrientationZY, 5 + SliceTestData::kX * 3},  // (X 5, z 3)
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.orientation);
    SetUpSurfaces(c.orientation, {10});
    m_Mask[c.undefinedCell] = kUndefinedCell;
    const int y = WindowPoint(0, 10).y();
    auto segmentShown = [&](const QImage& image, int c0) {
      const int x = (WindowPoint(float(c0), 10).x() + WindowPoint(float(c0 + 1), 10).x()) / 2;
      return image.pixel(x, y) == Rgb(kColours[0]);
    };
    QImage image = m_Pane.RenderToImage();
    EXPECT_TRUE(segmentShown(image, 0));
    EXPECT_TRUE(segmentShown(image, 1));
    EXPECT_FALSE(segmentShown(image, 2));
    EXPECT_FALSE(segmentShown(image, 3));
    m_Pane.ShowUndefinedSurface(0, true);
    image = m_Pane.RenderToImage();
    for (int c0 : {0, 1, 2, 3})
      EXPECT_TRUE(segmentShown(image, c0)) << c0;
  }
}

TEST_F(SurfacePixelTest, ThicknessPairIsDrawnOnePixelWider)
{
  const struct {
    bool thicknessShown;
    int widths[3];
  } kCases[] = {{true, {2, 1, 2}}, {false, {1, 1, 1}}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.thicknessShown);
    SetUpSurfaces(OrientationXY, {4, 10, 16});
    m_Pane.SetThicknessSurfaces(0, 2);
    m_Pane.ShowThickness(c.thicknessShown);
    const QImage image = m_Pane.RenderToImage();
    const int x = (WindowPoint(5, 0).x() + WindowPoint(6, 0).x()) / 2;
    for (int s = 0; s < 3; ++s) {
      const int y = WindowPoint(0, float(4 + 6 * s)).y();
      int width = 0;
      for (int dy = -3; dy <= 3; ++dy)
        width += image.pixel(x, y + dy) == Rgb(kColours[s]);
      EXPECT_EQ(width, c.widths[s]) << "surface " << s;
    }
  }
}

TEST_F(SurfacePixelTest, EnFaceCellsWhereTheSurfaceMeetsTheCurrentRow)
{
  SetUpSurfaces(OrientationXZ, {9});
  // Surface 0 meets depth row 9 at even x only; one of those cells is undefined.
  for (int z = 0; z < SliceTestData::kZ; ++z)
    for (int x = 1; x < SliceTestData::kX; x += 2)
      m_Points[(size_t(z) * SliceTestData::kX + size_t(x)) * 3 + 1] = 4;
  m_Mask[4 + SliceTestData::kX * 2] = kUndefinedCell;
  const QImage image = m_Pane.RenderToImage();
  for (int z = 0; z < SliceTestData::kZ; ++z)
    for (int x = 0; x < SliceTestData::kX; ++x) {
      const bool expected = x % 2 == 0 && !(x == 4 && z == 2);
      EXPECT_EQ(image.pixel(WindowPoint(float(x), float(z))) == Rgb(kColours[0]), expected) << x << ", " << z;
    }
}

}  // namespace
