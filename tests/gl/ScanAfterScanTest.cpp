// One scan after another in a shown view, as a researcher works through a sitting: a display
// set up on a first scan, then a scan of other sizes opened the way the open dialog opens it,
// then the first scan once more. The second scan's panes show it exactly as a view that
// opened only that scan shows it; after every open the panes are drawn at the scan's sizes
// and the voxel under the cursor is the one in the scan's file.
#include "app/CDlgData.h"
#include "app/CDlgMenu.h"
#include "app/CMainFrame.h"
#include "app/CStrataviewView.h"
#include "dialogs/ScanActions.h"
#include "fixtures/DemoView.h"
#include "fixtures/FixtureFiles.h"
#include "fixtures/TempDir.h"
#include "panes/CChildWnd.h"
#include "panes/L3D.h"
#include "panes/LOCTImage.h"
#include "panes/LProjImage.h"
#include "panes/PaneWidget.h"
#include "panes/RecordingCanvas.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QScrollBar>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace {

// A scan a case opens: a demo folder of its size, with a file of every result kind beside
// it, or a scan file alone, written here as a MetaImage whose voxels follow from their place.
struct ScanSpec {
  const char* name;
  bool folder;
  std::array<int, 3> size;
  float spacing;  // mm on every axis, for a scan file alone
};

const ScanSpec kDemo{"demo folder 48x64x12", true, {48, 64, 12}, 0.0f};
const ScanSpec kSmallerDemo{"demo folder 32x40x7", true, {32, 40, 7}, 0.0f};
const ScanSpec kShallowerDemo{"demo folder 48x32x12", true, {48, 32, 12}, 0.0f};
const ScanSpec kLargerFile{"scan file 48x64x12", false, {48, 64, 12}, 0.01f};
const ScanSpec kSmallerFile{"scan file 32x40x7", false, {32, 40, 7}, 0.01f};
const ScanSpec kOneBScan{"scan file of one B-scan 48x64x1", false, {48, 64, 1}, 0.01f};
const ScanSpec kTiny{"scan file 10x15x2 of 1 um voxels", false, {10, 15, 2}, 0.001f};

unsigned short FileVoxel(int x, int y, int z)
{
  return static_cast<unsigned short>(1000 + (7 * x + 13 * y + 101 * z) % 3000);
}

// A scan on disk: what to open and the raw voxels to read the truth from.
struct WrittenScan {
  ScanSpec spec;
  std::string open;  // the folder, or the .mhd file
  std::string raw;
};

bool WriteScanFile(const ScanSpec& spec, const std::string& folder, WrittenScan& scan)
{
  const auto [x, y, z] = spec.size;
  std::vector<uint8_t> bytes;
  for (int k = 0; k < z; ++k)
    for (int j = 0; j < y; ++j)
      for (int i = 0; i < x; ++i) {
        const unsigned short v = FileVoxel(i, j, k);
        bytes.push_back(uint8_t(v & 0xFF));
        bytes.push_back(uint8_t(v >> 8));
      }
  const std::string s = std::to_string(spec.spacing);
  const std::string header = "ObjectType = Image\nNDims = 3\nBinaryData = True\nBinaryDataByteOrderMSB = False\n"
                             "ElementSpacing = " + s + " " + s + " " + s + "\nDimSize = " + std::to_string(x) + " " +
                             std::to_string(y) + " " + std::to_string(z) +
                             "\nElementType = MET_USHORT\nElementDataFile = scan_OCT.raw\n";
  scan.open = folder + "/scan_OCT.mhd";
  scan.raw = folder + "/scan_OCT.raw";
  return fixtures::WriteText(scan.open, header) && fixtures::WriteBytes(scan.raw, bytes.data(), bytes.size());
}

bool WriteScan(const ScanSpec& spec, const std::string& folder, WrittenScan& scan)
{
  scan.spec = spec;
  if (!spec.folder)
    return WriteScanFile(spec, folder, scan);
  scan.open = folder;
  scan.raw = folder + "/Demo_OCT.raw";
  const auto [x, y, z] = spec.size;
  return fixtures::RunCommand(std::string(STRATAVIEW_MAKE_DEMO) + " '" + folder + "' --size " + std::to_string(x) + " " +
                              std::to_string(y) + " " + std::to_string(z)) == 0;
}

// The voxel as the file holds it (two bytes, least significant first).
int VoxelInFile(const WrittenScan& scan, int x, int y, int z)
{
  const auto [sx, sy, sz] = scan.spec.size;
  std::ifstream in(scan.raw, std::ios::binary);
  in.seekg(std::streamoff(2) * (std::streamoff(x) + std::streamoff(sx) * (y + std::streamoff(sy) * z)));
  unsigned char b[2] = {0, 0};
  in.read(reinterpret_cast<char*>(b), 2);
  (void)sz;
  return in ? b[0] | (b[1] << 8) : -1;
}

