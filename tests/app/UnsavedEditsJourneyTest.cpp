// Unsaved edits are never dropped without a question. The user edits through the panes' mouse
// events, then takes one of the roads that would drop the edits (closing the window, opening
// another scan, a kind's file or an image stack, the executables' reload, Reset, Flattening,
// another file in the data panel) and answers Save, Discard or Cancel. The files are read back by an
// independent XML reader; the view is checked after every answer.
#include "app/CDlgData.h"
#include "app/CDlgMenu.h"
#include "app/CMainFrame.h"
#include "app/CStrataviewView.h"
#include "dialogs/CDlgOpen.h"
#include "dialogs/CDlgSave.h"
#include "dialogs/CDlgVoxelSize.h"
#include "fixtures/DemoView.h"
#include "fixtures/FixtureFiles.h"
#include "fixtures/MarkersByPython.h"
#include "fixtures/PanelSteps.h"
#include "fixtures/TempDir.h"
#include "model/ImageStack.h"
#include "model/UnsavedEdits.h"
#include "panes/LOCTImage.h"
#include "panes/LProjImage.h"
#include "panes/SliceToolsTestView.h"
#include "platform/Dialogs.h"
#include "platform/ExecutableDir.h"
#include "platform/Messages.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QPushButton>
#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <optional>
#include <tuple>
#include <functional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::string kStackFixture = "/usr/bin/python3 " STRATAVIEW_SOURCE_DIR "/tests/dialogs/image_stack_fixture.py";
constexpr int kMarkersSaveRow = 4;  // the save dialog's rows: Surfaces, Grid Center, Vessel, SEAD, Markers, Splines

class UnsavedEditsJourney : public fixtures::DemoViewTest {
protected:
  UnsavedEditsJourney() : DemoViewTest(fixtures::DemoViewOptions().SizeView().KeepMessageHook()) {}
  void TearDown() override { platform::SetExecutableDirForTests(""); }

  void ChooseMouseMode(int mode) { fixtures::ChooseMouseMode(m_View, mode); }
  Mouse MouseOn(int orientation) { return Mouse{*m_View.SlicePane(orientation)}; }
  QPoint At(int orientation, int column, int row) { return CellCentre(*m_View.SlicePane(orientation), column, row); }
  QPoint AtProj(int x, int z)
  {
    const auto mapping = m_View.ProjPane()->Mapping();
    return QPoint(mapping->CentreX(float(x)), mapping->CentreY(float(z)));
  }
  std::vector<ResultKind> Unsaved() const { return m_View.Workspace().Unsaved().Among(EditableKinds()); }
  bool TitleMarked() const { return m_Demo.Frame().isWindowModified(); }
  std::string MarkersFile() const { return m_Demo.Folder() + "/Demo_Markers_Vamo.xml"; }
  std::string ReadMarkers(const std::string& file) { return fixtures::MarkersReadByPython(m_Work, file); }
  std::string ShownMarkers() const
  {
    const LMarkersSlot& slot = m_View.Slots().markers;
    return fixtures::MarkersText(*slot.displayedObject, slot.DisplayedMarkerCount());
  }

  TempDir m_Work;
  // Every question is recorded with its buttons and answered as the test says.
  int m_Answer = platform::kIdCancel;
  std::vector<std::string> m_Asked;
  std::vector<unsigned> m_Buttons;
  const platform::ScopedMessageHook m_Hook{[this](const std::string& text, unsigned type) {
    m_Asked.push_back(text);
    m_Buttons.push_back(type);
    return m_Answer;
  }};
};

