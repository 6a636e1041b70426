// Opening a scan folder, a scan file or one result file in a workspace without any window:
// the messages, what is read and checked, what the chain leaves on disk, and what stays when
// a file cannot be used.
#include "fixtures/DemoWorkspace.h"
#include "fixtures/FixtureFiles.h"
#include "fixtures/ResultXmlText.h"
#include "fixtures/ScanFolderFiles.h"
#include "fixtures/SmallDisk.h"
#include "fixtures/StdoutCapture.h"
#include "fixtures/TempDir.h"
#include "model/ThicknessAnalysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>

namespace fs = std::filesystem;

namespace {

constexpr int kX = fixtures::kScanX, kY = fixtures::kScanY, kZ = fixtures::kScanZ;
using namespace fixtures;

class ScanWorkspaceLoading : public ::testing::Test {
protected:
  ScanWorkspace& W() { return m_Space.workspace; }
  std::string File(const std::string& name) const { return m_Space.File(name); }
  const std::vector<std::string>& Messages() const { return m_Space.prompts.messages; }

  // A scan with one file of every kind, all fitting it, in a folder of its own.
  std::string WriteFullFolder(const std::string& name)
  {
    const std::string folder = File(name);
    EXPECT_TRUE(fixtures::WriteFullFolder(folder)) << folder;
    return folder;
  }

  // Opens the folder with no message recorded yet.
  bool Open(const std::string& folder)
  {
    m_Space.prompts.messages.clear();
    return W().ScanFolder(folder);
  }

  fixtures::DemoWorkspace m_Space;
};

TEST_F(ScanWorkspaceLoading, EveryFailureShowsItsMessageAndStopsTheChain)
{
  const std::string garbage = "not a file of this kind";
  const std::string wrongRoot = fixtures::ResultXmlText("something_else", "");
  const std::string oldMarkers = fixtures::ResultXmlText("markers", "", "3.9.9");
  const std::string oldSurfaces = fixtures::ResultXmlText("surfaces", "", "NA");
  const auto Text = [](const std::string& text) {
    return [text](const std::string& path) { return fixtures::WriteText(path, text); };
  };
  const struct {
    const char* file;
    std::function<bool(const std::string&)> write;
    const char* message;
    bool vesselRead;
  } cases[] = {
    {"s_RefSurf_Vamo.xml", Text(garbage),
     "File error: 'Ref. Surf.'", false},
    {"s_RefSurf_Vamo.xml", Text(wrongRoot),
     "This is not a 'Ref. Surf.' xml file.", false},
    {"s_RefSurf_Vamo.xml", [](auto p) { return WriteRefSurf(p, kX, kZ + 1); },
     "The size of 'Ref. Surf.' is not equal to that of 'OCT'.", false},
    {"s_Surfaces_Vamo.xml", Text(garbage),
     "File error: 'Surfaces'", false},
    {"s_Surfaces_Vamo.xml", Text(wrongRoot),
     "This is not a 'Surfaces' xml file.", false},
    {"s_Surfaces_Vamo.xml", Text(oldSurfaces),
     "The XML version is lower than 4.0.0.", false},
    {"s_Surfaces_Vamo.xml", [](auto p) { return WriteSurfaces(p, kY, kZ); },
     "The size of 'Surfaces' is not equal to that of 'OCT'.", false},
    {"s_Proj_Vamo.png", Text(garbage),
     "File error: 'Proj.'", false},
    {"s_Proj_Vamo.png", [](auto p) { return WriteImage(p, kZ, kX); },
     "The size of 'Proj.' is not equal to that of 'OCT'.", false},
    {"s_Disc_Vamo.png", Text(garbage),
     "File error: 'Disc'", false},
    {"s_Disc_Vamo.png", [](auto p) { return WriteImage(p, kX, kY); },
     "The size of 'Disc' is not equal to that of 'OCT'.", false},
    {"s_Vessel_Vamo.mhd", Text(garbage),
     "File error: 'Vessel'", false},
    {"s_Vessel_Vamo.mhd", [](auto p) { return WriteVolume(p, kX, kY - 1, kZ, 1, false); },
     "The size of 'Vessel' is not equal to that of 'OCT'.", false},
    {"s_SEAD_Vamo.mhd", Text(garbage),
     "File error: 'SEAD'", true},
    {"s_SEAD_Vamo.mhd", [](auto p) { return WriteVolume(p, kX, kY, kZ + 1, 1, false); },
     "The size of 'SEAD' is not equal to that of 'OCT'.", true},
    {"s_GridCenter_Vamo.xml", Text(garbage),
     "File error: 'Grid Center'", true},
    {"s_GridCenter_Vamo.xml", Text(wrongRoot),
     "This is not a 'Grid Center' xml file.", true},
    {"s_Markers_Vamo.xml", Text(garbage),
     "File error: 'Markers'", true},
    {"s_Markers_Vamo.xml", Text(oldMarkers),
     "The XML version is lower than 4.0.0.", true},
    {"s_Splines_Vamo.xml", Text(garbage),
     "File error: 'Splines'", true},
    {"s_Splines_Vamo.xml", Text(wrongRoot),
     "This is not a 'Splines' xml file.", true},
    {"s_OCT.mhd", Text(garbage),
     "File error: 'OCT'", false},
    {"s_OCT.mhd", [](auto p) { return fs::remove(p); },
     "Unsupporting OCT file!", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.file) + ": " + c.message);
    const std::string folder = WriteFullFolder("case" + std::to_string(&c - cases));
    ASSERT_TRUE(c.write(folder + "/" + c.file));
    EXPECT_FALSE(Open(folder));
    EXPECT_EQ(Messages(), std::vector<std::string>{c.message});
    // The chain stops at the failure: label meshes are built only when the chain gets there.
    EXPECT_EQ(fs::exists(folder + "/s_Vessel_Vamo.vtk"), c.vesselRead);
    EXPECT_FALSE(W().GetReadVolume().loaded);
    EXPECT_EQ(W().GetScanPath(), "");
  }
}


