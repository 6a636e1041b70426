#include "data/LabelLayer.h"

#include "data/LOCTVolume.h"

void LabelLayer::Show(LOCTVolume* volume)
{
  m_Volume = volume && volume->Voxels() ? volume : nullptr;
  m_Maximum = m_Volume && m_Volume->bytesPerVoxel == 2 ? 65535 : 255;
  m_Labelled = m_Volume ? CountLabelled(m_Volume->Voxels(), m_Volume->VoxelCount(), m_Maximum) : 0;
}

const unsigned short* LabelLayer::Voxels() const
{
  return m_Volume ? static_cast<const LOCTVolume*>(m_Volume)->Voxels() : nullptr;
}

void LabelLayer::Write(size_t index, unsigned short value)
{
  if (!m_Volume)
    return;
  unsigned short& voxel = m_Volume->WritableVoxels()[index];
  m_Labelled -= Labelled(voxel);
  m_Labelled += Labelled(value);
  voxel = value;
}

uint64_t CountLabelled(const unsigned short* labels, size_t count, int maximum)
{
  const int threshold = maximum / 2;
  uint64_t labelled = 0;
  for (size_t i = 0; i < count; ++i)
    labelled += labels[i] >= threshold;
  return labelled;
}