TEST_F(UnsavedEditsJourney, EveryEditToolMarksItsKindAndTheTitleWhileLookingAroundMarksNothing)
{
  const LSurfaces& surfaces = *m_View.Slots().surfaces.displayedObject;
  const int surfaceRow = surfaces.points[size_t(8 * 64 + 10)].y;  // surface 0 at x 10 of B-scan 8
  const struct {
    const char* what;
    int mode;
    std::function<void()> act;
    std::vector<ResultKind> edited;
  } steps[] = {
    {"position", MousePosition, [&] { MouseOn(OrientationXY).Click(At(OrientationXY, 20, 30)); }, {}},
    {"window", MouseWindow, [&] { MouseOn(OrientationXY).Drag(At(OrientationXY, 20, 30), At(OrientationXY, 30, 40)); }, {}},
    {"zoom", MouseZoom, [&] { MouseOn(OrientationZY).Drag(At(OrientationZY, 5, 30), At(OrientationZY, 5, 40)); }, {}},
    {"pan", MousePan, [&] { MouseOn(OrientationXZ).Drag(At(OrientationXZ, 20, 5), At(OrientationXZ, 25, 8)); }, {}},
    {"layout", MousePosition, [&] { m_View.RunLayout(3); }, {}},
    {"guide lines", MousePosition, [&] { m_View.MenuPanel()->Button(CDlgMenu::kGuideLines)->click(); }, {}},
    {"surface drag", MouseSurfaces,
     [&] {
       MouseOn(OrientationXY).Hover(At(OrientationXY, 10, surfaceRow));
       MouseOn(OrientationXY).Drag(At(OrientationXY, 10, surfaceRow), At(OrientationXY, 10, surfaceRow + 4));
     },
     {ResultKind::Surfaces}},
    {"undefined region", MouseUndefinedRegion, [&] { MouseOn(OrientationXZ).Click(At(OrientationXZ, 12, 4)); },
     {ResultKind::Surfaces}},
    {"undefined region in the projection", MouseUndefinedRegion,
     [&] { m_View.ProjPane()->MousePress(AtProj(30, 10), Qt::LeftButton, Qt::LeftButton); }, {ResultKind::Surfaces}},
    {"grid centre", MouseGridCenter, [&] { MouseOn(OrientationXZ).Click(At(OrientationXZ, 20, 6)); },
     {ResultKind::GridCenter}},
    {"grid centre in the projection", MouseGridCenter,
     [&] { m_View.ProjPane()->MousePress(AtProj(40, 3), Qt::LeftButton, Qt::LeftButton); }, {ResultKind::GridCenter}},
    {"vessel", MouseVessel, [&] { MouseOn(OrientationXY).Click(At(OrientationXY, 20, 30)); }, {ResultKind::Vessel}},
    {"SEAD erased", MouseSEAD, [&] { MouseOn(OrientationZY).Click(At(OrientationZY, 5, 30), Qt::RightButton); },
     {ResultKind::SEAD}},
    {"marker", MouseMarkers, [&] { MouseOn(OrientationXY).Click(At(OrientationXY, 10, 20)); }, {ResultKind::Markers}},
    {"spline", MouseSplines,
     [&] {
       m_View.MenuPanel()->Button(CDlgMenu::kAddSpline)->click();
       MouseOn(OrientationXY).Click(At(OrientationXY, 10, 20));
     },
     {ResultKind::Splines}},
  };
  ASSERT_TRUE(m_Demo.Frame().windowTitle().contains(QStringLiteral("[*]")));
  for (const auto& step : steps) {
    SCOPED_TRACE(step.what);
    m_View.Workspace().Unsaved().ClearAll();
    ChooseMouseMode(step.mode);
    step.act();
    EXPECT_EQ(Unsaved(), step.edited);
    EXPECT_EQ(TitleMarked(), !step.edited.empty());
  }
  EXPECT_TRUE(m_Asked.empty());
}

