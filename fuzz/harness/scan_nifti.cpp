#include "fuzz/FuzzInput.h"

// Gzip data is named ".nii.gz", as a user's compressed file would be.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  const bool gzip = size >= 2 && data[0] == 0x1f && data[1] == 0x8b;
  fuzz::ReadScanNamed(gzip ? "x.nii.gz" : "x.nii", fuzz::Bytes(data, size));
  return 0;
}
