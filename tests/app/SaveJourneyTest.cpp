// The user's whole way for markers and splines: open the small demo folder, edit with the
// mouse in the slice panes (and delete in the 3-D pane), save through the save dialog, open
// the folder again in a new view and find there what the first view showed. The written
// files are read by an independent XML reader.
#include "app/CDlgData.h"
#include "app/CDlgMenu.h"
#include "app/CMainFrame.h"
#include "app/CStrataviewView.h"
#include "data/FileApproval.h"
#include "dialogs/CDlgSave.h"
#include "fixtures/DemoFolder.h"
#include "fixtures/DemoView.h"
#include "fixtures/FixtureFiles.h"
#include "fixtures/MarkersByPython.h"
#include "fixtures/MemoryLimit.h"
#include "fixtures/SharedFolder.h"
#include "fixtures/PanelSteps.h"
#include "fixtures/ResidentPages.h"
#include "fixtures/SaveDialogSteps.h"
#include "fixtures/SmallDisk.h"
#include "fixtures/StdoutCapture.h"
#include "fixtures/TempDir.h"
#include "model/LoadMessages.h"
#include "model/ThicknessAnalysis.h"
#include "model/UnsavedEdits.h"
#include "panes/L3D.h"
#include "panes/LOCTImage.h"
#include "panes/SliceToolsTestView.h"
#include "platform/Dialogs.h"

#include <QCheckBox>
#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <gtest/gtest.h>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <sstream>

namespace {

using fixtures::kGridCenterRow, fixtures::kMarkersRow, fixtures::kSEADRow, fixtures::kSplinesRow, fixtures::kSurfacesRow,
    fixtures::kVesselRow;

// The splines as text, one entry per ";", in the form the markers take (fixtures::MarkersText):
// what the screen shows, what a file holds and what a new view shows are compared in it.
std::string SplinesText(const LSplines& splines, int count)
{
  static const char* const kPlanes[] = {"NA", "XY", "ZY", "XZ"};
  std::ostringstream text;
  for (int s = 0; s < count; ++s) {
    text << kPlanes[splines.planes[size_t(s)]] << (splines.closed[size_t(s)] ? " Y" : " N");
    for (const Point3i& p : splines.controlPoints[size_t(s)])
      text << ' ' << p.x << ',' << p.y << ',' << p.z;
    text << ';';
  }
  return text.str();
}

// The splines' text from the file, by python's own XML reader; the count elements must agree
// with the entries there.
const char* const kReadSplines = R"(
import sys, xml.etree.ElementTree as ET
root = ET.parse(sys.argv[1]).getroot()
splines = root.findall('.//spline')
assert int(root.findtext('.//spline_num')) == len(splines), 'spline_num differs from the splines written'
out = ''
for s in splines:
    points = s.findall('point')
    assert int(s.findtext('point_num')) == len(points), 'point_num differs from the points written'
    out += s.findtext('plane') + ' ' + s.findtext('closed')
    out += ''.join(' %s,%s,%s' % tuple(p.findtext(k) for k in ('x', 'y', 'z')) for p in points) + ';'
sys.stdout.write(out)
)";

std::string ReadWithPython(const TempDir& dir, const char* script, const std::string& file)
{
  const std::string program = dir.File("read.py");
  EXPECT_TRUE(fixtures::WriteText(program, script));
  std::string output;
  EXPECT_EQ(fixtures::RunCommand("/usr/bin/python3 '" + program + "' '" + file + "'", &output), 0) << output;
  return output;
}

using fixtures::MarkersText;
using fixtures::SaveWithDialog;

// The demo folder in a view whose frame is never shown; new views over the saved files start
// the same way on the same profile.
class SaveJourney : public fixtures::DemoViewTest {
protected:
  SaveJourney() : DemoViewTest(fixtures::DemoViewOptions().SizeView()) {}

  // The mouse mode as the menu panel's combo box chooses it.
  void ChooseMouseMode(int mode) { fixtures::ChooseMouseMode(m_View, mode); }
  Mouse MouseOn(int orientation) { return Mouse{*m_View.SlicePane(orientation)}; }
  QPoint At(int orientation, int column, int row) { return CellCentre(*m_View.SlicePane(orientation), column, row); }

  void SaveThroughDialog(int row, const std::string& chosen = "", bool approved = false)
  {
    SaveWithDialog(m_View, row, chosen, approved);
  }
  void SaveThroughDialog(CStrataviewView& view, int row, const std::string& chosen, bool approved)
  {
    SaveWithDialog(view, row, chosen, approved);
  }

  std::string ShownMarkers() const
  {
    const LMarkersSlot& slot = m_View.Slots().markers;
    return MarkersText(*slot.displayedObject, slot.DisplayedMarkerCount());
  }
  std::string ShownSplines() const
  {
    const LSplinesSlot& slot = m_View.Slots().splines;
    return SplinesText(*slot.displayedObject, slot.DisplayedSplineCount());
  }
  std::string SelectedFile(const LMarkersSlot& slot) const { return slot.pathList.GetAt(slot.selected); }
  std::string SelectedFile(const LSplinesSlot& slot) const { return slot.pathList.GetAt(slot.selected); }

  // Where a label save on a full disk starts: the demo scan copied onto the small disk and
  // opened in a view of its own, with the header of its chosen vessel file.
  struct VesselOnDisk {
    std::unique_ptr<CMainFrame> frame;
    CStrataviewView& view;
    const LLabelSlot& vessel;
    std::string file;
  };
  std::optional<VesselOnDisk> OpenVesselOnDisk(const SmallDisk& disk)
  {
    for (const auto& entry : std::filesystem::directory_iterator(m_Scan.Path()))
      std::filesystem::copy_file(entry.path(), disk.Path() / entry.path().filename());
    std::unique_ptr<CMainFrame> frame = m_Demo.OpenAgain(disk.Path().string());
    if (!frame)
      return std::nullopt;
    CStrataviewView& view = *frame->View();
    const LLabelSlot& vessel = view.Slots().vessel;
    return VesselOnDisk{std::move(frame), view, vessel, vessel.pathList.GetAt(vessel.selected)};
  }

  TempDir m_Work;
};

