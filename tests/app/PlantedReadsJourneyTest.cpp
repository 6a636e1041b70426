// A colleague who can write the lab folder plants things under the names the program reads;
// the user then opens the folder, one scan file or one result file in a view. Every road
// returns at once, tells the user which file it could not read, and changes no file outside
// what the user chose.
#include "app/CStrataviewView.h"
#include "data/DecoderHelper.h"
#include "fixtures/DemoView.h"
#include "fixtures/FixtureFiles.h"
#include "fixtures/PeakResident.h"
#include "fixtures/PlantedThings.h"
#include "fixtures/ScopedDecoder.h"
#include "fixtures/TempDir.h"
#include "model/LoadMessages.h"
#include "model/ResultKind.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace fs = std::filesystem;
using fixtures::Planted;

namespace {

constexpr unsigned kSecondsPerRoad = 60;  // far beyond what any road takes, even sanitized
const char* const kCaches[] = {"Demo_Vessel_Vamo.vtk", "Demo_SEAD_Vamo.vtk"};

// A MetaImage file over a data file of `bytes` bytes that reads as 0 but at `set`, where it
// holds `value`: sparse on disk, however large the volume.
bool WriteSparseVolume(const std::string& header, const char* elementType, uint64_t bytes,
                       const std::vector<uint64_t>& set, char value)
{
  const std::string data = header.substr(0, header.size() - 4) + ".raw";
  {
    std::ofstream out(data, std::ios::binary);
    for (const uint64_t at : set)
      out.seekp(std::streamoff(at)).put(value);
    if (!out)
      return false;
  }
  std::error_code error;
  fs::resize_file(data, bytes, error);
  return !error && fixtures::WriteText(header, "ObjectType = Image\nNDims = 3\nDimSize = 256 512 96\n"
                                               "ElementSpacing = 0.0234375 0.00390625 0.0625\nElementType = " +
                                                   std::string(elementType) + "\nElementDataFile = " +
                                                   fs::path(data).filename().string() + "\n");
}

// A scan of 256 x 512 x 96 voxels, so large that by its size alone its vessel label's mesh
// cache could be larger than 3 GB, with no signal and a vessel label of a 2 x 2 x 2 block.
bool WriteLargeSparseScan(const fs::path& folder)
{
  constexpr uint64_t kVoxels = uint64_t(256) * 512 * 96;
  std::vector<uint64_t> block;
  for (uint64_t z = 48; z < 50; ++z)
    for (uint64_t y = 256; y < 258; ++y)
      for (uint64_t x = 128; x < 130; ++x)
        block.push_back(x + 256 * (y + 512 * z));
  return WriteSparseVolume((folder / "Demo_OCT.mhd").string(), "MET_USHORT", 2 * kVoxels, {}, 0) &&
         WriteSparseVolume((folder / "Demo_Vessel_Vamo.mhd").string(), "MET_UCHAR", kVoxels, block, char(255));
}

// What tells a file's content apart without reading it: a cache written again is a new file.
std::pair<ino_t, int64_t> Identity(const std::string& path)
{
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0)
    return {0, 0};
  return {status.st_ino, int64_t(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec};
}

// A lab share with the small demo in it, as a sticky or a plain group-writable folder, and a
// private folder of the user's that nothing may touch.
class PlantedReadsJourneyTest : public ::testing::TestWithParam<mode_t> {
protected:
  void SetUp() override
  {
    if (!m_Shared.Ready())
      GTEST_SKIP() << SharedFolder::SkipReason();
    ASSERT_TRUE(fixtures::MakeSmallDemo(m_Pristine.Path().string()));
    ASSERT_TRUE(m_Demo.OpenFolder(m_Pristine.Path().string()));  // which writes its mesh caches
    FreshDemo();
    ASSERT_TRUE(fixtures::WriteText(m_Private.File("notes.txt"), "private notes\n"));
    fs::permissions(m_Private.Path(), fs::perms::owner_all);
  }

  std::string Shared(const std::string& name) const { return m_Shared.File(name); }

  // The share holds the demo as the generator made it again, and nothing else.
  void FreshDemo() const
  {
    for (const fs::directory_entry& entry : fs::directory_iterator(m_Shared.Path()))
      fs::remove_all(entry.path());
    fs::copy(m_Pristine.Path(), m_Shared.Path());
  }
  fs::path PrivateFile() const { return m_Private.Path() / "notes.txt"; }

