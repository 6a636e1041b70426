// Passes over label volumes read only the pages that may hold a label: the pages a volume of
// the program's own memory was written in. What they find is what a pass over every voxel
// finds, and the pages they skip stay out of memory.
#include "data/LMesh.h"
#include "data/LOCTVolume.h"
#include "data/LabelLayer.h"
#include "data/MappedVoxels.h"
#include "data/WrittenPages.h"
#include "fixtures/FixtureFiles.h"
#include "fixtures/ResidentPages.h"
#include "fixtures/TempDir.h"

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <set>
#include <utility>
#include <vector>

namespace {

using fixtures::ResidentBytes;

const size_t kPageBytes = size_t(::sysconf(_SC_PAGESIZE));
const size_t kPerPage = kPageBytes / sizeof(uint16_t);

// The runs ForEachWrittenRun visits, checked to come in order, apart and within the stretch.
std::vector<std::pair<size_t, size_t>> RunsOf(const WrittenPages& pages, const uint16_t* values, size_t count)
{
  std::vector<std::pair<size_t, size_t>> runs;
  pages.ForEachWrittenRun(values, count, [&](size_t first, size_t last) {
    EXPECT_LT(first, last);
    EXPECT_LE(last, count);
    if (!runs.empty())
      EXPECT_LT(runs.back().second, first) << "runs that touch are one run";
    runs.emplace_back(first, last);
  });
  return runs;
}

// Whether every element the runs leave out lies in a page that holds nothing but 0 by
// `pages`, and every element in such a page is left out.
void ExpectRunsAreThePagesThatMayHoldData(const WrittenPages& pages, const uint16_t* values, size_t count)
{
  std::vector<bool> visited(count, false);
  for (const auto& [first, last] : RunsOf(pages, values, count))
    std::fill(visited.begin() + long(first), visited.begin() + long(last), true);
  for (size_t i = 0; i < count; ++i)
    ASSERT_EQ(visited[i], pages.MayHoldData(values + i)) << "element " << i;
}

TEST(WrittenPages, TellsThePagesWrittenFromThoseNeverTouched)
{
  constexpr size_t kPages = 16;
  decoder::MemoryMapping memory = decoder::MemoryMapping::Zeroed(kPages * kPageBytes);
  ASSERT_TRUE(memory.Data());
  auto* values = static_cast<uint16_t*>(memory.Data());
  values[3 * kPerPage - 1] = 1;  // the last element of page 2
  values[5 * kPerPage] = 1;      // the first of page 5
  values[6 * kPerPage] = 1;      // and of page 6 beside it
  values[9 * kPerPage + 7] = 1;  // page 9, written back to 0: it may hold data all the same
  values[9 * kPerPage + 7] = 0;
  const volatile uint16_t* read = values + 12 * kPerPage;
  EXPECT_EQ(*read, 0);  // page 12 only read: a kernel may map it or not, either is right
  const std::set<size_t> written = {2, 5, 6, 9};

  const WrittenPages pages(values, kPages * kPageBytes);
  for (size_t page = 0; page < kPages; ++page) {
    SCOPED_TRACE(page);
    const bool mayHold = pages.MayHoldData(values + page * kPerPage);
    EXPECT_EQ(pages.MayHoldData(values + (page + 1) * kPerPage - 1), mayHold) << "one answer per page";
    if (page != 12)
      EXPECT_EQ(mayHold, written.count(page) == 1);
  }
  EXPECT_TRUE(pages.MayHoldData(values - 1)) << "outside the stretch looked up";
  EXPECT_TRUE(pages.MayHoldData(values + kPages * kPerPage));

  const size_t count = kPages * kPerPage;
  ExpectRunsAreThePagesThatMayHoldData(pages, values, count);
  // A stretch that begins and ends inside pages.
  ExpectRunsAreThePagesThatMayHoldData(pages, values + 3 * kPerPage - 5, count - 4 * kPerPage);
  ExpectRunsAreThePagesThatMayHoldData(pages, values + 5 * kPerPage + 1, kPerPage);
  // Nothing looked up: every element is visited, in one run.
  const std::vector<std::pair<size_t, size_t>> whole = RunsOf(WrittenPages(), values, count);
  EXPECT_EQ(whole, (std::vector<std::pair<size_t, size_t>>{{0, count}}));
  EXPECT_TRUE(RunsOf(WrittenPages(), values, 0).empty());
}

// Voxels whose pages need not be in this process's memory to hold data (a shared file's, or
// the toolkit's heap) are all read: a count over them finds every label.
TEST(WrittenPages, VoxelsThatAreNotTheProgramsOwnMappingAreReadWhole)
{
  const int size[3] = {64, 64, 8};
  const size_t count = 64 * 64 * 8;
  const size_t bytes = count * sizeof(uint16_t);
  std::vector<uint16_t> labels(count, 0);
  for (size_t i = 5; i < count; i += 3001)
    labels[i] = 255;
  const uint64_t expected = CountLabelled(labels.data(), count, 255);
  ASSERT_GT(expected, 5u);

  // A shared memory file written through its descriptor: none of its pages are mapped here.
  const int fd = ::memfd_create("labels", MFD_CLOEXEC);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::pwrite(fd, labels.data(), bytes, 0), ssize_t(bytes));
  decoder::MemoryMapping shared = decoder::MemoryMapping::Map(fd, bytes, false);
  ::close(fd);
  ASSERT_TRUE(shared.Data());
  LOCTVolume inFile;
  const float spacing[3] = {1, 1, 1};
  ASSERT_EQ(inFile.CreateVolume(size, FormatMetaImage, spacing, 1, LateralityNA, CenterNA), 0);
  const decoder::MappedVoxels::Pointer voxels = decoder::MappedVoxels::New();
  voxels->Adopt(std::move(shared), count);
  inFile.image->SetPixelContainer(voxels);
  EXPECT_EQ(CountLabelled(inFile.Voxels(), count, 255, inFile.WrittenVoxels()), expected);