TEST_F(SaveJourney, MarkersAddedMovedAndDeletedInEveryPaneAreWhatTheFileAndANewViewHold)
{
  // The demo (64 x 96 x 17) opens at (32, 48, 8) with the markers "0" (16, 48, 8), "5"
  // (32, 48, 8) and "11" (48, 48, 5); new markers take the label "0".
  ASSERT_EQ(std::vector<int>(m_View.Position(), m_View.Position() + 3), (std::vector<int>{32, 48, 8}));
  ASSERT_EQ(ShownMarkers(), "0,16,48,8;5,32,48,8;11,48,48,5;");
  ChooseMouseMode(MouseMarkers);

  // Two new markers, in the XY and the XZ pane; the XY one is then dragged a little.
  MouseOn(OrientationXY).Click(At(OrientationXY, 10, 20));
  MouseOn(OrientationXZ).Click(At(OrientationXZ, 40, 3));
  MouseOn(OrientationXY).Drag(At(OrientationXY, 10, 20), At(OrientationXY, 12, 22));
  ASSERT_EQ(ShownMarkers(), "0,16,48,8;5,32,48,8;11,48,48,5;0,12,22,8;0,40,48,3;");
  // The first marker is deleted by a double click in the XY pane: four stay, one more than
  // the file held.
  MouseOn(OrientationXY).DoubleClick(At(OrientationXY, 16, 48));
  const std::string shown = ShownMarkers();
  ASSERT_EQ(shown, "5,32,48,8;11,48,48,5;0,12,22,8;0,40,48,3;");

  // Saved over the loaded file, twice (the second save finds the file in the list).
  const std::string file = SelectedFile(m_View.Slots().markers);
  SaveThroughDialog(kMarkersRow);
  SaveThroughDialog(kMarkersRow);
  EXPECT_TRUE(m_Messages.empty()) << m_Messages.front();
  EXPECT_EQ(fixtures::MarkersReadByPython(m_Work, file), shown);

  const std::unique_ptr<CMainFrame> again = m_Demo.OpenAgain(m_Demo.Folder());
  ASSERT_TRUE(again);
  const LMarkersSlot& reopened = again->View()->Slots().markers;
  EXPECT_EQ(MarkersText(*reopened.displayedObject, reopened.DisplayedMarkerCount()), shown);
}

TEST_F(SaveJourney, DeletingEveryMarkerSavesAnEmptyMarkersFile)
{
  ChooseMouseMode(MouseMarkers);
  // The last marker in its slice pane, the others in the 3-D pane (what its double click
  // does once the selection render has named the sphere), first one first.
  const Point3i last = m_View.Slots().markers.displayedObject->points[2];
  MouseOn(OrientationXZ).DoubleClick(At(OrientationXZ, last.x, last.z));
  ASSERT_EQ(m_View.Slots().markers.DisplayedMarkerCount(), 2);
  ASSERT_TRUE(m_View.Get3DPane()->DeleteMarker(0));
  ASSERT_TRUE(m_View.Get3DPane()->DeleteMarker(0));
  ASSERT_EQ(m_View.Slots().markers.DisplayedMarkerCount(), 0);

  const std::string file = m_Work.File("eye_Markers_None.xml");
  SaveThroughDialog(kMarkersRow, file);
  EXPECT_TRUE(m_Messages.empty()) << m_Messages.front();
  EXPECT_EQ(fixtures::MarkersReadByPython(m_Work, file), "");
  LMarkers read;
  ASSERT_EQ(read.ReadXml(file), 0);
  EXPECT_EQ(read.count, 0);
}

TEST_F(SaveJourney, SplinesDrawnClosedMovedAndDeletedAreWhatTheFileAndANewViewHold)
{
  const int z = m_View.Position()[2];
  ASSERT_EQ(m_View.Slots().splines.DisplayedSplineCount(), 1);
  ChooseMouseMode(MouseSplines);

  // A new spline of three points in the XY pane, closed with the right button; a second one,
  // open, whose middle point is dragged; a third that is deleted again by a double click on
  // one of its control points.
  const auto drawSpline = [&](std::initializer_list<std::pair<int, int>> cells) {
    m_View.MenuPanel()->Button(CDlgMenu::kAddSpline)->click();
    for (const auto& [column, row] : cells)
      MouseOn(OrientationXY).Click(At(OrientationXY, column, row));
  };
  drawSpline({{10, 10}, {20, 14}, {14, 30}});
  MouseOn(OrientationXY).Click(At(OrientationXY, 14, 30), Qt::RightButton);
  drawSpline({{40, 60}, {50, 62}, {44, 80}});
  MouseOn(OrientationXY).Drag(At(OrientationXY, 50, 62), At(OrientationXY, 52, 66));
  drawSpline({{5, 85}, {25, 88}});
  ASSERT_EQ(m_View.Slots().splines.DisplayedSplineCount(), 4);
  MouseOn(OrientationXY).DoubleClick(At(OrientationXY, 25, 88));
  // The demo's spline goes in the 3-D pane (what its double click does once the selection
  // render has named the control point): two stay, one more than the file held.
  ASSERT_TRUE(m_View.Get3DPane()->DeleteSpline(0));
  const std::string zText = std::to_string(z);
  const std::string shown = ShownSplines();
  ASSERT_EQ(shown, "XY Y 10,10," + zText + " 20,14," + zText + " 14,30," + zText + ";XY N 40,60," + zText + " 52,66," +
                       zText + " 44,80," + zText + ";");

  const std::string file = SelectedFile(m_View.Slots().splines);
  SaveThroughDialog(kSplinesRow);
  EXPECT_TRUE(m_Messages.empty()) << m_Messages.front();
  EXPECT_EQ(ReadWithPython(m_Work, kReadSplines, file), shown);

  const std::unique_ptr<CMainFrame> again = m_Demo.OpenAgain(m_Demo.Folder());
  ASSERT_TRUE(again);
  const LSplinesSlot& reopened = again->View()->Slots().splines;
  EXPECT_EQ(SplinesText(*reopened.displayedObject, reopened.DisplayedSplineCount()), shown);
}

