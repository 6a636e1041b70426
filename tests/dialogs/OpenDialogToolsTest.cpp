// The open dialog's image-stack import and its Folder tab's batch runs, driven through the
// dialog's buttons as a user presses them.
#include "app/CDlgMenu.h"
#include "app/CMainFrame.h"
#include "app/CStrataviewView.h"
#include "data/LOCTVolume.h"
#include "dialogs/CDlgExecutables.h"
#include "dialogs/CDlgOpen.h"
#include "dialogs/CDlgThicknessAnalysis.h"
#include "dialogs/CDlgVoxelSize.h"
#include "fixtures/DemoView.h"
#include "fixtures/FixtureFiles.h"
#include "fixtures/OpenDialogSteps.h"
#include "fixtures/TempDir.h"
#include "platform/Dialogs.h"
#include "platform/Messages.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTreeView>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

const std::string kStackFixture = "/usr/bin/python3 " STRATAVIEW_SOURCE_DIR "/tests/dialogs/image_stack_fixture.py";

// A view that was never shown with its open dialog, the program folder as shipped (the
// executables list and its program beside the viewer) and a folder for the test's files.
class OpenDialogToolsTest : public ::testing::Test {
protected:
  void SetUp() override { ASSERT_NE(m_View.OpenDialog(), nullptr); }

  CDlgOpen& Dialog() { return *m_View.OpenDialog(); }
  std::string MakeStack(const std::string& name, const std::string& kind)
  {
    const std::string folder = m_Dir.File(name);
    EXPECT_EQ(fixtures::RunCommand(kStackFixture + " make '" + folder + "' " + kind), 0);
    return folder;
  }
  // Presses "\" with the folder browser answering `folder` (none: Cancel) and the voxel-size
  // dialog given the sizes (none: Cancel).
  void Import(const std::string& folder, const char* voxelSize = "10 3.9 50")
  {
    m_Requests.clear();
    const platform::ScopedDialogHook answers([&](const platform::DialogRequest& request, QDialog* dialog) {
      m_Requests.push_back(request);
      if (request.kind == platform::DialogKind::BrowseFolder)
        return platform::DialogAnswer{!folder.empty(), folder};
      auto* sizes = qobject_cast<CDlgVoxelSize*>(dialog);
      if (!sizes || !voxelSize)
        return platform::DialogAnswer{};
      const QStringList texts = QString::fromLatin1(voxelSize).split(' ');
      for (int axis = 0; axis < 3; ++axis)
        sizes->Edit(axis)->setText(texts[axis]);
      sizes->accept();
      return platform::DialogAnswer{sizes->result() == QDialog::Accepted, ""};
    });
    Dialog().Button(CDlgOpen::kImportSequence)->click();
  }
  std::string SequenceFile(const std::string& name) const { return m_Dir.File(name + "_Sequence.mhd"); }
  int CheckWritten(const std::string& header, const std::string& kind, std::string* output)
  {
    return fixtures::RunCommand(kStackFixture + " check '" + header + "' " + kind + " 2>&1", output);
  }

  fixtures::DemoView m_Demo{fixtures::DemoViewOptions().ProgramFolder(STRATAVIEW_PROGRAM_DIR)};
  CStrataviewView& m_View = m_Demo.View();
  std::vector<std::string>& m_Messages = m_Demo.Messages();
  std::vector<std::string>& m_Details = m_Demo.Details();
  std::vector<platform::DialogRequest> m_Requests;
  TempDir m_Dir;
};

