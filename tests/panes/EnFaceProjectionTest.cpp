#include "ProjPaneTestData.h"

#include "fixtures/FixtureFiles.h"
#include "fixtures/TempDir.h"
#include "panes/EnFaceProjection.h"

#include <gtest/gtest.h>
#include <random>

namespace {

// 23 x 9 x 13: more than 100 cells, so the 1 % stretch cuts at two cells.
EnFaceScene RandomScene(int maximum)
{
  EnFaceScene scene(23, 9, 13, 3);
  std::mt19937 random(7);
  std::uniform_int_distribution<int> value(0, maximum);
  for (auto& v : scene.voxels)
    v = static_cast<unsigned short>(value(random));
  // Depths from above the volume to below it, so that ranges are cut, empty and crossed;
  // between surfaces 0 and 2 every A-scan of a B-scan shares some rows, but not all.
  std::uniform_int_distribution<int> depth[3] = {std::uniform_int_distribution<int>(-2, 3),
                                                 std::uniform_int_distribution<int>(-2, 11),
                                                 std::uniform_int_distribution<int>(5, 11)};
  for (int s = 0; s < 3; ++s)
    for (int z = 0; z < scene.sizeZ; ++z)
      for (int x = 0; x < scene.sizeX; ++x)
        scene.SetDepth(s, x, z, depth[s](random));
  return scene;
}

TEST(EnFaceProjection, MatchesTheSinglePrecisionOracle)
{
  const struct {
    const char* name;
    int bytesPerVoxel;
    int from, to;
  } cases[] = {
      {"b8_0_2", 1, 0, 2}, {"b8_2_0", 1, 2, 0}, {"b8_1_1", 1, 1, 1},
      {"b16_0_1", 2, 0, 1}, {"b16_2_1", 2, 2, 1},
  };
  TempDir dir;
  std::string list;
  EnFaceScene scenes[2] = {RandomScene(255), RandomScene(65535)};
  for (int b = 0; b < 2; ++b) {
    EnFaceScene& s = scenes[b];
    std::vector<int32_t> depths;
    for (size_t i = 1; i < s.points.size(); i += 3)
      depths.push_back(s.points[i]);
    const std::string sub = dir.File(b == 0 ? "b8" : "b16");
    std::filesystem::create_directory(sub);
    ASSERT_TRUE(fixtures::WriteBytes(sub + "/volume.u16", s.voxels.data(), s.voxels.size() * 2));
    ASSERT_TRUE(fixtures::WriteBytes(sub + "/depths.i32", depths.data(), depths.size() * 4));
    ASSERT_TRUE(fixtures::WriteText(sub + "/shape.txt", "23 9 13 3"));
    std::string lines;
    for (const auto& c : cases)
      if (c.bytesPerVoxel == b + 1)
        lines += std::string(c.name) + " " + std::to_string(c.from) + " " + std::to_string(c.to) + " " +
                 (b == 0 ? "255" : "65535") + "\n";
    ASSERT_TRUE(fixtures::WriteText(sub + "/cases.txt", lines));
    const std::string script = std::string(STRATAVIEW_SOURCE_DIR) + "/tests/panes/enface_projection_oracle.py";
    ASSERT_EQ(fixtures::RunCommand("/usr/bin/python3 " + script + " " + sub), 0);
  }

  RecordingView view;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EnFaceScene& s = scenes[c.bytesPerVoxel - 1];
    LProjImage pane(view);
    s.Apply(pane, c.bytesPerVoxel);
    pane.ComputeProjection(c.from, c.to);
    const std::string expected =
        fixtures::ReadAll(dir.File(std::string(c.bytesPerVoxel == 1 ? "b8/" : "b16/") + c.name + ".u8"));
    ASSERT_EQ(expected.size(), s.Cell(0, s.sizeZ));
    for (size_t i = 0; i < expected.size(); ++i) {
      ASSERT_EQ(pane.GetRedPlane()[i], static_cast<uint8_t>(expected[i])) << "cell " << i;
      ASSERT_EQ(pane.GetGreenPlane()[i], pane.GetRedPlane()[i]);
      ASSERT_EQ(pane.GetBluePlane()[i], pane.GetRedPlane()[i]);
    }
    EXPECT_EQ(pane.GetProjectionFrom(), c.from);
    EXPECT_EQ(pane.GetProjectionTo(), c.to);
  }
}