// A file of more markers than the panes show: the user is told that only the first 3000 are
// shown, saving over the file is refused (it would drop the others), and saved under another
// name it holds the 3000 shown.
TEST_F(SaveJourney, MoreMarkersThanShownAreNeverDroppedWithoutAWord)
{
  const std::string file = SelectedFile(m_View.Slots().markers);
  LMarkers many;
  ASSERT_EQ(many.ReadXml(file), 0);
  many.Create(3001, 3001, LResultHeader(many.header));
  for (int m = 0; m < 3001; ++m) {
    many.points[size_t(m)] = Point3i{m % 64, 48, m % 17};
    many.labels[size_t(m)] = std::to_string(m % 20);
  }
  ASSERT_EQ(many.WriteXml(file), 0);
  const std::string written = fixtures::ReadAll(file);
  const std::string name = std::filesystem::path(file).filename().string();

  const std::unique_ptr<CMainFrame> again = m_Demo.OpenAgain(m_Demo.Folder());
  ASSERT_TRUE(again);
  CStrataviewView& view = *again->View();
  EXPECT_EQ(m_Messages, std::vector<std::string>{"'" + name +
                                                 "' holds 3001 'Markers'; only the first 3000 are shown. Save them "
                                                 "under another name: saving over this file would drop the others."});
  EXPECT_EQ(view.Slots().markers.DisplayedMarkerCount(), 3000);

  m_Messages.clear();
  SaveThroughDialog(view, kMarkersRow, "", false);
  EXPECT_EQ(m_Messages, std::vector<std::string>{"'" + name + "' holds more 'Markers' than are shown; saving over it "
                                                 "would drop the others. Please save under another name."});
  EXPECT_TRUE(fixtures::ReadAll(file) == written) << "the file keeps all 3001 markers";

  m_Messages.clear();
  const std::string other = m_Work.File("eye_Markers_First.xml");
  SaveThroughDialog(view, kMarkersRow, other, false);
  EXPECT_TRUE(m_Messages.empty()) << m_Messages.front();
  LMarkers saved;
  ASSERT_EQ(saved.ReadXml(other), 0);
  EXPECT_EQ(saved.count, 3000);
}

// The label file's voxels as python reads them with the sizes of its header: the number of
// labelled voxels and the sum of their indices, x fastest.
const char* const kReadLabels = R"(
import sys, numpy as np
header = dict(line.split(' = ', 1) for line in open(sys.argv[1]).read().splitlines())
nx, ny, nz = map(int, header['DimSize'].split())
kind = {'MET_UCHAR': np.uint8, 'MET_USHORT': '<u2'}[header['ElementType']]
folder = sys.argv[1].rsplit('/', 1)[0]
v = np.fromfile(folder + '/' + header['ElementDataFile'], dtype=kind)
assert v.size == nx * ny * nz, 'the data file holds %d voxels' % v.size
labelled = np.flatnonzero(v)
sys.stdout.write('%d %d' % (labelled.size, labelled.sum()))
)";

std::string LabelSummary(const LOCTVolume& volume)
{
  size_t count = 0, sum = 0;
  for (size_t i = 0; i < volume.VoxelCount(); ++i)
    if (volume.Voxels()[i] != 0) {
      ++count;
      sum += i;
    }
  return std::to_string(count) + " " + std::to_string(sum);
}

// Vessel labels painted with a click and a drag and erased with the right button in the
// XY pane are what the saved files and a new view hold.
TEST_F(SaveJourney, VesselLabelsPaintedAndErasedAreWhatTheFileAndANewViewHold)
{
  const LLabelSlot& vessel = m_View.Slots().vessel;
  const std::string before = LabelSummary(*vessel.displayedObject);
  ChooseMouseMode(MouseVessel);
  MouseOn(OrientationXY).Click(At(OrientationXY, 5, 5));
  MouseOn(OrientationXY).Drag(At(OrientationXY, 10, 70), At(OrientationXY, 30, 75));
  MouseOn(OrientationXY).Click(At(OrientationXY, 32, 48), Qt::RightButton);
  const std::string shown = LabelSummary(*vessel.displayedObject);
  ASSERT_NE(shown, before);

  const std::string file = vessel.pathList.GetAt(vessel.selected);
  SaveThroughDialog(kVesselRow);
  EXPECT_TRUE(m_Messages.empty()) << m_Messages.front();
  EXPECT_EQ(ReadWithPython(m_Work, kReadLabels, file), shown);

  const std::unique_ptr<CMainFrame> again = m_Demo.OpenAgain(m_Demo.Folder());
  ASSERT_TRUE(again);
  const LLabelSlot& reopened = again->View()->Slots().vessel;
  EXPECT_EQ(reopened.pathList.GetAt(reopened.selected), file);
  EXPECT_EQ(LabelSummary(*reopened.displayedObject), shown);
}

// Labels hold memory only where they are set, the whole way: drawn in every slice pane of a
// view, flattened, painted with a drag and saved through the dialog, what the panes show and
// what the file holds are the labels, while their volumes stay far from resident.
TEST_F(SaveJourney, LabelsStayResidentOnlyWhereTheyAreSetThroughDrawingPaintingFlatteningAndSaving)
{
  const std::string folder = m_Work.File("labelled");
  ASSERT_TRUE(fixtures::MakeDemoOfSize(folder, 256, 512, 32));
  const std::unique_ptr<CMainFrame> frame = m_Demo.OpenAgain(folder);
  ASSERT_TRUE(frame);
  CStrataviewView& view = *frame->View();
  if (!view.Settings().ShowVessel)
    view.DataPanel()->Button(CDlgData::kShowVessel)->click();
  const LLabelSlot& vessel = view.Slots().vessel;
  const uint64_t bytes = vessel.displayedObject->VoxelCount() * sizeof(unsigned short);
  const auto resident = [](const LOCTVolume& labels) {
    return fixtures::ResidentBytes(labels.Voxels(), labels.VoxelCount() * sizeof(unsigned short));
  };
  EXPECT_LT(resident(*vessel.displayedObject), bytes / 8) << "drawn in the panes";

  view.DataPanel()->Combo(CDlgData::kRefSurfCombo)->setCurrentIndex(1);
  view.SelectRefSurf();
  view.RefreshAll();
  ASSERT_TRUE(view.Shift().IsFlattened());
  fixtures::ChooseMouseMode(view, MouseVessel);
  LOCTImage& xy = *view.SlicePane(OrientationXY);
  Mouse{xy}.Drag(CellCentre(xy, 10, 70), CellCentre(xy, 30, 75));
  EXPECT_LT(resident(*vessel.displayedObject), bytes / 8) << "flattened and painted";

  const std::string file = vessel.pathList.GetAt(vessel.selected);
  SaveThroughDialog(view, kVesselRow, "", false);
  EXPECT_TRUE(m_Messages.empty()) << m_Messages.front();
  const LOCTVolume& stored = vessel.objects[size_t(vessel.selected)];
  EXPECT_LT(resident(*vessel.displayedObject), bytes / 8) << "saved";
  EXPECT_LT(resident(stored), bytes / 8) << "saved";

  // Only now is every voxel read: the file holds the labels at their stored depth.
  const std::string summary = LabelSummary(stored);
  EXPECT_NE(summary, "0 0");
  EXPECT_EQ(ReadWithPython(m_Work, kReadLabels, file), summary);
}