TEST_F(ScanWorkspaceLoading, MeshCacheIsWrittenReusedAndRebuiltWhenStale)
{
  const std::string folder = WriteFullFolder("mesh");
  const std::string labels = folder + "/s_Vessel_Vamo.mhd";
  const std::string cache = folder + "/s_Vessel_Vamo.vtk";
  ASSERT_TRUE(Open(folder));
  ASSERT_TRUE(fs::exists(cache));
  const size_t built = W().Slots().vessel.meshes[0].GetVertexCount();
  ASSERT_GT(built, 0u);

  // A cache newer than its labels is read as it is: here one of a single voxel.
  LOCTVolume single;
  const int size[3] = {kX, kY, kZ};
  const float spacing[3] = {0.01f, 0.002f, 0.05f};
  EXPECT_EQ(single.CreateVolume(size, FormatMetaImage, spacing, 1, LateralityOD, CenterMacula), 0);
  std::fill_n(single.Voxels(), single.VoxelCount(), static_cast<unsigned short>(0));
  single.Voxels()[kX + 1 + kX * kY * 2] = 255;
  LMesh other;
  other.SetLabelVolume(size, spacing, single.Voxels(), 1);
  EXPECT_TRUE(other.Build(true, 0));
  ASSERT_EQ(other.WriteVtk(cache), 0);
  ASSERT_NE(other.GetVertexCount(), built);
  ASSERT_TRUE(Open(folder));
  EXPECT_EQ(W().Slots().vessel.meshes[0].GetVertexCount(), other.GetVertexCount());

  const struct { const char* what; bool corrupt; } stale[] = {{"older than its labels", false}, {"unreadable", true}};
  for (const auto& c : stale) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(other.WriteVtk(cache), 0);
    if (c.corrupt)
      ASSERT_TRUE(fixtures::WriteText(cache, "# vtk DataFile Version 3.0\ncut"));
    else
      fs::last_write_time(labels, fs::last_write_time(cache) + std::chrono::seconds(10));
    ASSERT_TRUE(Open(folder));
    EXPECT_EQ(W().Slots().vessel.meshes[0].GetVertexCount(), built);
    LMesh reread;
    ASSERT_EQ(reread.ReadVtk(cache, size, spacing), 0);
    EXPECT_EQ(reread.GetVertexCount(), built);
  }
}

