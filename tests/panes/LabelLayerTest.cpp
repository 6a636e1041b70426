#include "TestLabels.h"

#include "data/LOCTVolume.h"
#include "data/LabelLayer.h"
#include "data/VolumeMemoryLimit.h"

#include <algorithm>
#include <vector>
#include <gtest/gtest.h>

namespace {

const int kSize[3] = {4, 3, 2};
const float kSpacing[3] = {1, 1, 1};

uint64_t Recount(const LabelLayer& layer)
{
  return CountLabelled(layer.Voxels(), size_t(kSize[0] * kSize[1] * kSize[2]), layer.Maximum());
}

TEST(LabelLayer, TheCountFollowsEveryWriteAcrossTheHalfOfTheMaximum)
{
  // 8-bit labels count from 127, 16-bit ones from 32767.
  const struct {
    const char* what;
    int bytesPerVoxel;
    unsigned short below, half;
  } kRanges[] = {{"8-bit", 1, 126, 127}, {"16-bit", 2, 32766, 32767}};
  for (const auto& r : kRanges) {
    SCOPED_TRACE(r.what);
    std::vector<uint16_t> voxels(24, 0);
    voxels[0] = r.half;
    voxels[1] = r.below;
    TestLabels labels(voxels, kSize, r.bytesPerVoxel);
    LabelLayer& layer = *labels.Layer();
    EXPECT_EQ(layer.LabelledCount(), 1u);
    const struct {
      size_t index;
      unsigned short value;
    } kWrites[] = {
        {1, r.half},                                   // unlabelled to labelled
        {0, static_cast<unsigned short>(r.half + 1)},  // labelled stays labelled
        {0, r.below},                                  // labelled to unlabelled
        {5, r.below},                                  // unlabelled stays unlabelled
        {7, static_cast<unsigned short>(layer.Maximum())},
        {7, static_cast<unsigned short>(layer.Maximum())},  // the same value again
        {23, r.half},
    };
    for (const auto& w : kWrites) {
      layer.Write(w.index, w.value);
      EXPECT_EQ(layer.Voxels()[w.index], w.value);
      EXPECT_EQ(layer.LabelledCount(), Recount(layer)) << "after writing " << w.value << " at " << w.index;
    }
  }
}

TEST(LabelLayer, TheCountOfALargeVolumeMissesNoVoxelAtAnyOffset)
{
  // Labelled voxels at and around every 2^16 boundary and at both ends; lengths that end on,
  // just before and just after a boundary. Checked against a plain count.
  for (const int maximum : {255, 65535}) {
    const auto half = static_cast<unsigned short>(maximum / 2);
    for (const size_t length : {size_t(0), size_t(1), size_t(65535), size_t(65536), size_t(65537), size_t(200003)}) {
      SCOPED_TRACE(testing::Message() << "maximum " << maximum << ", " << length << " voxels");
      std::vector<unsigned short> labels(length, static_cast<unsigned short>(half - 1));
      for (size_t i = 0; i < length; ++i)
        if (i % 65536 == 0 || i % 65536 == 65535 || i + 1 == length || i % 7 == 3)
          labels[i] = i % 2 ? half : static_cast<unsigned short>(maximum);
      const auto expected = static_cast<uint64_t>(
          std::count_if(labels.begin(), labels.end(), [half](unsigned short v) { return v >= half; }));
      EXPECT_EQ(CountLabelled(labels.data(), length, maximum), expected);
    }
  }
}

// Labels as read, every voxel labelled, shown by a layer over a volume that shares their
// voxels, as a label file is shown once it was read.
struct SharedLabels {
  SharedLabels()
  {
    EXPECT_EQ(read.CreateVolume(kSize, FormatMetaImage, kSpacing, 1, LateralityNA, CenterNA), 0);
    std::fill_n(read.Voxels(), read.VoxelCount(), static_cast<unsigned short>(255));
    shown.ShareVoxels(read);
    layer.Show(&shown);
  }

  LOCTVolume read;
  LOCTVolume shown;
  LabelLayer layer;
};

TEST(LabelLayer, TheFirstWriteCopiesVoxelsSharedWithTheLabelsAsRead)
{
  SharedLabels labels;
  const LOCTVolume& read = labels.read;
  LabelLayer& layer = labels.layer;
  EXPECT_EQ(layer.Voxels(), read.Voxels());
  EXPECT_EQ(layer.LabelledCount(), 24u);

  layer.Write(3, 0);
  EXPECT_NE(layer.Voxels(), read.Voxels());
  EXPECT_TRUE(std::all_of(read.Voxels(), read.Voxels() + read.VoxelCount(), [](unsigned short v) { return v == 255; }));
  EXPECT_EQ(layer.Voxels()[3], 0);
  EXPECT_EQ(layer.Voxels()[4], 255);
  EXPECT_EQ(layer.LabelledCount(), 23u);
  const unsigned short* own = layer.Voxels();
  layer.Write(4, 0);
  EXPECT_EQ(layer.Voxels(), own) << "voxels of its own are written in place";
}

// Without memory for labels of their own, a stroke on shared labels changes nothing (the
// labels as read keep their voxels), and a volume that cannot be made stays as it was.
TEST(LabelLayer, WithoutMemoryForACopyTheSharedLabelsStayAsTheyAre)
{
  SharedLabels labels;
  const LOCTVolume& read = labels.read;
  LOCTVolume& shown = labels.shown;
  LabelLayer& layer = labels.layer;

  const ScopedVolumeMemoryLimit noRoom(0);
  layer.Write(3, 0);
  EXPECT_EQ(layer.Voxels(), read.Voxels());
  EXPECT_EQ(read.Voxels()[3], 255);
  EXPECT_EQ(layer.LabelledCount(), 24u);
  const int larger[3] = {8, 8, 8};
  EXPECT_EQ(shown.CreateVolume(larger, FormatNA, kSpacing, 2, LateralityOD, CenterONH), -1);
  EXPECT_EQ(shown.sizeX, kSize[0]);
  EXPECT_EQ(shown.bytesPerVoxel, 1);
  EXPECT_EQ(shown.Voxels(), read.Voxels());
}

TEST(LabelLayer, WithoutAVolumeNothingIsShownOrWritten)
{
  LabelLayer layer;
  layer.Show(nullptr);
  layer.Write(0, 255);
  EXPECT_EQ(layer.Voxels(), nullptr);
  EXPECT_EQ(layer.LabelledCount(), 0u);
}

}  // namespace
