// Building what the panes show from what was loaded.
#include "app/CStrataviewView.h"

#include <algorithm>

void CStrataviewView::RefreshAll()
{
  const LOCTVolume& read = *m_ReadVolume;
  if (!read.loaded)
    return;
  const int size[3] = {read.sizeX, read.sizeY, read.sizeZ};
  const float spacing[3] = {read.spacingX, read.spacingY, read.spacingZ};
  m_DisplayedVolume.CreateVolume(size, read.format, spacing, read.bytesPerVoxel, read.laterality, read.centerType);
  std::copy_n(read.Voxels(), read.VoxelCount(), m_DisplayedVolume.Voxels());
}
