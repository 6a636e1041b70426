// Volumes as nibabel, tifffile, PIL and VTK write them, read voxel for voxel as numpy reads
// them, and the hostile twin of each (sizes larger than the data, a cut file, data said to
// lie past the end, a wider voxel type than stored) refused before its voxels are read.
#include "data/LOCTVolume.h"
#include "fixtures/FixtureFiles.h"
#include "fixtures/StdoutCapture.h"
#include "fixtures/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

struct VolumeCase {
  std::string name;
  int result = 0;
  int size[3] = {0, 0, 0};
  int bytesPerVoxel = 0;
};

std::vector<VolumeCase> CasesIn(const TempDir& dir)
{
  std::vector<VolumeCase> cases;
  std::istringstream lines(fixtures::ReadAll(dir.File("cases.txt")));
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    VolumeCase c;
    words >> c.name >> c.result;
    if (c.result == kScanOk || c.result == kScan2DTiff)
      words >> c.size[0] >> c.size[1] >> c.size[2] >> c.bytesPerVoxel;
    cases.push_back(c);
  }
  return cases;
}

std::vector<unsigned short> ExpectedVoxels(const TempDir& dir, const std::string& name)
{
  const std::string bytes = fixtures::ReadAll(dir.File(name + ".expected"));
  std::vector<unsigned short> voxels(bytes.size() / 2);
  std::memcpy(voxels.data(), bytes.data(), voxels.size() * 2);
  return voxels;
}

// The first voxel (x fastest) where the two differ, or "none".
std::string FirstDifference(const LOCTVolume& v, const std::vector<unsigned short>& expected)
{
  for (size_t i = 0; i < expected.size(); ++i)
    if (v.Voxels()[i] != expected[i]) {
      const size_t x = i % size_t(v.sizeX), y = i / size_t(v.sizeX) % size_t(v.sizeY);
      return "(" + std::to_string(x) + ", " + std::to_string(y) + ", " +
             std::to_string(i / (size_t(v.sizeX) * size_t(v.sizeY))) + "): read " + std::to_string(v.Voxels()[i]) +
             ", numpy " + std::to_string(expected[i]);
    }
  return "none";
}

TEST(CommonToolVolumes, SoundFilesReadAsNumpyReadsThemAndTheirLyingTwinsAreRefused)
{
  const TempDir dir;
  std::string output;
  ASSERT_EQ(fixtures::RunCommand("/usr/bin/python3 " STRATAVIEW_SOURCE_DIR "/tests/data/toolkit_volumes.py " +
                                     dir.Path().string() + " 2>&1",
                                 &output),
            0)
      << output;
  const std::vector<VolumeCase> cases = CasesIn(dir);
  ASSERT_FALSE(cases.empty());
  for (const VolumeCase& c : cases) {
    SCOPED_TRACE(c.name);
    LOCTVolume v;
    int result = 0;
    std::string out, err;
    {
      const StdoutCapture outCapture, errCapture(2);
      result = v.ReadScanFile(dir.File(c.name));
      out = outCapture.Text();
      err = errCapture.Text();
    }
    EXPECT_EQ(result, c.result) << out << err;
    if (result != c.result)
      continue;
    if (c.result == kScanOpenFailed) {
      // Refused by the check of the header against its data, before the toolkit allocates.
      EXPECT_NE(err.find("the data file is missing or shorter than the header says"), std::string::npos) << err;
      continue;
    }
    EXPECT_EQ(v.sizeX, c.size[0]);
    EXPECT_EQ(v.sizeY, c.size[1]);
    EXPECT_EQ(v.sizeZ, c.size[2]);
    EXPECT_EQ(v.bytesPerVoxel, c.bytesPerVoxel);
    if (c.result != kScanOk)
      continue;
    const std::vector<unsigned short> expected = ExpectedVoxels(dir, c.name);
    ASSERT_EQ(v.VoxelCount(), expected.size());
    EXPECT_EQ(FirstDifference(v, expected), "none");
  }
}

}  // namespace
