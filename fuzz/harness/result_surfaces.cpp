#include "data/LSurfaces.h"
#include "fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  fuzz::ReadRecord<LSurfaces>(fuzz::Bytes(data, size));
  return 0;
}
