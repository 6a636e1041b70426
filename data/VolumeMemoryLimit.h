#pragma once
// A seam for tests of a machine that runs out of memory: while a limit is set, a volume's
// voxels (or a pane's picture of a scan) that would take more bytes than it allows are
// refused as if the memory could not be had. (A test build with AddressSanitizer cannot run
// out of memory for real: its allocator ends the process instead of failing the allocation.)
#include <cstdint>

class ScopedVolumeMemoryLimit {
public:
  explicit ScopedVolumeMemoryLimit(uint64_t bytes);
  ~ScopedVolumeMemoryLimit();
  ScopedVolumeMemoryLimit(const ScopedVolumeMemoryLimit&) = delete;
  ScopedVolumeMemoryLimit& operator=(const ScopedVolumeMemoryLimit&) = delete;

  // The bytes a volume's voxels may take now.
  static uint64_t Current();

private:
  uint64_t m_Previous;
};

// Whether a buffer of `bytes` for a scan may be taken under the limit set now.
inline bool WithinVolumeMemoryLimit(uint64_t bytes)
{
  return bytes <= ScopedVolumeMemoryLimit::Current();
}