// Opens as the open dialog does: the folder or the file, then the refresh when it opened.
bool OpenAsTheDialogDoes(ScanActions& view, const WrittenScan& scan)
{
  const bool opened = scan.spec.folder ? view.ScanFolder(scan.open) : view.OpenOCTFile(scan.open);
  if (opened)
    view.RefreshAll();
  return opened;
}

// A frame shown on the screen, at one size for every frame of a case.
std::unique_ptr<CMainFrame> ShownFrame()
{
  auto frame = std::make_unique<CMainFrame>();
  frame->resize(900, 640);
  frame->View()->OnInitialUpdate();
  frame->show();
  if (!QTest::qWaitForWindowExposed(frame.get()))
    return nullptr;
  return frame;
}

QWidget* PaneWindow(const CStrataviewView& view, const char* host)
{
  const CChildWnd* h = view.findChild<CChildWnd*>(host);
  return h ? h->findChild<PaneWidget*>() : nullptr;
}

bool OnScreen(const QWidget* w)
{
  return w && w->isVisible() && w->width() > 0 && w->height() > 0;
}

// The user's actions that set up a display on the open scan, through its controls and panes.
struct Controls {
  CStrataviewView& view;

  void Click(QAbstractButton* button) const
  {
    ASSERT_TRUE(button);
    button->click();
  }
  void Choose(QComboBox* combo, int index) const
  {
    ASSERT_TRUE(combo);
    if (index >= combo->count())
      return;  // what the scan does not offer cannot be chosen
    combo->setCurrentIndex(index);
    emit combo->activated(index);
  }
  void ChooseMode(const char* text) const
  {
    QComboBox* mouse = view.MenuPanel()->Combo(CDlgMenu::kMouse);
    Choose(mouse, mouse->findText(QString::fromLatin1(text)));
  }
  // A press at one point, a move with the button held to another, a release there; in the
  // pane's window when it is on the screen.
  void Drag(const char* host, QPointF from, QPointF to, Qt::MouseButton button = Qt::LeftButton) const
  {
    QWidget* w = PaneWindow(view, host);
    if (!OnScreen(w))
      return;
    const auto at = [w](QPointF f) { return QPoint(int(f.x() * w->width()), int(f.y() * w->height())); };
    QTest::mousePress(w, button, {}, at(from));
    QMouseEvent move(QEvent::MouseMove, at(to), w->mapToGlobal(at(to)), Qt::NoButton, button, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &move);
    QTest::mouseRelease(w, button, {}, at(to));
  }
};

void ThicknessOn(const Controls& c)
{
  if (!c.view.Settings().ShowThickness)
    c.Click(c.view.MenuPanel()->Button(CDlgMenu::kThickness));
}

// The display states of the table, each what a user does on the first scan.
struct DisplayState {
  const char* name;
  std::function<void(const Controls&)> apply;
  // The pairs that follow it; every pair when empty.
  std::vector<const char*> pairs;
};

void Flatten(const Controls& c)
{
  c.Choose(c.view.DataPanel()->Combo(CDlgData::kRefSurfCombo), 1);
  c.Click(c.view.DataPanel()->Button(CDlgData::kFlattening));
}
void CreateProjection(const Controls& c)
{
  if (!c.view.Settings().ShowCreateProj)
    c.Click(c.view.MenuPanel()->Button(CDlgMenu::kCreateProj));
  c.Choose(c.view.MenuPanel()->Combo(CDlgMenu::kCreateProjTo), 3);
}
void PaintUndefinedRegion(const Controls& c)
{
  c.ChooseMode("Undef. Region");
  c.Drag("PaneHostProj", {0.2, 0.3}, {0.6, 0.5});
  c.Drag("PaneHostXY", {0.3, 0.4}, {0.5, 0.4});
}
void PaintLabels(const Controls& c)
{
  c.ChooseMode("Vessel");
  c.Drag("PaneHostXY", {0.3, 0.5}, {0.6, 0.6});
  c.ChooseMode("SEAD");
  c.Drag("PaneHostZY", {0.4, 0.5}, {0.5, 0.7});
}
void ZoomPanAndEdit(const Controls& c)
{
  c.ChooseMode("Zoom");
  c.Drag("PaneHostXY", {0.5, 0.5}, {0.5, 0.2});
  c.ChooseMode("Pan");
  c.Drag("PaneHostXY", {0.5, 0.5}, {0.4, 0.45});
  c.ChooseMode("Surfaces");
  c.Drag("PaneHostZY", {0.5, 0.55}, {0.5, 0.7});
}
void AddMarkersAndSpline(const Controls& c)
{
  c.ChooseMode("Markers");
  c.Drag("PaneHostXZ", {0.7, 0.7}, {0.7, 0.7});
  c.ChooseMode("Splines");
  c.Click(c.view.MenuPanel()->Button(CDlgMenu::kAddSpline));
  c.Drag("PaneHostXY", {0.2, 0.2}, {0.2, 0.2});
  c.Drag("PaneHostXY", {0.4, 0.3}, {0.4, 0.3});
}
void Layout(const Controls& c, int layout)
{
  c.Choose(c.view.MenuPanel()->Combo(CDlgMenu::kLayout), layout - 1);
}
void Everything(const Controls& c)
{
  Flatten(c);
  ThicknessOn(c);
  c.Choose(c.view.MenuPanel()->Combo(CDlgMenu::kGrid), 2);
  CreateProjection(c);
  PaintUndefinedRegion(c);
  PaintLabels(c);
  ZoomPanAndEdit(c);
  AddMarkersAndSpline(c);
  Layout(c, 11);
}

