#include "fuzz/FuzzInput.h"

#include <string>

// The whole input is the header; a header naming a data file finds "fz.raw" beside it.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  static const bool dataFile = (fuzz::WriteInput("fz.raw", std::string(64 * 1024, '\x11')), true);
  (void)dataFile;
  fuzz::ReadScanNamed("x.mhd", fuzz::Bytes(data, size));
  return 0;
}