TEST(EnFaceProjection, MeanBetweenSurfaces)
{
  // One A-scan of rows 10, 20, 30, 40 (times 1280 for 16 bits), two surfaces.
  const struct {
    const char* what;
    int bytesPerVoxel;
    int upper, lower;  // depths of surface 0 and 1
    int from, to;
    int expected;
  } cases[] = {
      {"from a surface to itself: one row", 1, 2, 2, 1, 1, 30},
      {"rows 1 to 3 included", 1, 1, 3, 0, 1, 30},
      {"the order of the indices does not matter", 1, 1, 3, 1, 0, 30},
      {"lower-index surface deeper: empty", 1, 3, 1, 0, 1, 0},
      {"rows outside the volume are left out", 1, -5, 1, 0, 1, 15},
      {"a range wholly below the volume", 1, 6, 9, 0, 1, 0},
      {"16-bit mean of 38400 and 51200 gives 175", 2, 2, 3, 0, 1, 175},
      {"16-bit row of 51200 gives 200", 2, 3, 3, 0, 1, 200},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EnFaceScene s(1, 4, 1, 2);
    for (int y = 0; y < 4; ++y)
      s.Voxel(0, y, 0) = static_cast<unsigned short>((y + 1) * 10 * (c.bytesPerVoxel == 2 ? 1280 : 1));
    s.SetDepth(0, 0, 0, c.upper);
    s.SetDepth(1, 0, 0, c.lower);
    const EnFaceVolume volume{s.voxels.data(), 1, 4, 1, c.bytesPerVoxel == 2 ? 65535 : 255};
    uint8_t mean = 99;
    ASSERT_TRUE(MeanBetweenSurfaces(volume, {s.points.data(), 2}, c.from, c.to, &mean));
    EXPECT_EQ(mean, c.expected);
  }
}

TEST(EnFaceProjection, Stretch)
{
  // Fewer than 100 cells: no cell is cut, the stretch is the identity.
  std::vector<uint8_t> few = {0, 7, 200, 255, 31};
  const std::vector<uint8_t> same = few;
  StretchHistogram(few.data(), static_cast<int64_t>(few.size()));
  EXPECT_EQ(few, same);

  // Every cell the same: black.
  std::vector<uint8_t> flat(300, 90);
  StretchHistogram(flat.data(), 300);
  EXPECT_EQ(flat, std::vector<uint8_t>(300, 0));

  // 200 cells, threshold 2: values 10 (2 cells), 20..., 250 (2 cells) -> 10 is the low end
  // and 250 the high end; 130 is the middle.
  std::vector<uint8_t> ramp(200, 130);
  ramp[0] = ramp[1] = 10;
  ramp[2] = ramp[3] = 250;
  ramp[4] = 5;
  StretchHistogram(ramp.data(), 200);
  EXPECT_EQ(ramp[0], 0);
  EXPECT_EQ(ramp[2], 255);
  EXPECT_EQ(ramp[4], 0) << "below the low end";
  EXPECT_EQ(ramp[5], 127);  // (130 - 10) * 255 / 240 = 127.5
}

TEST(EnFaceProjection, SurfaceIndicesBeyondTheRecordChangeNothing)
{
  EnFaceScene s(4, 5, 3, 2);
  RecordingView view;
  LProjImage pane(view);
  s.Apply(pane);
  const uint8_t plane[12] = {9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9};
  pane.SetProjectionImage(plane, plane, plane);
  for (const auto& pair : {std::pair{0, 2}, std::pair{-1, 0}, std::pair{2, 2}}) {
    pane.ComputeProjection(pair.first, pair.second);
    EXPECT_EQ(pane.GetRedPlane()[5], 9);
    EXPECT_EQ(pane.GetProjectionTo(), 0);
  }
  // No surfaces at all.
  pane.SetSurfaces(0, nullptr, nullptr);
  pane.ComputeProjection(0, 0);
  EXPECT_EQ(pane.GetRedPlane()[5], 9);
}

}  // namespace