std::vector<DisplayState> States()
{
  // One display at a time is followed by the pair of most concern: surfaces, masks and
  // pictures of a smaller scan before a larger one without any results.
  const std::vector<const char*> mainPairs = {"to a larger scan file alone"};
  std::vector<DisplayState> states = {
    {"as opened", [](const Controls&) {}, {}},
    {"thickness", ThicknessOn, mainPairs},
    {"thickness with the grid for quality",
     [](const Controls& c) {
       ThicknessOn(c);
       c.Choose(c.view.MenuPanel()->Combo(CDlgMenu::kGrid), 1);
     },
     mainPairs},
    {"thickness with the grid for quantity",
     [](const Controls& c) {
       ThicknessOn(c);
       c.Choose(c.view.MenuPanel()->Combo(CDlgMenu::kGrid), 2);
     },
     mainPairs},
    {"flattened", Flatten, mainPairs},
    {"created projection", CreateProjection, mainPairs},
    {"undefined region painted", PaintUndefinedRegion, mainPairs},
    {"labels painted", PaintLabels, mainPairs},
    {"zoomed, panned and a surface edited", ZoomPanAndEdit, mainPairs},
    {"markers and a spline added", AddMarkersAndSpline, mainPairs},
    {"all of them in the 3-D layout", Everything, {}},
  };
  static const char* const kLayoutNames[] = {"Horizontal", "Horizontal2", "Vertical", "Vertical2", "OCTXY", "OCTZY",
                                             "OCTXZ", "OCTXZ2", "Proj.", "Proj.2", "3D"};
  for (int layout = 1; layout <= 11; ++layout)
    states.push_back({kLayoutNames[layout - 1], [layout](const Controls& c) { Layout(c, layout); }, mainPairs});
  return states;
}

struct ScanPair {
  const char* name;
  ScanSpec first;
  ScanSpec second;
};
const std::vector<ScanPair> kPairs = {
  {"larger to smaller", kDemo, kSmallerDemo},
  {"smaller to larger", kSmallerDemo, kDemo},
  {"to a larger scan file alone", kSmallerDemo, kLargerFile},
  {"to another depth", kDemo, kShallowerDemo},
  {"to one B-scan", kDemo, kOneBScan},
};
const std::vector<ScanPair> kTinyPairs = {
  {"to a tiny scan of 1 um voxels", kDemo, kTiny},
  {"from a tiny scan of 1 um voxels", kTiny, kSmallerFile},
};

// What a view shows of a scan, checked against the scan's own sizes.
void ExpectSizes(CStrataviewView& view, const ScanSpec& spec)
{
  const auto [x, y, z] = spec.size;
  const struct {
    int orientation;
    int columns, rows;
  } slices[] = {{OrientationXY, x, y}, {OrientationZY, z, y}, {OrientationXZ, x, z}};
  for (const auto& s : slices) {
    SCOPED_TRACE(s.orientation);
    const LOCTImage* pane = view.SlicePane(s.orientation);
    ASSERT_TRUE(pane);
    EXPECT_EQ(pane->Bitmap().size(), QSize(s.columns, s.rows));
  }
  EXPECT_EQ(view.ProjPane()->Bitmap().size(), QSize(x, z));
  const int* scene = view.Get3DPane()->Size();
  EXPECT_EQ((std::array<int, 3>{scene[0], scene[1], scene[2]}), spec.size);
  const QList<QScrollBar*> bars = view.findChildren<QScrollBar*>();
  const int ranges[] = {z - 1, x - 1, y - 1};  // XY steps through z, ZY through x, XZ through y
  for (const int last : ranges)
    EXPECT_TRUE(std::any_of(bars.begin(), bars.end(), [last](const QScrollBar* b) { return b->maximum() == last; }))
        << "a scroll bar up to " << last;
}

