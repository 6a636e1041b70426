// Every reader of the program meets what a colleague may plant under the name it reads: it
// returns at once, says which file and why, and takes no memory for a file larger than its
// kind can be. A header's data file is read only from the header's own folder.
#include "data/Diagnostics.h"
#include "data/LExecutableList.h"
#include "data/LGrid.h"
#include "data/LImage2D.h"
#include "data/LMarkers.h"
#include "data/LMesh.h"
#include "data/LOCTVolume.h"
#include "data/LSurfaces.h"
#include "data/ReadBounds.h"
#include "data/ReadableFile.h"
#include "data/TiffPageCheck.h"
#include "fixtures/ByteWriter.h"
#include "fixtures/FixtureFiles.h"
#include "fixtures/HeapInUse.h"
#include "fixtures/PeakResident.h"
#include "fixtures/PlantedThings.h"
#include "fixtures/ScanFolderFiles.h"
#include "fixtures/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

namespace fs = std::filesystem;
using fixtures::Planted;

namespace {

constexpr unsigned kSecondsPerRead = 30;
const int kSize[3] = {fixtures::kScanX, fixtures::kScanY, fixtures::kScanZ};
const float kSpacing[3] = {0.01f, 0.002f, 0.05f};
const uint64_t kVoxels = uint64_t(kSize[0]) * kSize[1] * kSize[2];
// A scan large enough that its size alone would let a mesh cache of 3 GB through, with a
// label of a few voxels in it.
const int kLargeSize[3] = {256, 512, 96};
const float kLargeSpacing[3] = {6.0f / 256, 2.0f / 512, 6.0f / 96};
const uint64_t kLargeVoxels = uint64_t(kLargeSize[0]) * kLargeSize[1] * kLargeSize[2];
constexpr uint64_t kFewInside = 8;
constexpr uint64_t kPlantedBytes = uint64_t(3) << 30;

// One reader on one path: true when it read the file.
struct Road {
  const char* what;
  const char* name;  // the name it reads, in the shared folder
  std::function<bool(const std::string&)> read;
};

const Road kRoads[] = {
    {"a Heidelberg scan", "s_OCT.vol", [](const std::string& p) { return LOCTVolume().ReadScanFile(p) == kScanOk; }},
    {"a MetaImage scan", "s_OCT.mhd", [](const std::string& p) { return LOCTVolume().ReadScanFile(p) == kScanOk; }},
    {"a NIfTI scan", "s_OCT.nii.gz", [](const std::string& p) { return LOCTVolume().ReadScanFile(p) == kScanOk; }},
    {"a surfaces file", "s_Surfaces_Vamo.xml",
     [](const std::string& p) { return LSurfaces().ReadXml(p, readbounds::SurfacesFileBytes(kSize[0], kSize[2])) == 0; }},
    {"a markers file", "s_Markers_Vamo.xml",
     [](const std::string& p) { return LMarkers().ReadXml(p, readbounds::PointFileBytes(kSize[0], kSize[1], kSize[2])) == 0; }},
    {"a mesh cache", "s_Vessel_Vamo.vtk",
     [](const std::string& p) {
       return LMesh().ReadVtk(p, kSize, kSpacing, readbounds::MeshCacheBytes(kSize, kSpacing, kVoxels)) == 0;
     }},
    {"the mesh cache of a few labelled voxels in a large scan", "b_Vessel_Vamo.vtk",
     [](const std::string& p) {
       return LMesh().ReadVtk(p, kLargeSize, kLargeSpacing,
                              readbounds::MeshCacheBytes(kLargeSize, kLargeSpacing, kFewInside)) == 0;
     }},
    {"the executables list", "Executables.xml", [](const std::string& p) { return LExecutableList().Read(p) == 0; }},
    {"a grid", "Grid_Circle_Macula_ETDRS.xml", [](const std::string& p) { return LGrid().ReadXml(p) == 0; }},
    {"an image", "s_Proj_Vamo.png", [](const std::string& p) { return LImage2D().Load(p) == 0; }},
};

bool IsMeshCache(const Road& road)
{
  return std::string(road.name).find(".vtk") != std::string::npos;
}

// Reads that are bounded by the scan: a huge file is refused without being read.
bool Bounded(const Road& road)
{
  const std::string name = road.name;
  return name.find(".xml") != std::string::npos ? name.find("_Vamo") != std::string::npos : IsMeshCache(road);
}

TEST(PlantedReads, EveryReaderRefusesWhatIsNotAFileAtOnceAndSaysWhy)
{
  const SharedFolder shared;
  if (!shared.Ready())
    GTEST_SKIP() << SharedFolder::SkipReason();
  const TempDir mine;
  ASSERT_TRUE(fixtures::WriteText(mine.File("notes.txt"), "private notes\n"));
  for (const Planted thing : {Planted::Pipe, Planted::Socket, Planted::Folder, Planted::LinkToPipe}) {
    for (const Road& road : kRoads) {
      SCOPED_TRACE(std::string(fixtures::Describe(thing)) + " read as " + road.what);
      ASSERT_TRUE(fixtures::Plant(shared, road.name, thing, mine.File("notes.txt")));
      const diag::ScopedReasons reasons;
      {
        const fixtures::Watchdog watchdog(kSecondsPerRead);
        EXPECT_FALSE(road.read(shared.File(road.name)));
      }
      if (!IsMeshCache(road)) {  // the cache's reader prints nothing
        EXPECT_NE(reasons.Text().find(shared.File(road.name) + ": is a"), std::string::npos) << reasons.Text();
      }
    }
  }
}

// A sparse file of 3 GB under a result's or a cache's name is refused by its size, before any
// memory is taken for it.
TEST(PlantedReads, AFileLargerThanItsKindCanBeIsRefusedUnread)
{
  const SharedFolder shared;
  if (!shared.Ready())
    GTEST_SKIP() << SharedFolder::SkipReason();
  ASSERT_GT(readbounds::MeshCacheBytes(kLargeSize, kLargeSpacing, kLargeVoxels), kPlantedBytes)
      << "the large scan's size alone lets the planted file through";
  for (const Road& road : kRoads) {
    if (!Bounded(road))
      continue;
    SCOPED_TRACE(road.what);
    ASSERT_TRUE(fixtures::Plant(shared, road.name, Planted::HugeSparse, ""));
    const diag::ScopedReasons reasons;
    const size_t heapBefore = fixtures::HeapInUse();
    fixtures::ResetPeakResident();
    const uint64_t peakBefore = fixtures::PeakResidentBytes();
    {
      const fixtures::Watchdog watchdog(kSecondsPerRead);
      EXPECT_FALSE(road.read(shared.File(road.name)));
    }
    EXPECT_LT(fixtures::PeakResidentBytes(), peakBefore + kPlantedBytes / 4) << "no memory taken for the file";
    EXPECT_LT(fixtures::HeapInUse(), heapBefore + (size_t(1) << 20)) << "no memory kept for the file";
    if (!IsMeshCache(road)) {
      EXPECT_NE(reasons.Text().find("3221225472 bytes is larger than a scan of this size needs"), std::string::npos)
          << reasons.Text();
    }
  }
}

// The bounds let every file the program itself writes for the scan pass, with room to spare.
TEST(PlantedReads, RealFilesOfTheScanPassTheirBounds)
{
  const TempDir dir;
  ASSERT_TRUE(fixtures::WriteFullFolder(dir.File("full")));
  const std::string f = dir.File("full") + "/s";
  EXPECT_EQ(LSurfaces().ReadXml(f + "_Surfaces_Vamo.xml", readbounds::SurfacesFileBytes(kSize[0], kSize[2])), 0);
  EXPECT_EQ(LMarkers().ReadXml(f + "_Markers_Vamo.xml", readbounds::PointFileBytes(kSize[0], kSize[1], kSize[2])), 0);
}

// A surfaces file read without its scan is bounded by the grid its head declares, and never by
// more than the grid of the largest scan the readers accept.
TEST(PlantedReads, ASurfacesFileWithoutItsScanIsBoundedByTheGridItDeclares)
{
  const uint64_t largest = readbounds::SurfacesFileBytes(int(kMaxScanVoxels / 1024), 1024);
  const struct {
    const char* head;
    uint64_t bound;
  } kHeads[] = {
      {"<surfaces><scan_characteristics><size><x>512</x><y>1024</y><z>128</z></size>",
       readbounds::SurfacesFileBytes(512, 128)},
      {"<size><x>16</x><z>6</z></size><surface_size><x>512</x><z>128</z></surface_size>",
       readbounds::SurfacesFileBytes(512, 128)},
      {"<surface_size><x>16</x><z>6</z></surface_size>", readbounds::SurfacesFileBytes(16, 6)},
      {"<size>\n  <x> 16 </x>\n  <z>6</z>\n</size><x>9999</x>", readbounds::SurfacesFileBytes(16, 6)},
      {"<surfaces><version>4.0.0</version>", readbounds::SurfacesFileBytes(0, 0)},
      {"<size><x>-5</x><z>7</z></size>", readbounds::SurfacesFileBytes(0, 7)},
      {"<size><x>2000000000</x><z>1024</z></size>", largest},
      {"<size><x>512</x><z>128</z>", readbounds::SurfacesFileBytes(0, 0)},  // the size never ends
  };
  for (const auto& h : kHeads) {
    SCOPED_TRACE(h.head);
    EXPECT_EQ(readbounds::DeclaredSurfacesFileBytes(h.head), h.bound);
  }
  // The real file of the scan passes the bound of the grid it declares.
  const TempDir dir;
  ASSERT_TRUE(fixtures::WriteFullFolder(dir.File("full")));
  const std::string surfaces = dir.File("full/s_Surfaces_Vamo.xml");
  std::string head;
  ASSERT_TRUE(readable::ReadHead(surfaces, readbounds::kResultHeaderBytes, head));
  EXPECT_EQ(readbounds::DeclaredSurfacesFileBytes(head), readbounds::SurfacesFileBytes(kSize[0], kSize[2]));
  EXPECT_EQ(LSurfaces().ReadXml(surfaces, readbounds::DeclaredSurfacesFileBytes(head)), 0);
}

// The mesh cache the program writes for a label passes the bound counted from that label.
TEST(PlantedReads, TheMeshCacheOfEveryLabelPassesItsBound)
{
  const auto checkerboard = [](uint64_t x, uint64_t y, uint64_t z) { return (x + y + z) % 2 == 1; };
  const auto fewVoxels = [](uint64_t x, uint64_t y, uint64_t z) {
    return (x / 2 == 3 && y / 2 == 5 && z / 2 == 1) || (x == 12 && y == 20 && z == 4);
  };
  const auto none = [](uint64_t, uint64_t, uint64_t) { return false; };
  const struct {
    const char* what;
    int bytesPerVoxel;
    unsigned short value;  // of the set voxels
    std::function<bool(uint64_t, uint64_t, uint64_t)> set;
  } kLabels[] = {
      // Every other voxel set: the densest label there is, with the largest mesh of the size.
      {"the densest label", 1, 255, checkerboard},
      {"the densest label, just inside", 1, 128, checkerboard},
      {"the densest 16-bit label, just inside", 2, 32768, checkerboard},
      {"a block and a voxel", 1, 255, fewVoxels},
      {"a block and a voxel of 16 bits", 2, 65535, fewVoxels},
      {"no label", 1, 0, none},
  };
  const TempDir dir;
  for (const auto& label : kLabels) {
    SCOPED_TRACE(label.what);
    LOCTVolume labels;
    ASSERT_EQ(labels.CreateVolume(kSize, FormatMetaImage, kSpacing, label.bytesPerVoxel, LateralityOD, CenterMacula), 0);
    for (uint64_t i = 0; i < labels.VoxelCount(); ++i) {
      const uint64_t x = i % kSize[0], y = i / kSize[0] % kSize[1], z = i / kSize[0] / kSize[1];
      labels.Voxels()[i] = label.set(x, y, z) ? label.value : 0;
    }
    LMesh mesh;
    mesh.SetLabelVolume(kSize, kSpacing, labels.Voxels(), label.bytesPerVoxel);
    ASSERT_TRUE(mesh.Build(true, 0));
    ASSERT_EQ(mesh.WriteVtk(dir.File("labels.vtk")), 0);
    const uint64_t bound = readbounds::MeshCacheBytes(
        kSize, kSpacing, CountMeshInsideVoxels(labels.Voxels(), labels.VoxelCount(), label.bytesPerVoxel));
    EXPECT_LT(fs::file_size(dir.File("labels.vtk")), bound);
    EXPECT_LE(bound, readbounds::MeshCacheBytes(kSize, kSpacing, kVoxels)) << "the scan's size caps the bound";
    LMesh read;
    EXPECT_EQ(read.ReadVtk(dir.File("labels.vtk"), kSize, kSpacing, bound), 0);
    EXPECT_EQ(read.GetIndexCount(), mesh.GetIndexCount());
  }
}

std::string MetaImageHeader(const std::string& dataFile, int z = 2)
{
  return "ObjectType = Image\nNDims = 3\nDimSize = 4 3 " + std::to_string(z) +
         "\nElementType = MET_UCHAR\nElementDataFile = " + dataFile + "\n";
}

// A header's data file outside the header's folder is not read, whichever way it is named.
TEST(PlantedReads, AHeaderReadsItsDataOnlyFromItsOwnFolder)
{
  const TempDir dir;
  const std::string voxels(24, '\x07');
  fs::create_directories(dir.File("lab/sub"));
  fs::create_directories(dir.File("private"));
  ASSERT_TRUE(fixtures::WriteText(dir.File("private/secret.raw"), voxels));
  ASSERT_TRUE(fixtures::WriteText(dir.File("lab/sub/inside.raw"), voxels));
  ASSERT_TRUE(fixtures::WriteText(dir.File("lab/beside.raw"), voxels));
  fs::create_symlink(dir.File("private/secret.raw"), dir.File("lab/link.raw"));
  fs::create_symlink(dir.File("private"), dir.File("lab/linked"));
  const struct {
    const char* dataFile;
    bool read;
  } kCases[] = {
      {"beside.raw", true},
      {"sub/inside.raw", true},
      {"sub/../beside.raw", true},
      {"../private/secret.raw", false},
      {"link.raw", false},
      {"linked/secret.raw", false},
      {"LIST\nbeside.raw\n../private/secret.raw", false},
      {"LIST\nbeside.raw\nsub/inside.raw", true},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.dataFile);
    ASSERT_TRUE(fixtures::WriteText(dir.File("lab/s_OCT.mhd"), MetaImageHeader(c.dataFile)));
    const diag::ScopedReasons reasons;
    LOCTVolume volume;
    EXPECT_EQ(volume.ReadScanFile(dir.File("lab/s_OCT.mhd")) == kScanOk, c.read) << reasons.Text();
    if (!c.read) {
      EXPECT_NE(reasons.Text().find("of its header " + dir.File("lab/s_OCT.mhd")), std::string::npos) << reasons.Text();
    }
  }
  const std::string absolute = dir.File("private/secret.raw");
  ASSERT_TRUE(fixtures::WriteText(dir.File("lab/s_OCT.mhd"), MetaImageHeader(absolute)));
  EXPECT_NE(LOCTVolume().ReadScanFile(dir.File("lab/s_OCT.mhd")), kScanOk) << "an absolute path elsewhere";
  // An Analyze header's data file found by its name, a link out of the folder.
  ASSERT_TRUE(fixtures::WriteVolume(dir.File("private/a.hdr"), 4, 3, 2, 1, false));
  fs::copy_file(dir.File("private/a.hdr"), dir.File("lab/a.hdr"));
  fs::create_symlink(dir.File("private/a.img"), dir.File("lab/a.img"));
  EXPECT_NE(LOCTVolume().ReadScanFile(dir.File("lab/a.hdr")), kScanOk);
}

