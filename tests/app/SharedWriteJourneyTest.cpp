// A scan folder on a lab share, opened in a view, in which a colleague (another uid of the
// group) plants things under the names the user saves to: every kind saved through the save
// dialog, the pane's exported picture and the opening's mesh cache meet a pipe, a socket, a
// folder, her link into the user's private folder and a second name of her own file, in the
// shared folder with and without the sticky bit. Each save returns, names the refused path,
// and leaves the user's private folder and the colleague's files as they were; a folder
// swapped for a link while saves repeat redirects none of them. A save into a read-only
// folder says that the folder is read-only, since the file itself looks writable.
#include "app/CMainFrame.h"
#include "app/CStrataviewView.h"
#include "fixtures/DemoFolder.h"
#include "fixtures/DemoView.h"
#include "fixtures/FaultyFolder.h"
#include "fixtures/FixtureFiles.h"
#include "fixtures/SaveDialogSteps.h"
#include "fixtures/SharedFolder.h"
#include "fixtures/TempDir.h"
#include "fixtures/TreeSnapshot.h"

#include <QAbstractButton>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The user's private folder (0700), holding files under the names a link would aim at.
class PrivateCanary {
public:
  PrivateCanary()
  {
    ::chmod(m_Dir.Path().c_str(), 0700);
    for (const char* name : {"notes.xml", "Demo_Vessel_Vamo.vtk", "Demo_SEAD_Vamo.vtk", "Demo_GridCenter.xml"})
      fixtures::WriteText(m_Dir.File(name), "precious");
    m_Before = fixtures::TreeSnapshot(m_Dir.Path());
  }
  const fs::path& Path() const { return m_Dir.Path(); }
  std::string File(const std::string& name) const { return m_Dir.File(name); }
  bool Unchanged() const { return fixtures::TreeSnapshot(m_Dir.Path()) == m_Before; }

private:
  TempDir m_Dir;
  std::string m_Before;
};

enum class Planted { kPipe, kSocket, kFolder, kColleaguesLink, kHardLinkToHers };

struct PlantedCase {
  const char* what;
  Planted planted;
  bool refused;
};

const PlantedCase kPlanted[] = {
    {"a named pipe", Planted::kPipe, true},
    {"a socket", Planted::kSocket, true},
    {"a folder", Planted::kFolder, true},
    {"her link into the user's private folder", Planted::kColleaguesLink, true},
    {"a second name of her own file", Planted::kHardLinkToHers, false},
};

struct SaveCase {
  const char* what;
  int row;
  const char* suffix;  // of the chosen name, after the case's tag
};

const SaveCase kSaves[] = {
    {"surfaces", fixtures::kSurfacesRow, "_Surfaces_Vamo.xml"},
    {"grid centre", fixtures::kGridCenterRow, "_GridCenter_Vamo.xml"},
    {"vessel", fixtures::kVesselRow, "_Vessel_Vamo.mhd"},
    {"SEAD", fixtures::kSEADRow, "_SEAD_Vamo.mhd"},
    {"markers", fixtures::kMarkersRow, "_Markers_Vamo.xml"},
    {"splines", fixtures::kSplinesRow, "_Splines_Vamo.xml"},
};