TEST_F(OpenDialogToolsTest, ImportedStackIsWrittenBesideTheFolderAndOpened)
{
  fixtures::ChooseTab(Dialog(), CDlgOpen::kFileTab);
  ASSERT_TRUE(Dialog().Button(CDlgOpen::kImportSequence)->isVisibleTo(&Dialog()));
  EXPECT_EQ(Dialog().Button(CDlgOpen::kImportSequence)->toolTip(), "Import Image Stack") << "the \\ says nothing";
  const std::string folder = MakeStack("eye1", "grey");
  Import(folder);
  EXPECT_TRUE(m_Messages.empty()) << m_Messages.front();
  ASSERT_GE(m_Requests.size(), 1u);
  EXPECT_EQ(m_Requests[0].title, "Select a folder for an image sequence.");
  EXPECT_EQ(m_Requests[0].folder, "") << "nothing to propose the first time";

  const std::string header = SequenceFile("eye1");
  ASSERT_TRUE(fs::exists(header)) << "beside the folder, not inside it";
  std::string output;
  EXPECT_EQ(CheckWritten(header, "grey", &output), 0) << output;
  EXPECT_EQ(m_View.GetScanPath(), header);
  EXPECT_EQ(Dialog().Path(CDlgOpen::kOCT), header);
  EXPECT_EQ(Dialog().PathEdit(CDlgOpen::kOCT)->text().toStdString(), header);
  EXPECT_TRUE(Dialog().BrowseButton(CDlgOpen::kSurfaces)->isEnabled()) << "results can be added to the scan";
  const LOCTVolume& scan = m_View.GetDisplayedVolume();
  EXPECT_EQ(scan.sizeX * 100 + scan.sizeY * 10 + scan.sizeZ, 7 * 100 + 5 * 10 + 4);
  EXPECT_FLOAT_EQ(scan.spacingY, 0.0039f);
  EXPECT_EQ(scan.bytesPerVoxel, 1);

  // The folder is proposed next time; Cancel in the browser changes nothing.
  Import("");
  ASSERT_EQ(m_Requests.size(), 1u);
  EXPECT_EQ(m_Requests[0].folder, folder);
}

TEST_F(OpenDialogToolsTest, StacksOfEachDepthAndTheRefusedOnes)
{
  const struct {
    const char* kind;
    const char* message;  // nullptr: written and opened
  } cases[] = {
    {"rgb", nullptr},   // the red channel, 1 byte per voxel
    {"rgba", nullptr},  // likewise
    {"deep", nullptr},  // 16-bit: 2 bytes per voxel
    {"sizes", "Different image sizes!"},
    {"one", "Only 1 B-scan!"},
    {"none", "Only 1 B-scan!"},
    {"broken", "File error: 'OCT'"},  // an image that cannot be read
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.kind);
    m_Messages.clear();
    m_Details.clear();
    const std::string folder = MakeStack(c.kind, c.kind);
    Import(folder);
    const std::string header = SequenceFile(c.kind);
    if (c.message) {
      EXPECT_EQ(m_Messages, std::vector<std::string>{c.message});
      // Below the message: the folder, and for an image that cannot be read, the reader's
      // reason naming it.
      ASSERT_EQ(m_Details.size(), 1u);
      EXPECT_EQ(m_Details[0].substr(0, folder.size()), folder);
      if (std::string(c.kind) == "broken") {
        EXPECT_NE(m_Details[0].find(folder + "/", folder.size()), std::string::npos) << m_Details[0];
      }
      EXPECT_FALSE(fs::exists(header));
      EXPECT_FALSE(fs::exists(m_Dir.File(std::string(c.kind) + "_Sequence.raw")));
      continue;
    }
    EXPECT_TRUE(m_Messages.empty()) << m_Messages.front();
    std::string output;
    EXPECT_EQ(CheckWritten(header, c.kind, &output), 0) << output;
    EXPECT_EQ(m_View.GetScanPath(), header);
  }
}

