#include "panes/PickNames3D.h"

#include <algorithm>

void PickNames3D::SetVolumeSize(const int size[3])
{
  uint64_t voxels = 1;
  for (int axis = 0; axis < 3; ++axis) {
    const uint64_t n = static_cast<uint64_t>(std::max(0, size[axis]));
    m_Cells[axis] = n > 0 ? n - 1 : 0;
    voxels *= n;
  }
  const uint64_t cellsX = m_Cells[0];
  const uint64_t cellsY = m_Cells[1];
  const uint64_t cellsZ = m_Cells[2];
  m_PlaneXY = cellsX * cellsY;
  m_PlaneZY = cellsZ * cellsY;
  m_Planes = m_PlaneXY + m_PlaneZY + cellsX * cellsZ;
  m_RefSurface = cellsZ * cellsX;
  m_Surfaces = kSurfaceBlocks * m_RefSurface;
  m_Mesh = voxels / 3;
  m_Markers = m_Planes + m_Surfaces + m_RefSurface + 2 * m_Mesh;
}

uint64_t PickNames3D::PlaneXY(int x, int y) const
{
  return static_cast<uint64_t>(x) + static_cast<uint64_t>(y) * m_Cells[0];
}

uint64_t PickNames3D::PlaneZY(int z, int y) const
{
  return m_PlaneXY + static_cast<uint64_t>(z) + static_cast<uint64_t>(y) * m_Cells[2];
}

uint64_t PickNames3D::PlaneXZ(int x, int z) const
{
  return PlanesXZStart() + static_cast<uint64_t>(x) + static_cast<uint64_t>(z) * m_Cells[0];
}

uint64_t PickNames3D::SurfaceCell(int surface, int x, int z) const
{
  if (surface < 0 || surface >= kSurfaceBlocks)
    return Ignored();
  const uint64_t row = static_cast<uint64_t>(z) + static_cast<uint64_t>(surface) * m_Cells[2];
  return m_Planes + m_Cells[0] * row + static_cast<uint64_t>(x);
}

uint64_t PickNames3D::RefSurfaceCell(int x, int z) const
{
  return RefSurfaceStart() + static_cast<uint64_t>(z) * m_Cells[0] + static_cast<uint64_t>(x);
}

uint64_t PickNames3D::VesselTriangle(uint64_t t) const
{
  return t < m_Mesh ? VesselStart() + t : Ignored();
}

uint64_t PickNames3D::SEADTriangle(uint64_t t) const
{
  return t < m_Mesh ? SEADStart() + t : Ignored();
}

uint64_t PickNames3D::Marker(int m) const
{
  return m >= 0 && static_cast<uint64_t>(m) < kMarkerNames ? m_Markers + static_cast<uint64_t>(m) : Ignored();
}

uint64_t PickNames3D::ControlPoint(uint64_t k) const
{
  return k < kControlPointNames ? ControlPointsStart() + k : Ignored();
}

PickNames3D::Block PickNames3D::Classify(uint64_t name, uint64_t& offset) const
{
  const struct {
    Block block;
    uint64_t start;
  } starts[] = {
      {Block::PlaneXY, 0},
      {Block::PlaneZY, PlanesZYStart()},
      {Block::PlaneXZ, PlanesXZStart()},
      {Block::Surfaces, SurfacesStart()},
      {Block::RefSurface, RefSurfaceStart()},
      {Block::Vessel, VesselStart()},
      {Block::SEAD, SEADStart()},
      {Block::Markers, MarkersStart()},
      {Block::ControlPoints, ControlPointsStart()},
      {Block::None, Ignored()},
  };
  // The last block that starts at or before the name; empty blocks start where the next one
  // does and are passed over.
  Block found = Block::None;
  for (const auto& s : starts) {
    if (s.start > name)
      break;
    found = s.block;
    offset = name - s.start;
  }
  return found;
}
