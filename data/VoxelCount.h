#pragma once
// Counting the voxels of a volume at or above a value, in one pass over the buffer.
#include <cstddef>
#include <cstdint>

// The voxels among `count` whose value is at least `threshold`.
uint64_t CountAtLeast(const unsigned short* voxels, size_t count, unsigned short threshold);