TEST_F(OpenDialogToolsTest, CancelledVoxelSizeOrAnExistingOutputKeptWritesNothing)
{
  const std::string folder = MakeStack("eye2", "grey");
  Import(folder, nullptr);
  EXPECT_TRUE(m_Messages.empty());
  EXPECT_FALSE(fs::exists(SequenceFile("eye2")));
  EXPECT_TRUE(m_View.GetScanPath().empty());

  ASSERT_TRUE(fixtures::WriteText(SequenceFile("eye2"), "kept"));
  m_Demo.AnswerMessages(platform::kIdNo);
  Import(folder);
  EXPECT_EQ(m_Messages, std::vector<std::string>{"'" + SequenceFile("eye2") + "' already exists.\nDo you want to replace it?"});
  EXPECT_EQ(fixtures::ReadAll(SequenceFile("eye2")), "kept");
  EXPECT_FALSE(fs::exists(m_Dir.File("eye2_Sequence.raw")));

  m_Messages.clear();
  m_Demo.AnswerMessages(platform::kIdYes);
  Import(folder);
  std::string output;
  EXPECT_EQ(CheckWritten(SequenceFile("eye2"), "grey", &output), 0) << output;
  EXPECT_EQ(m_View.GetScanPath(), SequenceFile("eye2"));
}

// On a full disk the import says so and leaves neither a half-written pair nor a staging
// folder behind.
TEST_F(OpenDialogToolsTest, FullDiskLeavesNothingBehind)
{
  const std::string disk = m_Dir.File("disk");
  fs::create_directories(disk);
  if (fixtures::RunCommand("mount -t tmpfs -o size=2m tmpfs '" + disk + "' 2>/dev/null") != 0)
    GTEST_SKIP() << "mounting a small tmpfs is not allowed here";
  struct Unmount {
    std::string path;
    ~Unmount() { fixtures::RunCommand("umount '" + path + "'"); }
  } unmount{disk};
  const std::string folder = disk + "/eye";
  ASSERT_EQ(fixtures::RunCommand(kStackFixture + " make '" + folder + "' grey"), 0);
  fixtures::RunCommand("dd if=/dev/zero of='" + disk + "/filler' bs=4k 2>/dev/null");
  Import(folder);
  EXPECT_EQ(m_Messages, std::vector<std::string>{"File error: 'OCT'"});
  std::vector<std::string> left;
  for (const fs::directory_entry& entry : fs::directory_iterator(disk))
    left.push_back(entry.path().filename().string());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"eye", "filler"}));
  EXPECT_TRUE(m_View.GetScanPath().empty());
  EXPECT_TRUE(Dialog().Path(CDlgOpen::kOCT).empty());
}

TEST_F(OpenDialogToolsTest, FolderButtonsNeedAFolderAndShowOnlyOnTheFolderTab)
{
  QAbstractButton* executables = Dialog().Button(CDlgOpen::kExecutables);
  QAbstractButton* thickness = Dialog().Button(CDlgOpen::kThicknessAnalysis);
  fixtures::ChooseTab(Dialog(), CDlgOpen::kFileTab);
  EXPECT_FALSE(executables->isVisibleTo(&Dialog()));
  EXPECT_FALSE(thickness->isVisibleTo(&Dialog()));
  fixtures::ChooseTab(Dialog(), CDlgOpen::kFolderTab);
  EXPECT_TRUE(executables->isVisibleTo(&Dialog()));
  EXPECT_TRUE(thickness->isVisibleTo(&Dialog()));
  EXPECT_FALSE(Dialog().Button(CDlgOpen::kImportSequence)->isVisibleTo(&Dialog()));
  EXPECT_FALSE(executables->isEnabled());
  EXPECT_FALSE(thickness->isEnabled());
  fixtures::SelectFolder(Dialog(), m_Dir.Path());
  EXPECT_TRUE(executables->isEnabled()) << "a folder without a scan of its own is enough";
  EXPECT_TRUE(thickness->isEnabled());
  EXPECT_FALSE(Dialog().Button(CDlgOpen::kOpen)->isEnabled());
  Dialog().Button(CDlgOpen::kRefresh)->click();
  EXPECT_FALSE(executables->isEnabled());
  EXPECT_FALSE(thickness->isEnabled());
}

