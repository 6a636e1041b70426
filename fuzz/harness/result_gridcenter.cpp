#include "data/LGridCenter.h"
#include "fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  fuzz::ReadRecord<LGridCenter>(fuzz::Bytes(data, size));
  return 0;
}