// Every pane's picture as it is on the screen now.
struct Pictures {
  std::array<QImage, 4> panes2D;
  QImage pane3D;
};

Pictures PicturesOf(CStrataviewView& view)
{
  QTest::qWait(20);  // the panes paint what they were handed
  Pictures p;
  for (int o : {OrientationXY, OrientationZY, OrientationXZ})
    p.panes2D[size_t(o - 1)] = view.SlicePane(o)->RenderToImage();
  p.panes2D[3] = view.ProjPane()->RenderToImage();
  p.pane3D = view.Get3DPane()->RenderToImage();
  return p;
}

int DifferingPixels(const QImage& a, const QImage& b)
{
  if (a.size() != b.size())
    return a.width() * a.height() + b.width() * b.height() + 1;
  int n = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x)
      n += a.pixel(x, y) != b.pixel(x, y);
  return n;
}

// The first line of a slice pane's info text: the voxel at the position and its value.
std::string PositionText(const LOCTImage& pane)
{
  RecordingCanvas canvas;
  pane.PaintOverlays(canvas);
  for (const CanvasOp& op : canvas.ops)
    if (op.kind == CanvasOp::Text && !op.text.empty() && op.text[0] == '(')
      return op.text.substr(0, op.text.find('\n'));
  return {};
}

// A click with the Position tool in the first slice pane on the screen moves the position to
// the voxel under the cursor, and the pane names that voxel with its value as the file holds
// it. A layout without a slice pane shows no voxel: the position stays.
void ExpectVoxelUnderCursor(const Controls& c, const WrittenScan& scan)
{
  CStrataviewView& view = c.view;
  c.ChooseMode("Position");
  const std::array<int, 3> before = {view.Position()[0], view.Position()[1], view.Position()[2]};
  const struct {
    const char* host;
    int orientation;
    size_t columnAxis, rowAxis;
  } slices[] = {{"PaneHostXY", OrientationXY, 0, 1}, {"PaneHostZY", OrientationZY, 2, 1},
                {"PaneHostXZ", OrientationXZ, 0, 2}};
  for (const auto& s : slices) {
    QWidget* w = PaneWindow(view, s.host);
    const LOCTImage& pane = *view.SlicePane(s.orientation);
    const auto mapping = pane.Mapping();
    if (!OnScreen(w) || !mapping)
      continue;
    std::array<int, 3> expected = before;
    expected[s.columnAxis] = scan.spec.size[s.columnAxis] / 3;
    expected[s.rowAxis] = scan.spec.size[s.rowAxis] / 3;
    const QPoint at(mapping->CentreX(float(expected[s.columnAxis])), mapping->CentreY(float(expected[s.rowAxis])));
    if (!w->rect().contains(at))
      continue;  // zoomed out of sight
    QTest::mouseClick(w, Qt::LeftButton, {}, at);
    const std::array<int, 3> position = {view.Position()[0], view.Position()[1], view.Position()[2]};
    EXPECT_EQ(position, expected);
    const auto [x, y, z] = expected;
    EXPECT_EQ(PositionText(pane), "(" + std::to_string(x) + ", " + std::to_string(y) + ", " + std::to_string(z) +
                                      "): " + std::to_string(VoxelInFile(scan, x, y, z)));
    return;
  }
  const std::array<int, 3> position = {view.Position()[0], view.Position()[1], view.Position()[2]};
  EXPECT_EQ(position, before);
}

// A sitting on a profile of its own: the first scan opened in a shown frame, the display
// set up, the second scan opened, then the first again.
class Sitting {
public:
  Sitting() : m_Profile(fixtures::StoredSettings{}, STRATAVIEW_SOURCE_DIR "/res"), m_Frame(ShownFrame()) {}