// The shipped program, run from the Folder tab over three scan folders, leaves a projection
// image beside each scan's copy, and the view then opens a scan folder with its projection.
TEST_F(OpenDialogToolsTest, ExecutablesRunTheShippedProgramOverEveryScanBelowTheFolder)
{
  const std::vector<std::string> scans = {"a/eye.mhd", "b/left.mhd", "c/d/right.mhd"};
  for (size_t i = 0; i < scans.size(); ++i) {
    fs::create_directories(fs::path(m_Dir.File(scans[i])).parent_path());
    LOCTVolume scan;
    const int size[3] = {6, 9, 4};
    const float spacing[3] = {0.01f, 0.002f, 0.05f};
    EXPECT_EQ(scan.CreateVolume(size, FormatMetaImage, spacing, int(1 + i % 2), LateralityOD, CenterMacula), 0);
    for (uint64_t v = 0; v < scan.VoxelCount(); ++v)
      scan.Voxels()[v] = static_cast<unsigned short>((v * 37 + i * 11) % (i % 2 ? 60000 : 250));
    ASSERT_EQ(scan.WriteMetaImage(m_Dir.File(scans[i])), 0);
  }
  fixtures::ChooseTab(Dialog(), CDlgOpen::kFolderTab);
  fixtures::SelectFolder(Dialog(), m_Dir.Path());
  std::string shownFolder;
  int shownMode = -1;
  {
    const platform::ScopedDialogHook run([&](const platform::DialogRequest&, QDialog* dialog) {
      auto* executables = qobject_cast<CDlgExecutables*>(dialog);
      if (executables) {
        shownFolder = executables->folder;
        shownMode = executables->runMode;
        EXPECT_TRUE(executables->RunButton(0)->isEnabled()) << "the shipped list names the program";
        EXPECT_FALSE(executables->RunButton(1)->isEnabled());
        executables->RunButton(0)->click();
      }
      return platform::DialogAnswer{};
    });
    Dialog().Button(CDlgOpen::kExecutables)->click();
  }
  EXPECT_TRUE(m_Messages.empty()) << m_Messages.front();
  EXPECT_EQ(shownFolder, m_Dir.Path().string());
  EXPECT_EQ(shownMode, kRunOnFolder);
  for (const std::string& scan : scans) {
    const fs::path path = m_Dir.File(scan);
    const fs::path folder = path.parent_path() / path.stem();
    const std::string png = (folder / (path.stem().string() + "_Proj_Mean.png")).string();
    std::string output;
    EXPECT_EQ(fixtures::RunCommand("/usr/bin/python3 -c \"\n"
                                   "import sys, numpy as np\n"
                                   "from PIL import Image\n"
                                   "f = dict(l.split(' = ', 1) for l in open(sys.argv[1]).read().splitlines())\n"
                                   "x, y, z = map(int, f['DimSize'].split())\n"
                                   "t, top = (np.uint8, 255) if f['ElementType'] == 'MET_UCHAR' else (np.uint16, 65535)\n"
                                   "v = np.fromfile(sys.argv[1][:-3] + 'raw', t).reshape(z, y, x).astype(np.float64)\n"
                                   "want = np.round(v.mean(axis=1) * 255 / top).astype(np.uint8)\n"
                                   "got = np.asarray(Image.open(sys.argv[2]))\n"
                                   "assert got.shape == want.shape and (got == want).all(), (got, want)\n"
                                   "\" '" + path.string() + "' '" + png + "' 2>&1",
                                   &output),
              0)
      << scan << "\n" << output;
  }
  ASSERT_TRUE(m_View.ScanFolder(m_Dir.File("b/left")));
  EXPECT_EQ(m_View.Slots().proj.count, 1) << "the projection fits the scan";
}