// On a full disk a label save says it failed and leaves the old header, data file and mesh
// cache as they were; under a new name it leaves nothing and the file joins no list.
TEST_F(SaveJourney, ALabelSaveOnAFullDiskKeepsTheOldFiles)
{
  const SmallDisk disk;
  if (!disk.Mounted())
    GTEST_SKIP() << SmallDisk::SkipReason();
  const std::optional<VesselOnDisk> onDisk = OpenVesselOnDisk(disk);
  ASSERT_TRUE(onDisk);
  CStrataviewView& view = onDisk->view;
  const LLabelSlot& vessel = onDisk->vessel;
  const std::string& file = onDisk->file;
  const std::string base = file.substr(0, file.size() - 4);
  std::map<std::string, std::string> old;
  for (const char* extension : {".mhd", ".raw", ".vtk"})
    old[extension] = fixtures::ReadAll(base + extension);
  std::vector<std::string> entries;
  for (const auto& entry : std::filesystem::directory_iterator(disk.Path()))
    entries.push_back(entry.path().filename().string());
  entries.push_back("filler");
  std::sort(entries.begin(), entries.end());

  Mouse{*view.SlicePane(OrientationXY)}.Click(CellCentre(*view.SlicePane(OrientationXY), 5, 5));
  ASSERT_TRUE(disk.FillLeaving(32 * 1024));
  const int listed = vessel.count;
  for (const std::string& chosen : {std::string(), disk.File("Demo_Vessel_New.mhd")}) {
    SCOPED_TRACE(chosen);
    m_Messages.clear();
    const StdoutCapture quiet(2);
    SaveThroughDialog(view, kVesselRow, chosen, false);
    EXPECT_EQ(m_Messages, std::vector<std::string>{"File error: 'Vessel'"});
    for (const auto& [extension, bytes] : old)
      EXPECT_TRUE(fixtures::ReadAll(base + extension) == bytes) << extension << " changed";
    std::vector<std::string> now;
    for (const auto& entry : std::filesystem::directory_iterator(disk.Path()))
      now.push_back(entry.path().filename().string());
    std::sort(now.begin(), now.end());
    EXPECT_EQ(now, entries);
    EXPECT_EQ(vessel.count, listed);
    EXPECT_EQ(view.DataPanel()->Combo(CDlgData::kVesselCombo)->count(), listed);
  }
}

// Several kinds edited on a flattened scan and saved in one run of the dialog, approved: the
// grid centre moved in the XZ pane, SEAD painted in the ZY pane and a marker added. A new
// view flattened on the same reference surface shows the same; every file is read-only.
TEST_F(SaveJourney, SeveralKindsEditedOnAFlattenedScanAreSavedApprovedInOneRun)
{
  m_View.DataPanel()->Combo(CDlgData::kRefSurfCombo)->setCurrentIndex(1);
  m_View.SelectRefSurf();
  m_View.RefreshAll();
  ASSERT_TRUE(m_View.Shift().IsFlattened());

  ChooseMouseMode(MouseGridCenter);
  MouseOn(OrientationXZ).Click(At(OrientationXZ, 20, 6));
  const std::string seadBefore = LabelSummary(*m_View.Slots().sead.displayedObject);
  ChooseMouseMode(MouseSEAD);
  MouseOn(OrientationZY).Drag(At(OrientationZY, 4, 40), At(OrientationZY, 9, 44));
  ChooseMouseMode(MouseMarkers);
  MouseOn(OrientationXY).Click(At(OrientationXY, 50, 30));
  const LResultSlots& kinds = m_View.Slots();
  ASSERT_EQ(std::vector<int>(kinds.gridCenter.gridCenter, kinds.gridCenter.gridCenter + 2), (std::vector<int>{20, 6}));
  const std::string seadShown = LabelSummary(*kinds.sead.displayedObject);
  ASSERT_NE(seadShown, seadBefore);
  const std::string markersShown = ShownMarkers();

  std::vector<std::string> files;
  const platform::ScopedDialogHook hook([&](const platform::DialogRequest&, QDialog* dialog) {
    auto* save = dynamic_cast<CDlgSave*>(dialog);
    if (!save)
      return platform::DialogAnswer{};
    for (const int row : {kGridCenterRow, kSEADRow, kMarkersRow}) {
      files.push_back(save->PathEdit(row)->text().toStdString());
      save->ApprovalBox(row)->setChecked(true);
      save->SaveButton(row)->click();
    }
    return platform::DialogAnswer{true, ""};
  });
  m_View.RunSaveDialog();
  EXPECT_TRUE(m_Messages.empty()) << m_Messages.front();
  const std::string sead = files[1];
  for (const std::string& file : {files[0], sead, sead.substr(0, sead.size() - 4) + ".raw",
                                  sead.substr(0, sead.size() - 4) + ".vtk", files[2]})
    EXPECT_TRUE(approval::IsApproved(file)) << file;

  const std::unique_ptr<CMainFrame> again = m_Demo.OpenAgain(m_Demo.Folder());
  ASSERT_TRUE(again);
  CStrataviewView& view = *again->View();
  view.DataPanel()->Combo(CDlgData::kRefSurfCombo)->setCurrentIndex(1);
  view.SelectRefSurf();
  view.RefreshAll();
  const LResultSlots& reopened = view.Slots();
  EXPECT_EQ(std::vector<int>(reopened.gridCenter.gridCenter, reopened.gridCenter.gridCenter + 2),
            (std::vector<int>{20, 6}));
  EXPECT_EQ(LabelSummary(*reopened.sead.displayedObject), seadShown);
  EXPECT_EQ(MarkersText(*reopened.markers.displayedObject, reopened.markers.DisplayedMarkerCount()), markersShown);
}

