#include "model/FlatteningShift.h"

#include <algorithm>
#include <cstring>

FlatteningShift::FlatteningShift(const LRefSurface& reference, int sizeY, float fraction)
  : m_Flattened(true),
    m_Row(static_cast<int>(static_cast<float>(sizeY) * fraction)),
    m_SizeX(reference.surfaceSizeX),
    m_SizeZ(reference.surfaceSizeZ),
    m_Offsets(size_t(std::max(m_SizeX, 0)) * size_t(std::max(m_SizeZ, 0)), 0)
{
  for (size_t i = 0; i < m_Offsets.size() && i < reference.points.size(); ++i) {
    const int depth = reference.points[i].y;
    m_Offsets[i] = depth < 0 ? 0 : depth - m_Row;
  }
}

int FlatteningShift::Offset(int x, int z) const
{
  if (!m_Flattened || x < 0 || z < 0 || x >= m_SizeX || z >= m_SizeZ)
    return 0;
  return m_Offsets[size_t(x) + size_t(z) * size_t(m_SizeX)];
}

int FlatteningShift::ToDisplayed(int x, int y, int z) const
{
  return y < 0 ? -1 : y - Offset(x, z);
}

int FlatteningShift::ToStored(int x, int y, int z) const
{
  return y == -1 ? -1 : y + Offset(x, z);
}

float FlatteningShift::ToDisplayed(float x, float y, float z) const
{
  return y - static_cast<float>(Offset(static_cast<int>(x + 0.5f), static_cast<int>(z + 0.5f)));
}

void FlatteningShift::ShiftVolume(const LOCTVolume& source, LOCTVolume& displayed) const
{
  const int nx = source.sizeX, ny = source.sizeY, nz = source.sizeZ;
  const unsigned short* in = source.Voxels();
  unsigned short* out = displayed.Voxels();
  if (!in || !out || source.VoxelCount() == 0)
    return;
  const size_t sliceSize = size_t(nx) * size_t(ny);
  if (!m_Flattened) {
    std::memcpy(out, in, source.VoxelCount() * sizeof(unsigned short));
    return;
  }
  // Only what is not 0 is written, and pages of the source that hold nothing but 0 are not
  // read: labels stay resident only where they are set.
  const WrittenPages written = source.WrittenVoxels();
  std::vector<int> offsets(nx);
  for (int z = 0; z < nz; ++z) {
    for (int x = 0; x < nx; ++x)
      offsets[x] = Offset(x, z);
    const unsigned short* inSlice = in + size_t(z) * sliceSize;
    unsigned short* outSlice = out + size_t(z) * sliceSize;
    for (int y = 0; y < ny; ++y) {
      unsigned short* row = outSlice + size_t(y) * nx;
      for (int x = 0; x < nx; ++x) {
        const int m = y + offsets[x];
        if (m < 0 || m >= ny)
          continue;
        const unsigned short* from = inSlice + size_t(m) * nx + x;
        if (!written.MayHoldData(from))
          continue;
        if (const unsigned short value = *from)
          row[x] = value;
      }
    }
  }
}
