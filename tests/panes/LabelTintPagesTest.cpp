// The label tints of a slice drawn from only the pages that may hold a label are those drawn
// from every voxel, in every orientation, and drawing them leaves the other pages untouched.
#include "data/LOCTVolume.h"
#include "fixtures/ResidentPages.h"
#include "panes/SliceRender.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <utility>
#include <vector>

namespace {

TEST(LabelTintPages, SlicesTintedFromTheWrittenPagesAreThoseTintedFromEveryVoxel)
{
  const int size[3] = {256, 128, 64};
  const float spacing[3] = {0.01f, 0.002f, 0.05f};
  const size_t perPage = size_t(::sysconf(_SC_PAGESIZE)) / sizeof(unsigned short);
  LOCTVolume scan, labels;
  ASSERT_EQ(scan.CreateVolume(size, FormatMetaImage, spacing, 2, LateralityOD, CenterMacula), 0);
  ASSERT_EQ(labels.CreateVolume(size, FormatMetaImage, spacing, 1, LateralityOD, CenterMacula), 0);
  for (size_t i = 0; i < scan.VoxelCount(); ++i)
    scan.Voxels()[i] = static_cast<unsigned short>(i * 7 % 4000);
  // Labels on both sides of page boundaries, at two values (page 300 begins at x 0, y 96,
  // z 18), and a column of them where the slices x = 40 and z = 30 cross.
  const int x = 40, y = 70, z = 30;
  for (const size_t page : {size_t(7), size_t(300), size_t(1001)}) {
    labels.Voxels()[page * perPage - 1] = 255;
    labels.Voxels()[page * perPage] = 60;
  }
  for (int r = 0; r < size[1]; ++r)
    labels.Voxels()[size_t(x) + size_t(size[0]) * (size_t(r) + size_t(size[1]) * size_t(z))] = 200;
  const uint64_t bytes = labels.VoxelCount() * sizeof(unsigned short);

  struct Slice {
    int orientation;
    int position[3];
  };
  const Slice slices[] = {{OrientationXY, {x, y, z}}, {OrientationXY, {0, 0, 18}}, {OrientationZY, {x, y, z}},
                          {OrientationZY, {255, 0, 0}}, {OrientationXZ, {x, y, z}}, {OrientationXZ, {0, 96, 0}}};
  const auto render = [&](const Slice& slice, const unsigned short* tinted, WrittenPages written) {
    SliceRenderInput in;
    in.voxels = scan.Voxels();
    std::copy(size, size + 3, in.size);
    in.orientation = slice.orientation;
    std::copy(slice.position, slice.position + 3, in.position);
    in.avgSliceNum = 3;
    in.windowCentre = 2000.0f;
    in.windowWidth = 4000.0f;
    in.vessel = {tinted, 255, 0x0000ff, 60, std::move(written)};
    int columns = 0, rows = 0;
    EXPECT_TRUE(SliceImageSize(slice.orientation, size, columns, rows));
    QImage image(columns, rows, QImage::Format_RGB32);
    RenderSlice(in, image);
    return image;
  };
  std::vector<QImage> skipping;
  for (const Slice& slice : slices)
    skipping.push_back(render(slice, labels.Voxels(), labels.WrittenVoxels()));
  EXPECT_LT(fixtures::ResidentBytes(labels.Voxels(), bytes), bytes / 16) << "the slices read only labelled pages";

  for (size_t s = 0; s < std::size(slices); ++s) {
    SCOPED_TRACE(s);
    EXPECT_TRUE(render(slices[s], labels.Voxels(), WrittenPages()) == skipping[s]) << "every voxel read";
    EXPECT_FALSE(render(slices[s], nullptr, WrittenPages()) == skipping[s]) << "the slice shows labels";
  }
}

}  // namespace
