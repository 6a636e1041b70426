#include "fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  fuzz::ReadScanNamed("x.tif", fuzz::Bytes(data, size));
  return 0;
}