  void Plant(const std::string& name, Planted thing)
  {
    ASSERT_TRUE(fixtures::Plant(m_Shared, name, thing, PrivateFile())) << fixtures::Describe(thing) << " at " << name;
    m_Before = fixtures::Snapshot(m_Shared.Path());
    m_PrivateBefore = fixtures::Snapshot(m_Private.Path());
    m_Demo.Messages().clear();
    m_Demo.Details().clear();
  }

  // Only the mesh caches, which the program writes itself, may have changed in the share.
  void ExpectNothingElseChanged()
  {
    const std::set<std::string> caches(std::begin(kCaches), std::end(kCaches));
    EXPECT_EQ(fixtures::ChangedNames(m_Before, fixtures::Snapshot(m_Shared.Path()), caches), std::set<std::string>{});
    EXPECT_EQ(fixtures::ChangedNames(m_PrivateBefore, fixtures::Snapshot(m_Private.Path())), std::set<std::string>{});
  }

  // One message, the kind's, with the planted file named below it.
  void ExpectRefused(const std::string& message, const std::string& planted, const char* reason = "")
  {
    ASSERT_EQ(m_Demo.Messages(), std::vector<std::string>{message});
    const std::string& detail = m_Demo.Details().front();
    EXPECT_NE(detail.find(planted), std::string::npos) << detail;
    EXPECT_NE(detail.find(reason), std::string::npos) << detail;
  }