// A surface dragged twice in the XY pane, the second drag undone with the right button: the
// saved file and a new view hold the surfaces as shown after the undo.
TEST_F(SaveJourney, SurfacesDraggedWithUndoAreWhatTheFileAndANewViewHold)
{
  const LSurfaces& shown = *m_View.Slots().surfaces.displayedObject;
  const int z = m_View.Position()[2];
  const auto rowOf = [&](int x) {
    int nearest = -1;
    for (int s = 0; s < shown.surfaceCount; ++s)
      if (shown.Point(s, x, z).y >= 0 && (nearest < 0 || shown.Point(s, x, z).y < nearest))
        nearest = shown.Point(s, x, z).y;
    return nearest;
  };
  const auto drag = [&](int x, int by) {
    const int row = rowOf(x);
    ASSERT_GE(row, 0);
    Mouse mouse = MouseOn(OrientationXY);
    mouse.Hover(At(OrientationXY, x, row));
    mouse.Drag(At(OrientationXY, x, row), At(OrientationXY, x, row + by));
  };
  ChooseMouseMode(MouseSurfaces);
  const std::vector<Point3i> before = shown.points;
  drag(20, 6);
  const std::vector<Point3i> afterFirst = shown.points;
  ASSERT_NE(afterFirst, before) << "the first drag moved the surface";
  drag(40, -5);
  ASSERT_NE(shown.points, afterFirst);
  MouseOn(OrientationXY).Click(At(OrientationXY, 40, 10), Qt::RightButton);
  ASSERT_EQ(shown.points, afterFirst) << "the right button undid the second drag";

  SaveThroughDialog(kSurfacesRow);
  EXPECT_TRUE(m_Messages.empty()) << m_Messages.front();

  const std::unique_ptr<CMainFrame> again = m_Demo.OpenAgain(m_Demo.Folder());
  ASSERT_TRUE(again);
  const LSurfaces& reopened = *again->View()->Slots().surfaces.displayedObject;
  EXPECT_TRUE(reopened.points == afterFirst) << "the new view shows other surfaces";
  EXPECT_EQ(reopened.undefinedMask, shown.undefinedMask);
}

// The undefined region painted with a drag and partly erased with the right button in the
// XY pane is saved with the surfaces and comes back in a new view.
TEST_F(SaveJourney, AnUndefinedRegionPaintedAndErasedIsSavedWithTheSurfaces)
{
  const LSurfaces& shown = *m_View.Slots().surfaces.displayedObject;
  const std::vector<uint8_t> before = shown.undefinedMask;
  ChooseMouseMode(MouseUndefinedRegion);
  MouseOn(OrientationXY).Drag(At(OrientationXY, 2, 40), At(OrientationXY, 20, 40));
  MouseOn(OrientationXY).Click(At(OrientationXY, 10, 40), Qt::RightButton);
  const std::vector<uint8_t> painted = shown.undefinedMask;
  ASSERT_NE(painted, before);

  SaveThroughDialog(kSurfacesRow);
  EXPECT_TRUE(m_Messages.empty()) << m_Messages.front();

  const std::unique_ptr<CMainFrame> again = m_Demo.OpenAgain(m_Demo.Folder());
  ASSERT_TRUE(again);
  EXPECT_EQ(again->View()->Slots().surfaces.displayedObject->undefinedMask, painted);
}

// The label files of the kind's chosen entry, byte for byte.
std::map<std::string, std::string> LabelFiles(const std::string& header)
{
  const std::string base = header.substr(0, header.size() - 4);
  std::map<std::string, std::string> bytes;
  for (const char* extension : {".mhd", ".raw", ".vtk"})
    bytes[extension] = fixtures::ReadAll(base + extension);
  return bytes;
}

// Every file of the folder, by name.
std::map<std::string, std::string> FolderBytes(const std::string& folder)
{
  std::map<std::string, std::string> bytes;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    bytes[entry.path().filename().string()] = fixtures::ReadAll(entry.path().string());
  return bytes;
}

std::set<std::string> Listing(const std::filesystem::path& folder)
{
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.insert(entry.path().filename().string());
  return names;
}

// A disk that fills while a label save writes its mesh cache, after the header and data
// file fit: the three files go together, so nothing of a new name is left and nothing of an
// existing one changes; the kind lists nothing new and the message is the kind's.
TEST_F(SaveJourney, ADiskThatFillsDuringTheMeshCacheLeavesNothingOfTheSave)
{
  const SmallDisk disk;
  if (!disk.Mounted())
    GTEST_SKIP() << SmallDisk::SkipReason();
  const std::optional<VesselOnDisk> onDisk = OpenVesselOnDisk(disk);
  ASSERT_TRUE(onDisk);
  CStrataviewView& view = onDisk->view;
  const LLabelSlot& vessel = onDisk->vessel;
  const std::string& file = onDisk->file;
  const std::map<std::string, std::string> old = LabelFiles(file);
  // Room for the header and the data file (a page each of slack), not for the cache.
  const uint64_t page = 4096;
  const uint64_t volumeRoom = (old.at(".raw").size() + page - 1) / page * page + 2 * page;
  ASSERT_GT(old.at(".vtk").size(), 4 * page) << "the cache must need more than the slack";
  Mouse{*view.SlicePane(OrientationXY)}.Click(CellCentre(*view.SlicePane(OrientationXY), 5, 5));
  const std::string shown = LabelSummary(*vessel.displayedObject);
  const int listed = vessel.count;

  for (const std::string& chosen : {disk.File("Demo_Vessel_New.mhd"), std::string()}) {
    SCOPED_TRACE(chosen);
    std::filesystem::remove(disk.File("filler"));
    const std::set<std::string> before = Listing(disk.Path());
    ASSERT_TRUE(disk.FillLeaving(volumeRoom));
    m_Messages.clear();
    std::string reported;
    {
      const StdoutCapture errors(2);
      SaveWithDialog(view, kVesselRow, chosen);
      reported = errors.Text();
    }
    EXPECT_NE(reported.find("a file beside it could not be written"), std::string::npos)
        << "the volume was written, its cache was not: " << reported;
    EXPECT_EQ(m_Messages, std::vector<std::string>{"File error: 'Vessel'"});
    std::set<std::string> expected = before;
    expected.insert("filler");
    EXPECT_EQ(Listing(disk.Path()), expected);
    EXPECT_TRUE(LabelFiles(file) == old) << "the files of the chosen entry changed";
    EXPECT_EQ(vessel.count, listed);
    EXPECT_EQ(view.DataPanel()->Combo(CDlgData::kVesselCombo)->count(), listed);
    EXPECT_EQ(LabelSummary(*vessel.displayedObject), shown) << "the edits stay on screen";
  }
}

