// Opening scans through the open dialog on a machine short of memory, with limits swept from
// far too little to enough: every open ends with the scan shown or the memory message, never
// an abort. An open that fails keeps what was open and shown (scan, unsaved edit, panes), so
// that the edit can still be saved; a scan whose own read does not fit says so instead of
// blaming the file.
#include "app/CDlgData.h"
#include "app/CStrataviewView.h"
#include "dialogs/CDlgOpen.h"
#include "fixtures/DemoFolder.h"
#include "fixtures/DemoView.h"
#include "fixtures/FixtureFiles.h"
#include "fixtures/MarkersByPython.h"
#include "fixtures/MemoryLimit.h"
#include "fixtures/PanelSteps.h"
#include "fixtures/SaveDialogSteps.h"
#include "fixtures/TempDir.h"
#include "model/LoadMessages.h"
#include "model/UnsavedEdits.h"
#include "panes/L3D.h"
#include "panes/LOCTImage.h"
#include "panes/LProjImage.h"
#include "panes/SliceToolsTestView.h"
#include "platform/Messages.h"

#include <QComboBox>
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using loadmessages::NotEnoughMemory;

// The messages an open may end with when memory runs short, whichever step it ran short in:
// the scan, a result file of a kind, or showing them.
const std::set<std::string>& MemoryMessages()
{
  static const std::set<std::string> messages = [] {
    std::set<std::string> all = {NotEnoughMemory("open the scan"), NotEnoughMemory("flatten the scan"),
                                 NotEnoughMemory("show the scan")};
    for (const ResultKind kind : {ResultKind::RefSurf, ResultKind::Surfaces, ResultKind::GridCenter,
                                  ResultKind::Markers, ResultKind::Splines})
      all.insert(NotEnoughMemory(loadmessages::KindTask("open", kind)));
    return all;
  }();
  return messages;
}

std::string ShownMarkers(const CStrataviewView& view)
{
  const LMarkersSlot& slot = view.Slots().markers;
  return fixtures::MarkersText(*slot.displayedObject, slot.DisplayedMarkerCount());
}

std::vector<std::string> ComboItems(QComboBox& combo)
{
  std::vector<std::string> items;
  for (int i = 0; i < combo.count(); ++i)
    items.push_back(combo.itemText(i).toStdString());
  items.push_back("chosen " + std::to_string(combo.currentIndex()));
  return items;
}

// What the user sees and holds: the scan and its files, the unsaved edit, the controls that
// list the files, and the panes' pictures drawn again from what they hold now.
struct Shown {
  std::string scanPath;
  std::string markers;
  std::vector<ResultKind> unsaved;
  std::vector<std::string> markersCombo;
  std::vector<std::string> surfacesCombo;
  const unsigned short* voxels = nullptr;
  std::array<int, 3> size{};
  std::array<QImage, 3> slices;
  QImage projection;
  std::array<int, 3> scene{};

  static Shown Of(CStrataviewView& view)
  {
    Shown shown;
    shown.scanPath = view.GetScanPath();
    shown.markers = ShownMarkers(view);
    shown.unsaved = view.Workspace().Unsaved().Among(EditableKinds());
    shown.markersCombo = ComboItems(*view.DataPanel()->Combo(CDlgData::kMarkersCombo));
    shown.surfacesCombo = ComboItems(*view.DataPanel()->Combo(CDlgData::kSurfacesCombo));
    const LOCTVolume& displayed = view.GetDisplayedVolume();
    shown.voxels = displayed.Voxels();
    shown.size = {displayed.sizeX, displayed.sizeY, displayed.sizeZ};
    for (int slice = 0; slice < 3; ++slice) {
      LOCTImage& pane = *view.SlicePane(slice + 1);
      pane.Render();
      shown.slices[size_t(slice)] = pane.Bitmap().copy();
    }
    view.ProjPane()->Compose();
    shown.projection = view.ProjPane()->Bitmap().copy();
    shown.scene = {view.Get3DPane()->Size()[0], view.Get3DPane()->Size()[1], view.Get3DPane()->Size()[2]};
    return shown;
  }
  bool operator==(const Shown& o) const
  {
    return scanPath == o.scanPath && markers == o.markers && unsaved == o.unsaved && markersCombo == o.markersCombo &&
           surfacesCombo == o.surfacesCombo && voxels == o.voxels && size == o.size && slices == o.slices &&
           projection == o.projection && scene == o.scene;
  }
};

