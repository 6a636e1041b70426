#pragma once
// The names a selection render of the 3-D pane gives every drawn cell, triangle and sphere.
// The blocks follow one another: the three volume planes, 20 surfaces, the reference
// surface, the vessel mesh and the SEAD mesh (together F names), then 3000 markers and
// 30000 spline control points. A name at or above F + 33000 means nothing; lines, letters
// and whatever lies beyond its block carry such a name, so that a click on them cannot be
// read as the last primitive named before them.
//
// The arithmetic is 64-bit: the mesh blocks alone hold two thirds of the voxel count.
#include <cstdint>

class PickNames3D {
public:
  enum class Block { PlaneXY, PlaneZY, PlaneXZ, Surfaces, RefSurface, Vessel, SEAD, Markers, ControlPoints, None };

  static constexpr int kSurfaceBlocks = 20;
  static constexpr uint64_t kMarkerNames = 3000;
  static constexpr uint64_t kControlPointNames = 30000;

  void SetVolumeSize(const int size[3]);

  // A cell is named by its lower column and row (for surfaces its lower x and z).
  uint64_t PlaneXY(int x, int y) const;
  uint64_t PlaneZY(int z, int y) const;
  uint64_t PlaneXZ(int x, int z) const;
  uint64_t SurfaceCell(int surface, int x, int z) const;
  uint64_t RefSurfaceCell(int x, int z) const;
  uint64_t VesselTriangle(uint64_t t) const;
  uint64_t SEADTriangle(uint64_t t) const;
  uint64_t Marker(int m) const;
  uint64_t ControlPoint(uint64_t k) const;
  // The first name that means nothing.
  uint64_t Ignored() const { return m_Markers + kMarkerNames + kControlPointNames; }

  // The block a picked name lies in and the name's offset from the block's start; None for
  // a name that means nothing.
  Block Classify(uint64_t name, uint64_t& offset) const;
  // Cells per row of the XY and XZ planes and the surfaces (sizeX - 1), and per row of the
  // ZY plane (sizeZ - 1).
  uint64_t CellsX() const { return m_Cells[0]; }
  uint64_t CellsZ() const { return m_Cells[2]; }

  // Where each block starts.
  uint64_t PlanesZYStart() const { return m_PlaneXY; }
  uint64_t PlanesXZStart() const { return m_PlaneXY + m_PlaneZY; }
  uint64_t SurfacesStart() const { return m_Planes; }
  uint64_t RefSurfaceStart() const { return m_Planes + m_Surfaces; }
  uint64_t VesselStart() const { return RefSurfaceStart() + m_RefSurface; }
  uint64_t SEADStart() const { return VesselStart() + m_Mesh; }
  uint64_t MarkersStart() const { return m_Markers; }
  uint64_t ControlPointsStart() const { return m_Markers + kMarkerNames; }

private:
  uint64_t m_Cells[3] = {0, 0, 0};  // size - 1 per axis, 0 for an empty axis
  uint64_t m_PlaneXY = 0;
  uint64_t m_PlaneZY = 0;
  uint64_t m_Planes = 0;
  uint64_t m_Surfaces = 0;
  uint64_t m_RefSurface = 0;
  uint64_t m_Mesh = 0;
  uint64_t m_Markers = 0;  // F
};