TEST_F(ScanWorkspaceLoading, LabelsOnAReadOnlyDiskOpenWithTheirMeshBuiltInMemory)
{
  const std::string source = WriteFullFolder("source");
  const std::string folder = File("readonly");
  fs::create_directories(folder);
  // Tests run as root, who writes through any permission bits: a read-only mount is the
  // one sure read-only disk.
  if (fixtures::RunCommand("mount -t tmpfs -o size=8m tmpfs '" + folder + "' 2>/dev/null") != 0)
    GTEST_SKIP() << "mounting a tmpfs is not allowed here";
  struct Unmount {
    std::string path;
    ~Unmount() { fixtures::RunCommand("umount '" + path + "'"); }
  } unmount{folder};
  ASSERT_EQ(fixtures::RunCommand("cp -a '" + source + "/.' '" + folder + "' && mount -o remount,ro '" +
                                 folder + "'"), 0);

  const StdoutCapture out;
  ASSERT_TRUE(Open(folder));
  EXPECT_EQ(Messages(), std::vector<std::string>{});
  EXPECT_GT(W().Slots().vessel.meshes[0].GetVertexCount(), 0u);
  EXPECT_GT(W().Slots().sead.meshes[0].GetVertexCount(), 0u);
  EXPECT_FALSE(fs::exists(folder + "/s_Vessel_Vamo.vtk"));
  for (const char* kind : {"Vessel", "SEAD"})
    EXPECT_NE(out.Text().find("Warning: The mesh cache " + folder + "/s_" + kind +
                              "_Vamo.vtk cannot be written\n"), std::string::npos) << out.Text();
}


// On a full disk the conversion fails with its message and leaves nothing beside the TIFF:
// no header, no data file, no temporary.
TEST_F(ScanWorkspaceLoading, ATiffConversionOnAFullDiskLeavesNothingBehind)
{
  const SmallDisk disk;
  if (!disk.Mounted())
    GTEST_SKIP() << SmallDisk::SkipReason();
  ASSERT_EQ(fixtures::RunCommand("cd '" + disk.Path().string() + "' && /usr/bin/python3 -c \"\n"
                                 "import tifffile, numpy as np\n"
                                 "tifffile.imwrite('a.tif', np.arange(20*48*64, dtype=np.uint16).reshape(20, 48, 64), "
                                 "photometric='minisblack')\n\""),
            0);
  ASSERT_TRUE(disk.FillLeaving(64 * 1024));  // room for half the voxels
  m_Space.prompts.voxelSize = {1.0f, 1.0f, 1.0f};
  const StdoutCapture quiet(2);
  EXPECT_FALSE(W().OpenOCTFile(disk.File("a.tif")));
  EXPECT_EQ(Messages(), std::vector<std::string>{"File error: 'OCT'"});
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(disk.Path()))
    left.push_back(entry.path().filename().string());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"a.tif", "filler"}));
}

// What a killed save leaves (a hidden temporary, or a hidden folder of staged files named
// like results) is neither loaded with the folder nor found by the thickness analysis.
TEST_F(ScanWorkspaceLoading, HiddenLeftoversAreNotTheFolders)
{
  const std::string folder = WriteFullFolder("leftovers");
  ASSERT_TRUE(fixtures::WriteText(folder + "/.s_Surfaces_Vamo.xml.Ab12Cd", "<half"));
  fs::create_directory(folder + "/.sv-Ab12Cd");
  ASSERT_TRUE(fixtures::WriteText(folder + "/.sv-Ab12Cd/s_Surfaces_Vamo.xml", "<half"));
  ASSERT_TRUE(fixtures::WriteText(folder + "/.sv-Ab12Cd/s_OCT.mhd", "half"));
  ASSERT_TRUE(Open(folder));
  EXPECT_TRUE(Messages().empty()) << Messages().front();
  EXPECT_EQ(W().GetScanPath(), folder + "/s_OCT.mhd");
  ASSERT_EQ(W().Slots().surfaces.count, 1);
  EXPECT_EQ(W().Slots().surfaces.pathList.GetAt(0), folder + "/s_Surfaces_Vamo.xml");

  CSortStringArray found;
  ListFilesRecursive(m_Space.dir.Path().string(), "_Surfaces_", found);
  ASSERT_EQ(found.GetSize(), 1);
  EXPECT_EQ(found.GetAt(0), folder + "/s_Surfaces_Vamo.xml");
}

}  // namespace