// The headroom of every run, in KiB: from nothing to far more than the demo's display needs.
std::vector<uint64_t> Headrooms()
{
  std::vector<uint64_t> kibibytes = {0, 64, 256};
  for (uint64_t mebibytes = 1; mebibytes <= 64; mebibytes += mebibytes < 16 ? 1 : 4)
    kibibytes.push_back(mebibytes << 10);
  return kibibytes;
}

class ShowUnderMemoryLimit : public ::testing::Test {
protected:
  void SetUp() override
  {
    ::testing::Test::RecordProperty("memory_limit", fixtures::TightMemory::How());
    // The second scan is larger than the first in every pane: 3 MiB per volume.
    ASSERT_TRUE(fixtures::MakeDemoOfSize(Second(), 128, 192, 64));
    m_Demo.AnswerMessages(platform::kIdDiscard);
  }
  std::string Second() const { return m_Other.Path().string(); }
  // The demo folder opened through the open dialog, with a marker added in the XY pane.
  Shown OpenFirstWithEdit()
  {
    EXPECT_TRUE(m_View.OpenDialog()->OpenFolder(m_Demo.Folder()));
    fixtures::ChooseMouseMode(m_View, MouseMarkers);
    Mouse{*m_View.SlicePane(OrientationXY)}.Click(CellCentre(*m_View.SlicePane(OrientationXY), 10, 20));
    return Shown::Of(m_View);
  }
  bool OpenSecondWithin(uint64_t kibibytes)
  {
    const fixtures::TightMemory tight(kibibytes << 10);
    return m_View.OpenDialog()->OpenFolder(Second());
  }

  TempDir m_Other;
  TempDir m_Work;
  fixtures::DemoView m_Demo{fixtures::DemoViewOptions().SizeView()};
  CStrataviewView& m_View = m_Demo.View();
  std::vector<std::string>& m_Messages = m_Demo.Messages();
};

