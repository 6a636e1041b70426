#include "fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  fuzz::ReadScanNamed("scan.vol", fuzz::Bytes(data, size));
  return 0;
}