// A list of slice files is read only when every slice opens as a file.
TEST(PlantedReads, AListHeaderWithASliceThatCannotBeReadIsRefused)
{
  const SharedFolder shared;
  if (!shared.Ready())
    GTEST_SKIP() << SharedFolder::SkipReason();
  const std::string slice(12, '\x05');
  ASSERT_TRUE(fixtures::WriteText(shared.File("s_OCT.mhd"), MetaImageHeader("LIST\nz0.raw\nz1.raw")));
  ASSERT_TRUE(fixtures::WriteText(shared.File("z0.raw"), slice));
  for (const Planted thing : {Planted::Pipe, Planted::Socket, Planted::Folder, Planted::LinkToPipe}) {
    SCOPED_TRACE(fixtures::Describe(thing));
    ASSERT_TRUE(fixtures::Plant(shared, "z1.raw", thing, ""));
    const fixtures::Watchdog watchdog(kSecondsPerRead);
    EXPECT_NE(LOCTVolume().ReadScanFile(shared.File("s_OCT.mhd")), kScanOk);
  }
  // A slice the reader may not open: the colleague reads a list that names the user's slice.
  fs::permissions(shared.File("z0.raw"), fs::perms::owner_read | fs::perms::owner_write);
  ASSERT_TRUE(fixtures::WriteText(shared.File("z2.raw"), slice));
  fs::permissions(shared.File("z2.raw"), fs::perms::all);
  ASSERT_TRUE(fixtures::WriteText(shared.File("s_OCT.mhd"), MetaImageHeader("LIST\nz2.raw\nz0.raw")));
  fs::permissions(shared.File("s_OCT.mhd"), fs::perms::all);
  const std::string header = shared.File("s_OCT.mhd");
  EXPECT_TRUE(shared.RunAsColleague([&] { return LOCTVolume().ReadScanFile(header) == kScanOpenFailed; }));
}

