#include "app/CDlgData.h"
#include "app/CMainFrame.h"
#include "app/CStrataviewView.h"
#include "data/FileApproval.h"
#include "dialogs/CDlgSave.h"
#include "fixtures/DemoView.h"
#include "fixtures/FixtureFiles.h"
#include "fixtures/TempDir.h"
#include "model/LoadMessages.h"
#include "platform/Dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <filesystem>
#include <functional>
#include <fstream>
#include <gtest/gtest.h>
#include <cerrno>
#include <cstring>
#include <sstream>

namespace {

std::string Contents(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The small demo folder opened and flattened on its reference surface, in a view that is
// never shown.
class ViewSaveTest : public fixtures::DemoViewTest {
protected:
  void SetUp() override
  {
    DemoViewTest::SetUp();
    if (HasFatalFailure())
      return;
    m_View.DataPanel()->Combo(CDlgData::kRefSurfCombo)->setCurrentIndex(1);
    m_View.SelectRefSurf();
    m_View.RefreshAll();
    ASSERT_TRUE(m_View.Shift().IsFlattened());
  }
  QComboBox* Combo(int id) const { return m_View.DataPanel()->Combo(id); }

  TempDir m_Out;
  const LResultSlots& m_Kinds = m_View.Slots();
};

TEST_F(ViewSaveTest, SavedFilesJoinTheirKindsUnderTheirTags)
{
  const std::string surfaces = m_Out.File("e_Surfaces_Saved.xml");
  const std::string markers = m_Out.File("e_Markers_Saved.xml");
  const std::string splines = m_Out.File("mine.xml");
  const std::string vessel = m_Out.File("e_Vessel_Saved.mhd");
  ASSERT_TRUE(m_View.SaveSurfaces(surfaces, false));
  ASSERT_TRUE(m_View.SaveMarkers(markers, false));
  ASSERT_TRUE(m_View.SaveSplines(splines, false));
  ASSERT_TRUE(m_View.SaveVessel(vessel, false));
  EXPECT_TRUE(m_Messages.empty()) << m_Messages.front();

  // Each saved file joins its kind's list under its tag, selected.
  const struct {
    int combo;
    int selected;
    const char* tag;
  } shown[] = {{CDlgData::kSurfacesCombo, m_Kinds.surfaces.selected, "Saved"},
               {CDlgData::kMarkersCombo, m_Kinds.markers.selected, "Saved"},
               {CDlgData::kSplinesCombo, m_Kinds.splines.selected, "mine.xml"},
               {CDlgData::kVesselCombo, m_Kinds.vessel.selected, "Saved"}};
  for (const auto& s : shown) {
    EXPECT_EQ(Combo(s.combo)->currentIndex(), s.selected) << s.tag;
    EXPECT_EQ(Combo(s.combo)->count(), s.selected + 1) << s.tag;
    EXPECT_EQ(Combo(s.combo)->currentText().toStdString(), s.tag);
    EXPECT_TRUE(Combo(s.combo)->isEnabled());
  }
}

TEST_F(ViewSaveTest, SavingTheSelectedFileAgainKeepsItsEntry)
{
  const std::string selected = m_Kinds.gridCenter.pathList.GetAt(m_Kinds.gridCenter.selected);
  const int entries = Combo(CDlgData::kGridCenterCombo)->count();
  ASSERT_TRUE(m_View.SaveGridCenter(selected, false));
  EXPECT_EQ(m_Kinds.gridCenter.pathList.GetSize(), entries);
  EXPECT_EQ(Combo(CDlgData::kGridCenterCombo)->count(), entries);
  EXPECT_EQ(Combo(CDlgData::kGridCenterCombo)->currentIndex(), m_Kinds.gridCenter.selected);
}

// An approved file is never replaced (root ignores its mode), a write that fails leaves the
// old files as they were, and the kind's list and combo box stay one entry per file.
TEST_F(ViewSaveTest, FailedSavesKeepTheOldFilesAndTheList)
{
  const std::string markers = m_Out.File("e_Markers_Mine.xml");
  ASSERT_TRUE(m_View.SaveMarkers(markers, true));
  EXPECT_TRUE(approval::IsApproved(markers));
  const std::string approvedText = Contents(markers);
  EXPECT_NE(approvedText.find(">N<"), std::string::npos) << "the header is never approved";

  const std::string vessel = m_Out.File("e_Vessel_Old.mhd");
  ASSERT_TRUE(m_View.SaveVessel(vessel, false));
  const std::string oldHeader = Contents(vessel);
  // A folder where the data file belongs refuses the volume's write, naming it.
  const std::string blocked = m_Out.File("e_Vessel_Blocked.mhd");
  std::ofstream(blocked) << "old";
  std::filesystem::create_directory(m_Out.File("e_Vessel_Blocked.raw"));

  struct Case {
    const char* what;
    std::function<bool(const std::string&, bool)> saver;
    std::string path;
    std::string message;
    int combo;
    std::string reason;  // below the path the message names; "" when the message says it all
  };
  const auto saveMarkers = [this](const std::string& p, bool a) { return m_View.SaveMarkers(p, a); };
  const Case cases[] = {
    {"approved markers", saveMarkers, markers, "File error: 'Markers'", CDlgData::kMarkersCombo,
     markers + " is approved (read-only)"},
    {"approved again", saveMarkers, markers, "File error: 'Markers'", CDlgData::kMarkersCombo,
     markers + " is approved (read-only)"},
    {"blocked vessel", [this](const std::string& p, bool a) { return m_View.SaveVessel(p, a); }, blocked,
     loadmessages::NameRefused(m_Out.File("e_Vessel_Blocked.raw")), CDlgData::kVesselCombo, ""},
    {"grid centre in no folder", [this](const std::string& p, bool a) { return m_View.SaveGridCenter(p, a); },
     m_Out.File("none/e_GridCenter_X.xml"), "File error: 'Grid Center'", CDlgData::kGridCenterCombo,
     std::strerror(ENOENT)},
  };
  for (const Case& c : cases) {
    m_Messages.clear();
    m_Details.clear();
    const int entries = Combo(c.combo)->count();
    const int selected = Combo(c.combo)->currentIndex();
    EXPECT_FALSE(c.saver(c.path, false)) << c.what;
    EXPECT_EQ(m_Messages, std::vector<std::string>{c.message}) << c.what;
    ASSERT_EQ(m_Details.size(), 1u) << c.what;
    if (c.reason.empty()) {
      EXPECT_EQ(m_Details[0], "") << c.what;
    } else {
      EXPECT_EQ(m_Details[0].substr(0, c.path.size() + 1), c.path + "\n") << c.what;
      EXPECT_NE(m_Details[0].find(c.reason, c.path.size()), std::string::npos) << c.what << ": " << m_Details[0];
    }
    EXPECT_EQ(Combo(c.combo)->count(), entries) << c.what;
    EXPECT_EQ(Combo(c.combo)->currentIndex(), selected) << c.what;
  }
  EXPECT_EQ(Contents(markers), approvedText);
  EXPECT_TRUE(approval::IsApproved(markers));
  EXPECT_EQ(Contents(blocked), "old");
  EXPECT_EQ(m_Kinds.vessel.pathList.GetSize(), m_Kinds.vessel.count);
  EXPECT_EQ(Combo(CDlgData::kVesselCombo)->count(), m_Kinds.vessel.count);

  // Once a later save succeeds, the combo entry and the list entry still name the same file.
  ASSERT_TRUE(m_View.SaveVessel(m_Out.File("e_Vessel_New.mhd"), false));
  EXPECT_EQ(m_Kinds.vessel.pathList.GetAt(Combo(CDlgData::kVesselCombo)->currentIndex()), m_Out.File("e_Vessel_New.mhd"));
  EXPECT_EQ(Contents(vessel), oldHeader);
}

TEST_F(ViewSaveTest, TheDialogProposesPathsAndSavesARow)
{
  int runs = 0;
  const platform::ScopedDialogHook hook([&](const platform::DialogRequest&, QDialog* dialog) {
    auto* save = dynamic_cast<CDlgSave*>(dialog);
    EXPECT_NE(save, nullptr);
    if (!save)
      return platform::DialogAnswer{};
    ++runs;
    EXPECT_EQ(save->savePaths[0], m_Kinds.surfaces.pathList.GetAt(m_Kinds.surfaces.selected));
    EXPECT_EQ(save->PathEdit(4)->text().toStdString(), m_Kinds.markers.pathList.GetAt(m_Kinds.markers.selected));
    save->ApprovalBox(4)->setChecked(true);
    save->SaveButton(4)->click();
    EXPECT_FALSE(save->SaveButton(4)->isEnabled()) << "an approved row cannot be saved again";
    return platform::DialogAnswer{true, ""};
  });
  m_View.RunSaveDialog();
  EXPECT_EQ(runs, 1);
  EXPECT_TRUE(approval::IsApproved(m_Kinds.markers.pathList.GetAt(m_Kinds.markers.selected)));
}

TEST_F(ViewSaveTest, ANameTypedWithoutExtensionIsSavedWithItsKindsAndFoundAgain)
{
  // The user types bare names in the file-save chooser of the Grid Center and Vessel rows.
  const std::string gridCenter = m_Out.File("e_GridCenter_Typed");
  const std::string vessel = m_Out.File("e_Vessel_Typed");
  std::vector<std::string> suffixes;
  const platform::ScopedDialogHook hook([&](const platform::DialogRequest& request, QDialog* dialog) {
    if (request.kind == platform::DialogKind::SaveFile) {
      suffixes.push_back(request.defaultSuffix);
      return platform::DialogAnswer{true, suffixes.size() == 1 ? gridCenter : vessel};
    }
    auto* save = dynamic_cast<CDlgSave*>(dialog);
    if (!save)
      return platform::DialogAnswer{};
    for (const int row : {1, 2}) {
      save->BrowseButton(row)->click();
      save->SaveButton(row)->click();
    }
    EXPECT_EQ(save->PathEdit(1)->text().toStdString(), gridCenter + ".xml");
    EXPECT_EQ(save->PathEdit(2)->text().toStdString(), vessel + ".mhd");
    return platform::DialogAnswer{true, ""};
  });
  m_View.RunSaveDialog();
  EXPECT_EQ(suffixes, (std::vector<std::string>{"xml", "mhd"}));
  EXPECT_TRUE(m_Messages.empty());

  // The folder scan finds both under their kinds.
  CMainFrame frame;
  CStrataviewView& other = *frame.View();
  other.OnInitialUpdate();
  for (const auto& entry : std::filesystem::directory_iterator(m_Scan.Path()))
    if (entry.path().filename().string().find("_OCT") != std::string::npos)
      std::filesystem::copy_file(entry.path(), m_Out.Path() / entry.path().filename());
  ASSERT_TRUE(other.ScanFolder(m_Out.Path().string()));
  EXPECT_EQ(other.Slots().gridCenter.pathList.GetAt(0), gridCenter + ".xml");
  EXPECT_EQ(other.Slots().vessel.pathList.GetAt(0), vessel + ".mhd");
  EXPECT_EQ(other.Slots().vessel.count, 1);
}

}  // namespace