TEST_F(ShowUnderMemoryLimit, ASecondScanThatDoesNotFitKeepsTheFirstWithItsEditAndTheEditStillSaves)
{
  if (!fixtures::RunsScenarioHere())
    return;
  ASSERT_TRUE(m_Demo.MakeDemo());
  const Shown before = OpenFirstWithEdit();
  ASSERT_EQ(before.unsaved, std::vector<ResultKind>{ResultKind::Markers});

  std::set<bool> outcomes;
  for (const uint64_t kibibytes : Headrooms()) {
    SCOPED_TRACE(std::to_string(kibibytes) + " KiB to spare");
    m_Messages.clear();
    const bool opened = OpenSecondWithin(kibibytes);
    outcomes.insert(opened);
    ASSERT_FALSE(m_Messages.empty());
    EXPECT_EQ(m_Messages.front(), UnsavedEditsQuestion({ResultKind::Markers}));
    if (opened) {
      EXPECT_EQ(m_Messages.size(), 1u) << m_Messages.back();
      break;
    }
    ASSERT_EQ(m_Messages.size(), 2u);
    EXPECT_EQ(MemoryMessages().count(m_Messages.back()), 1u) << m_Messages.back();
    EXPECT_TRUE(Shown::Of(m_View) == before) << "what is open and shown changed";
    EXPECT_TRUE(m_Demo.Frame().isWindowModified()) << "the title no longer marks the edit";
  }
  // The sweep reaches from too little to enough, and the scan that fits is shown whole.
  EXPECT_EQ(outcomes, (std::set<bool>{false, true}));
  EXPECT_EQ(m_View.GetScanFolder(), Second());
  const LOCTVolume& shown = m_View.GetDisplayedVolume();
  EXPECT_EQ((std::array<int, 3>{shown.sizeX, shown.sizeY, shown.sizeZ}), (std::array<int, 3>{128, 192, 64}));
  EXPECT_EQ(m_View.SlicePane(OrientationXY)->Bitmap().size(), QSize(128, 192));
  EXPECT_EQ(m_View.ProjPane()->Bitmap().size(), QSize(128, 64));

  // Back on the first scan with the same edit: after an open that failed, saving writes it.
  const Shown again = OpenFirstWithEdit();
  ASSERT_EQ(again.markers, before.markers);
  m_Messages.clear();
  ASSERT_FALSE(OpenSecondWithin(0));
  const std::string file = m_View.Slots().markers.pathList.GetAt(m_View.GetMarkersCurSel());
  m_Messages.clear();
  fixtures::SaveWithDialog(m_View, fixtures::kMarkersRow);
  EXPECT_TRUE(m_Messages.empty()) << m_Messages.front();
  EXPECT_EQ(fixtures::MarkersReadByPython(m_Work, file), before.markers);
  EXPECT_FALSE(m_Demo.Frame().isWindowModified());
}

// The first scan of a session, or a scan alone: what runs short is its own read (a device
// maker's file read in the program, a MetaImage the decoder helper describes) or the labels
// and display after it. Each says it needs memory; none blames the file.
TEST_F(ShowUnderMemoryLimit, AScanWhoseReadDoesNotFitGivesTheMemoryMessageNotAFileError)
{
  if (!fixtures::RunsScenarioHere())
    return;
  const TempDir device;
  ASSERT_NO_THROW(fs::copy_file(STRATAVIEW_SAMPLES_DIR "/heidelberg_valid.vol", device.File("p1_OCT.vol")));
  const struct {
    const char* what;
    std::string folder;
    // The allocator's seam of a sanitized build limits the program's own volumes only: the
    // toolkit's read in the helper is not limited by it.
    bool readRunsShortUnderTheSeam;
  } scans[] = {
      {"a device maker's scan read in the program", device.Path().string(), true},
      {"a MetaImage scan the decoder helper describes", Second(), false},
  };
  for (const auto& scan : scans) {
    SCOPED_TRACE(scan.what);
    std::set<std::string> messages;
    bool shown = false;
    // A first open that fails leaves the view with nothing open: every run is a first open.
    fixtures::DemoView fresh{fixtures::DemoViewOptions().SizeView()};
    for (const uint64_t kibibytes : Headrooms()) {
      SCOPED_TRACE(std::to_string(kibibytes) + " KiB to spare");
      fresh.Messages().clear();
      {
        const fixtures::TightMemory tight(kibibytes << 10);
        shown = fresh.View().OpenDialog()->OpenFolder(scan.folder);
      }
      if (shown) {
        EXPECT_TRUE(fresh.Messages().empty()) << fresh.Messages().front();
        break;
      }
      ASSERT_EQ(fresh.Messages().size(), 1u);
      EXPECT_EQ(MemoryMessages().count(fresh.Messages().front()), 1u) << fresh.Messages().front();
      messages.insert(fresh.Messages().front());
      EXPECT_FALSE(fresh.View().GetReadVolume().loaded) << "a scan is open after a failed first open";
    }
    EXPECT_TRUE(shown) << "the scan never opened";
    if (fixtures::tightmemory::kRealLimit || scan.readRunsShortUnderTheSeam) {
      EXPECT_EQ(messages.count(NotEnoughMemory("open the scan")), 1u);
    }
  }
}

}  // namespace
