#pragma once
// Copies into voxels that read as 0 already (a fresh mapping's untouched pages) only the
// values that are not 0: pages of nothing but 0 are only read, so they stay untouched and
// hold no memory. Labels are mostly 0.
#include <algorithm>
#include <cstddef>
#include <cstdint>

template <typename Stored>
void CopyNonZero(const Stored* values, size_t count, uint16_t* voxels)
{
  // Runs of 0 are found a run at a time, which the compiler turns into vector operations.
  constexpr size_t kRun = 64;
  for (size_t first = 0; first < count; first += kRun) {
    const size_t last = std::min(count, first + kRun);
    Stored any = 0;
    for (size_t i = first; i < last; ++i)
      any |= values[i];
    if (any == 0)
      continue;
    for (size_t i = first; i < last; ++i)
      if (values[i] != 0)
        voxels[i] = values[i];
  }
}