  // The toolkit's own buffer.
  LOCTVolume onHeap;
  onHeap.image = LOCTVolume::ImageType::New();
  onHeap.image->SetRegions(inFile.image->GetLargestPossibleRegion());
  onHeap.image->Allocate();
  std::memcpy(onHeap.Voxels(), labels.data(), bytes);
  EXPECT_EQ(CountLabelled(onHeap.Voxels(), count, 255, onHeap.WrittenVoxels()), expected);
}

// A label volume of the program's own memory, 4 MiB, labelled in a few places chosen to lie
// on page boundaries (and a small blob across one, which gives the mesh a surface).
class LabelPages : public ::testing::TestWithParam<int> {
protected:
  static constexpr int kSize[3] = {256, 128, 64};
  static constexpr float kSpacing[3] = {0.01f, 0.002f, 0.05f};

  void SetUp() override
  {
    ASSERT_EQ(m_Read.CreateVolume(kSize, FormatMetaImage, kSpacing, Bytes(), LateralityOD, CenterMacula), 0);
    unsigned short* voxels = m_Read.Voxels();
    for (const size_t page : {size_t(40), size_t(300), size_t(1023)}) {
      voxels[page * kPerPage - 1] = Maximum();
      voxels[page * kPerPage] = static_cast<unsigned short>(Maximum() / 2);
    }
    voxels[17] = 3;  // below half: tinted, not counted
    for (int z = 20; z < 23; ++z)
      for (int y = 62; y < 66; ++y)  // rows 63 and 64 lie in different pages
        for (int x = 100; x < 104; ++x)
          voxels[Index(x, y, z)] = Maximum();
  }

  int Bytes() const { return GetParam(); }
  unsigned short Maximum() const { return static_cast<unsigned short>(Bytes() == 2 ? 65535 : 255); }
  static size_t Index(int x, int y, int z)
  {
    return size_t(x) + size_t(kSize[0]) * (size_t(y) + size_t(kSize[1]) * size_t(z));
  }
  static uint64_t VolumeBytes() { return uint64_t(kSize[0]) * kSize[1] * kSize[2] * sizeof(uint16_t); }

  // A copy that shares the labels until a brush stroke gives it its own, then the stroke: a
  // voxel at the start of an untouched page and one at the end of another.
  void Paint(LOCTVolume& painted) const
  {
    painted.ShareVoxels(m_Read);
    unsigned short* own = painted.WritableVoxels();
    ASSERT_NE(own, m_Read.Voxels());
    own[700 * kPerPage] = Maximum();
    own[1000 * kPerPage - 1] = Maximum();
  }

  // The same voxels in a buffer of the toolkit's, which every pass reads whole.
  static void CopyToHeap(const LOCTVolume& from, LOCTVolume& heap)
  {
    ASSERT_EQ(heap.CreateVolume(kSize, from.format, kSpacing, from.bytesPerVoxel, from.laterality, from.centerType), 0);
    heap.image = LOCTVolume::ImageType::New();
    heap.image->CopyInformation(from.image);
    heap.image->SetRegions(from.image->GetLargestPossibleRegion());
    heap.image->Allocate();
    std::memcpy(heap.Voxels(), from.Voxels(), VolumeBytes());
  }

  LOCTVolume m_Read;
};

// What a pass that skips untouched pages finds, and the mesh it builds.
struct SkippingResults {
  uint64_t labelled = 0;
  uint64_t inside = 0;
  LMesh mesh;
};

