#include "data/LabelLayer.h"

#include "data/LOCTVolume.h"
#include "data/VoxelCount.h"

void LabelLayer::Show(LOCTVolume* volume)
{
  m_Volume = volume && volume->Voxels() ? volume : nullptr;
  m_Maximum = m_Volume && m_Volume->bytesPerVoxel == 2 ? 65535 : 255;
  m_Labelled =
      m_Volume ? CountLabelled(m_Volume->Voxels(), m_Volume->VoxelCount(), m_Maximum, m_Volume->WrittenVoxels()) : 0;
}

const unsigned short* LabelLayer::Voxels() const
{
  return m_Volume ? static_cast<const LOCTVolume*>(m_Volume)->Voxels() : nullptr;
}

WrittenPages LabelLayer::Written() const
{
  return m_Volume ? m_Volume->WrittenVoxels() : WrittenPages();
}

void LabelLayer::Write(size_t index, unsigned short value)
{
  unsigned short* voxels = m_Volume ? m_Volume->WritableVoxels() : nullptr;
  if (!voxels)
    return;  // no memory for labels of its own: the stroke leaves the shared ones as they are
  unsigned short& voxel = voxels[index];
  m_Labelled -= Labelled(voxel);
  m_Labelled += Labelled(value);
  voxel = value;
}

uint64_t CountLabelled(const unsigned short* labels, size_t count, int maximum, const WrittenPages& written)
{
  return CountAtLeast(labels, count, static_cast<unsigned short>(maximum / 2), written);
}
