#include "data/MeanProjection.h"

#include "data/LOCTVolume.h"

#include <algorithm>
#include <cmath>

std::vector<uint8_t> MeanOverDepth(const LOCTVolume& volume)
{
  if (volume.VoxelCount() == 0 || !volume.Voxels())
    return {};
  const size_t x = size_t(volume.sizeX), y = size_t(volume.sizeY), z = size_t(volume.sizeZ);
  const double maximum = volume.bytesPerVoxel == 1 ? 255.0 : 65535.0;
  const unsigned short* voxels = volume.Voxels();
  std::vector<uint8_t> grey(x * z);
  std::vector<double> sums(x);
  for (size_t b = 0; b < z; ++b) {
    sums.assign(x, 0.0);
    for (size_t row = 0; row < y; ++row) {
      const unsigned short* line = voxels + x * (row + y * b);
      for (size_t a = 0; a < x; ++a)
        sums[a] += line[a];
    }
    for (size_t a = 0; a < x; ++a) {
      const double scaled = std::round(sums[a] / double(y) * 255.0 / maximum);
      grey[a + x * b] = static_cast<uint8_t>(std::min(scaled, 255.0));
    }
  }
  return grey;
}
