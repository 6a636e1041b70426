#pragma once
// Label voxels as the view hands them to the slice panes: a volume of their own and the
// layer the panes draw and edit.
#include "data/LOCTVolume.h"
#include "data/LabelLayer.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <cstdint>
#include <vector>

class TestLabels {
public:
  TestLabels(const std::vector<uint16_t>& voxels, const int size[3], int bytesPerVoxel)
  {
    const float spacing[3] = {1.0f, 1.0f, 1.0f};
    EXPECT_EQ(m_Volume.CreateVolume(size, FormatMetaImage, spacing, bytesPerVoxel, LateralityNA, CenterNA), 0);
    std::copy(voxels.begin(), voxels.end(), m_Volume.Voxels());
    m_Layer.Show(&m_Volume);
  }

  LabelLayer* Layer() { return &m_Layer; }
  std::vector<uint16_t> Voxels() const { return {m_Volume.Voxels(), m_Volume.Voxels() + m_Volume.VoxelCount()}; }

private:
  LOCTVolume m_Volume;
  LabelLayer m_Layer;
};
