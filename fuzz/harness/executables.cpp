#include "data/LExecutableList.h"
#include "fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  LExecutableList list;
  (void)list.Read(fuzz::WriteInput("Executables.xml", fuzz::Bytes(data, size)));
  return 0;
}
