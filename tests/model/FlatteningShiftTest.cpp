#include "model/FlatteningShift.h"

#include <gtest/gtest.h>

namespace {

LRefSurface Surface(int sizeX, int sizeZ, int depth)
{
  LRefSurface r;
  r.Create(sizeX, sizeZ, 0, 0, "NA", LResultHeader{});
  for (auto& p : r.points)
    p.y = depth;
  return r;
}

TEST(FlatteningShift, MovesTheSurfaceToTheMiddleRowAndBack)
{
  LRefSurface r = Surface(16, 6, 700);
  r.Point(3, 2).y = -1;  // an A-scan where the surface is undefined
  const FlatteningShift shift(r, 1024, 0.5f);
  EXPECT_EQ(shift.Row(), 512);
  EXPECT_EQ(FlatteningShift(r, 1023, 0.5f).Row(), 511);

  EXPECT_EQ(shift.ToDisplayed(10, 700, 5), 512);
  EXPECT_EQ(shift.ToDisplayed(10, 600, 5), 412) << "a marker at depth 600";
  EXPECT_EQ(shift.ToStored(10, 412, 5), 600);
  EXPECT_EQ(shift.ToDisplayed(10, -1, 5), -1) << "undefined stays undefined";
  EXPECT_EQ(shift.ToStored(10, -1, 5), -1);
  EXPECT_EQ(shift.ToDisplayed(3, 600, 2), 600) << "no surface there: no move";
  EXPECT_EQ(shift.ToDisplayed(16, 600, 5), 600) << "outside the scan: no move";
  EXPECT_EQ(shift.ToDisplayed(-1, 600, 0), 600);
  EXPECT_FLOAT_EQ(shift.ToDisplayed(9.6f, 700.25f, 4.5f), 512.25f);
  // Every defined depth comes back, also those shown above the top row, except the one
  // that would be shown exactly at -1 (the mark of an undefined point).
  for (int y = 0; y < 1024; ++y)
    if (y != 700 - 512 - 1) {
      ASSERT_EQ(shift.ToStored(4, shift.ToDisplayed(4, y, 1), 1), y);
    }

  const FlatteningShift none;
  EXPECT_FALSE(none.IsFlattened());
  EXPECT_EQ(none.ToDisplayed(10, 600, 5), 600);
}

TEST(FlatteningShift, ShiftsEachAScanOfTheVolume)
{
  const int size[3] = {4, 10, 3};
  const float spacing[3] = {1, 1, 1};
  LOCTVolume read, shown;
  EXPECT_EQ(read.CreateVolume(size, FormatNA, spacing, 2, LateralityNA, CenterNA), 0);
  EXPECT_EQ(shown.CreateVolume(size, FormatNA, spacing, 2, LateralityNA, CenterNA), 0);
  for (uint64_t i = 0; i < read.VoxelCount(); ++i)
    read.Voxels()[i] = static_cast<unsigned short>(i + 1);
  LRefSurface r = Surface(4, 3, 7);
  r.Point(1, 0).y = 2;
  const FlatteningShift shift(r, 10, 0.5f);  // row 5
  shift.ShiftVolume(read, shown);
  const auto at = [](const LOCTVolume& v, int x, int y, int z) { return v.Voxels()[x + 4 * (y + 10 * z)]; };
  EXPECT_EQ(at(shown, 0, 5, 0), at(read, 0, 7, 0));
  EXPECT_EQ(at(shown, 0, 2, 2), at(read, 0, 4, 2));
  EXPECT_EQ(at(shown, 0, 8, 0), 0) << "from below the scan";
  EXPECT_EQ(at(shown, 1, 5, 0), at(read, 1, 2, 0));
  EXPECT_EQ(at(shown, 1, 1, 0), 0) << "from above the scan";

  FlatteningShift().ShiftVolume(read, shown);
  for (uint64_t i = 0; i < read.VoxelCount(); ++i)
    ASSERT_EQ(shown.Voxels()[i], read.Voxels()[i]);
}

}  // namespace