// On a machine short of memory, saving painted labels and flattening say so and keep
// everything: the labels stay on screen as painted, their files as they were, the scan
// unflattened. With memory back, the same save goes through.
TEST(TightMemoryJourney, SavingAndFlatteningWithoutMemoryKeepTheEditsAndTheFiles)
{
  if (!fixtures::RunsScenarioHere())
    return;
  ::testing::Test::RecordProperty("memory_limit", fixtures::TightMemory::How());
  fixtures::DemoView demo{fixtures::DemoViewOptions().SizeView()};
  // 12 MiB of voxels, more than the headroom below leaves.
  ASSERT_EQ(fixtures::RunCommand(std::string(STRATAVIEW_MAKE_DEMO) + " '" + demo.Folder() + "' --size 192 256 128"), 0);
  ASSERT_TRUE(demo.OpenFolder(demo.Folder()));
  CStrataviewView& view = demo.View();
  const LLabelSlot& vessel = view.Slots().vessel;
  QComboBox* mouse = view.MenuPanel()->Combo(CDlgMenu::kMouse);
  mouse->setCurrentIndex(MouseVessel);
  emit mouse->activated(MouseVessel);
  Mouse{*view.SlicePane(OrientationXY)}.Click(CellCentre(*view.SlicePane(OrientationXY), 40, 60));
  const std::string shown = LabelSummary(*vessel.displayedObject);
  const std::string file = vessel.pathList.GetAt(vessel.selected);
  const std::map<std::string, std::string> old = LabelFiles(file);
  const unsigned short* shownVoxels = view.GetDisplayedVolume().Voxels();
  std::vector<std::string>& messages = demo.Messages();
  messages.clear();
  {
    const fixtures::TightMemory tight(8 << 20);
    SaveWithDialog(view, kVesselRow);
    view.DataPanel()->Combo(CDlgData::kRefSurfCombo)->setCurrentIndex(1);
    view.SelectRefSurf();
    // The painting is still unsaved: flattening asks, and the user lets it go.
    demo.AnswerMessages(platform::kIdDiscard);
    view.DataPanel()->Button(CDlgData::kFlattening)->click();
  }
  EXPECT_EQ(messages, (std::vector<std::string>{loadmessages::NotEnoughMemory("save 'Vessel'"),
                                                UnsavedEditsQuestion({ResultKind::Vessel}),
                                                loadmessages::NotEnoughMemory("flatten the scan")}));
  EXPECT_EQ(LabelSummary(*vessel.displayedObject), shown);
  EXPECT_TRUE(LabelFiles(file) == old) << "the label files changed";
  EXPECT_FALSE(view.Shift().IsFlattened());
  EXPECT_EQ(view.GetDisplayedVolume().Voxels(), shownVoxels) << "the scan shown is the one shown before";

  messages.clear();
  SaveWithDialog(view, kVesselRow);
  EXPECT_TRUE(messages.empty()) << messages.front();
  const TempDir work;
  EXPECT_EQ(ReadWithPython(work, kReadLabels, file), shown);
}

// A scan folder on a lab share: the demo in a sticky folder that a colleague's group may
// write, opened in a view. What the colleague plants there points at files elsewhere that
// must come through every step unchanged.
class SharedFolderJourney : public ::testing::Test {
protected:
  void SetUp() override
  {
    if (!m_Shared.Ready())
      GTEST_SKIP() << SharedFolder::SkipReason();
    ASSERT_TRUE(fixtures::MakeSmallDemo(Folder()));
  }
  std::string Folder() const { return m_Shared.Path().string(); }
  // Someone's file elsewhere, holding "precious".
  std::string Precious(const std::string& name) const
  {
    const std::string path = m_Elsewhere.File(name);
    EXPECT_TRUE(fixtures::WriteText(path, "precious"));
    return path;
  }
  bool Open() { return m_Demo.OpenFolder(Folder()); }
  CStrataviewView& View() { return m_Demo.View(); }

  const SharedFolder m_Shared;
  const TempDir m_Elsewhere;
  const TempDir m_Work;
  fixtures::DemoView m_Demo{fixtures::DemoViewOptions().SizeView()};
  std::vector<std::string>& m_Messages = m_Demo.Messages();
};

// Opening builds the missing mesh cache of a label file, but not through a link that a
// colleague put under the cache's name: the user is told, the labels and their mesh are
// shown all the same, and the other kind's cache is written as usual.
TEST_F(SharedFolderJourney, OpeningNeverWritesAMeshCacheThroughAColleaguesLink)
{
  const std::string cache = m_Shared.File("Demo_Vessel_Vamo.vtk");
  std::filesystem::remove(cache);
  std::filesystem::remove(m_Shared.File("Demo_SEAD_Vamo.vtk"));
  const std::string victim = Precious("notes.txt");
  ASSERT_TRUE(m_Shared.PlantLink("Demo_Vessel_Vamo.vtk", victim));

  ASSERT_TRUE(Open());
  EXPECT_EQ(m_Messages, std::vector<std::string>{loadmessages::NameRefused(cache)});
  EXPECT_EQ(fixtures::ReadAll(victim), "precious");
  EXPECT_TRUE(std::filesystem::is_symlink(cache));
  EXPECT_GT(View().Slots().vessel.displayedMesh->GetIndexCount(), 0u);
  EXPECT_TRUE(std::filesystem::is_regular_file(m_Shared.File("Demo_SEAD_Vamo.vtk")));
}

