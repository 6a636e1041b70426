#pragma once
// Counting the voxels of a volume at or above a value, in one pass over the buffer.
#include <cstddef>
#include <cstdint>

#include "data/WrittenPages.h"

// The voxels among `count` whose value is at least `threshold` (at least 1): pages that hold
// nothing but 0 by `written` are not read.
uint64_t CountAtLeast(const unsigned short* voxels, size_t count, unsigned short threshold,
                      const WrittenPages& written = WrittenPages());