bool SameMesh(const LMesh& a, const LMesh& b)
{
  const auto same = [](const auto* x, const auto* y, size_t n) { return std::equal(x, x + n, y); };
  return a.GetTriangleVertexCount() == b.GetTriangleVertexCount() && a.GetVertexCount() == b.GetVertexCount() &&
         a.GetIndexCount() == b.GetIndexCount() &&
         same(a.GetTriangleVertices(), b.GetTriangleVertices(), 3 * a.GetTriangleVertexCount()) &&
         same(a.GetVertices(), b.GetVertices(), 3 * a.GetVertexCount()) &&
         same(a.GetIndices(), b.GetIndices(), a.GetIndexCount());
}

TEST_P(LabelPages, CountMeshAndSavedFileAreThoseOfEveryVoxelAndLeaveTheRestUntouched)
{
  LOCTVolume painted;
  Paint(painted);
  const uint64_t size = VolumeBytes();
  const int maximum = Maximum();
  std::vector<const LOCTVolume*> volumes = {&m_Read, &painted};
  std::vector<SkippingResults> skipping(volumes.size());
  for (size_t v = 0; v < volumes.size(); ++v) {
    const LOCTVolume& labels = *volumes[v];
    skipping[v].labelled = CountLabelled(labels.Voxels(), labels.VoxelCount(), maximum, labels.WrittenVoxels());
    skipping[v].inside =
        CountMeshInsideVoxels(labels.Voxels(), labels.VoxelCount(), labels.bytesPerVoxel, labels.WrittenVoxels());
    skipping[v].mesh.SetLabelVolume(kSize, kSpacing, labels.Voxels(), labels.bytesPerVoxel);
    ASSERT_TRUE(skipping[v].mesh.Build(true, 2, labels.WrittenVoxels()));
  }
  const TempDir dir;
  std::filesystem::create_directory(dir.Path() / "a");
  std::filesystem::create_directory(dir.Path() / "b");
  ASSERT_EQ(painted.WriteMetaImage(dir.File("a/labels.mhd")), 0);
  // Every pass so far read only the labelled pages (and their neighbours in a mesh cell).
  EXPECT_LT(ResidentBytes(m_Read.Voxels(), size), size / 16);
  EXPECT_LT(ResidentBytes(painted.Voxels(), size), size / 16);

  // The same passes over every voxel.
  for (size_t v = 0; v < volumes.size(); ++v) {
    SCOPED_TRACE(v == 0 ? "as read" : "painted");
    const LOCTVolume& labels = *volumes[v];
    EXPECT_EQ(skipping[v].labelled, CountLabelled(labels.Voxels(), labels.VoxelCount(), maximum));
    EXPECT_EQ(skipping[v].inside, CountMeshInsideVoxels(labels.Voxels(), labels.VoxelCount(), labels.bytesPerVoxel));
    LMesh whole;
    whole.SetLabelVolume(kSize, kSpacing, labels.Voxels(), labels.bytesPerVoxel);
    ASSERT_TRUE(whole.Build(true, 2));
    EXPECT_GT(whole.GetIndexCount(), 0u);
    EXPECT_TRUE(SameMesh(skipping[v].mesh, whole));
  }

  // The saved files are those of the same voxels written from the toolkit's buffer.
  LOCTVolume heap;
  CopyToHeap(painted, heap);
  ASSERT_EQ(heap.WriteMetaImage(dir.File("b/labels.mhd")), 0);
  for (const std::string name : {"labels.mhd", "labels.raw"})
    EXPECT_TRUE(fixtures::ReadAll(dir.File("a/" + name)) == fixtures::ReadAll(dir.File("b/" + name))) << name;
  // Independently: as many voxels, as many of them not 0, the largest the maximum.
  std::string out;
  const std::string script = "import numpy as np, sys; v = np.fromfile(sys.argv[1], dtype=sys.argv[2]); "
                             "n = np.flatnonzero(v); sys.stdout.write('%d %d %d' % (v.size, n.size, int(v[n].max())))";
  const std::string type = Bytes() == 2 ? "'<u2'" : "u1";
  const std::string raw = dir.File("a/labels.raw");
  ASSERT_EQ(fixtures::RunCommand("/usr/bin/python3 -c \"" + script + "\" '" + raw + "' " + type, &out), 0);
  const size_t set = size_t(std::count_if(painted.Voxels(), painted.Voxels() + painted.VoxelCount(),
                                          [](unsigned short value) { return value != 0; }));
  EXPECT_EQ(out, std::to_string(painted.VoxelCount()) + " " + std::to_string(set) + " " + std::to_string(maximum));
}

INSTANTIATE_TEST_SUITE_P(EightAndSixteenBit, LabelPages, ::testing::Values(1, 2));

}  // namespace