// A stack of pages that share one table of strips is checked once per table: the check
// holds the same for the stack as for its pages stored apart.
TEST(PlantedReads, PagesSharingAStripTableAreCheckedAsTheyLie)
{
  constexpr uint32_t kWidth = 8, kHeight = 16, kStrips = 16, kPages = 300;
  const auto write = [&](const std::string& path, uint32_t lastCount) {
    ByteWriter tiff;
    tiff.PutText("II").Put<uint16_t>(42).Put<uint32_t>(0);
    const uint32_t offsets = uint32_t(tiff.Size());
    for (uint32_t s = 0; s < kStrips; ++s)
      tiff.Put<uint32_t>(0);  // patched below
    const uint32_t counts = uint32_t(tiff.Size());
    for (uint32_t s = 0; s < kStrips; ++s)
      tiff.Put<uint32_t>(s + 1 == kStrips ? lastCount : kWidth);
    const uint32_t pixels = uint32_t(tiff.Size());
    for (uint32_t s = 0; s < kStrips; ++s)
      tiff.PatchAt<uint32_t>(offsets + 4 * s, pixels + s * kWidth);
    tiff.PutZeros(size_t(kPages) * kWidth * kHeight);  // room for every page stored apart
    tiff.PatchAt<uint32_t>(4, uint32_t(tiff.Size()));
    for (uint32_t page = 0; page < kPages; ++page) {
      const auto entry = [&](uint16_t tag, uint16_t type, uint32_t count, uint32_t value) {
        tiff.Put<uint16_t>(tag).Put<uint16_t>(type).Put<uint32_t>(count).Put<uint32_t>(value);
      };
      tiff.Put<uint16_t>(9);
      entry(256, 4, 1, kWidth);
      entry(257, 4, 1, kHeight);
      entry(258, 3, 1, 8);
      entry(259, 3, 1, 1);
      entry(262, 3, 1, 1);
      entry(273, 4, kStrips, offsets);
      entry(277, 3, 1, 1);
      entry(278, 4, 1, kHeight / kStrips);
      entry(279, 4, kStrips, counts);
      tiff.Put<uint32_t>(page + 1 == kPages ? 0 : uint32_t(tiff.Size()) + 4);
    }
    return tiff.SaveTo(path);
  };
  const TempDir dir;
  ASSERT_TRUE(write(dir.File("shared.tif"), kWidth));
  ASSERT_TRUE(write(dir.File("beyond.tif"), uint32_t(1) << 30));
  EXPECT_TRUE(TiffPagesHold(dir.File("shared.tif"), uint64_t(kPages) * kWidth * kHeight));
  EXPECT_FALSE(TiffPagesHold(dir.File("beyond.tif"), uint64_t(kPages) * kWidth * kHeight));
}

}  // namespace
