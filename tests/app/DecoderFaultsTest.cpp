// Files on which a toolkit decoder crashes, hangs or runs out of memory, opened in the
// program: each is the kind's file error, the program goes on and the open scan stays.
#include "app/CMainFrame.h"
#include "app/CStrataviewView.h"
#include "fixtures/DemoFolder.h"
#include "fixtures/FixtureFiles.h"
#include "fixtures/ScopedDecoder.h"
#include "fixtures/TempDir.h"
#include "fixtures/ToolkitFaults.h"
#include "platform/Messages.h"
#include "platform/Profile.h"

#include <FreeImage.h>
#include <QCoreApplication>
#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

class DecoderFaultsTest : public ::testing::Test {
protected:
  void SetUp() override
  {
    fs::create_directories(m_Profile.Path());
    platform::Profile::SetFolderForTests(QString::fromStdString(m_Profile.Path().string()));
    m_Frame.resize(1280, 800);
    m_Frame.View()->OnInitialUpdate();
  }

  CStrataviewView& View() { return *m_Frame.View(); }

  // Runs an open operation, recording its messages instead of showing them.
  bool Open(const std::function<bool(CStrataviewView&)>& open)
  {
    m_Messages.clear();
    const platform::ScopedMessageHook hook([this](const std::string& text, unsigned) {
      m_Messages.push_back(text);
      return static_cast<int>(platform::kIdOk);
    });
    return open(View());
  }

  // The scan that is open stays open and shown, and the program still handles events.
  void ExpectStillShowing(const std::string& scanPath, int sizeX)
  {
    QCoreApplication::processEvents();
    EXPECT_EQ(View().GetScanPath(), scanPath);
    EXPECT_TRUE(View().GetReadVolume().loaded);
    EXPECT_EQ(View().GetReadVolume().sizeX, sizeX);
    EXPECT_EQ(View().GetDisplayedVolume().sizeX, sizeX);
    int status = 0;
    EXPECT_TRUE(::waitpid(-1, &status, WNOHANG) < 0 && errno == ECHILD) << "a helper outlived its read";
  }

  TempDir m_Dir;
  TempDir m_Profile;
  CMainFrame m_Frame;
  std::vector<std::string> m_Messages;
};

TEST_F(DecoderFaultsTest, ScansThatBreakTheToolkitsAreFileErrors)
{
  const fixtures::ScopedDecoder helper(std::chrono::seconds(5));
  const std::string demo = m_Dir.File("Demo");
  ASSERT_TRUE(fixtures::MakeSmallDemo(demo));
  ASSERT_TRUE(Open([&](CStrataviewView& view) { return view.ScanFolder(demo); }));
  View().RefreshAll();
  const std::string scan = demo + "/Demo_OCT.mhd";
  const int sizeX = View().GetReadVolume().sizeX;

  const struct {
    const char* kind;
    const char* name;
  } cases[] = {
      {"nifti", "itk-png-abort--asan-abrt"},        // aborts libpng
      {"metaimage", "meta-fortify-abort--asan-abrt"},  // aborts in MetaIO's header parse
      {"metaimage", "meta-read-timeout--timeout"},     // hangs MetaIO
      {"nifti", "vnl-svd-timeout--timeout"},           // hangs vnl
      {"analyze", "vnl-nonfinite-abort--asan-abrt"},   // aborts vnl
      {"tiff", "tiff-ifd-timeout--timeout"},           // hangs libtiff
      {"tiff", "tiff-realloc-huge--asan-allocator"},   // asks libtiff for 8.6 GB
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.kind) + "/" + c.name);
    const std::string path = fixtures::PlaceToolkitFault(m_Dir.Path().string(), c.kind, c.name);
    ASSERT_FALSE(path.empty());
    EXPECT_FALSE(Open([&](CStrataviewView& view) { return view.OpenOCTFile(path); }));
    EXPECT_EQ(m_Messages, std::vector<std::string>{"File error: 'OCT'"});
    ExpectStillShowing(scan, sizeX);
  }
}

// The helper made to abort, crash, hang or exhaust its memory on request: the scan, a
// label volume and a projection image read through it fail as their kind's file error.
TEST_F(DecoderFaultsTest, AFailingDecoderIsTheKindsFileError)
{
  // Topcon scans are read by the program itself, so the fault reaches only the file of
  // the kind under test: a projection image in one folder, a label volume in another.
  const auto topconFolder = [&](const std::string& name) {
    const std::string folder = m_Dir.File(name);
    fs::create_directories(folder);
    fs::rename(fixtures::CopySample("topcon_minimized.fds", folder), folder + "/t_OCT.fds");
    return folder;
  };
  const std::string topcon = topconFolder("topcon"), labelled = topconFolder("labelled");
  const std::string scan = topcon + "/t_OCT.fds";
  ASSERT_TRUE(Open([&](CStrataviewView& view) { return view.ScanFolder(topcon); }));
  View().RefreshAll();
  const LOCTVolume& read = View().GetReadVolume();
  const int sizeX = read.sizeX;
  FIBITMAP* bitmap = FreeImage_Allocate(read.sizeX, read.sizeZ, 8);
  ASSERT_TRUE(FreeImage_Save(FIF_PNG, bitmap, (topcon + "/t_Proj_Vamo.png").c_str()));
  FreeImage_Unload(bitmap);
  LOCTVolume labels;
  const int size[3] = {read.sizeX, read.sizeY, read.sizeZ};
  const float spacing[3] = {read.spacingX, read.spacingY, read.spacingZ};
  labels.CreateVolume(size, FormatMetaImage, spacing, 1, LateralityNA, CenterNA);
  std::fill_n(labels.Voxels(), labels.VoxelCount(), static_cast<unsigned short>(0));
  ASSERT_EQ(labels.WriteMetaImage(labelled + "/t_Vessel_Vamo.mhd"), 0);
  ASSERT_TRUE(Open([&](CStrataviewView& view) { return view.ScanFolder(labelled); }));
  ASSERT_TRUE(Open([&](CStrataviewView& view) { return view.ScanFolder(topcon); }));
  View().RefreshAll();

  const std::string demo = m_Dir.File("Demo");
  ASSERT_TRUE(fixtures::MakeSmallDemo(demo));

  const fixtures::ScopedDecoder helper(std::chrono::seconds(2));
  for (const char* fault : {"abort", "crash", "hang", "allocate"}) {
    SCOPED_TRACE(fault);
    const fixtures::ScopedDecoderFault failing(fault);
    EXPECT_FALSE(Open([&](CStrataviewView& view) { return view.ScanFolder(demo); }));
    EXPECT_EQ(m_Messages, std::vector<std::string>{"File error: 'OCT'"});
    ExpectStillShowing(scan, sizeX);

    EXPECT_FALSE(Open([&](CStrataviewView& view) { return view.ScanFolder(topcon); }));
    EXPECT_EQ(m_Messages, std::vector<std::string>{"File error: 'Proj.'"});
    ExpectStillShowing(scan, sizeX);

    EXPECT_FALSE(Open([&](CStrataviewView& view) { return view.ScanFolder(labelled); }));
    EXPECT_EQ(m_Messages, std::vector<std::string>{"File error: 'Vessel'"});
    ExpectStillShowing(scan, sizeX);
  }
}

}  // namespace