// A save goes through a link under the chosen name only when the link is the user's own:
// a colleague's link under the markers file's name, or under a label volume's data file's,
// refuses the save with a message naming it, writes nothing and lists nothing. The user's
// own link takes the markers into the file it names, and a new view finds them there.
TEST_F(SharedFolderJourney, SavesFollowTheUsersOwnLinksOnly)
{
  ASSERT_TRUE(Open());
  CStrataviewView& view = View();
  const int markersListed = view.Slots().markers.count;
  const int vesselListed = view.Slots().vessel.count;
  const std::string plantedMarkers = m_Shared.File("Demo_Markers_Planted.xml");
  const std::string plantedData = m_Shared.File("Demo_Vessel_Planted.raw");
  ASSERT_TRUE(m_Shared.PlantLink("Demo_Markers_Planted.xml", Precious("markers.xml")));
  ASSERT_TRUE(m_Shared.PlantLink("Demo_Vessel_Planted.raw", Precious("labels.raw")));

  SaveWithDialog(view, kMarkersRow, plantedMarkers);
  SaveWithDialog(view, kVesselRow, m_Shared.File("Demo_Vessel_Planted.mhd"));
  EXPECT_EQ(m_Messages, (std::vector<std::string>{loadmessages::NameRefused(plantedMarkers),
                                                  loadmessages::NameRefused(plantedData)}));
  for (const char* name : {"markers.xml", "labels.raw"})
    EXPECT_EQ(fixtures::ReadAll(m_Elsewhere.File(name)), "precious") << name;
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(m_Shared.File("Demo_Vessel_Planted.mhd"))));
  EXPECT_EQ(view.Slots().markers.count, markersListed);
  EXPECT_EQ(view.Slots().vessel.count, vesselListed);
  EXPECT_EQ(view.DataPanel()->Combo(CDlgData::kMarkersCombo)->count(), markersListed);

  const std::string own = m_Shared.File("Demo_Markers_Own.xml");
  const std::string mine = m_Elsewhere.File("mine.xml");
  std::filesystem::create_symlink(mine, own);
  m_Messages.clear();
  SaveWithDialog(view, kMarkersRow, own);
  EXPECT_TRUE(m_Messages.empty()) << m_Messages.front();
  EXPECT_TRUE(std::filesystem::is_symlink(own));
  const LMarkersSlot& markers = view.Slots().markers;
  const std::string shown = MarkersText(*markers.displayedObject, markers.DisplayedMarkerCount());
  EXPECT_EQ(fixtures::MarkersReadByPython(m_Work, mine), shown);

  // The colleague's links hold no result files, so they go before the folder opens again.
  std::filesystem::remove(plantedMarkers);
  std::filesystem::remove(plantedData);
  const std::unique_ptr<CMainFrame> again = m_Demo.OpenAgain(Folder());
  ASSERT_TRUE(again);
  const QComboBox* combo = again->View()->DataPanel()->Combo(CDlgData::kMarkersCombo);
  const int entry = combo->findText("Own");
  ASSERT_GE(entry, 0);
  const LMarkers& read = again->View()->Slots().markers.objects[size_t(entry)];
  EXPECT_EQ(MarkersText(read, read.count), shown);
}

// A pane's picture is exported beside the scan under a name the program makes: a link
// there is never written through, and the user is told which name was refused.
TEST_F(SharedFolderJourney, AnExportedPictureNeverGoesThroughALink)
{
  ASSERT_TRUE(Open());
  const std::string picture = m_Shared.File("Demo_Image_OCTXY_0008.tif");
  const std::string victim = Precious("figure.tif");
  ASSERT_TRUE(m_Shared.PlantLink("Demo_Image_OCTXY_0008.tif", victim));
  m_Demo.Frame().findChild<QAbstractButton*>("IDC_BUTTON_OCTXY_SAVE")->click();
  EXPECT_EQ(m_Messages, std::vector<std::string>{loadmessages::NameRefused(picture)});
  EXPECT_EQ(fixtures::ReadAll(victim), "precious");
  EXPECT_TRUE(std::filesystem::is_symlink(picture));
}

// A Save All movie whose name a colleague's link takes is refused at once with a message
// naming it and why, and the pane does not walk its slices for nothing; the file the link
// names stays as it was.
TEST_F(SharedFolderJourney, AMovieUnderALinksNameIsRefusedAtOnce)
{
  ASSERT_TRUE(Open());
  const std::string movie = m_Shared.File("Demo_Image_OCTXY_All.avi");
  const std::string victim = Precious("movie.avi");
  ASSERT_TRUE(m_Shared.PlantLink("Demo_Image_OCTXY_All.avi", victim));
  m_Demo.Frame().findChild<QAbstractButton*>("IDC_BUTTON_OCTXY_SAVEALL")->click();
  EXPECT_EQ(m_Messages, std::vector<std::string>{loadmessages::NameRefused(movie)});
  EXPECT_EQ(m_Demo.Details().back(), loadmessages::Detail(movie, "AVIERR_FILEOPEN: disk error while opening file"));
  EXPECT_FALSE(View().Motion(0).saveAllRunning);
  EXPECT_EQ(fixtures::ReadAll(victim), "precious");
  EXPECT_TRUE(std::filesystem::is_symlink(movie));
}

