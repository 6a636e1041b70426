#pragma once
// The depth shift of a scan flattened on a reference surface: every A-scan moves so that
// the surface becomes the straight row c = int(sizeY * fraction), and every result drawn
// over the scan moves with it. One shift, frozen when the scan is flattened, serves the
// displayed volume, every result shown over it and the way back when results are saved, so
// that a saved depth is always the depth that was read.
#include "data/LOCTVolume.h"
#include "data/LRefSurface.h"

#include <vector>

class FlatteningShift {
public:
  // Not flattened: every depth stays.
  FlatteningShift() = default;
  FlatteningShift(const LRefSurface& reference, int sizeY, float fraction);

  bool IsFlattened() const { return m_Flattened; }
  int Row() const { return m_Row; }

  // The displayed depth of a stored depth at A-scan (x, z), and back. An undefined stored
  // depth (below 0) stays -1 and a displayed -1 means undefined; every other depth moves
  // (a defined depth may be shown above the top row, at a negative depth, and comes back
  // unchanged). A-scans outside the surface, or where it is undefined, do not move.
  int ToDisplayed(int x, int y, int z) const;
  int ToStored(int x, int y, int z) const;
  // A mesh corner in voxel coordinates, moved by the shift of its nearest A-scan.
  float ToDisplayed(float x, float y, float z) const;

  // displayed := source with every A-scan moved (rows from outside the source are 0).
  // Both volumes have the same sizes; displayed is a new volume of the caller's, reading as
  // 0, into which only the voxels that are not 0 are written (labels then hold memory only
  // where they are set).
  void ShiftVolume(const LOCTVolume& source, LOCTVolume& displayed) const;

private:
  // How many rows the A-scan moves up (stored depth minus displayed depth).
  int Offset(int x, int z) const;

  bool m_Flattened = false;
  int m_Row = 0;
  int m_SizeX = 0;
  int m_SizeZ = 0;
  std::vector<int> m_Offsets;  // x + z * sizeX
};
