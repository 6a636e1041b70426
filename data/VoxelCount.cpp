#include "data/VoxelCount.h"

#include <algorithm>

namespace {

uint64_t CountRun(const unsigned short* voxels, size_t count, unsigned short threshold)
{
  // Counted in blocks small enough for a 32-bit sum, which the compiler keeps in vector
  // lanes; a 64-bit sum per voxel halves the speed of this pass over the whole volume.
  constexpr size_t kBlock = size_t(1) << 16;
  uint64_t counted = 0;
  for (size_t first = 0; first < count; first += kBlock) {
    const size_t last = std::min(count, first + kBlock);
    uint32_t inBlock = 0;
    for (size_t i = first; i < last; ++i)
      inBlock += voxels[i] >= threshold;
    counted += inBlock;
  }
  return counted;
}

}  // namespace

uint64_t CountAtLeast(const unsigned short* voxels, size_t count, unsigned short threshold,
                      const WrittenPages& written)
{
  if (threshold == 0)
    return count;
  uint64_t counted = 0;
  written.ForEachWrittenRun(voxels, count, [&](size_t first, size_t last) {
    counted += CountRun(voxels + first, last - first, threshold);
  });
  return counted;
}