mode_t NewFileMode()
{
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

bool Mentions(const std::vector<std::string>& messages, const std::vector<std::string>& details, const std::string& path)
{
  for (const auto* texts : {&messages, &details})
    for (const std::string& text : *texts)
      if (text.find(path) != std::string::npos)
        return true;
  return false;
}

// The demo in a shared folder of the mode, opened in a view; her own file in a folder of hers.
class SharedWrite {
public:
  explicit SharedWrite(mode_t folderMode) : m_Shared(folderMode), m_Hers(0755) {}

  bool Start()
  {
    return m_Shared.Ready() && m_Hers.GiveToColleague() && m_Hers.PlantFile("hers.xml", "hers", 06777) &&
           fixtures::MakeSmallDemo(m_Shared.Path().string()) && m_Demo.OpenFolder(m_Shared.Path().string());
  }
  bool Plant(Planted planted, const std::string& name) const
  {
    switch (planted) {
      case Planted::kPipe: return m_Shared.PlantPipe(name);
      case Planted::kSocket: return m_Shared.PlantSocket(name);
      case Planted::kFolder: return m_Shared.PlantFolder(name);
      case Planted::kColleaguesLink: return m_Shared.PlantLink(name, m_Canary.File("notes.xml"));
      case Planted::kHardLinkToHers: return m_Shared.PlantHardLink(name, m_Hers.File("hers.xml"));
    }
    return false;
  }
  std::string HerFiles() const { return fixtures::TreeSnapshot(m_Hers.Path()); }

  const SharedFolder m_Shared;
  const SharedFolder m_Hers;
  const PrivateCanary m_Canary;
  fixtures::DemoView m_Demo{fixtures::DemoViewOptions().SizeView()};
};

// Every kind saved through the dialog under a name she took: refused with the path named, or
// (her second name of a file) saved as the user's own new file, hers left alone.
TEST(SharedWriteJourney, EverySaveKindMeetsEveryPlantedThing)
{
  for (const mode_t folderMode : {mode_t(01775), mode_t(0775)}) {
    SharedWrite share(folderMode);
    if (!share.m_Shared.Ready())
      GTEST_SKIP() << SharedFolder::SkipReason();
    ASSERT_TRUE(share.Start());
    CStrataviewView& view = share.m_Demo.View();
    const std::string herFiles = share.HerFiles();
    int tag = 0;
    for (const SaveCase& save : kSaves)
      for (const PlantedCase& c : kPlanted) {
        SCOPED_TRACE(std::string(save.what) + " over " + c.what + (folderMode & S_ISVTX ? ", sticky" : ", not sticky"));
        const std::string name = "Demo" + std::to_string(++tag) + save.suffix;
        ASSERT_TRUE(share.Plant(c.planted, name));
        const std::string chosen = share.m_Shared.File(name);
        share.m_Demo.Messages().clear();
        share.m_Demo.Details().clear();

        fixtures::SaveWithDialog(view, save.row, chosen);

        const std::vector<std::string>& messages = share.m_Demo.Messages();
        if (c.refused) {
          EXPECT_EQ(messages.size(), 1u);
          EXPECT_TRUE(Mentions(messages, share.m_Demo.Details(), chosen)) << (messages.empty() ? "" : messages[0]);
        } else {
          EXPECT_TRUE(messages.empty()) << messages.front();
          struct stat st {};
          ASSERT_EQ(::lstat(chosen.c_str(), &st), 0);
          EXPECT_TRUE(S_ISREG(st.st_mode));
          EXPECT_EQ(st.st_uid, ::geteuid());
          EXPECT_EQ(st.st_mode & 07777, NewFileMode()) << "her file's mode is not the result's";
        }
        EXPECT_TRUE(share.m_Canary.Unchanged());
        EXPECT_EQ(share.HerFiles(), herFiles);
      }
  }
}

// While she swaps a folder of hers for a link to the user's private folder and back, the
// user saves markers and vessel labels into it again and again: every save lands in her
// real folder or is refused, and the private folder never changes.
TEST(SharedWriteJourney, SavesIntoAFolderSwappedForALinkAreNeverRedirected)
{
  for (const mode_t folderMode : {mode_t(01775), mode_t(0775)}) {
    SCOPED_TRACE(folderMode & S_ISVTX ? "sticky" : "not sticky");
    SharedWrite share(folderMode);
    if (!share.m_Shared.Ready())
      GTEST_SKIP() << SharedFolder::SkipReason();
    ASSERT_TRUE(share.Start());
    CStrataviewView& view = share.m_Demo.View();
    const FolderSwapper swapper(share.m_Shared, "hers", share.m_Canary.Path());
    ASSERT_TRUE(swapper.Running());
    for (int round = 0; round < 20; ++round) {
      fixtures::SaveWithDialog(view, fixtures::kMarkersRow, share.m_Shared.File("hers/notes.xml"));
      fixtures::SaveWithDialog(view, fixtures::kVesselRow, share.m_Shared.File("hers/Demo_Vessel_Vamo.mhd"));
    }
    EXPECT_TRUE(share.m_Canary.Unchanged());
  }
}

// She swaps the scan folder itself (hers, the labels without their mesh caches) for a link
// to the user's private folder and back while the user opens it again and again: the
// opening's mesh cache is never made nor replaced in the private folder, nor is a grid-centre
// file of the older naming there renamed.
TEST(SharedWriteJourney, AScanFolderSwappedWhileOpeningGetsNoMeshCacheElsewhere)
{
  SharedWrite share(0775);
  if (!share.m_Shared.Ready())
    GTEST_SKIP() << SharedFolder::SkipReason();
  const fs::path scan = share.m_Shared.Path() / "scan";
  ASSERT_TRUE(fixtures::MakeSmallDemo(scan.string()));
  for (const char* cache : {"Demo_Vessel_Vamo.vtk", "Demo_SEAD_Vamo.vtk"})
    fs::remove(scan / cache);
  for (const auto& entry : fs::recursive_directory_iterator(scan))
    ASSERT_EQ(::lchown(entry.path().c_str(), SharedFolder::kColleague, SharedFolder::kColleague), 0);
  ASSERT_EQ(::chown(scan.c_str(), SharedFolder::kColleague, SharedFolder::kColleague), 0);
  ASSERT_EQ(::chmod(scan.c_str(), 0777), 0);
  {
    const FolderSwapper swapper(share.m_Shared, "scan", share.m_Canary.Path());
    ASSERT_TRUE(swapper.Running());
    for (int round = 0; round < 20; ++round)
      (void)share.m_Demo.OpenAgain(scan.string());
  }
  EXPECT_TRUE(share.m_Canary.Unchanged());
}

// The pane's exported picture is a file the program names: a pipe, a folder or her link
// there is refused with a message naming it; nothing of hers or the user's changes.
TEST(SharedWriteJourney, AnExportedPictureMeetsEveryPlantedThing)
{
  SharedWrite share(01775);
  if (!share.m_Shared.Ready())
    GTEST_SKIP() << SharedFolder::SkipReason();
  ASSERT_TRUE(share.Start());
  const std::string herFiles = share.HerFiles();
  const std::string picture = share.m_Shared.File("Demo_Image_OCTXY_0008.tif");
  for (const PlantedCase& c : kPlanted) {
    SCOPED_TRACE(c.what);
    std::error_code ignored;
    fs::remove_all(picture, ignored);
    ASSERT_TRUE(share.Plant(c.planted, "Demo_Image_OCTXY_0008.tif"));
    share.m_Demo.Messages().clear();
    share.m_Demo.Frame().findChild<QAbstractButton*>("IDC_BUTTON_OCTXY_SAVE")->click();
    if (c.refused) {
      EXPECT_TRUE(Mentions(share.m_Demo.Messages(), share.m_Demo.Details(), picture));
    } else {
      EXPECT_TRUE(share.m_Demo.Messages().empty()) << share.m_Demo.Messages().front();
      EXPECT_EQ(OwnerOf(picture), ::geteuid());
    }
    EXPECT_TRUE(share.m_Canary.Unchanged());
    EXPECT_EQ(share.HerFiles(), herFiles);
  }
}

// The markers file is the user's and writable, the folder is not: the save's message names
// the folder and says it is read-only; the file is as it was.
TEST(SharedWriteJourney, ASaveIntoAReadOnlyFolderNamesTheFolder)
{
  const TempDir dir;
  const std::string folder = dir.File("scan");
  FaultyFolder faulty(folder);
  if (!faulty.Ready())
    GTEST_SKIP() << faulty.Why();
  ASSERT_TRUE(fixtures::MakeSmallDemo(folder));
  fixtures::DemoView demo{fixtures::DemoViewOptions().SizeView()};
  ASSERT_TRUE(demo.OpenFolder(folder));
  const LMarkersSlot& markers = demo.View().Slots().markers;
  const std::string file = markers.pathList.GetAt(markers.selected);
  const std::string before = fixtures::ReadAll(file);
  ASSERT_TRUE(faulty.MakeReadOnly());

  fixtures::SaveWithDialog(demo.View(), fixtures::kMarkersRow);

  ASSERT_EQ(demo.Details().size(), 1u);
  const std::string& detail = demo.Details().front();
  EXPECT_NE(detail.find(folder + ": "), std::string::npos) << detail;
  EXPECT_NE(detail.find("read-only"), std::string::npos) << detail;
  EXPECT_EQ(fixtures::ReadAll(file), before);
}

}  // namespace