// A MetaImage scan cannot say which eye it shows; its results can. Saved again, the surfaces
// and a new grid-centre file keep the eye and centre their loaded records gave, while what
// the scan does know (its format) is written from the scan; the batch analysis then still
// reports the eye.
TEST_F(SaveJourney, ResultsOfAScanThatKnowsNoEyeKeepTheEyeTheirFilesGave)
{
  const std::string surfaces = m_Demo.Folder() + "/Demo_Surfaces_Vamo.xml";
  std::string text = fixtures::ReadAll(surfaces);
  const std::string format = "<manufacturer>MetaImage</manufacturer>";
  ASSERT_NE(text.find(format), std::string::npos);
  text.replace(text.find(format), format.size(), "<manufacturer>Topcon</manufacturer>");
  ASSERT_TRUE(fixtures::WriteText(surfaces, text));
  ASSERT_TRUE(m_Demo.OpenFolder(m_Demo.Folder()));
  ASSERT_EQ(m_View.GetDisplayedVolume().laterality, LateralityNA);

  const std::string gridCenter = m_Demo.Folder() + "/Demo_GridCenter_Mine.xml";
  SaveThroughDialog(kSurfacesRow);
  SaveThroughDialog(kGridCenterRow, gridCenter);
  EXPECT_TRUE(m_Messages.empty()) << m_Messages.front();
  const char* const kReadScanFields = R"(
import sys, xml.etree.ElementTree as ET
scan = ET.parse(sys.argv[1]).getroot().find('scan_characteristics')
sys.stdout.write(' '.join(scan.findtext(k) for k in ('manufacturer', 'laterality', 'center_type')))
)";
  EXPECT_EQ(ReadWithPython(m_Work, kReadScanFields, surfaces), "MetaImage OD macula");
  EXPECT_EQ(ReadWithPython(m_Work, kReadScanFields, gridCenter), "MetaImage OD macula");

  ThicknessAnalysisRequest request;
  request.folder = m_Demo.Folder();
  request.gridFolder = STRATAVIEW_SOURCE_DIR "/res/Grid";
  request.gridName = kNoGridName;
  request.surfacesFilter = "_Surfaces_Vamo.xml";
  request.gridCenterFilter = "_GridCenter_Vamo.xml";
  request.outputPath = m_Work.File("thickness.csv");
  const ThicknessAnalysisResult analysed = RunThicknessAnalysis(request);
  ASSERT_EQ(analysed.message, "");
  EXPECT_TRUE(analysed.skipped.empty());
  const char* const kReadLaterality = R"(
import csv, sys
rows = list(csv.DictReader(open(sys.argv[1])))
sys.stdout.write(' '.join(r['Laterality'] for r in rows))
)";
  EXPECT_EQ(ReadWithPython(m_Work, kReadLaterality, request.outputPath), "OD");
}

}  // namespace

// Another program rewrites a result file after the view read it (the analysis suite runs
// again; a colleague copies a newer file in). Saving the edited kind over it asks first,
// naming the file: Cancel keeps the other program's file and the edits, still unsaved;
// Overwrite saves, and a new view shows the edits. For labels the data file counts too.
TEST_F(SaveJourney, SavingOverAFileChangedOnDiskAsksFirst)
{
  struct Case {
    const char* name;
    int mouseMode;
    ResultKind kind;
    int row;
    const char* rewritten;  // the file the other program writes, after the selected one's stem
    std::function<std::string(const CStrataviewView&)> shown;
  };
  const auto selectedPath = [](const auto& slot) { return slot.pathList.GetAt(slot.selected); };
  const std::vector<Case> cases = {
      {"markers", MouseMarkers, ResultKind::Markers, kMarkersRow, ".xml",
       [](const CStrataviewView& view) {
         const LMarkersSlot& slot = view.Slots().markers;
         return MarkersText(*slot.displayedObject, slot.DisplayedMarkerCount());
       }},
      {"SEAD", MouseSEAD, ResultKind::SEAD, kSEADRow, ".raw",
       [](const CStrataviewView& view) { return LabelSummary(*view.Slots().sead.displayedObject); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string file = c.kind == ResultKind::Markers ? selectedPath(m_View.Slots().markers)
                                                           : selectedPath(m_View.Slots().sead);
    const std::string before = c.shown(m_View);
    ChooseMouseMode(c.mouseMode);
    MouseOn(OrientationXY).Click(At(OrientationXY, 21, 33));
    const std::string edited = c.shown(m_View);
    ASSERT_NE(edited, before);
    ASSERT_TRUE(m_View.Workspace().Unsaved().Has(c.kind));

    // The other program's file: one byte longer, and newer.
    const std::string rewritten = file.substr(0, file.size() - 4) + c.rewritten;
    const std::string theirs = fixtures::ReadAll(rewritten) + "\n";
    ASSERT_EQ(fixtures::RunCommand("/usr/bin/python3 -c \"import sys; open(sys.argv[1], 'ab').write(b'\\\\n')\" '" +
                                   rewritten + "'"),
              0);
    ASSERT_EQ(fixtures::ReadAll(rewritten), theirs);
    const std::map<std::string, std::string> files = FolderBytes(m_Demo.Folder());

    m_Messages.clear();
    m_Demo.AnswerMessages(platform::kIdCancel);
    SaveThroughDialog(c.row);
    EXPECT_EQ(m_Messages, std::vector<std::string>{loadmessages::ChangedOnDisk(rewritten)});
    EXPECT_EQ(m_Demo.Details().back(), rewritten);
    EXPECT_TRUE(FolderBytes(m_Demo.Folder()) == files) << "a file changed although the user cancelled";
    EXPECT_EQ(c.shown(m_View), edited) << "the edits stay on screen";
    EXPECT_TRUE(m_View.Workspace().Unsaved().Has(c.kind)) << "the edits are still unsaved";

    m_Messages.clear();
    m_Demo.AnswerMessages(platform::kIdOverwrite);
    SaveThroughDialog(c.row);
    EXPECT_EQ(m_Messages, std::vector<std::string>{loadmessages::ChangedOnDisk(rewritten)});
    EXPECT_FALSE(m_View.Workspace().Unsaved().Has(c.kind));
    EXPECT_NE(fixtures::ReadAll(rewritten), theirs);
    // Saved by this view, the file is as it was read: the next save asks nothing.
    m_Messages.clear();
    SaveThroughDialog(c.row);
    EXPECT_TRUE(m_Messages.empty()) << m_Messages.front();

    const std::unique_ptr<CMainFrame> again = m_Demo.OpenAgain(m_Demo.Folder());
    ASSERT_TRUE(again);
    EXPECT_EQ(c.shown(*again->View()), edited);
  }
}