// A marker added in the XY pane, then a road taken that would drop it, and the question
// answered with Save (the save dialog saves the markers row), Discard or Cancel.
class UnsavedEditsRoad : public UnsavedEditsJourney, public ::testing::WithParamInterface<std::tuple<int, int>> {
public:
  // What the user does before editing, and the road itself: true when it went on (the window
  // closed, the scan or the file replaced, the display rebuilt).
  struct Road {
    const char* what;
    void (UnsavedEditsRoad::*prepare)();
    bool (UnsavedEditsRoad::*take)();
    bool replaces = true;  // the edits give way to what the files hold (closing only ends)
  };
  static const Road kRoads[];

protected:
  void Nothing() {}
  void MakeOtherDemo() { ASSERT_TRUE(fixtures::MakeSmallDemo(Other())); }
  void AddSecondMarkersFile()
  {
    fs::copy_file(MarkersFile(), m_Demo.Folder() + "/Demo_Markers_B.xml");
    ASSERT_TRUE(m_Demo.OpenFolder(m_Demo.Folder()));
    ASSERT_EQ(m_View.GetMarkersCurSel(), 1) << "the Vamo file is chosen, after B";
  }
  void InstallRecordingExecutable()
  {
    const std::string log = m_Programs.File("log");
    ASSERT_TRUE(fixtures::WriteText(m_Programs.File("record.sh"), "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + log + "'\n"));
    fs::permissions(m_Programs.File("record.sh"), fs::perms::owner_all);
    ASSERT_TRUE(fixtures::WriteText(
        m_Programs.File("Executables.xml"),
        "<executables><version>4.0.0</version><executable><name>tool</name><argv>record.sh</argv><argv>[OCT]</argv>"
        "<argv_description/><argv_description>input</argv_description></executable></executables>"));
    platform::SetExecutableDirForTests(m_Programs.Path().string());
  }
  void AverageThreeSlices()
  {
    fixtures::ChooseItem(*m_View.MenuPanel()->Combo(CDlgMenu::kAvg), 1);
    ASSERT_EQ(m_View.Settings().AvgSliceNum, 3);
  }
  // Four 8-bit grey images of 7 x 5 pixels, stacked into the scan the import opens.
  void MakeImageStack()
  {
    m_Stack = m_Other.File("stack");
    ASSERT_EQ(fixtures::RunCommand(kStackFixture + " make '" + m_Stack + "' grey"), 0);
  }
  void ChooseReferenceSurface()
  {
    fixtures::ChooseItem(*m_View.DataPanel()->Combo(CDlgData::kRefSurfCombo), 1);
    ASSERT_EQ(m_View.GetFlatteningIndex(), 0);
  }

  bool CloseFrame() { return m_Demo.Frame().close(); }
  bool OpenOtherFolder() { return m_View.OpenDialog()->OpenFolder(Other()) && m_View.GetScanFolder() == Other(); }
  bool OpenOtherScanFile()
  {
    const std::string scan = Other() + "/Demo_OCT.mhd";
    return m_View.OpenDialog()->OpenScan(scan) && m_View.GetScanPath() == scan;
  }
  bool OpenOtherMarkersFile()
  {
    const std::string file = Other() + "/Demo_Markers_Vamo.xml";
    return m_View.OpenDialog()->OpenResultFile(CDlgOpen::kMarkers, file) &&
           m_View.Slots().markers.pathList.GetAt(0) == file && ShownMarkers() == m_Read;
  }
  bool ChooseOtherMarkersFile()
  {
    QComboBox* combo = m_View.DataPanel()->Combo(CDlgData::kMarkersCombo);
    fixtures::ChooseItem(*combo, 0);
    EXPECT_EQ(combo->currentIndex(), m_View.GetMarkersCurSel()) << "the box shows the file shown";
    return m_View.GetMarkersCurSel() == 0;
  }
  bool RunExecutable()
  {
    m_View.MenuPanel()->Button(CDlgMenu::kExecutables)->click();
    return m_View.GetScanFolder() == m_Demo.Folder() + "/Demo_OCT";
  }
  // Kept edits leave the import without a file written; otherwise the stack is shown.
  bool ImportImageStack()
  {
    m_View.OpenDialog()->Button(CDlgOpen::kImportSequence)->click();
    const std::string header = SequenceHeaderPath(m_Stack);
    if (m_View.GetScanPath() != header) {
      EXPECT_FALSE(fs::exists(header));
      EXPECT_FALSE(fs::exists(fs::path(header).replace_extension(".raw")));
      return false;
    }
    const LOCTVolume& shown = m_View.GetDisplayedVolume();
    return shown.sizeX == 7 && shown.sizeY == 5 && shown.sizeZ == 4;
  }
  bool PressReset()
  {
    m_View.MenuPanel()->Button(CDlgMenu::kReset)->click();
    return m_View.Settings().AvgSliceNum == 1;
  }
  bool PressFlattening()
  {
    m_View.DataPanel()->Button(CDlgData::kFlattening)->click();
    return m_View.GetFlatteningIndex() == 1;
  }

  std::string Other() const { return m_Other.Path().string(); }
  // Saves the markers row whenever the save dialog runs, runs the first executable whenever
  // the executables dialog runs, and imports the stack folder with the voxel size proposed.
  void AnswerDialogs()
  {
    m_Dialogs.emplace([this](const platform::DialogRequest& request, QDialog* dialog) {
      if (request.kind == platform::DialogKind::BrowseFolder)
        return platform::DialogAnswer{true, m_Stack};
      if (auto* save = dynamic_cast<CDlgSave*>(dialog)) {
        save->SaveButton(kMarkersSaveRow)->click();
        return platform::DialogAnswer{true, ""};
      }
      if (auto* sizes = qobject_cast<CDlgVoxelSize*>(dialog)) {
        sizes->accept();
        return platform::DialogAnswer{sizes->result() == QDialog::Accepted, ""};
      }
      if (QPushButton* run = dialog ? dialog->findChild<QPushButton*>("IDC_BUTTON_RUN1") : nullptr)
        run->click();
      return platform::DialogAnswer{};
    });
  }

  TempDir m_Programs;
  TempDir m_Other;
  std::optional<platform::ScopedDialogHook> m_Dialogs;
  std::string m_Read;  // the markers as the demo's file holds them
  std::string m_Stack;  // the folder of images the import stacks
};

const UnsavedEditsRoad::Road UnsavedEditsRoad::kRoads[] = {
  {"closing the main window", &UnsavedEditsRoad::Nothing, &UnsavedEditsRoad::CloseFrame, false},
  {"another folder from the open dialog", &UnsavedEditsRoad::MakeOtherDemo, &UnsavedEditsRoad::OpenOtherFolder},
  {"another scan file from the open dialog", &UnsavedEditsRoad::MakeOtherDemo, &UnsavedEditsRoad::OpenOtherScanFile},
  {"a markers file from the open dialog's File tab", &UnsavedEditsRoad::MakeOtherDemo,
   &UnsavedEditsRoad::OpenOtherMarkersFile},
  {"another markers file in the data panel", &UnsavedEditsRoad::AddSecondMarkersFile,
   &UnsavedEditsRoad::ChooseOtherMarkersFile},
  {"the image-sequence import from the open dialog", &UnsavedEditsRoad::MakeImageStack,
   &UnsavedEditsRoad::ImportImageStack},
  {"the executables' reload", &UnsavedEditsRoad::InstallRecordingExecutable, &UnsavedEditsRoad::RunExecutable},
  {"Reset", &UnsavedEditsRoad::AverageThreeSlices, &UnsavedEditsRoad::PressReset},
  {"Flattening", &UnsavedEditsRoad::ChooseReferenceSurface, &UnsavedEditsRoad::PressFlattening},
};

TEST_P(UnsavedEditsRoad, AsksOnceAndSavesDropsOrKeepsTheEditsAsAnswered)
{
  const auto [roadIndex, answer] = GetParam();
  const Road& road = kRoads[roadIndex];
  SCOPED_TRACE(road.what);
  (this->*road.prepare)();
  const std::string before = fixtures::ReadAll(MarkersFile());
  m_Read = ShownMarkers();
  ChooseMouseMode(MouseMarkers);
  MouseOn(OrientationXY).Click(At(OrientationXY, 10, 20));
  const std::string edited = ShownMarkers();
  ASSERT_EQ(edited, m_Read + "0,10,20,8;");
  ASSERT_TRUE(TitleMarked());
  ASSERT_TRUE(m_Asked.empty());

  m_Answer = answer;
  AnswerDialogs();
  const bool wentOn = (this->*road.take)();

  EXPECT_EQ(m_Asked, std::vector<std::string>{UnsavedEditsQuestion({ResultKind::Markers})});
  EXPECT_EQ(m_Buttons, std::vector<unsigned>{platform::kMbSaveDiscardCancel});
  EXPECT_EQ(wentOn, answer != platform::kIdCancel);
  if (answer == platform::kIdSave)
    EXPECT_EQ(ReadMarkers(MarkersFile()), edited);
  else
    EXPECT_EQ(fixtures::ReadAll(MarkersFile()), before);
  const bool keptUnsaved = answer == platform::kIdCancel || (answer == platform::kIdDiscard && !road.replaces);
  EXPECT_EQ(Unsaved(), keptUnsaved ? std::vector<ResultKind>{ResultKind::Markers} : std::vector<ResultKind>{});
  EXPECT_EQ(TitleMarked(), keptUnsaved);
  if (answer == platform::kIdCancel) {
    EXPECT_EQ(m_View.GetScanFolder(), m_Demo.Folder());
    EXPECT_EQ(ShownMarkers(), edited);
  }
}

std::string AnswerName(int answer)
{
  return answer == platform::kIdSave ? "Save" : answer == platform::kIdDiscard ? "Discard" : "Cancel";
}

INSTANTIATE_TEST_SUITE_P(
    EveryRoadEveryAnswer, UnsavedEditsRoad,
    ::testing::Combine(::testing::Range(0, int(std::size(UnsavedEditsRoad::kRoads))),
                       ::testing::Values(int(platform::kIdSave), int(platform::kIdDiscard), int(platform::kIdCancel))),
    [](const ::testing::TestParamInfo<std::tuple<int, int>>& info) {
      return "Road" + std::to_string(std::get<0>(info.param)) + AnswerName(std::get<1>(info.param));
    });

}  // namespace
