#pragma once
// The en-face projection between two layer surfaces: the mean intensity of every A-scan
// between the surfaces, stretched so that the darkest and the brightest 1 % of the cells
// saturate. Plain computation, no Qt.
#include <cstdint>

struct EnFaceVolume {
  const unsigned short* voxels = nullptr;  // voxel (x, y, z) at x + sizeX * (y + sizeY * z)
  int sizeX = 0;
  int sizeY = 0;
  int sizeZ = 0;
  int maximum = 0;                          // 255 or 65535
};

struct EnFaceSurfaces {
  const int* points = nullptr;  // int triples per (surface, z, x) at (surface * sizeZ + z) * sizeX + x
  int count = 0;
};

// Fills plane (sizeX * sizeZ bytes, cell (x, z) at x + sizeX * z) with the stretched mean
// between surfaces from and to, in either order. Each A-scan averages the rows from the depth
// of the surface with the smaller index to that of the larger one, both included, inside
// the volume; an empty range gives 0. Returns false and writes nothing when the volume or
// the surfaces are missing or an index is not a surface of the record.
bool ComputeEnFaceProjection(const EnFaceVolume& volume, const EnFaceSurfaces& surfaces, int from, int to,
                             uint8_t* plane);

// The mean value of each cell before the stretch, 0-255 (16-bit scans are scaled by 1/256).
// Same preconditions as above.
bool MeanBetweenSurfaces(const EnFaceVolume& volume, const EnFaceSurfaces& surfaces, int from, int to,
                         uint8_t* means);

// Stretches the cell values in place: the bins below the 1 % point from the bottom become 0,
// those above the 1 % point from the top 255, and the bins between map linearly.
void StretchHistogram(uint8_t* values, int64_t cellCount);