// An imported stack has no results; one run of the shipped program from the menu gives it a
// projection, and the view shows the scan again with it.
TEST_F(OpenDialogToolsTest, ShippedProgramGivesAnOpenScanItsProjection)
{
  Import(MakeStack("eye3", "grey"));
  ASSERT_EQ(m_View.GetScanPath(), SequenceFile("eye3"));
  EXPECT_EQ(m_View.Slots().proj.count, 0);
  {
    const platform::ScopedDialogHook run([](const platform::DialogRequest&, QDialog* dialog) {
      if (auto* executables = qobject_cast<CDlgExecutables*>(dialog))
        executables->RunButton(0)->click();
      return platform::DialogAnswer{};
    });
    m_View.MenuPanel()->Button(CDlgMenu::kExecutables)->click();
  }
  EXPECT_TRUE(m_Messages.empty()) << m_Messages.front();
  EXPECT_EQ(m_View.GetScanFolder(), m_Dir.File("eye3_Sequence"));
  EXPECT_EQ(m_View.Slots().proj.count, 1);
  EXPECT_TRUE(fs::exists(m_Dir.File("eye3_Sequence/eye3_Sequence_Proj_Mean.png")));
}

// The Thickness Analysis button runs the batch over the chosen folder.
TEST_F(OpenDialogToolsTest, ThicknessAnalysisRunsOverTheChosenFolder)
{
  ASSERT_TRUE(fixtures::MakeSmallDemo(m_Dir.File("demo")));
  fixtures::ChooseTab(Dialog(), CDlgOpen::kFolderTab);
  fixtures::SelectFolder(Dialog(), m_Dir.Path());
  const std::string csv = m_Dir.File("report.csv");
  bool shown = false;
  {
    const platform::ScopedDialogHook run([&](const platform::DialogRequest&, QDialog* dialog) {
      auto* analysis = qobject_cast<CDlgThicknessAnalysis*>(dialog);
      if (!analysis)
        return platform::DialogAnswer{};
      shown = true;
      analysis->OutputEdit()->setText(QString::fromStdString(csv));
      analysis->accept();
      return platform::DialogAnswer{analysis->result() == QDialog::Accepted, ""};
    });
    Dialog().Button(CDlgOpen::kThicknessAnalysis)->click();
  }
  ASSERT_TRUE(shown);
  EXPECT_TRUE(m_Messages.empty()) << m_Messages.front();
  const std::string text = fixtures::ReadAll(csv);
  EXPECT_NE(text.find("\nDemo,"), std::string::npos) << text;
}

}  // namespace

namespace {

// The shipped program tells the runner of a failure by its exit code and leaves no image.
TEST(EnFaceProjectionProgram, FailuresAreExitCodes)
{
  TempDir dir;
  ASSERT_TRUE(fixtures::WriteText(dir.File("broken.mhd"), "NDims = 3\nDimSize = 4 4\n"));
  LOCTVolume scan;
  const int size[3] = {3, 2, 2};
  const float spacing[3] = {0.01f, 0.01f, 0.01f};
  EXPECT_EQ(scan.CreateVolume(size, FormatMetaImage, spacing, 1, LateralityNA, CenterNA), 0);
  std::fill_n(scan.Voxels(), scan.VoxelCount(), 9);
  ASSERT_EQ(scan.WriteMetaImage(dir.File("scan.mhd")), 0);
  const std::string program = STRATAVIEW_PROGRAM_DIR "/strataview_enface_projection";
  const struct {
    std::string arguments;
    int exitCode;
  } cases[] = {
    {"", 1},
    {"'" + dir.File("missing.mhd") + "' '" + dir.File("a.png") + "'", 2},
    {"'" + dir.File("broken.mhd") + "' '" + dir.File("a.png") + "'", 2},
    {"'" + dir.File("scan.mhd") + "' '" + dir.File("no/such/folder/a.png") + "'", 3},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(fixtures::RunCommand(program + " " + c.arguments + " 2>/dev/null"), c.exitCode) << c.arguments;
    EXPECT_FALSE(fs::exists(dir.File("a.png")));
  }
}

}  // namespace