  const SharedFolder m_Shared{GetParam()};
  const TempDir m_Pristine;
  const TempDir m_Private;
  fixtures::DemoView m_Demo;
  std::map<std::string, std::string> m_Before, m_PrivateBefore;
};

// What opening the folder does with a thing planted under a name, in the words of the loader.
struct FolderCase {
  const char* name;
  Planted thing;
  bool opens;
  const char* message;  // the one message shown, or null for none (or, for a cache, at most
                        // the refusal to write it)
  const char* reason;   // a part of the detail below the message
};

const FolderCase kFolderCases[] = {
    // Anything but a file (or a link to one) under a result's name is not listed.
    {"Demo_Markers_Vamo.xml", Planted::Pipe, true, nullptr, ""},
    {"Demo_Markers_Vamo.xml", Planted::Socket, true, nullptr, ""},
    {"Demo_Markers_Vamo.xml", Planted::Folder, true, nullptr, ""},
    {"Demo_Markers_Vamo.xml", Planted::LinkToPipe, true, nullptr, ""},
    {"Demo_Markers_Vamo.xml", Planted::LinkToPrivate, false, "File error: 'Markers'", "link out of the folder"},
    {"Demo_Markers_Vamo.xml", Planted::HardLink, false, "File error: 'Markers'", ""},
    {"Demo_Markers_Vamo.xml", Planted::HugeSparse, false, "File error: 'Markers'", "larger than a scan of this size needs"},
    {"Demo_Surfaces_Vamo.xml", Planted::HugeSparse, false, "File error: 'Surfaces'", "larger than a scan of this size needs"},
    {"Demo_Splines_Vamo.xml", Planted::HugeSparse, false, "File error: 'Splines'", "3221225472 bytes"},
    {"Demo_GridCenter_Vamo.xml", Planted::HugeSparse, false, "File error: 'Grid Center'", "3221225472 bytes"},
    {"Demo_RefSurf_Vamo.xml", Planted::HugeSparse, false, "File error: 'Ref. Surf.'", "3221225472 bytes"},
    // The scan's data file, which its header names.
    {"Demo_OCT.raw", Planted::Pipe, false, "File error: 'OCT'", "not a regular file"},
    {"Demo_OCT.raw", Planted::Socket, false, "File error: 'OCT'", "not a regular file"},
    {"Demo_OCT.raw", Planted::Folder, false, "File error: 'OCT'", "is a folder"},
    {"Demo_OCT.raw", Planted::LinkToPipe, false, "File error: 'OCT'", "not a regular file"},
    {"Demo_OCT.raw", Planted::LinkToPrivate, false, "File error: 'OCT'", "link out of the folder"},
    {"Demo_OCT.raw", Planted::HardLink, false, "File error: 'OCT'", "holds less than its header"},
    {"Demo_OCT.raw", Planted::HugeSparse, true, nullptr, ""},  // the voxels are its first bytes
};

TEST_P(PlantedReadsJourneyTest, OpeningTheFolderReturnsAndNamesWhatItCannotRead)
{
  for (const FolderCase& c : kFolderCases) {
    SCOPED_TRACE(std::string(fixtures::Describe(c.thing)) + " at " + c.name);
    Plant(c.name, c.thing);
    {
      const fixtures::Watchdog watchdog(kSecondsPerRoad);
      EXPECT_EQ(m_Demo.OpenFolder(m_Shared.Path().string()), c.opens);
    }
    if (c.message) {
      ExpectRefused(c.message, Shared(c.name), c.reason);
    } else {
      EXPECT_EQ(m_Demo.Messages(), std::vector<std::string>{});
    }
    ExpectNothingElseChanged();
    FreshDemo();
  }
}

// A mesh cache that cannot be read is built again from the labels and shown; where the cache's
// name is not the program's to write, the user is told and the mesh is kept in memory.
TEST_P(PlantedReadsJourneyTest, AnUnreadableMeshCacheIsBuiltAgainAndTheScanShown)
{
  for (const Planted thing : fixtures::kEveryPlanted) {
    SCOPED_TRACE(fixtures::Describe(thing));
    ASSERT_TRUE(m_Demo.OpenFolder(m_Shared.Path().string()));  // the caches are there now
    Plant(kCaches[0], thing);
    {
      const fixtures::Watchdog watchdog(kSecondsPerRoad);
      ASSERT_TRUE(m_Demo.OpenFolder(m_Shared.Path().string()));
    }
    EXPECT_TRUE(m_Demo.View().GetDisplayedVolume().loaded);
    EXPECT_GT(m_Demo.View().Workspace().Slots().vessel.meshes[0].GetIndexCount(), 0u) << "the mesh is shown";
    ASSERT_LE(m_Demo.Messages().size(), 1u);
    if (!m_Demo.Messages().empty()) {
      EXPECT_EQ(m_Demo.Messages().front(), loadmessages::NameRefused(Shared(kCaches[0])));
    }
    ExpectNothingElseChanged();
  }
}

// Beside a label of a few voxels, a mesh cache can only be small, however large the scan: a
// sparse 3 GB file under the cache's name is refused unread and the mesh built again, while
// the program's own cache of that label is read, not built again.
TEST_P(PlantedReadsJourneyTest, AHugeCacheBesideAFewLabelledVoxelsOfALargeScanIsBuiltAgain)
{
  for (const fs::directory_entry& entry : fs::directory_iterator(m_Shared.Path()))
    fs::remove_all(entry.path());
  ASSERT_TRUE(WriteLargeSparseScan(m_Shared.Path()));
  const std::string cache = Shared(kCaches[0]);
  const auto shownMesh = [&]() -> const LMesh& { return m_Demo.View().Workspace().Slots().vessel.meshes[0]; };
  ASSERT_TRUE(m_Demo.OpenFolder(m_Shared.Path().string()));  // which writes the cache
  const size_t indices = shownMesh().GetIndexCount();
  EXPECT_GT(indices, 0u);
  const auto written = Identity(cache);
  ASSERT_NE(written.first, 0u) << "the cache is written";

  ASSERT_TRUE(m_Demo.OpenFolder(m_Shared.Path().string()));
  EXPECT_EQ(Identity(cache), written) << "the program's own cache is read, not built again";
  EXPECT_EQ(shownMesh().GetIndexCount(), indices);

  Plant(kCaches[0], Planted::HugeSparse);
  fixtures::ResetPeakResident();
  const uint64_t peakBefore = fixtures::PeakResidentBytes();
  {
    const fixtures::Watchdog watchdog(kSecondsPerRoad);
    ASSERT_TRUE(m_Demo.OpenFolder(m_Shared.Path().string()));
  }
  EXPECT_LT(fixtures::PeakResidentBytes(), peakBefore + (uint64_t(1) << 30)) << "no memory taken for the file";
  EXPECT_TRUE(m_Demo.View().GetDisplayedVolume().loaded);
  EXPECT_EQ(shownMesh().GetIndexCount(), indices) << "the mesh is built again and shown";
  ASSERT_LE(m_Demo.Messages().size(), 1u);
  if (!m_Demo.Messages().empty()) {
    EXPECT_EQ(m_Demo.Messages().front(), loadmessages::NameRefused(cache));
  }
  ExpectNothingElseChanged();
}

// A colleague's link to a private scan of the user's, left in the folder as its scan: the
// folder's listing does not read it, so neither the view nor the executables' copy of the
// scan brings it into the folder; named by the user on the File tab, it is the user's choice
// and opens.
TEST_P(PlantedReadsJourneyTest, AScanListedAsALinkOutOfTheFolderIsReadOnlyWhenTheUserNamesIt)
{
  const std::string scan = fixtures::CopySample("heidelberg_valid.vol", m_Private.Path().string());
  ASSERT_TRUE(m_Shared.PlantLink("Demo_OCT.vol", scan));  // listed after Demo_OCT.mhd: the scan
  m_Before = fixtures::Snapshot(m_Shared.Path());
  m_PrivateBefore = fixtures::Snapshot(m_Private.Path());
  {
    const fixtures::Watchdog watchdog(kSecondsPerRoad);
    EXPECT_FALSE(m_Demo.OpenFolder(m_Shared.Path().string()));
  }
  ExpectRefused(loadmessages::FileError(ResultKind::OCT), Shared("Demo_OCT.vol"), "is a link out of the folder");
  ExpectNothingElseChanged();
  m_Demo.Messages().clear();
  m_Demo.Details().clear();
  EXPECT_TRUE(m_Demo.OpenFile(Shared("Demo_OCT.vol")));
  EXPECT_EQ(m_Demo.Messages(), std::vector<std::string>{});
  ExpectNothingElseChanged();
}

// The scan file or a result file the user names (on the File tab or the command line) is
// refused at once when it is not a file.
TEST_P(PlantedReadsJourneyTest, ANamedFileThatIsNotAFileIsRefusedAtOnce)
{
  ASSERT_TRUE(m_Demo.OpenFolder(m_Shared.Path().string()));
  const struct {
    ResultKind kind;
    const char* name;
  } kNamed[] = {
      {ResultKind::OCT, "Demo_OCT.mhd"},          {ResultKind::RefSurf, "Demo_RefSurf_Vamo.xml"},
      {ResultKind::Surfaces, "Demo_Surfaces_Vamo.xml"}, {ResultKind::Proj, "Demo_Proj_Vamo.png"},
      {ResultKind::Disc, "Demo_Disc_Vamo.png"},   {ResultKind::Vessel, "Demo_Vessel_Vamo.mhd"},
      {ResultKind::SEAD, "Demo_SEAD_Vamo.mhd"},   {ResultKind::GridCenter, "Demo_GridCenter_Vamo.xml"},
      {ResultKind::Markers, "Demo_Markers_Vamo.xml"}, {ResultKind::Splines, "Demo_Splines_Vamo.xml"},
  };
  for (const Planted thing : {Planted::Pipe, Planted::Socket, Planted::Folder, Planted::LinkToPipe}) {
    for (const auto& named : kNamed) {
      SCOPED_TRACE(std::string(fixtures::Describe(thing)) + " named as " + named.name);
      Plant(named.name, thing);
      bool opened = true;
      {
        const fixtures::Watchdog watchdog(kSecondsPerRoad);
        opened = named.kind == ResultKind::OCT ? m_Demo.OpenFile(Shared(named.name))
                                               : m_Demo.View().OpenResultFile(named.kind, Shared(named.name));
      }
      EXPECT_FALSE(opened);
      ExpectRefused(loadmessages::FileError(named.kind), Shared(named.name), "not a");
      ExpectNothingElseChanged();
    }
    FreshDemo();
  }
}

// A result file listed with the folder and swapped for a pipe before it is read (here while
// the scan's voxels are read, which comes first) is refused, not waited on.
TEST_P(PlantedReadsJourneyTest, AFileSwappedForAPipeAfterTheListingIsRefused)
{
  const fixtures::ScopedDecoder decoder;
  const struct {
    ResultKind kind;
    const char* name;
  } kSwapped[] = {{ResultKind::Surfaces, "Demo_Surfaces_Vamo.xml"},
                  {ResultKind::Markers, "Demo_Markers_Vamo.xml"},
                  {ResultKind::Splines, "Demo_Splines_Vamo.xml"}};
  for (const auto& swap : kSwapped) {
    const char* const name = swap.name;
    SCOPED_TRACE(name);
    FreshDemo();
    m_Demo.Messages().clear();
    m_Demo.Details().clear();
    bool swapped = false;
    decoder::SetBeforeVoxelRead([&](const std::string&) {
      if (!swapped)
        swapped = fixtures::Plant(m_Shared, name, Planted::Pipe, PrivateFile());
    });
    {
      const fixtures::Watchdog watchdog(kSecondsPerRoad);
      EXPECT_FALSE(m_Demo.OpenFolder(m_Shared.Path().string()));
    }
    decoder::SetBeforeVoxelRead(nullptr);
    ASSERT_TRUE(swapped);
    ExpectRefused(loadmessages::FileError(swap.kind), Shared(name), "named pipe");
  }
}

INSTANTIATE_TEST_SUITE_P(StickyAndPlain, PlantedReadsJourneyTest, ::testing::Values(mode_t(01775), mode_t(0775)),
                         [](const ::testing::TestParamInfo<mode_t>& info) {
                           return info.param & S_ISVTX ? std::string("Sticky") : std::string("GroupWritable");
                         });

}  // namespace