  void Run(const DisplayState& state, const WrittenScan& first, const WrittenScan& second)
  {
    ASSERT_TRUE(m_Frame);
    CStrataviewView& view = *m_Frame->View();
    ASSERT_TRUE(OpenAsTheDialogDoes(view, first));
    state.apply(Controls{view});
    ASSERT_TRUE(OpenAsTheDialogDoes(view, second));
    ExpectShowsAsAlone(second);
    ASSERT_TRUE(OpenAsTheDialogDoes(view, first));
    QTest::qWait(20);  // the panes paint what they were handed
    ExpectSizes(view, first.spec);
    ExpectVoxelUnderCursor(Controls{view}, first);
    EXPECT_TRUE(m_Messages.empty()) << m_Messages.front();
  }

private:
  // The view shows the scan at its sizes, as a view that opened only it shows it, with the
  // voxel under the cursor read from the file.
  void ExpectShowsAsAlone(const WrittenScan& scan)
  {
    SCOPED_TRACE(scan.spec.name);
    CStrataviewView& view = *m_Frame->View();
    ExpectSizes(view, scan.spec);
    const Pictures shown = PicturesOf(view);
    const std::unique_ptr<CMainFrame> fresh = ShownFrame();
    ASSERT_TRUE(fresh);
    ASSERT_TRUE(OpenAsTheDialogDoes(*fresh->View(), scan));
    const Pictures alone = PicturesOf(*fresh->View());
    const char* const names[] = {"B-scan pane", "ZY pane", "en-face pane", "projection pane"};
    for (size_t p = 0; p < shown.panes2D.size(); ++p)
      EXPECT_EQ(DifferingPixels(shown.panes2D[p], alone.panes2D[p]), 0) << names[p];
    EXPECT_EQ(DifferingPixels(shown.pane3D, alone.pane3D), 0) << "3-D pane";
    ExpectVoxelUnderCursor(Controls{view}, scan);
  }

  std::vector<std::string> m_Messages;
  // The edits of a state are let go when the next scan is opened; any other message is one
  // too many.
  const platform::ScopedMessageHook m_Hook{[this](const std::string& text, unsigned type) {
    if (type == platform::kMbSaveDiscardCancel)
      return int(platform::kIdDiscard);
    m_Messages.push_back(text);
    return int(platform::kIdOk);
  }};
  const fixtures::TestProfile m_Profile;
  const std::unique_ptr<CMainFrame> m_Frame;
};

// The two scans of a pair on disk, then the sitting over them.
void RunSitting(const DisplayState& state, const ScanPair& pair)
{
  const TempDir folder;
  WrittenScan first;
  WrittenScan second;
  std::filesystem::create_directories(folder.Path() / "first");
  std::filesystem::create_directories(folder.Path() / "second");
  ASSERT_TRUE(WriteScan(pair.first, folder.File("first"), first));
  ASSERT_TRUE(WriteScan(pair.second, folder.File("second"), second));
  Sitting().Run(state, first, second);
}

// A display state and the pair of scans that follows it.
struct SittingCase {
  size_t state;
  ScanPair pair;
};

std::vector<SittingCase> Cases(const std::vector<ScanPair>& pairs)
{
  std::vector<SittingCase> cases;
  const std::vector<DisplayState> states = States();
  for (size_t s = 0; s < states.size(); ++s)
    for (const ScanPair& pair : pairs)
      if (states[s].pairs.empty() || std::find_if(states[s].pairs.begin(), states[s].pairs.end(), [&pair](const char* n) {
                                       return std::string(n) == pair.name;
                                     }) != states[s].pairs.end())
        cases.push_back({s, pair});
  return cases;
}

void PrintTo(const SittingCase& c, std::ostream* out)
{
  *out << States()[c.state].name << ", " << c.pair.name;
}

std::string CaseName(const ::testing::TestParamInfo<SittingCase>& info)
{
  std::string name = std::string(States()[info.param.state].name) + " " + info.param.pair.name;
  for (char& ch : name)
    if (!std::isalnum(static_cast<unsigned char>(ch)))
      ch = '_';
  return name;
}

class ScanAfterScan : public ::testing::TestWithParam<SittingCase> {};

TEST_P(ScanAfterScan, EachScanIsShownWhole)
{
  RunSitting(States()[GetParam().state], GetParam().pair);
}

INSTANTIATE_TEST_SUITE_P(DisplayStates, ScanAfterScan, ::testing::ValuesIn(Cases(kPairs)), CaseName);

class ScanAfterTinyScan : public ::testing::TestWithParam<SittingCase> {};

TEST_P(ScanAfterTinyScan, EachScanIsShownWhole)
{
  RunSitting(States()[GetParam().state], GetParam().pair);
}

// As opened, and with every display state at once.
INSTANTIATE_TEST_SUITE_P(DisplayStates, ScanAfterTinyScan, ::testing::ValuesIn(Cases(kTinyPairs)), CaseName);

}  // namespace
